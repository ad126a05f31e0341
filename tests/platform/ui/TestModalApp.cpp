// A small UI application that opens a modal popup or message box on request,
// for the tests of what arrives while a modal loop runs. It writes what
// happened, one line per event, to the file named by VX_TEST_STATE_FILE.
// VX_TEST_EARLY_MODAL ("popup" or "message") opens one before the main loop
// runs, while the first form is shown; with VX_TEST_EARLY_TERMINATE set, a
// timer asks for termination while it is open.
#include <cstdlib>
#include <fstream>
#include <memory>

#include "platform/app/ITimerEventListener.h"
#include "platform/app/Timer.h"
#include "platform/app/UiApp.h"
#include "platform/ui/Button.h"
#include "platform/ui/Form.h"
#include "platform/ui/Frame.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Popup.h"

using namespace Vx;
using namespace Vx::Base;
using namespace Vx::Base::Collection;
using namespace Vx::Ui;
using namespace Vx::Ui::Controls;

namespace {

void Note(const std::string& line) {
    if (const char* path = std::getenv("VX_TEST_STATE_FILE")) std::ofstream(path, std::ios::app) << line << "\n";
}

enum Action { OPEN_POPUP = 1, OPEN_MESSAGE = 2, OPEN_POPUP_THEN_TERMINATE = 3 };

class ModalForm : public Form, public IActionEventListener, public Runtime::ITimerEventListener {
public:
    result Build() {
        result r = Construct(FORM_STYLE_NORMAL);
        if (r != E_SUCCESS) return r;
        SetName(L"modal");
        AddButton(L"openPopup", OPEN_POPUP, 100);
        AddButton(L"openMessage", OPEN_MESSAGE, 200);
        AddButton(L"openPopupThenTerminate", OPEN_POPUP_THEN_TERMINATE, 300);
        // Ticks all the time, also inside modal loops.
        ticker_.Construct(*this);
        return ticker_.StartAsRepeatable(5);
    }
    void OnActionPerformed(const Control&, int actionId) override {
        if (actionId == OPEN_MESSAGE) {
            MessageBox box;
            box.Construct(L"Title", L"A message", MSGBOX_STYLE_OK, 0);
            int answer = -1;
            result r = box.ShowAndWait(answer);
            Note("message returned " + std::to_string(r) + " " + std::to_string(answer));
            return;
        }
        if (actionId == OPEN_POPUP_THEN_TERMINATE) terminateAfterTicks_ = 20;
        auto popup = std::make_unique<Popup>();
        popup->Construct(true, {600, 300});
        popup->SetTitleText(L"Modal");
        auto* close = new Button();
        close->Construct({20, 20, 200, 74}, L"Close");
        close->SetName(L"popupClose");
        popup->AddControl(close);
        int answer = -1;
        result r = popup->DoModal(answer);
        Note("modal returned " + std::to_string(r) + " " + std::to_string(answer) + " ticks " +
             std::to_string(ticks_ > 0));
    }
    void OnTimerExpired(Runtime::Timer&) override {
        ++ticks_;
        if (terminateAfterTicks_ > 0 && --terminateAfterTicks_ == 0) {
            Note("terminate asked");
            App::App::Terminate();
        }
    }

private:
    void AddButton(const wchar_t* name, int actionId, int y) {
        auto* button = new Button();
        button->Construct({20, y, 600, 80}, name);
        button->SetName(name);
        button->SetActionId(actionId);
        button->AddActionEventListener(*this);
        AddControl(button);
    }
    Runtime::Timer ticker_;
    int ticks_ = 0;
    int terminateAfterTicks_ = 0;
};

class ModalFrame : public Frame {
public:
    result OnInitializing() override {
        auto* form = new ModalForm();
        result r = form->Build();
        if (r != E_SUCCESS) {
            delete form;
            return r;
        }
        return AddControl(form);
    }
    result OnTerminating() override {
        Note("frame terminating");
        return E_SUCCESS;
    }
};

// Asks for termination a few ticks after it starts.
class Terminator : public Runtime::ITimerEventListener {
public:
    result Start() {
        result r = timer_.Construct(*this);
        return r == E_SUCCESS ? timer_.Start(50) : r;
    }
    void OnTimerExpired(Runtime::Timer&) override {
        Note("terminate asked");
        App::App::Terminate();
    }

private:
    Runtime::Timer timer_;
};

void RunEarlyModal(const std::string& kind) {
    Terminator terminator;
    if (std::getenv("VX_TEST_EARLY_TERMINATE")) terminator.Start();
    int answer = -1;
    result r = E_FAILURE;
    if (kind == "message") {
        MessageBox box;
        box.Construct(L"Early", L"Before the loop", MSGBOX_STYLE_OK, 0);
        r = box.ShowAndWait(answer);
    } else {
        Popup popup;
        popup.Construct(true, {600, 300});
        popup.SetTitleText(L"Early");
        auto* close = new Button();
        close->Construct({20, 20, 200, 74}, L"Close");
        close->SetName(L"earlyClose");
        popup.AddControl(close);
        r = popup.DoModal(answer);
    }
    Note("early modal returned " + std::to_string(r) + " " + std::to_string(answer));
}

class ModalApp : public App::UiApp {
public:
    static UiApp* CreateInstance() { return new ModalApp(); }
    bool OnAppInitializing(Vx::App::AppRegistry&) override {
        frame_ = new ModalFrame();
        if (frame_->Construct() == E_SUCCESS) return true;
        delete frame_;
        frame_ = nullptr;
        return false;
    }
    bool OnAppInitialized() override {
        frame_->SetName(L"modalapp");
        if (AddFrame(*frame_) != E_SUCCESS) {
            delete frame_;
            return false;
        }
        if (const char* early = std::getenv("VX_TEST_EARLY_MODAL")) RunEarlyModal(early);
        return true;
    }
    bool OnAppTerminating(Vx::App::AppRegistry&, bool urgent) override {
        Note(std::string("app terminating") + (urgent ? " urgent" : ""));
        return true;
    }

private:
    ModalFrame* frame_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
    ArrayList args(ElementOwnership::Owned);
    args.Construct(argc);
    for (int i = 0; i < argc; ++i)
        args.Add(new String(argv[i]));
    return App::UiApp::Execute(ModalApp::CreateInstance, &args) == E_SUCCESS ? 0 : 1;
}
