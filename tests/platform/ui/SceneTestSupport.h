#pragma once
// A form factory and scene forms that write what happens to them into one
// shared log, so that tests can check the order of a transition's steps.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/ArrayList.h"
#include "platform/base/Boolean.h"
#include "platform/ui/Footer.h"
#include "platform/ui/Form.h"
#include "platform/ui/Frame.h"
#include "platform/ui/scenes/SceneManager.h"

namespace SceneTest {

using Vx::result;
using Vx::Base::String;
using Vx::Base::Collection::ArrayList;
using Vx::Ui::Controls::Form;
using Vx::Ui::Scenes::SceneId;
using Vx::Ui::Scenes::SceneManager;

inline std::string U8(const String& s) { return s.ToUtf8(); }

struct Log {
    std::vector<std::string> lines;
    int deleted = 0;
    void Add(const std::string& line) { lines.push_back(line); }
};

// A scene's form that is also the scene's listener, as applications build them.
class LoggingForm : public Form, public Vx::Ui::Scenes::ISceneEventListener {
public:
    LoggingForm(Log& log, std::string name) : log_(log), name_(std::move(name)) {}
    ~LoggingForm() override {
        log_.Add("deleted " + name_);
        ++log_.deleted;
    }

    void OnSceneActivatedN(const SceneId& previous, const SceneId& current, ArrayList* pArgs) override {
        std::unique_ptr<ArrayList> args(pArgs);
        log_.Add("activated " + U8(previous) + "->" + U8(current) + (IsVisible() ? " shown" : " hidden") +
                 (args ? " args=" + std::to_string(args->GetCount()) : ""));
        if (onActivated) onActivated(current);
    }
    void OnSceneDeactivated(const SceneId& current, const SceneId& next) override {
        log_.Add("deactivated " + U8(current) + "->" + U8(next) + (IsVisible() ? " shown" : " hidden"));
        if (onDeactivated) onDeactivated(next);
    }

    std::function<void(const SceneId&)> onActivated;
    std::function<void(const SceneId&)> onDeactivated;

private:
    Log& log_;
    std::string name_;
};

// Builds a LoggingForm for every form id except "none" (null) and registers it as its scene's listener.
class LoggingFactory : public Vx::Ui::Scenes::IFormFactory {
public:
    LoggingFactory(Log& log, SceneManager& manager, int style = Vx::Ui::Controls::FORM_STYLE_NORMAL)
        : log_(log), manager_(manager), style_(style) {}

    Form* CreateFormN(const String& formId, const SceneId& sceneId) override {
        log_.Add("create " + U8(sceneId));
        if (formId == String(L"none")) return nullptr;
        auto form = std::make_unique<LoggingForm>(log_, U8(sceneId));
        if (form->Construct(style_) != Vx::E_SUCCESS) return nullptr;
        form->SetName(sceneId);
        if (onCreated) onCreated(*form);
        manager_.AddSceneEventListener(sceneId, *form);
        last = form.get();
        return form.release();
    }

    std::function<void(LoggingForm&)> onCreated;
    LoggingForm* last = nullptr;

private:
    Log& log_;
    SceneManager& manager_;
    int style_;
};

// Counts its deletion, to show who owns a scene argument.
class CountedObject : public Vx::Base::Object {
public:
    explicit CountedObject(int& deleted) : deleted_(deleted) {}
    ~CountedObject() override { ++deleted_; }

private:
    int& deleted_;
};

}  // namespace SceneTest
