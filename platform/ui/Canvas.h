#pragma once
// An off-screen picture to draw on: fill, bitmaps, nine-patch bitmaps, text.
// Turn it into a bitmap with Bitmap::Construct(canvas, rect).
#include <memory>

#include "platform/base/Result.h"
#include "platform/base/String.h"
#include "platform/ui/Color.h"
#include "platform/ui/Geometry.h"

namespace Vx::Graphics {

class Bitmap;
class Font;
class CanvasPrivate;

class Canvas {
public:
    Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas();

    // A transparent canvas of the rectangle's size (its position is ignored).
    // E_INVALID_ARG for a width or height below 1 or above 8192.
    result Construct(const Rectangle& rect);

    Rectangle GetBounds() const;
    // Fills everything with the background colour.
    result Clear();
    result SetBackgroundColor(const Color& color);
    Color GetBackgroundColor() const;
    // The colour of text.
    result SetForegroundColor(const Color& color);
    Color GetForegroundColor() const;
    // The font of text; without one, DejaVu Sans at 32 pixels.
    result SetFont(const Font& font);

    result FillRectangle(const Color& color, const Rectangle& rect);
    // At its own size with its top left corner at `point`.
    result DrawBitmap(const Point& point, const Bitmap& bitmap);
    // Scaled into the rectangle.
    result DrawBitmap(const Rectangle& rect, const Bitmap& bitmap);
    // A nine-patch bitmap stretched into the rectangle (a plain bitmap is scaled).
    result DrawNinePatchedBitmap(const Rectangle& rect, const Bitmap& bitmap);
    // Text on one line, its top left corner at `point`.
    result DrawText(const Point& point, const Base::String& text);

    // For the platform's own drawing code.
    CanvasPrivate& GetPrivate() const { return *d_; }

private:
    std::unique_ptr<CanvasPrivate> d_;
};

}  // namespace Vx::Graphics
