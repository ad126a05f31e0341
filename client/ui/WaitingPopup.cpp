#include "client/ui/WaitingPopup.h"

#include <cstdio>
#include <memory>
#include <new>

#include "client/IapResourceManager.h"
#include "platform/base/ArrayList.h"
#include "platform/ui/AnimationFrame.h"
#include "platform/ui/Bitmap.h"

using namespace Vx;
using namespace Vx::Ui::Controls;
using Vx::Base::String;

String WaitingPopup::FrameName(int n) {
    char name[64];
    std::snprintf(name, sizeof name, "WaitAnimation/winset_list_process_%02d.png", n);
    return String(name);
}

result WaitingPopup::Construct() {
    result r = Popup::Construct(false, Graphics::Dimension{kWidth, kHeight});
    if (r != E_SUCCESS) return r;
    SetName(L"waitingPopup");

    std::unique_ptr<Base::Collection::ArrayList> frames(
        new (std::nothrow) Base::Collection::ArrayList(Base::Collection::ElementOwnership::Owned));
    if (!frames) return E_OUT_OF_MEMORY;
    for (int n = 1; n <= kFrameCount; ++n) {
        // A picture that cannot be read leaves its frame blank.
        std::unique_ptr<Graphics::Bitmap> bitmap(IapResourceManager::GetBitmapN(FrameName(n)));
        auto* frame = new (std::nothrow) AnimationFrame();
        if (!frame) return E_OUT_OF_MEMORY;
        if (bitmap) frame->SetFrame(*bitmap);
        frame->SetDuration(kFrameDurationMs);
        if (frames->Add(frame) != E_SUCCESS) {
            delete frame;
            return E_OUT_OF_MEMORY;
        }
    }

    std::unique_ptr<Animation> animation(new (std::nothrow) Animation());
    if (!animation) return E_OUT_OF_MEMORY;
    r = animation->Construct(Graphics::Rectangle{(kWidth - kAnimationSize) / 2, 80, kAnimationSize, kAnimationSize},
                             *frames);
    if (r != E_SUCCESS) return r;
    animation->SetName(L"waitingAnimation");
    animation->SetRepeatCount(kRepeatCount);
    r = AddControl(animation.get());
    if (r != E_SUCCESS) return r;
    animation_ = animation.release();
    return E_SUCCESS;
}

void WaitingPopup::PopupShow() {
    if (animation_) animation_->Play();
    SetShowState(true);
    Show();
}

void WaitingPopup::PopupHide() {
    if (animation_) animation_->Stop();
    SetShowState(false);
    Invalidate(true);
}
