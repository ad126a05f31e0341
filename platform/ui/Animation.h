#pragma once
// A sequence of pictures played in turn, each for its duration, repeated a
// number of times. A stopped animation shows its first frame.
#include <memory>

#include "platform/base/ArrayList.h"
#include "platform/ui/Control.h"

namespace Vx::Ui::Controls {

class AnimationFrame;
class AnimationPrivate;

enum AnimationStatus {
    ANIMATION_PLAYING = 0,
    ANIMATION_STOPPED = 1,
    ANIMATION_PAUSED = 2,
};

class Animation : public Control {
public:
    Animation();
    ~Animation() override;

    // `animationFrames`: AnimationFrame elements; the animation takes them (the
    // list is emptied, and with NotOwned elements the animation deletes them
    // itself). E_INVALID_ARG for an empty list, an element of another type or a
    // negative size; E_INVALID_STATE when called twice.
    result Construct(const Graphics::Rectangle& rect, Base::Collection::ArrayList& animationFrames);

    // How many times the whole sequence plays; E_INVALID_ARG below 1. Default 1.
    result SetRepeatCount(int count);
    int GetRepeatCount() const;
    // E_INVALID_STATE before Construct.
    result Play();
    result Stop();
    result Pause();
    AnimationStatus GetStatus() const;
    int GetFrameCount() const;
    int GetCurrentFrameIndex() const;
    const AnimationFrame* GetFrameAt(int index) const;

    const char* GetTypeName() const override { return "Animation"; }

private:
    std::unique_ptr<AnimationPrivate> a_;
};

}  // namespace Vx::Ui::Controls
