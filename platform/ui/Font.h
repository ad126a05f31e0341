#pragma once
// A font face at a pixel size with a style. Faces are those installed on the
// device; the stand-in ships DejaVu (fonts-dejavu-core) so that text is drawn
// the same on every machine. An unknown face falls back to DEFAULT_FACE_NAME
// (GetFaceName tells which face is used).
#include <memory>

#include "platform/base/Result.h"
#include "platform/base/String.h"
#include "platform/ui/Geometry.h"

namespace Vx::Graphics {

enum FontStyle {
    FONT_STYLE_MIN = 0x0000,
    FONT_STYLE_PLAIN = 0x0001,
    FONT_STYLE_BOLD = 0x0002,
    FONT_STYLE_ITALIC = 0x0004,
    FONT_STYLE_MAX = 0x0007,
};

class FontPrivate;

class Font {
public:
    static constexpr const wchar_t* DEFAULT_FACE_NAME = L"DejaVu Sans";

    Font();
    Font(const Font& other);
    Font& operator=(const Font& other);
    ~Font();

    // `style` is FONT_STYLE_PLAIN or an OR of BOLD and ITALIC; `size` in pixels above 0.
    // E_INVALID_ARG for another style or size; E_INVALID_STATE when called twice.
    result Construct(int style, int size);
    result Construct(const Base::String& faceName, int style, int size);

    // 0 / empty before Construct.
    int GetSize() const;
    int GetStyle() const;
    bool IsBold() const;
    bool IsItalic() const;
    Base::String GetFaceName() const;
    // Pixels above and below the baseline.
    int GetAscender() const;
    int GetDescender() const;
    int GetLineThickness() const;
    // The size `text` takes on one line; E_INVALID_STATE before Construct;
    // E_OUT_OF_RANGE for a length past the text's end (a negative length means all of it).
    result GetTextExtent(const Base::String& text, int length, Dimension& dim) const;

    bool IsConstructed() const;
    // For the platform's own drawing code.
    FontPrivate& GetPrivate() const { return *d_; }

private:
    std::unique_ptr<FontPrivate> d_;
};

}  // namespace Vx::Graphics
