#pragma once
#include "platform/ui/scenes/SceneTypes.h"

namespace Vx::Ui::Scenes {

// A return to the most recently remembered scene; by default the form left behind is destroyed.
class BackwardSceneTransition {
public:
    explicit BackwardSceneTransition(SceneTransitionAnimationType animation = SCENE_TRANSITION_ANIMATION_TYPE_NONE,
                                     SceneDestroyOption destroy = SCENE_DESTROY_OPTION_DESTROY)
        : animation_(animation), destroy_(destroy) {}

    SceneTransitionAnimationType GetAnimationType() const { return animation_; }
    SceneDestroyOption GetDestroyOption() const { return destroy_; }

private:
    SceneTransitionAnimationType animation_;
    SceneDestroyOption destroy_;
};

}  // namespace Vx::Ui::Scenes
