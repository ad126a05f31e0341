// A UI application with two scenes for the scene application test. Each
// scene's form has a header, a footer item and a back button; "Next" on the
// first scene moves forward to the second with one Boolean argument; the
// back button goes back one scene and ends the application on the first.
// Labels show what the test checks: "appState" (the application's state when
// the scene was entered) and, on the second scene, "argument". With
// VX_TEST_STATE_FILE set, the state at the frame's end is written there.
#include <cstdlib>
#include <fstream>
#include <memory>

#include "platform/app/UiApp.h"
#include "platform/base/Boolean.h"
#include "platform/ui/Footer.h"
#include "platform/ui/Form.h"
#include "platform/ui/Frame.h"
#include "platform/ui/Header.h"
#include "platform/ui/Label.h"
#include "platform/ui/scenes/SceneManager.h"

using namespace Vx;
using namespace Vx::Ui;
using namespace Vx::Ui::Controls;
using namespace Vx::Ui::Scenes;
using Vx::Base::String;
using Vx::Base::Collection::ArrayList;
using Vx::Base::Collection::ElementOwnership;

namespace {

const char* StateName(App::AppState state) {
    switch (state) {
    case App::APP_STATE_INITIALIZING:
        return "initializing";
    case App::APP_STATE_RUNNING:
        return "running";
    case App::APP_STATE_TERMINATING:
        return "terminating";
    case App::APP_STATE_TERMINATED:
        return "terminated";
    }
    return "unknown";
}

Label* AddLabel(Form& form, const wchar_t* name, int y) {
    auto* label = new Label();
    label->Construct({20, y, 680, 60}, L" ");
    label->SetName(name);
    form.AddControl(label);
    return label;
}

class SceneForm : public Form, public ISceneEventListener, public IActionEventListener, public IFormBackEventListener {
public:
    result Build(const SceneId& scene) {
        result r = Construct(FORM_STYLE_INDICATOR | FORM_STYLE_HEADER | FORM_STYLE_FOOTER);
        if (r != E_SUCCESS) return r;
        SetName(scene);
        String title;
        scene.ToUpperCase(title);
        GetHeader()->SetTitleText(title);
        FooterItem item;
        item.Construct(1);
        item.SetText(scene == String(L"first") ? L"Next" : L"Stay");
        GetFooter()->AddItem(item);
        GetFooter()->SetBackButton();
        GetFooter()->AddActionEventListener(*this);
        SetFormBackEventListener(this);
        state_ = AddLabel(*this, L"appState", 20);
        if (scene == String(L"second")) argument_ = AddLabel(*this, L"argument", 100);
        return E_SUCCESS;
    }

    void OnSceneActivatedN(const SceneId&, const SceneId&, ArrayList* pArgs) override {
        std::unique_ptr<ArrayList> args(pArgs);
        state_->SetText(StateName(App::App::GetInstance()->GetAppState()));
        if (!argument_) return;
        auto* flag = args && args->GetCount() == 1 ? dynamic_cast<Base::Boolean*>(args->GetAt(0)) : nullptr;
        argument_->SetText(flag ? (flag->ToBool() ? L"true" : L"false") : L"none");
    }
    void OnSceneDeactivated(const SceneId&, const SceneId&) override {}

    void OnActionPerformed(const Control&, int) override {
        if (GetName() != String(L"first")) return;
        auto* args = new ArrayList(ElementOwnership::Owned);
        args->Add(new Base::Boolean(true));
        SceneManager::GetInstance()->GoForward(ForwardSceneTransition(L"second"), args);
    }
    void OnFormBackRequested(Form&) override {
        if (SceneManager::GetInstance()->GoBackward(BackwardSceneTransition()) != E_SUCCESS) App::App::Terminate();
    }

private:
    Label* state_ = nullptr;
    Label* argument_ = nullptr;
};

class Factory : public IFormFactory {
public:
    Form* CreateFormN(const String& formId, const SceneId& sceneId) override {
        if (formId != String(L"IDF_SCENE")) return nullptr;
        auto form = std::make_unique<SceneForm>();
        if (form->Build(sceneId) != E_SUCCESS) return nullptr;
        SceneManager::GetInstance()->AddSceneEventListener(sceneId, *form);
        return form.release();
    }
};

class SceneFrame : public Frame {
public:
    result OnInitializing() override {
        SceneManager* scenes = SceneManager::GetInstance();
        if (!scenes) return E_INVALID_STATE;
        scenes->RegisterFormFactory(factory_);
        scenes->RegisterScene(L"first", L"IDF_SCENE", L"");
        scenes->RegisterScene(L"second", L"IDF_SCENE", L"");
        return scenes->GoForward(ForwardSceneTransition(L"first"));
    }
    result OnTerminating() override {
        if (const char* path = std::getenv("VX_TEST_STATE_FILE"))
            std::ofstream(path) << StateName(App::App::GetInstance()->GetAppState());
        return E_SUCCESS;
    }

private:
    Factory factory_;
};

class SceneApp : public App::UiApp {
public:
    static UiApp* CreateInstance() { return new SceneApp(); }
    bool OnAppInitializing(Vx::App::AppRegistry&) override {
        frame_ = new SceneFrame();
        if (frame_->Construct() == E_SUCCESS) return true;
        delete frame_;
        frame_ = nullptr;
        return false;
    }
    bool OnAppInitialized() override {
        frame_->SetName(L"sceneapp");
        if (AddFrame(*frame_) == E_SUCCESS) return true;
        delete frame_;
        return false;
    }

private:
    SceneFrame* frame_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
    ArrayList args(ElementOwnership::Owned);
    args.Construct(argc);
    for (int i = 0; i < argc; ++i)
        args.Add(new String(argv[i]));
    return App::UiApp::Execute(SceneApp::CreateInstance, &args) == E_SUCCESS ? 0 : 1;
}
