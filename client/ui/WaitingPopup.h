#pragma once
// The progress popup: a spinning wheel of 30 frames shown while the store is asked.
#include "platform/base/String.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Popup.h"

class WaitingPopup : public Vx::Ui::Controls::Popup {
public:
    static constexpr int kWidth = 600;
    static constexpr int kHeight = 230;
    static constexpr int kFrameCount = 30;
    static constexpr long kFrameDurationMs = 10;
    static constexpr int kRepeatCount = 10000000;
    static constexpr int kAnimationSize = 50;

    WaitingPopup() = default;
    ~WaitingPopup() override = default;

    Vx::result Construct();
    // Starts the animation, then shows the popup.
    void PopupShow();
    // Stops the animation, hides the popup and repaints.
    void PopupHide();
    // "WaitAnimation/winset_list_process_NN.png" for n in 1..30.
    static Vx::Base::String FrameName(int n);
    Vx::Ui::Controls::Animation* GetAnimation() const { return animation_; }

private:
    Vx::Ui::Controls::Animation* animation_ = nullptr;
};
