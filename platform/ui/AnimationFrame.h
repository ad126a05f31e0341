#pragma once
// One picture of an animation and how long it stays (ms). A frame without a
// picture is drawn blank.
#include <memory>

#include "platform/base/Object.h"
#include "platform/ui/Bitmap.h"

namespace Vx::Ui::Controls {

class AnimationFrame : public Base::Object {
public:
    AnimationFrame();
    // Keeps a copy of the picture.
    AnimationFrame(const Graphics::Bitmap& frame, long duration);
    ~AnimationFrame() override;

    // E_INVALID_ARG for a bitmap never constructed.
    result SetFrame(const Graphics::Bitmap& frame);
    // Null for a blank frame.
    const Graphics::Bitmap* GetFrame() const { return bitmap_.get(); }
    // E_INVALID_ARG below 0.
    result SetDuration(long duration);
    long GetDuration() const { return duration_; }

private:
    std::unique_ptr<Graphics::Bitmap> bitmap_;
    long duration_ = 0;
};

}  // namespace Vx::Ui::Controls
