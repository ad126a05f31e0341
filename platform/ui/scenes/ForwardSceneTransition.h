#pragma once
#include "platform/ui/scenes/SceneTypes.h"

namespace Vx::Ui::Scenes {

// A move to a named scene, remembering the scene left unless told otherwise.
class ForwardSceneTransition {
public:
    explicit ForwardSceneTransition(const SceneId& destination,
                                    SceneTransitionAnimationType animation = SCENE_TRANSITION_ANIMATION_TYPE_NONE,
                                    SceneHistoryOption history = SCENE_HISTORY_OPTION_ADD_HISTORY,
                                    SceneDestroyOption destroy = SCENE_DESTROY_OPTION_KEEP)
        : destination_(destination), animation_(animation), history_(history), destroy_(destroy) {}

    const SceneId& GetDestinationSceneId() const { return destination_; }
    SceneTransitionAnimationType GetAnimationType() const { return animation_; }
    SceneHistoryOption GetHistoryOption() const { return history_; }
    SceneDestroyOption GetDestroyOption() const { return destroy_; }

private:
    SceneId destination_;
    SceneTransitionAnimationType animation_;
    SceneHistoryOption history_;
    SceneDestroyOption destroy_;
};

}  // namespace Vx::Ui::Scenes
