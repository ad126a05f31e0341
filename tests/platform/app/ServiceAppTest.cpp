#include <signal.h>

#include <string>
#include <vector>

#include "platform/app/AppControlProviderManager.h"
#include "platform/app/AppResource.h"
#include "platform/app/IAppControlProviderEventListener.h"
#include "platform/app/ServiceApp.h"
#include "tests/platform/app/AppTestSupport.h"

using namespace AppTest;
using Vx::App::App;
using Vx::App::AppRegistry;
using Vx::App::ServiceApp;

namespace {

std::vector<std::string> g_events;

// Records its life cycle; `onInitialized` decides what happens once running.
class LifeCycleApp : public ServiceApp {
public:
    static bool initializeOk;
    static void (*onInitialized)();

    static ServiceApp* Create() { return new LifeCycleApp(); }
    ~LifeCycleApp() override { g_events.push_back("deleted"); }
    bool OnAppInitializing(AppRegistry&) override {
        g_events.push_back("initializing");
        return initializeOk;
    }
    bool OnAppInitialized() override {
        g_events.push_back("initialized");
        if (onInitialized) onInitialized();
        return true;
    }
    bool OnAppWillTerminate() override {
        g_events.push_back("willTerminate");
        return true;
    }
    bool OnAppTerminating(AppRegistry&, bool urgent) override {
        g_events.push_back(urgent ? "terminating(urgent)" : "terminating");
        return true;
    }
};
bool LifeCycleApp::initializeOk = true;
void (*LifeCycleApp::onInitialized)() = nullptr;

class ServiceAppTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        g_events.clear();
        LifeCycleApp::initializeOk = true;
        LifeCycleApp::onInitialized = [] { App::Terminate(); };
    }
};

TEST_F(ServiceAppTest, RunsTheLifeCycleInOrderAndEndsOnTerminate) {
    EXPECT_EQ(ServiceApp::Execute(LifeCycleApp::Create, nullptr), Vx::E_SUCCESS);
    EXPECT_EQ(g_events,
              (std::vector<std::string>{"initializing", "initialized", "willTerminate", "terminating", "deleted"}));
    EXPECT_EQ(App::GetInstance(), nullptr);
    EXPECT_EQ(App::Terminate(), Vx::E_INVALID_STATE);
}

TEST_F(ServiceAppTest, ARefusedInitialisationEndsWithoutRunning) {
    LifeCycleApp::initializeOk = false;
    EXPECT_EQ(ServiceApp::Execute(LifeCycleApp::Create, nullptr), Vx::E_FAILURE);
    EXPECT_EQ(g_events, (std::vector<std::string>{"initializing", "deleted"}));
}

TEST_F(ServiceAppTest, FactoryFailuresAndNestedExecutionAreRefused) {
    EXPECT_EQ(ServiceApp::Execute([]() -> ServiceApp* { return nullptr; }, nullptr), Vx::E_OUT_OF_MEMORY);
    EXPECT_EQ(ServiceApp::Execute(nullptr, nullptr), Vx::E_INVALID_ARG);
    static Vx::result nested = Vx::E_SUCCESS;
    LifeCycleApp::onInitialized = [] {
        nested = ServiceApp::Execute(LifeCycleApp::Create, nullptr);
        App::Terminate();
    };
    EXPECT_EQ(ServiceApp::Execute(LifeCycleApp::Create, nullptr), Vx::E_SUCCESS);
    EXPECT_EQ(nested, Vx::E_INVALID_STATE);
}

TEST_F(ServiceAppTest, ASignalEndsTheApplicationAsUrgentTermination) {
    LifeCycleApp::onInitialized = [] { ::raise(SIGTERM); };
    EXPECT_EQ(ServiceApp::Execute(LifeCycleApp::Create, nullptr), Vx::E_SUCCESS);
    EXPECT_EQ(g_events.at(g_events.size() - 2), "terminating(urgent)");
}

TEST_F(ServiceAppTest, ASecondInstanceOfARunningAppEndsAtOnce) {
    Outcome first = Call(kProvider, "echo");
    ASSERT_TRUE(first.extra);
    ::setenv("IAP_APP_ID", kProvider, 1);
    Vx::App::AppContext::Reset();
    EXPECT_EQ(ServiceApp::Execute(LifeCycleApp::Create, nullptr), Vx::E_OBJ_ALREADY_EXIST);
    EXPECT_EQ(g_events, std::vector<std::string>{"deleted"});
}

