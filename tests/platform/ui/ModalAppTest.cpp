// A real UI application, started as its own process, with a modal popup or
// message box open when termination arrives (a signal, or the application's
// own request from a timer, as an application-control request would make).
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <QProcess>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/app/EventLoop.h"
#include "platform/ui/UiAutomationClient.h"
#include "platform/ui/UiAutomationProtocol.h"
#include "platform/ui/UiEnvironment.h"

using namespace Vx;
using Vx::Ui::Automation::ControlInfo;
using Vx::Ui::Automation::UiAutomationClient;
namespace fs = std::filesystem;

namespace {

constexpr const char* kAppId = "com.vexmora.test.modalapp";

class ModalAppTest : public ::testing::Test {
protected:
    void SetUp() override { Launch({}, "openPopup"); }
    // Starts the application with `extraEnv` and waits for the control `shown` (unless null).
    void Launch(const std::vector<std::pair<QString, QString>>& extraEnv, const char* shown) {
        ASSERT_TRUE(Ui::EnsureUiApplication());
        char pattern[] = "/tmp/modal-app-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        home_ = pattern;
        setenv("IAP_PLATFORM_HOME", home_.c_str(), 1);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("IAP_PLATFORM_HOME", QString::fromStdString(home_));
        env.insert(Ui::Automation::kEnableEnv, "1");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("VX_TEST_STATE_FILE", QString::fromStdString(home_ + "/state"));
        for (const auto& [name, value] : extraEnv)
            env.insert(name, value);
        app_.setProcessEnvironment(env);
        app_.setProcessChannelMode(QProcess::ForwardedChannels);
        fs::path program = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "bin" / "vx_test_modalapp";
        app_.start(QString::fromStdString(program.string()), {});
        ASSERT_TRUE(app_.waitForStarted(10000)) << program;
        if (!shown) return;
        ASSERT_EQ(client_.Connect(kAppId, 20000), E_SUCCESS) << client_.GetLastError();
        ASSERT_EQ(client_.Wait(shown, 10000), E_SUCCESS) << client_.GetLastError();
    }
    void TearDown() override {
        client_.Disconnect();
        if (app_.state() != QProcess::NotRunning) {
            app_.kill();
            app_.waitForFinished(5000);
        }
        std::error_code ignored;
        fs::remove_all(home_, ignored);
    }
    std::string State() const {
        std::ifstream in(home_ + "/state");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    bool Finished(int timeoutMs) {
        return App::EventLoop::RunUntil([&] { return app_.state() == QProcess::NotRunning; }, timeoutMs);
    }
    void ExpectCleanEnd() {
        ASSERT_TRUE(Finished(15000)) << State();
        EXPECT_EQ(app_.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(app_.exitCode(), 0) << State();
        EXPECT_NE(State().find("frame terminating"), std::string::npos) << State();
        EXPECT_NE(State().find("app terminating"), std::string::npos) << State();
    }

    std::string home_;
    QProcess app_;
    UiAutomationClient client_;
};

TEST_F(ModalAppTest, SignalDuringModalPopupEndsTheLoopAndTheApplication) {
    ASSERT_EQ(client_.Press("openPopup"), E_SUCCESS);
    ASSERT_EQ(client_.Wait("popupClose", 10000), E_SUCCESS) << client_.GetLastError();
    std::vector<ControlInfo> controls;
    ASSERT_EQ(client_.List(controls), E_SUCCESS);
    const ControlInfo* title = UiAutomationClient::Find(controls, "popupTitle");
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text, "Modal");
    EXPECT_EQ(UiAutomationClient::Find(controls, "openPopup"), nullptr)
        << "the form underneath is not the active window";

    ASSERT_EQ(::kill(static_cast<pid_t>(app_.processId()), SIGTERM), 0);
    ExpectCleanEnd();
    // The loop ended without a result, once; the timers ran meanwhile.
    EXPECT_NE(State().find("modal returned 0 -1 ticks 1"), std::string::npos) << State();
    EXPECT_NE(State().find("app terminating urgent"), std::string::npos) << State();
}

TEST_F(ModalAppTest, TerminationAskedFromATimerDuringModalPopupEndsCleanly) {
    ASSERT_EQ(client_.Press("openPopupThenTerminate"), E_SUCCESS);
    ExpectCleanEnd();
    std::string state = State();
    EXPECT_LT(state.find("terminate asked"), state.find("modal returned")) << state;
    EXPECT_NE(state.find("modal returned 0 -1 ticks 1"), std::string::npos) << state;
}

TEST_F(ModalAppTest, MessageBoxIsReadAndDismissedThroughAutomation) {
    ASSERT_EQ(client_.Press("openMessage"), E_SUCCESS);
    ASSERT_EQ(client_.Wait("messageBoxText", 10000), E_SUCCESS) << client_.GetLastError();
    std::vector<ControlInfo> controls;
    std::string window;
    ASSERT_EQ(client_.List(controls, &window), E_SUCCESS);
    EXPECT_EQ(window, "messageBox");
    ASSERT_NE(UiAutomationClient::Find(controls, "messageBoxText"), nullptr);
    EXPECT_EQ(UiAutomationClient::Find(controls, "messageBoxText")->text, "A message");
    EXPECT_EQ(UiAutomationClient::Find(controls, "messageBoxTitle")->text, "Title");
    ASSERT_EQ(client_.Press("messageBoxOk"), E_SUCCESS);
    ASSERT_TRUE(App::EventLoop::RunUntil([&] { return State().find("message returned") != std::string::npos; }, 10000));
    EXPECT_NE(State().find("message returned 0 1"), std::string::npos) << State();
    EXPECT_EQ(client_.Wait("openPopup", 10000), E_SUCCESS) << "the form takes input again";
}

TEST_F(ModalAppTest, SignalDuringMessageBoxEndsCleanly) {
    ASSERT_EQ(client_.Press("openMessage"), E_SUCCESS);
    ASSERT_EQ(client_.Wait("messageBoxOk", 10000), E_SUCCESS) << client_.GetLastError();
    ASSERT_EQ(::kill(static_cast<pid_t>(app_.processId()), SIGTERM), 0);
    ExpectCleanEnd();
    EXPECT_NE(State().find("message returned 0 0"), std::string::npos) << State();
}

// A modal popup or message box opened before the main loop runs (while the
// first form is shown) ends on termination just as one opened later does.
class EarlyModalAppTest : public ModalAppTest {
protected:
    void SetUp() override {}
};

TEST_F(EarlyModalAppTest, SignalEndsAPopupOpenedBeforeTheMainLoop) {
    Launch({{"VX_TEST_EARLY_MODAL", "popup"}}, "earlyClose");
    ASSERT_EQ(::kill(static_cast<pid_t>(app_.processId()), SIGTERM), 0);
    ExpectCleanEnd();
    EXPECT_NE(State().find("early modal returned 0 -1"), std::string::npos) << State();
    EXPECT_NE(State().find("app terminating urgent"), std::string::npos) << State();
}

TEST_F(EarlyModalAppTest, TerminateEndsAPopupOrMessageBoxOpenedBeforeTheMainLoop) {
    for (const char* kind : {"popup", "message"}) {
        SCOPED_TRACE(kind);
        Launch({{"VX_TEST_EARLY_MODAL", kind}, {"VX_TEST_EARLY_TERMINATE", "1"}}, nullptr);
        ExpectCleanEnd();
        std::string state = State();
        EXPECT_LT(state.find("terminate asked"), state.find("early modal returned")) << state;
        EXPECT_NE(state.find(std::string("early modal returned 0 ") + (kind == std::string("popup") ? "-1" : "0")),
                  std::string::npos)
            << state;
        TearDown();
    }
}

TEST_F(EarlyModalAppTest, SignalEndsAMessageBoxOpenedBeforeTheMainLoop) {
    Launch({{"VX_TEST_EARLY_MODAL", "message"}}, "messageBoxOk");
    ASSERT_EQ(::kill(static_cast<pid_t>(app_.processId()), SIGTERM), 0);
    ExpectCleanEnd();
    EXPECT_NE(State().find("early modal returned 0 0"), std::string::npos) << State();
}

}  // namespace
