#pragma once
// Vocabulary of scenes: a scene is a named screen of the application, shown
// by a form that the application's form factory builds on first use.
#include "platform/base/String.h"

namespace Vx::Ui::Scenes {

using SceneId = Vx::Base::String;

// The stand-in draws every transition instantly; the type is kept for the caller's intent.
enum SceneTransitionAnimationType {
    SCENE_TRANSITION_ANIMATION_TYPE_NONE = 0,
    SCENE_TRANSITION_ANIMATION_TYPE_LEFT = 1,
    SCENE_TRANSITION_ANIMATION_TYPE_RIGHT = 2,
    SCENE_TRANSITION_ANIMATION_TYPE_FADE_IN_OUT = 3,
    SCENE_TRANSITION_ANIMATION_TYPE_ZOOM_IN = 4,
    SCENE_TRANSITION_ANIMATION_TYPE_ZOOM_OUT = 5,
};

// Whether the scene being left is remembered, so that going back returns to it.
enum SceneHistoryOption {
    SCENE_HISTORY_OPTION_ADD_HISTORY = 0,
    SCENE_HISTORY_OPTION_NO_HISTORY = 1,
};

// What happens to the form of the scene being left: KEEP it for a later
// return, or DESTROY it (built again through the factory when needed).
enum SceneDestroyOption {
    SCENE_DESTROY_OPTION_KEEP = 0,
    SCENE_DESTROY_OPTION_DESTROY = 1,
};

}  // namespace Vx::Ui::Scenes