TEST_F(ServiceAppTest, IdentityAndResourcesComeFromTheManifest) {
    std::string exe = Vx::App::GetCurrentExecutablePath();
    WriteFile(home_ + "/apps/com.example.self.manifest",
              "appId=com.example.self\npackageId=com.example\nversion=4.5.6\nname=Self\nexecutable=" + exe +
                  "\nresources=res\n");
    WriteFile(home_ + "/apps/res/strings.txt", "IDS_HELLO=Hello\\nworld\n# note\nIDS_EMPTY=\nbroken line\n");
    Vx::App::AppContext::Reset();
    Vx::App::AppResource::GetInstance()->Reload();
    static std::string id, version, name, hello;
    static Vx::result missing = Vx::E_SUCCESS;
    LifeCycleApp::onInitialized = [] {
        App* app = App::GetInstance();
        id = app->GetAppId().ToUtf8();
        version = app->GetAppVersion().ToUtf8();
        name = app->GetAppName().ToUtf8();
        String text;
        App::GetAppResource()->GetString(L"IDS_HELLO", text);
        hello = text.ToUtf8();
        missing = App::GetAppResource()->GetString(L"IDS_NONE", text);
        App::Terminate();
    };
    EXPECT_EQ(ServiceApp::Execute(LifeCycleApp::Create, nullptr), Vx::E_SUCCESS);
    EXPECT_EQ(id, "com.example.self");
    EXPECT_EQ(version, "4.5.6");
    EXPECT_EQ(name, "Self");
    EXPECT_EQ(hello, "Hello\nworld");
    EXPECT_EQ(missing, Vx::E_OBJ_NOT_FOUND);
    Vx::App::AppResource::GetInstance()->Reload();
}

// A service answering its own request: the answer is sent before the loop ends.
class SelfCallingApp : public ServiceApp, public Vx::App::IAppControlProviderEventListener {
public:
    static PendingCall* call;
    static ServiceApp* Create() { return new SelfCallingApp(); }
    bool OnAppInitializing(AppRegistry&) override {
        return Vx::App::AppControlProviderManager::GetInstance()->SetAppControlProviderEventListener(this) ==
               Vx::E_SUCCESS;
    }
    bool OnAppInitialized() override {
        call = new PendingCall("com.example.self", "ping");
        return call->startResult == Vx::E_SUCCESS;
    }
    void OnAppControlRequestReceived(Vx::App::RequestId reqId, const String& operationId, const String*, const String*,
                                     const Vx::Base::Collection::IMap*) override {
        String caller;
        auto* manager = Vx::App::AppControlProviderManager::GetInstance();
        manager->GetClientAppId(reqId, caller);
        g_events.push_back(operationId.ToUtf8() + " from " + caller.ToUtf8());
        manager->SendAppControlResult(reqId, Vx::App::APP_CTRL_RESULT_CANCELED, nullptr);
        g_events.push_back(Vx::GetResultName(manager->GetClientAppId(reqId, caller)));
        App::Terminate();
    }
};
PendingCall* SelfCallingApp::call = nullptr;

TEST_F(ServiceAppTest, AnApplicationCanCallItselfAndItsAnswerIsDelivered) {
    WriteFile(home_ + "/apps/com.example.self.manifest", "appId=com.example.self\npackageId=p\nversion=1\nexecutable=" +
                                                             Vx::App::GetCurrentExecutablePath() + "\n");
    Vx::App::AppContext::Reset();
    EXPECT_EQ(ServiceApp::Execute(SelfCallingApp::Create, nullptr), Vx::E_SUCCESS);
    ASSERT_NE(SelfCallingApp::call, nullptr);
    std::unique_ptr<PendingCall> call(SelfCallingApp::call);
    EXPECT_EQ(g_events, (std::vector<std::string>{"ping from com.example.self", "E_OBJ_NOT_FOUND"}));
    // The caller side of the same process still reads the answer that was flushed.
    ASSERT_TRUE(call->Wait(5000));
    EXPECT_EQ(call->outcome.result, Vx::App::APP_CTRL_RESULT_CANCELED);
}

}  // namespace
