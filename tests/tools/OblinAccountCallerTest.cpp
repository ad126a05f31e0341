#include <gtest/gtest.h>
#include <stdlib.h>

#include "lib/device/OblinAccount.h"
#include "platform/app/EventLoop.h"
#include "platform/system/DeviceProfile.h"
#include "platform/ui/UiAutomationClient.h"
#include "tests/support/SandboxProcess.h"
#include "tests/tools/ToolTestSupport.h"

using namespace ToolTest;
using Vx::Base::String;

namespace {

class Replies : public IOblinAccountListener {
public:
    void OnAccessTokenReply(OblinAccountResult::ResultCode result, const String& userId, const String& emailId,
                            const String& mcc, const String& serverUrl) override {
        ++tokenReplies;
        tokenResult = result;
        this->userId = userId.ToUtf8();
        this->emailId = emailId.ToUtf8();
        this->mcc = mcc.ToUtf8();
        this->serverUrl = serverUrl.ToUtf8();
    }
    void OnSignInTokenReply(OblinAccountResult::ResultCode result) override {
        ++signInReplies;
        signInResult = result;
    }
    int tokenReplies = 0;
    int signInReplies = 0;
    int tokenResult = -1;
    int signInResult = -1;
    std::string userId, emailId, mcc, serverUrl;
};

// The purchase system's own account client against the real account applications.
TEST(OblinAccountCallerTest, SignInThenAccessTokenThroughTheRealApplications) {
    PlatformHome home;
    IapTest::SandboxProcess sandbox;
    ASSERT_TRUE(sandbox.IsRunning()) << sandbox.Error();
    ASSERT_TRUE(sandbox.AddAccount("anna@example.com", "s3cret", "U42", "450"));
    setenv("IAP_COUNTRY_SEARCH_URL", sandbox.CountrySearchUrl().c_str(), 1);
    setenv("IAP_UI_AUTOMATION", "1", 1);
    // The build tree's applications, found from this test's folder.
    setenv("IAP_APPS_DIR", IAP_BIN_DIR "/apps", 1);
    Vx::App::EventLoop::EnsureApplication();
    // A SIM, so that the account gets an MCC: the reader cannot tell an empty value from a missing one.
    Vx::System::DeviceProfile profile;
    ASSERT_EQ(profile.Set(L"sim.mcc", L"450"), Vx::E_SUCCESS);
    ASSERT_EQ(profile.Set(L"sim.mnc", L"5"), Vx::E_SUCCESS);
    ASSERT_EQ(profile.Save(), Vx::E_SUCCESS);

    Replies replies;
    OblinAccount account(replies);
    EXPECT_FALSE(account.CheckSignInStatus());
    ASSERT_EQ(account.RequestAccessToken(), Vx::E_SUCCESS);
    ASSERT_TRUE(Vx::App::EventLoop::RunUntil([&] { return replies.tokenReplies == 1; }, 60000))
        << home.Log(kServiceApp);
    EXPECT_EQ(replies.tokenResult, OblinAccountResult::RESULT_NOT_SIGNED_IN);

    ASSERT_EQ(account.RequestSignIn(), Vx::E_SUCCESS);
    Vx::Ui::Automation::UiAutomationClient ui;
    ASSERT_EQ(ui.Connect(kSignInApp, 30000), Vx::E_SUCCESS) << ui.GetLastError();
    ASSERT_EQ(ui.Wait("email", 30000), Vx::E_SUCCESS) << ui.GetLastError();
    ASSERT_EQ(ui.Type("email", "anna@example.com"), Vx::E_SUCCESS);
    ASSERT_EQ(ui.Type("password", "s3cret"), Vx::E_SUCCESS);
    ASSERT_EQ(ui.Press("signIn"), Vx::E_SUCCESS);
    ASSERT_TRUE(Vx::App::EventLoop::RunUntil([&] { return replies.signInReplies == 1; }, 60000))
        << home.Log(kSignInApp);
    EXPECT_EQ(replies.signInResult, OblinAccountResult::RESULT_SUCCESS);
    EXPECT_TRUE(account.CheckSignInStatus());

    ASSERT_EQ(account.RequestAccessToken(), Vx::E_SUCCESS);
    ASSERT_TRUE(Vx::App::EventLoop::RunUntil([&] { return replies.tokenReplies == 2; }, 60000))
        << home.Log(kServiceApp);
    EXPECT_EQ(replies.tokenResult, OblinAccountResult::RESULT_SUCCESS);
    EXPECT_EQ(replies.userId, "U42");
    EXPECT_EQ(replies.emailId, "anna@example.com");
    EXPECT_EQ(replies.mcc, "450");
    // The service escapes ':' inside values; the client decodes them again.
    EXPECT_EQ(replies.serverUrl.find("http://127.0.0.1:"), 0u) << "[" << replies.serverUrl << "]";
}

}  // namespace
