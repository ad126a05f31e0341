#include "platform/ui/scenes/SceneManager.h"

#include <QCoreApplication>
#include <algorithm>

#include "platform/app/AppLog.h"
#include "platform/app/UiApp.h"
#include "platform/ui/ControlPrivate.h"
#include "platform/ui/Form.h"
#include "platform/ui/Frame.h"
#include "platform/ui/scenes/SceneManagerPrivate.h"

namespace Vx::Ui::Scenes {

using Base::Collection::ArrayList;
using Controls::Form;
using Controls::Frame;

namespace {

// Listeners that keep moving between scenes would never let a transition end.
constexpr int kMaxChainedTransitions = 64;

struct Instance {
    SceneManager* manager = nullptr;
    App::UiApp* owner = nullptr;
};

Instance& TheInstance() {
    static Instance instance;
    return instance;
}

std::string Utf8(const SceneId& id) { return id.ToUtf8(); }

// Every live manager, for the automation channel's question "which scene is shown".
std::vector<SceneManagerPrivate*>& Managers() {
    static std::vector<SceneManagerPrivate*> managers;
    return managers;
}

}  // namespace

// ---- SceneManager -----------------------------------------------------------

SceneManager::SceneManager(Frame* frame) : d_(std::make_unique<SceneManagerPrivate>(frame)) {}

SceneManager::~SceneManager() = default;

SceneManager* SceneManager::GetInstance() {
    App::UiApp* app = App::UiApp::GetInstance();
    if (!app) return nullptr;
    Instance& instance = TheInstance();
    if (instance.owner != app) {
        delete instance.manager;
        instance.manager = new SceneManager(nullptr);
        instance.owner = app;
    }
    return instance.manager;
}

result SceneManager::RegisterFormFactory(IFormFactory& formFactory) {
    d_->factory_ = &formFactory;
    return E_SUCCESS;
}

result SceneManager::RegisterScene(const SceneId& sceneId, const Base::String& formId, const Base::String& panelId) {
    if (sceneId.IsEmpty() || formId.IsEmpty()) return E_INVALID_ARG;
    if (d_->Find(sceneId)) return E_OBJ_ALREADY_EXIST;
    auto scene = std::make_unique<SceneManagerPrivate::Scene>();
    scene->id = sceneId;
    scene->formId = formId;
    scene->panelId = panelId;
    d_->scenes_.push_back(std::move(scene));
    return E_SUCCESS;
}

result SceneManager::AddSceneEventListener(const SceneId& sceneId, ISceneEventListener& listener) {
    SceneManagerPrivate::Scene* scene = d_->Find(sceneId);
    if (!scene) return E_OBJ_NOT_FOUND;
    if (std::find(scene->listeners.begin(), scene->listeners.end(), &listener) != scene->listeners.end()) {
        return E_OBJ_ALREADY_EXIST;
    }
    scene->listeners.push_back(&listener);
    return E_SUCCESS;
}

result SceneManager::RemoveSceneEventListener(const SceneId& sceneId, ISceneEventListener& listener) {
    SceneManagerPrivate::Scene* scene = d_->Find(sceneId);
    if (!scene) return E_OBJ_NOT_FOUND;
    auto it = std::find(scene->listeners.begin(), scene->listeners.end(), &listener);
    if (it == scene->listeners.end()) return E_OBJ_NOT_FOUND;
    scene->listeners.erase(it);
    return E_SUCCESS;
}

result SceneManager::GoForward(const ForwardSceneTransition& transition, ArrayList* pArgs) {
    return d_->Forward(transition, std::unique_ptr<ArrayList>(pArgs));
}

result SceneManager::GoBackward(const BackwardSceneTransition& transition, ArrayList* pArgs) {
    return d_->Backward(transition, std::unique_ptr<ArrayList>(pArgs));
}

SceneId SceneManager::GetCurrentSceneId() const { return d_->current_; }

Form* SceneManager::GetCurrentForm() const {
    const SceneManagerPrivate::Scene* scene = d_->Find(d_->current_);
    return scene ? d_->AliveForm(*scene) : nullptr;
}

int SceneManager::GetHistoryCount() const { return static_cast<int>(d_->history_.size()); }

SceneId SceneManager::GetHistorySceneId(int index) const {
    if (index < 0 || index >= GetHistoryCount()) return SceneId();
    return d_->history_[static_cast<std::size_t>(index)];
}

Form* SceneManager::GetForm(const SceneId& sceneId) const {
    const SceneManagerPrivate::Scene* scene = d_->Find(sceneId);
    return scene ? d_->AliveForm(*scene) : nullptr;
}

// ---- SceneManagerPrivate ----------------------------------------------------

SceneManagerPrivate::SceneManagerPrivate(Frame* fixedFrame)
    : fixedFrame_(fixedFrame), fixed_(fixedFrame != nullptr), context_(std::make_unique<QObject>()) {
    Managers().push_back(this);
}

SceneManagerPrivate::~SceneManagerPrivate() {
    auto& managers = Managers();
    managers.erase(std::remove(managers.begin(), managers.end(), this), managers.end());
}

SceneId SceneManagerPrivate::GetCurrentSceneOf(const Frame* frame) {
    if (!frame) return SceneId();
    for (SceneManagerPrivate* manager : Managers()) {
        if (manager->GetFrame() == frame) return manager->current_;
    }
    return SceneId();
}

std::unique_ptr<SceneManager> SceneManagerPrivate::CreateForFrame(Frame& frame) {
    return std::unique_ptr<SceneManager>(new SceneManager(&frame));
}

void SceneManagerPrivate::DestroyInstance() {
    Instance& instance = TheInstance();
    delete instance.manager;
    instance.manager = nullptr;
    instance.owner = nullptr;
}

SceneManagerPrivate::Scene* SceneManagerPrivate::Find(const SceneId& id) {
    for (auto& scene : scenes_) {
        if (scene->id == id) return scene.get();
    }
    return nullptr;
}

const SceneManagerPrivate::Scene* SceneManagerPrivate::Find(const SceneId& id) const {
    return const_cast<SceneManagerPrivate*>(this)->Find(id);
}

Frame* SceneManagerPrivate::GetFrame() const {
    if (fixed_) return fixedFrame_;
    App::UiApp* app = App::UiApp::GetInstance();
    return app ? dynamic_cast<Frame*>(app->GetAppFrame()) : nullptr;
}

Form* SceneManagerPrivate::AliveForm(const Scene& scene) const { return scene.formWidget ? scene.form : nullptr; }

result SceneManagerPrivate::Forward(const ForwardSceneTransition& transition, std::unique_ptr<ArrayList> args) {
    Scene* to = Find(transition.GetDestinationSceneId());
    if (!to) return E_OBJ_NOT_FOUND;
    if (busy_) {
        Pending pending;
        pending.forward = true;
        pending.forwardTransition = transition;
        pending.args = std::move(args);
        queue_.push_back(std::move(pending));
        return E_SUCCESS;
    }
    result r = RunForward(transition, std::move(args));
    RunQueued();
    return r;
}

result SceneManagerPrivate::RunForward(const ForwardSceneTransition& transition, std::unique_ptr<ArrayList> args) {
    Scene* to = Find(transition.GetDestinationSceneId());
    if (!to) return E_OBJ_NOT_FOUND;
    if (to->id == current_) return E_INVALID_ARG;
    busy_ = true;
    result r = Move(*to, transition.GetDestroyOption(), true, transition.GetHistoryOption(), std::move(args));
    busy_ = false;
    return r;
}

result SceneManagerPrivate::Backward(const BackwardSceneTransition& transition, std::unique_ptr<ArrayList> args) {
    if (busy_) {
        // Judged by the history as it will be when this move's turn comes.
        int depth = static_cast<int>(history_.size()) + (pushPending_ ? 1 : 0);
        for (const Pending& p : queue_) {
            if (!p.forward) {
                --depth;
            } else if (p.forwardTransition.GetHistoryOption() == SCENE_HISTORY_OPTION_ADD_HISTORY) {
                ++depth;
            }
        }
        if (depth <= 0) return E_INVALID_STATE;
        Pending pending;
        pending.forward = false;
        pending.backwardTransition = transition;
        pending.args = std::move(args);
        queue_.push_back(std::move(pending));
        return E_SUCCESS;
    }
    result r = RunBackward(transition, std::move(args));
    RunQueued();
    return r;
}

result SceneManagerPrivate::RunBackward(const BackwardSceneTransition& transition, std::unique_ptr<ArrayList> args) {
    Scene* to = history_.empty() ? nullptr : Find(history_.back());
    if (!to) return E_INVALID_STATE;
    history_.pop_back();
    busy_ = true;
    result r = Move(*to, transition.GetDestroyOption(), false, SCENE_HISTORY_OPTION_NO_HISTORY, std::move(args));
    busy_ = false;
    // The way back stays open when the move did not happen.
    if (r != E_SUCCESS) history_.push_back(to->id);
    return r;
}

result SceneManagerPrivate::Move(Scene& to, SceneDestroyOption destroy, bool remember, SceneHistoryOption history,
                                 std::unique_ptr<ArrayList> args) {
    Frame* frame = GetFrame();
    if (!frame) return E_INVALID_STATE;
    result r = EnsureForm(to, *frame);
    if (r != E_SUCCESS) return r;
    SceneId from = current_;
    pushPending_ = remember && history == SCENE_HISTORY_OPTION_ADD_HISTORY && !from.IsEmpty();
    if (!from.IsEmpty()) Deactivate(from, to.id);
    // A listener of the scene being left may have taken the destination's form down.
    if (!AliveForm(to)) r = EnsureForm(to, *frame);
    if (r == E_SUCCESS) r = frame->SetCurrentForm(AliveForm(to));
    if (r == E_SUCCESS && pushPending_) history_.push_back(from);
    pushPending_ = false;
    if (r != E_SUCCESS) return r;
    current_ = to.id;
    Activate(from, to.id, std::move(args));
    if (destroy == SCENE_DESTROY_OPTION_DESTROY && !from.IsEmpty() && from != current_) {
        if (Scene* left = Find(from)) DestroyForm(*left);
    }
    return E_SUCCESS;
}

result SceneManagerPrivate::EnsureForm(Scene& scene, Frame& frame) {
    if (AliveForm(scene)) return E_SUCCESS;
    if (!factory_) {
        App::LogAppWarning("scene " + Utf8(scene.id) + " has no form and no form factory is registered");
        return E_INVALID_STATE;
    }
    Form* form = factory_->CreateFormN(scene.formId, scene.id);
    if (!form) {
        App::LogAppWarning("the form factory built no form " + Utf8(scene.formId) + " for scene " + Utf8(scene.id));
        return E_FAILURE;
    }
    QWidget* widget = form->GetPrivate().widget;
    scene.form = form;
    scene.formWidget = widget;
    scene.formListener = dynamic_cast<ISceneEventListener*>(form);
    if (widget) {
        SceneId id = scene.id;
        QObject::connect(widget, &QObject::destroyed, context_.get(), [this, id, form] { ForgetForm(id, form); });
    }
    result r = widget ? frame.AddControl(form) : E_INVALID_STATE;
    if (r != E_SUCCESS) {
        App::LogAppWarning("the form of scene " + Utf8(scene.id) + " cannot join the frame");
        delete form;
        ForgetForm(scene.id, form);
        return E_FAILURE;
    }
    return E_SUCCESS;
}

void SceneManagerPrivate::Deactivate(const SceneId& from, const SceneId& to) {
    Scene* scene = Find(from);
    if (!scene) return;
    std::vector<ISceneEventListener*> copy = scene->listeners;
    for (ISceneEventListener* listener : copy) {
        // One listener may remove another meanwhile.
        if (std::find(scene->listeners.begin(), scene->listeners.end(), listener) == scene->listeners.end()) continue;
        listener->OnSceneDeactivated(from, to);
    }
}

void SceneManagerPrivate::Activate(const SceneId& from, const SceneId& to, std::unique_ptr<ArrayList> args) {
    Scene* scene = Find(to);
    if (!scene) return;
    std::vector<ISceneEventListener*> copy = scene->listeners;
    for (ISceneEventListener* listener : copy) {
        if (std::find(scene->listeners.begin(), scene->listeners.end(), listener) == scene->listeners.end()) continue;
        listener->OnSceneActivatedN(from, to, args.release());
    }
}

void SceneManagerPrivate::DestroyForm(Scene& scene) {
    Form* form = AliveForm(scene);
    if (!form) return;
    form->SetShowState(false);
    QPointer<QWidget> formWidget = scene.formWidget;
    Frame* frame = GetFrame();
    QPointer<QWidget> frameWidget = frame ? frame->GetPrivate().widget : nullptr;
    ForgetForm(scene.id, form);
    // The form may be the one whose button started this transition: it is
    // deleted once that event has been handled.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [formWidget, frameWidget, frame, form] {
            if (!formWidget) return;
            if (frameWidget && form->GetParent() == frame) {
                frame->RemoveControl(form);
            } else if (!form->GetParent()) {
                delete form;
            }
        },
        Qt::QueuedConnection);
}

void SceneManagerPrivate::ForgetForm(const SceneId& id, Form* form) {
    Scene* scene = Find(id);
    if (!scene || scene->form != form) return;
    if (scene->formListener) {
        for (auto& each : scenes_) {
            auto& listeners = each->listeners;
            listeners.erase(std::remove(listeners.begin(), listeners.end(), scene->formListener), listeners.end());
        }
    }
    scene->form = nullptr;
    scene->formWidget = nullptr;
    scene->formListener = nullptr;
}

void SceneManagerPrivate::RunQueued() {
    int chained = 0;
    while (!queue_.empty() && !busy_) {
        if (++chained > kMaxChainedTransitions) {
            App::LogAppWarning("scene transitions keep asking for more; " + std::to_string(queue_.size()) +
                               " left undone");
            queue_.clear();
            return;
        }
        Pending pending = std::move(queue_.front());
        queue_.pop_front();
        result r = pending.forward ? RunForward(pending.forwardTransition, std::move(pending.args))
                                   : RunBackward(pending.backwardTransition, std::move(pending.args));
        if (r != E_SUCCESS) App::LogAppWarning(std::string("a queued scene transition failed: ") + GetResultName(r));
    }
}

}  // namespace Vx::Ui::Scenes
