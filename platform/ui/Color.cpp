#include "platform/ui/Color.h"

namespace Vx::Graphics {

Color::Color(unsigned int argb32)
    : red_(static_cast<std::uint8_t>(argb32 >> 16)),
      green_(static_cast<std::uint8_t>(argb32 >> 8)),
      blue_(static_cast<std::uint8_t>(argb32)),
      alpha_(static_cast<std::uint8_t>(argb32 >> 24)) {}

unsigned int Color::GetRGB32() const {
    return (static_cast<unsigned int>(alpha_) << 24) | (static_cast<unsigned int>(red_) << 16) |
           (static_cast<unsigned int>(green_) << 8) | blue_;
}

}  // namespace Vx::Graphics
