#pragma once
// The scenes of the running UI application. Scenes are registered with the
// form id their form is built from; a transition to a scene builds its form
// through the registered factory when the scene has none, adds it to the
// application's frame and shows it. Order of a move from A to B:
//   1. B's form is built if needed (factory) and added to the frame,
//   2. A's listeners: OnSceneDeactivated(A, B),
//   3. the frame shows B's form (history updated),
//   4. B's listeners: OnSceneActivatedN(A, B, args),
//   5. A's form is destroyed when the transition's destroy option says so
//      (it leaves the screen at once; it is deleted once the current event
//      has been handled, so a button of A may start the transition).
// A transition asked for from inside a listener callback (or while another
// one is under way) runs right after the current one has finished.
#include <memory>

#include "platform/base/ArrayList.h"
#include "platform/base/Result.h"
#include "platform/ui/scenes/BackwardSceneTransition.h"
#include "platform/ui/scenes/ForwardSceneTransition.h"
#include "platform/ui/scenes/IFormFactory.h"
#include "platform/ui/scenes/ISceneEventListener.h"

namespace Vx::Ui::Controls {
class Form;
class Frame;
}  // namespace Vx::Ui::Controls

namespace Vx::Ui::Scenes {

class SceneManagerPrivate;

class SceneManager {
public:
    SceneManager(const SceneManager&) = delete;
    SceneManager& operator=(const SceneManager&) = delete;
    ~SceneManager();

    // The running UI application's scene manager; null without one. Its
    // forms live in the application's frame (the first frame added).
    static SceneManager* GetInstance();

    // Not owned; a second call replaces the factory.
    result RegisterFormFactory(IFormFactory& formFactory);
    // E_INVALID_ARG for an empty scene or form id; E_OBJ_ALREADY_EXIST for a scene id registered before.
    result RegisterScene(const SceneId& sceneId, const Vx::Base::String& formId, const Vx::Base::String& panelId);
    // Not owned. E_OBJ_NOT_FOUND for an unregistered scene; E_OBJ_ALREADY_EXIST when added twice.
    result AddSceneEventListener(const SceneId& sceneId, ISceneEventListener& listener);
    // E_OBJ_NOT_FOUND when the listener is not registered for the scene.
    result RemoveSceneEventListener(const SceneId& sceneId, ISceneEventListener& listener);

    // Takes ownership of pArgs whatever the result (deleted when the
    // transition fails or no listener takes it). E_OBJ_NOT_FOUND for an
    // unregistered scene; E_INVALID_ARG for the current scene itself;
    // E_INVALID_STATE without a frame; E_FAILURE when no form could be built.
    result GoForward(const ForwardSceneTransition& transition, Vx::Base::Collection::ArrayList* pArgs = nullptr);
    // As GoForward, to the most recently remembered scene. E_INVALID_STATE
    // when there is no previous scene.
    result GoBackward(const BackwardSceneTransition& transition, Vx::Base::Collection::ArrayList* pArgs = nullptr);

    // Empty before the first transition.
    SceneId GetCurrentSceneId() const;
    // Null before the first transition.
    Vx::Ui::Controls::Form* GetCurrentForm() const;
    // Remembered scenes, oldest first; the last one is where GoBackward leads.
    int GetHistoryCount() const;
    SceneId GetHistorySceneId(int index) const;
    // The form of a scene while it exists; null before it is built and after it is destroyed.
    Vx::Ui::Controls::Form* GetForm(const SceneId& sceneId) const;

    SceneManagerPrivate& GetPrivate() const { return *d_; }

private:
    friend class SceneManagerPrivate;
    explicit SceneManager(Vx::Ui::Controls::Frame* frame);
    std::unique_ptr<SceneManagerPrivate> d_;
};

}  // namespace Vx::Ui::Scenes
