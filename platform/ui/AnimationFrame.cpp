#include "platform/ui/AnimationFrame.h"

#include "platform/ui/BitmapPrivate.h"

namespace Vx::Ui::Controls {

AnimationFrame::AnimationFrame() = default;

AnimationFrame::AnimationFrame(const Graphics::Bitmap& frame, long duration) {
    SetFrame(frame);
    SetDuration(duration);
}

AnimationFrame::~AnimationFrame() = default;

result AnimationFrame::SetFrame(const Graphics::Bitmap& frame) {
    if (frame.GetPrivate().image.isNull()) return E_INVALID_ARG;
    auto copy = std::make_unique<Graphics::Bitmap>();
    copy->GetPrivate() = frame.GetPrivate();
    bitmap_ = std::move(copy);
    return E_SUCCESS;
}

result AnimationFrame::SetDuration(long duration) {
    if (duration < 0) return E_INVALID_ARG;
    duration_ = duration;
    return E_SUCCESS;
}

}  // namespace Vx::Ui::Controls
