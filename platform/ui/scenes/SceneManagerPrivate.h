#pragma once
// The state of a scene manager: registered scenes with their forms and
// listeners, the history and the queue of transitions asked for while one
// is under way.
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/ui/scenes/SceneManager.h"

namespace Vx::Ui::Scenes {

class SceneManagerPrivate {
public:
    struct Scene {
        SceneId id;
        Base::String formId;
        Base::String panelId;
        Controls::Form* form = nullptr;
        // The form's widget: gone once the form is deleted, by us or by its frame.
        QPointer<QWidget> formWidget;
        // The form seen as a listener, to drop its registration when the form goes.
        ISceneEventListener* formListener = nullptr;
        std::vector<ISceneEventListener*> listeners;
    };

    explicit SceneManagerPrivate(Controls::Frame* fixedFrame);
    ~SceneManagerPrivate();

    // A manager of its own working on `frame` (not owned), for tests and tools that run no UiApp.
    static std::unique_ptr<SceneManager> CreateForFrame(Controls::Frame& frame);
    // Ends the application's manager (the application is ending).
    static void DestroyInstance();
    // The current scene of the manager whose scenes live in `frame`; empty when none does.
    static SceneId GetCurrentSceneOf(const Controls::Frame* frame);

    result Forward(const ForwardSceneTransition& transition, std::unique_ptr<Base::Collection::ArrayList> args);
    result Backward(const BackwardSceneTransition& transition, std::unique_ptr<Base::Collection::ArrayList> args);

    Scene* Find(const SceneId& id);
    const Scene* Find(const SceneId& id) const;
    Controls::Frame* GetFrame() const;
    Controls::Form* AliveForm(const Scene& scene) const;

private:
    struct Pending {
        bool forward = true;
        ForwardSceneTransition forwardTransition{SceneId()};
        BackwardSceneTransition backwardTransition;
        std::unique_ptr<Base::Collection::ArrayList> args;
    };

    // A move now, with no other under way.
    result RunForward(const ForwardSceneTransition& transition, std::unique_ptr<Base::Collection::ArrayList> args);
    result RunBackward(const BackwardSceneTransition& transition, std::unique_ptr<Base::Collection::ArrayList> args);
    result Move(Scene& to, SceneDestroyOption destroy, bool remember, SceneHistoryOption history,
                std::unique_ptr<Base::Collection::ArrayList> args);
    result EnsureForm(Scene& scene, Controls::Frame& frame);
    void Deactivate(const SceneId& from, const SceneId& to);
    void Activate(const SceneId& from, const SceneId& to, std::unique_ptr<Base::Collection::ArrayList> args);
    void DestroyForm(Scene& scene);
    void ForgetForm(const SceneId& id, Controls::Form* form);
    void RunQueued();

    Controls::Frame* fixedFrame_;
    bool fixed_;
    std::vector<std::unique_ptr<Scene>> scenes_;
    std::vector<SceneId> history_;
    SceneId current_;
    IFormFactory* factory_ = nullptr;
    bool busy_ = false;
    // The move under way will put the scene it leaves into the history.
    bool pushPending_ = false;
    std::deque<Pending> queue_;
    // Ends the connections to form widgets with the manager.
    std::unique_ptr<QObject> context_;

    friend class SceneManager;
};

}  // namespace Vx::Ui::Scenes
