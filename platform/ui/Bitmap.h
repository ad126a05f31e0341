#pragma once
// A picture decoded into memory: from a PNG file or from what was drawn on a
// canvas. A nine-patch bitmap is a PNG whose one-pixel border marks, in opaque
// black on the top and left edges, the rows and columns that stretch; the
// border itself is not part of the picture (GetWidth/GetHeight leave it out).
#include <memory>

#include "platform/base/Result.h"
#include "platform/base/String.h"
#include "platform/ui/Geometry.h"

namespace Vx::Graphics {

class BitmapPrivate;
class Canvas;

class Bitmap {
public:
    Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    ~Bitmap();

    // E_INVALID_STATE when called twice; E_OBJ_NOT_FOUND for a missing file;
    // E_INVALID_FORMAT for a file that is not a readable PNG picture.
    result Construct(const Base::String& pngPath);
    // The part `rect` of what was drawn on the canvas. E_INVALID_ARG for an
    // empty rectangle or one outside the canvas; E_INVALID_STATE when called twice.
    result Construct(const Canvas& canvas, const Rectangle& rect);

    // True for a PNG that carries nine-patch stretch marks.
    bool IsNinePatchedBitmap() const;

    // 0 before Construct.
    int GetWidth() const;
    int GetHeight() const;

    // For the platform's own drawing code.
    BitmapPrivate& GetPrivate() const { return *d_; }

private:
    std::unique_ptr<BitmapPrivate> d_;
};

}  // namespace Vx::Graphics
