#pragma once
#include "platform/base/ArrayList.h"
#include "platform/ui/scenes/SceneTypes.h"

namespace Vx::Ui::Scenes {

// Told when its scene is entered or left. On a move from A to B, A's
// listeners hear OnSceneDeactivated(A, B) before B's form is shown, then B's
// listeners hear OnSceneActivatedN(A, B, args) once it is shown.
class ISceneEventListener {
public:
    virtual ~ISceneEventListener() = default;
    // `pArgs`: the argument list given to the transition, or null. The
    // listener owns it (its ElementOwnership says whether deleting the list
    // deletes the elements). With several listeners on one scene the first
    // one registered gets the list and the others null. `previousSceneId` is
    // empty for the first scene.
    virtual void OnSceneActivatedN(const SceneId& previousSceneId, const SceneId& currentSceneId,
                                   Vx::Base::Collection::ArrayList* pArgs) = 0;
    virtual void OnSceneDeactivated(const SceneId& currentSceneId, const SceneId& nextSceneId) = 0;
};

}  // namespace Vx::Ui::Scenes
