#pragma once
// A colour with alpha, 8 bits per channel.
#include <cstdint>

namespace Vx::Graphics {

class Color {
public:
    // Opaque black.
    Color() = default;
    Color(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t alpha = 255)
        : red_(red), green_(green), blue_(blue), alpha_(alpha) {}
    // 0xAARRGGBB.
    explicit Color(unsigned int argb32);

    std::uint8_t GetRed() const { return red_; }
    std::uint8_t GetGreen() const { return green_; }
    std::uint8_t GetBlue() const { return blue_; }
    std::uint8_t GetAlpha() const { return alpha_; }
    // 0xAARRGGBB.
    unsigned int GetRGB32() const;

    bool operator==(const Color& other) const = default;

private:
    std::uint8_t red_ = 0;
    std::uint8_t green_ = 0;
    std::uint8_t blue_ = 0;
    std::uint8_t alpha_ = 255;
};

}  // namespace Vx::Graphics
