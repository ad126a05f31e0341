#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "platform/app/AppSocketDirectory.h"
#include "platform/app/EventLoop.h"
#include "platform/ui/UiAutomationClient.h"
#include "tests/support/SandboxProcess.h"
#include "tests/tools/ToolTestSupport.h"

using namespace ToolTest;
using Vx::Ui::Automation::ControlInfo;
using Vx::Ui::Automation::UiAutomationClient;

namespace {

constexpr int kAnswerTimeoutMs = 60000;

// The sign-in window started by application control, as the purchase client
// starts it, and driven through the UI automation channel.
class OblinAccountSignInTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sandbox_.IsRunning()) << sandbox_.Error();
        ASSERT_TRUE(sandbox_.AddAccount("anna@example.com", "s3cret", "U42", "450"));
        setenv("IAP_COUNTRY_SEARCH_URL", sandbox_.CountrySearchUrl().c_str(), 1);
        setenv("IAP_UI_AUTOMATION", "1", 1);
        Vx::App::EventLoop::EnsureApplication();
    }

    // Starts the sign-in as a caller would and connects to its window.
    void StartSignIn(std::vector<std::string> extra = {kClientId, kClientSecret,
                                                       "service_category=from_applications"}) {
        std::vector<std::string> args{Bin("appctl"), "--json", "--timeout", "90", kSignInApp, kView};
        args.insert(args.end(), extra.begin(), extra.end());
        caller_ = std::make_unique<Process>(args);
    }
    // An instance that just answered may still be on its way out: reach the new one.
    void ConnectToWindow() {
        Vx::result r = Vx::E_CONNECTION_FAILED;
        for (int attempt = 0; attempt < 20 && r == Vx::E_CONNECTION_FAILED; ++attempt) {
            r = ui_.Connect(kSignInApp, 30000);
            if (r == Vx::E_SUCCESS) r = ui_.Wait("email", 30000);
        }
        ASSERT_EQ(r, Vx::E_SUCCESS) << ui_.GetLastError() << "\n" << home_.Log(kSignInApp);
    }
    void EnterAndSubmit(const std::string& email, const std::string& password) {
        ASSERT_EQ(ui_.Type("email", email), Vx::E_SUCCESS) << ui_.GetLastError();
        ASSERT_EQ(ui_.Type("password", password), Vx::E_SUCCESS) << ui_.GetLastError();
        ASSERT_EQ(ui_.Press("signIn"), Vx::E_SUCCESS) << ui_.GetLastError();
    }
    // appctl's JSON answer once the sign-in application answered.
    std::string Answer() {
        int exitCode = caller_->Wait(kAnswerTimeoutMs);
        std::string output = caller_->Output();
        EXPECT_EQ(exitCode, 0) << output << "\n" << home_.Log(kSignInApp);
        return output;
    }
    std::string MessageText() {
        std::vector<ControlInfo> controls;
        EXPECT_EQ(ui_.List(controls), Vx::E_SUCCESS) << ui_.GetLastError();
        const ControlInfo* message = UiAutomationClient::Find(controls, "message");
        return message ? message->text : std::string();
    }
    std::string AccountList() { return RunProgram({Bin("appctl"), "account", "list"}).output; }

    PlatformHome home_;
    IapTest::SandboxProcess sandbox_;
    std::unique_ptr<Process> caller_;
    UiAutomationClient ui_;
};

TEST_F(OblinAccountSignInTest, SignInKeepsTheAccountAndTheServiceHandsItOut) {
    StartSignIn();
    ConnectToWindow();
    std::vector<ControlInfo> controls;
    ASSERT_EQ(ui_.List(controls), Vx::E_SUCCESS);
    for (const char* name : {"email", "password", "signIn", "cancel"}) {
        EXPECT_NE(UiAutomationClient::Find(controls, name), nullptr) << name;
    }
    EXPECT_EQ(UiAutomationClient::Find(controls, "message"), nullptr);
    EnterAndSubmit("anna@example.com", "s3cret");

    std::string answer = Answer();
    EXPECT_EQ(JsonValue(answer, "result"), "0") << answer;
    EXPECT_EQ(JsonValue(answer, "resultCode"), "0") << answer;

    std::string accounts = AccountList();
    EXPECT_NE(accounts.find("a7qd02lm9x.OblinAccount\tanna@example.com\tuser_id=U42"), std::string::npos) << accounts;
    EXPECT_NE(accounts.find("server_url=" + sandbox_.StoreUrl()), std::string::npos) << accounts;

    RunResult service = RunProgram({Bin("appctl"), "--json", kServiceApp, kView, kClientId, kClientSecret,
                                    "additional=user_id,email_id,mcc,server_url"});
    EXPECT_EQ(JsonValue(service.output, "resultCode"), "0") << service.output;
    EXPECT_NE(JsonValue(service.output, "additionalValues").find("user_id:U42,email_id:anna@example.com,mcc:"),
              std::string::npos)
        << service.output;
}

