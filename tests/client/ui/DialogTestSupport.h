#pragma once
// Runs a scenario inside a UI application whose frame is buyclient's own
// (answers and termination recorded, termination real so that modal loops
// end), with this process's automation channel to press what a user would.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "client/IapClientFrame.h"
#include "platform/app/AppContextPrivate.h"
#include "platform/app/Timer.h"
#include "platform/app/UiApp.h"
#include "platform/base/HashMap.h"
#include "platform/ui/UiAutomationClient.h"
#include "platform/ui/UiAutomationProtocol.h"
#include "tests/client/ClientTestSupport.h"

namespace DialogTest {

using Vx::Base::String;

// The automation channel starts once per process, with the first frame: one
// platform home for the whole suite, set before anything else.
class Environment : public ::testing::Environment {
public:
    void SetUp() override {
        ::setenv(Vx::Ui::Automation::kEnableEnv, "1", 1);
        inner_.SetUp();
    }

private:
    ClientTest::Environment inner_{true};
};

// Every answer the frame's facade sent, kept past the frame's end.
inline std::vector<ClientTest::TestFacade::Sent>& Answers() {
    static std::vector<ClientTest::TestFacade::Sent> answers;
    return answers;
}

class SinkFacade : public ClientTest::TestFacade {
protected:
    Vx::result SendAnswer(Vx::App::RequestId requestId, Vx::App::AppCtrlResult result,
                          const Vx::Base::Collection::IMap* extraData) override {
        Vx::result r = TestFacade::SendAnswer(requestId, result, extraData);
        Answers().push_back(sent.back());
        return r;
    }
};

class DialogFrame : public IapClientFrame {
public:
    ClientTest::TestFacade* facade = nullptr;
    int terminations = 0;
    std::vector<Vx::App::RequestId> refusals;

protected:
    IapClientPrivate* CreateClientN() override {
        facade = new SinkFacade();
        return facade;
    }
    void SendRefusal(Vx::App::RequestId requestId) override { refusals.push_back(requestId); }
    void RequestTermination() override {
        ++terminations;
        Vx::App::App::Terminate();
    }
};

// Calls `action` once from the event loop after `ms`, e.g. while a popup runs modally.
class Later : public Vx::Base::Runtime::ITimerEventListener {
public:
    Later(int ms, std::function<void()> action) : action_(std::move(action)) {
        timer_.Construct(*this);
        timer_.Start(ms);
    }
    void OnTimerExpired(Vx::Base::Runtime::Timer&) override {
        fired = true;
        if (action_) action_();
    }
    bool fired = false;

private:
    std::function<void()> action_;
    Vx::Base::Runtime::Timer timer_;
};

// What the scenario sees: the frame (added to the application, purchase scene
// shown) and an automation client connected to this process.
struct Context {
    DialogFrame& frame;
    Vx::Ui::Automation::UiAutomationClient& ui;
};

class DialogApp : public Vx::App::UiApp {
public:
    static std::function<void(Context&)> scenario;
    static int terminations;

    static Vx::App::UiApp* Create() { return new DialogApp(); }
    bool OnAppInitializing(Vx::App::AppRegistry&) override { return true; }
    bool OnAppInitialized() override {
        auto* frame = new DialogFrame();
        frame_ = frame;
        if (frame->Construct() != Vx::E_SUCCESS) {
            ADD_FAILURE() << "frame not constructed";
            delete frame;
            Vx::App::App::Terminate();
            return true;
        }
        Vx::Base::Collection::HashMap request(Vx::Base::Collection::ElementOwnership::Owned);
        request.Construct();
        request.Add(new String(L"_transactionId"), new String(L"5"));
        request.Add(new String(L"_itemId"), new String(L"7"));
        request.Add(new String(L"_itemGroupId"), new String(L"100000000001"));
        EXPECT_EQ(IapClientFrame::Decision::Accepted, frame->HandlePurchaseRequest(41, &request));
        if (AddFrame(*frame) != Vx::E_SUCCESS) {
            ADD_FAILURE() << "frame not added";
            Vx::App::App::Terminate();
            return true;
        }
        Vx::Ui::Automation::UiAutomationClient ui;
        EXPECT_EQ(Vx::E_SUCCESS, ui.Connect(Vx::App::AppContext::GetCurrent().appId, 5000)) << ui.GetLastError();
        Context context{*frame, ui};
        scenario(context);
        Vx::App::App::Terminate();
        return true;
    }
    bool OnAppWillTerminate() override {
        if (frame_) terminations = frame_->terminations;
        return true;
    }

private:
    DialogFrame* frame_ = nullptr;
};

inline std::function<void(Context&)> DialogApp::scenario;
inline int DialogApp::terminations = 0;

// Runs `scenario` in a fresh application; the answers start empty.
inline void RunInApp(std::function<void(Context&)> scenario) {
    Answers().clear();
    DialogApp::terminations = 0;
    DialogApp::scenario = std::move(scenario);
    ASSERT_EQ(Vx::E_SUCCESS, Vx::App::UiApp::Execute(DialogApp::Create, nullptr));
}

}  // namespace DialogTest
