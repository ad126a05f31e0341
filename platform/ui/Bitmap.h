#pragma once
// A picture decoded into memory. Built from a PNG file; further sources and
// drawing come with the controls that need them.
#include <memory>

#include "platform/base/Result.h"
#include "platform/base/String.h"

namespace Vx::Graphics {

class BitmapPrivate;

class Bitmap {
public:
    Bitmap();
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    ~Bitmap();

    // E_INVALID_STATE when called twice; E_OBJ_NOT_FOUND for a missing file;
    // E_INVALID_FORMAT for a file that is not a readable PNG picture.
    result Construct(const Base::String& pngPath);

    // 0 before Construct.
    int GetWidth() const;
    int GetHeight() const;

    // For the platform's own drawing code.
    BitmapPrivate& GetPrivate() const { return *d_; }

private:
    std::unique_ptr<BitmapPrivate> d_;
};

}  // namespace Vx::Graphics