TEST_F(OblinAccountSignInTest, WrongPasswordLetsTheUserTryAgain) {
    StartSignIn();
    ConnectToWindow();
    EnterAndSubmit("anna@example.com", "wrong");
    ASSERT_EQ(ui_.Wait("message", 30000), Vx::E_SUCCESS) << ui_.GetLastError();
    EXPECT_NE(MessageText().find("incorrect"), std::string::npos) << MessageText();
    EXPECT_EQ(AccountList().find("anna@example.com"), std::string::npos);

    EnterAndSubmit("anna@example.com", "s3cret");
    std::string answer = Answer();
    EXPECT_EQ(JsonValue(answer, "resultCode"), "0") << answer;
}

TEST_F(OblinAccountSignInTest, IncompleteInputIsCaughtBeforeAskingTheStore) {
    StartSignIn();
    ConnectToWindow();
    ASSERT_EQ(ui_.Press("signIn"), Vx::E_SUCCESS);
    ASSERT_EQ(ui_.Wait("message", 30000), Vx::E_SUCCESS) << ui_.GetLastError();
    EXPECT_NE(MessageText().find("e-mail"), std::string::npos) << MessageText();
    ASSERT_EQ(ui_.Type("email", "anna@example.com"), Vx::E_SUCCESS);
    ASSERT_EQ(ui_.Press("signIn"), Vx::E_SUCCESS);
    ASSERT_TRUE(
        Vx::App::EventLoop::RunUntil([&] { return MessageText().find("password") != std::string::npos; }, 30000))
        << MessageText();
    EXPECT_EQ(sandbox_.RecentRequests().find("checkPassword"), std::string::npos);
    ASSERT_EQ(ui_.Press("cancel"), Vx::E_SUCCESS);
    EXPECT_EQ(JsonValue(Answer(), "resultCode"), "2");
}

TEST_F(OblinAccountSignInTest, CancelButtonAndClosedWindowAnswerCancelled) {
    StartSignIn();
    ConnectToWindow();
    ASSERT_EQ(ui_.Press("cancel"), Vx::E_SUCCESS) << ui_.GetLastError();
    std::string cancelled = Answer();
    EXPECT_EQ(JsonValue(cancelled, "result"), "0") << cancelled;
    EXPECT_EQ(JsonValue(cancelled, "resultCode"), "2") << cancelled;

    ui_.Disconnect();
    StartSignIn();
    ConnectToWindow();
    ui_.Type("email", "anna@example.com");
    ASSERT_EQ(ui_.Close(), Vx::E_SUCCESS) << ui_.GetLastError();
    std::string closed = Answer();
    EXPECT_EQ(JsonValue(closed, "resultCode"), "2") << closed;
    EXPECT_EQ(AccountList().find("anna@example.com"), std::string::npos);
}

TEST_F(OblinAccountSignInTest, UnreachableStoreAnswersNetworkFailure) {
    sandbox_.Stop();
    StartSignIn();
    ConnectToWindow();
    EnterAndSubmit("anna@example.com", "s3cret");
    std::string answer = Answer();
    EXPECT_EQ(JsonValue(answer, "resultCode"), "3") << answer;
    EXPECT_NE(JsonValue(answer, "errorMessage").find("cannot be reached"), std::string::npos) << answer;
}

TEST_F(OblinAccountSignInTest, CancelWorksWhileTheStoreIsSlow) {
    ASSERT_TRUE(sandbox_.AddFault("checkPassword:delay=20000:1"));
    StartSignIn();
    ConnectToWindow();
    EnterAndSubmit("anna@example.com", "s3cret");
    ASSERT_EQ(ui_.Wait("progress", 30000), Vx::E_SUCCESS) << ui_.GetLastError();
    EXPECT_EQ(ui_.Press("signIn"), Vx::E_INVALID_STATE);  // one check at a time
    ASSERT_EQ(ui_.Press("cancel"), Vx::E_SUCCESS) << ui_.GetLastError();
    std::string answer = Answer();
    EXPECT_EQ(JsonValue(answer, "resultCode"), "2") << answer;
    EXPECT_EQ(AccountList().find("anna@example.com"), std::string::npos);
}

TEST_F(OblinAccountSignInTest, UnreadableStoreAnswerCountsAsUnreachable) {
    ASSERT_TRUE(sandbox_.AddFault("checkPassword:malformed"));
    StartSignIn();
    ConnectToWindow();
    EnterAndSubmit("anna@example.com", "s3cret");
    std::string answer = Answer();
    EXPECT_EQ(JsonValue(answer, "resultCode"), "3") << answer;
    EXPECT_NE(JsonValue(answer, "errorMessage").find("unreadable"), std::string::npos) << answer;
}

TEST_F(OblinAccountSignInTest, StoreErrorIsShownAndTheWindowStays) {
    ASSERT_TRUE(sandbox_.AddFault("checkPassword:error=9102:1"));
    StartSignIn();
    ConnectToWindow();
    EnterAndSubmit("anna@example.com", "s3cret");
    ASSERT_EQ(ui_.Wait("message", 30000), Vx::E_SUCCESS) << ui_.GetLastError();
    EXPECT_NE(MessageText().find("9102"), std::string::npos) << MessageText();
    ASSERT_EQ(ui_.Press("signIn"), Vx::E_SUCCESS);
    EXPECT_EQ(JsonValue(Answer(), "resultCode"), "0");
}

TEST_F(OblinAccountSignInTest, UnknownClientIsRefusedWithoutAWindow) {
    RunResult run = RunProgram({Bin("appctl"), "--json", "--timeout", "60", kSignInApp, kView, "client_id=intruder"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(JsonValue(run.output, "result"), "1") << run.output;
    EXPECT_EQ(JsonValue(run.output, "resultCode"), "5") << run.output;
}

TEST(IapUiToolTest, ExitCodesTellUsageAndUnreachableApart) {
    PlatformHome home;
    EXPECT_EQ(RunProgram({Bin("iap-ui"), "--help"}).exitCode, 0);
    EXPECT_EQ(RunProgram({Bin("iap-ui"), "list"}).exitCode, 2);
    EXPECT_EQ(RunProgram({Bin("iap-ui"), "--app", "x", "type", "onlyName"}).exitCode, 2);
    EXPECT_EQ(RunProgram({Bin("iap-ui"), "--app", "x", "wait", "n", "--timeout", "-1"}).exitCode, 2);
    RunResult unreachable =
        RunProgram({Bin("iap-ui"), "--app", "com.example.absent", "--connect-timeout", "0.2", "list"});
    EXPECT_EQ(unreachable.exitCode, 3);
    EXPECT_NE(unreachable.output.find("IAP_UI_AUTOMATION"), std::string::npos) << unreachable.output;
}

// Only an application that listens makes the home's socket folder (and the
// last one removes it): a tool that finds nobody leaves nothing behind.
TEST(IapUiToolTest, LookingForAnApplicationThatIsNotRunningLeavesNoSocketFolder) {
    PlatformHome home;
    std::string dir, error;
    ASSERT_EQ(Vx::App::AppSocketDirectory::Find(dir, error), Vx::E_SUCCESS) << error;
    ASSERT_FALSE(std::filesystem::exists(dir)) << dir;
    RunResult run = RunProgram({Bin("iap-ui"), "--app", "com.example.absent", "--connect-timeout", "0.2", "list"});
    EXPECT_EQ(run.exitCode, 3) << run.output;
    EXPECT_FALSE(std::filesystem::exists(dir)) << dir << " was left behind";
}

}  // namespace
