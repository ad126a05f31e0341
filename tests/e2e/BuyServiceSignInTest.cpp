// The purchased-item list on a device without a signed-in account: buyservice
// starts the account service's sign-in window, which the test drives through
// the UI automation channel as a user would.
#include <sys/stat.h>

#include <filesystem>

#include "tests/e2e/E2eSupport.h"

using namespace E2e;

namespace {

constexpr int kUiTimeoutSec = 60;

class BuyServiceSignInTest : public BuyServiceE2eTest {
protected:
    void SetUp() override {
        for (const char* program : {"oblin-account", "oblin-account-service", "iap-ui"}) {
            if (!std::filesystem::exists(Bin(program))) GTEST_SKIP() << Bin(program) << " is not built";
        }
        BuyServiceE2eTest::SetUp();
        setenv("IAP_UI_AUTOMATION", "1", 1);
        unsetenv("IAP_SIGN_IN_TIMEOUT_MS");
        // The usual one, which leaves files readable by everyone unless the writer says otherwise.
        previousUmask_ = ::umask(022);
    }
    void TearDown() override { ::umask(previousUmask_); }

    void StartPurchasedListRequest() {
        caller_ = std::make_unique<Process>(AppctlArgs(
            kPurchasedList,
            {"_transactionId=61", std::string("_itemGroupId=") + kGemGroup, "_startNumber=1", "_endNumber=10"}));
    }
    // One iap-ui command against the sign-in window; true when it succeeded.
    bool Ui(std::vector<std::string> command) {
        std::vector<std::string> args{Bin("iap-ui"), "--app", kSignInApp, "--connect-timeout",
                                      std::to_string(kUiTimeoutSec)};
        args.insert(args.end(), command.begin(), command.end());
        RunResult run = RunProgram(args, (kUiTimeoutSec + 30) * 1000);
        if (run.exitCode != 0) {
            ADD_FAILURE() << "iap-ui " << command.front() << " exited " << run.exitCode << ": " << run.output
                          << "\nsign-in log:\n"
                          << home_.Log(kSignInApp) << "\nbuyservice log:\n"
                          << ServiceLog();
        }
        return run.exitCode == 0;
    }
    bool WaitForWindow() { return Ui({"wait", "email", "--timeout", std::to_string(kUiTimeoutSec)}); }
    bool SignIn(const std::string& email, const std::string& password) {
        return Ui({"type", "email", email}) && Ui({"type", "password", password}) && Ui({"press", "signIn"});
    }
    AppctlAnswer CallerAnswer() {
        int exitCode = caller_->Wait(kAnswerTimeoutMs);
        return ParseAppctl(exitCode, caller_->Output());
    }
    std::string Accounts() { return RunProgram({Bin("appctl"), "account", "list"}).output; }

    AppctlAnswer AskForCharacters() {
        return Ask(kItemList, {"_transactionId=63", std::string("_itemGroupId=") + kCharacterGroup, "_startNumber=1",
                               "_endNumber=3"});
    }

    std::unique_ptr<Process> caller_;
    mode_t previousUmask_ = 022;
};

TEST_F(BuyServiceSignInTest, SignInIsStartedAndThePurchasesOfTheNewAccountFollow) {
    StartPurchasedListRequest();
    ASSERT_TRUE(WaitForWindow());
    ASSERT_TRUE(SignIn("demo@vexmora.com", "demo1234"));

    AppctlAnswer answer = CallerAnswer();
    ASSERT_EQ(answer.exitCode, 0) << Diagnose(answer);
    ASSERT_TRUE(answer.parsed) << Diagnose(answer);
    EXPECT_EQ(answer.result, 0);
    EXPECT_EQ(answer.Get("_method"), "OnPurchasedItemInformationListReceived");
    EXPECT_EQ(answer.Get("_result"), "0") << Diagnose(answer);
    EXPECT_EQ(answer.Get("_transactionId"), "61");
    EXPECT_GT(answer.CountRecords("_paymentId"), 0) << Diagnose(answer);

    std::vector<StoreRequest> requests = StoreRequests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().function, "getPurchasedAppsItemList");
    EXPECT_EQ(requests.back().params["userID"], "U1000001");
    EXPECT_NE(Accounts().find("demo@vexmora.com"), std::string::npos) << Accounts();
    // The account, the logs and everything else of the device are its owner's alone.
    for (const std::string& path : OpenToOthers(home_.Path()))
        ADD_FAILURE() << path << " is open to the group or others";
}

TEST_F(BuyServiceSignInTest, ACallerThatGivesUpDoesNotBlockTheNextCallers) {
    StartPurchasedListRequest();
    ASSERT_TRUE(WaitForWindow());
    caller_.reset();  // killed while the sign-in window waits

    AppctlAnswer items = AskForCharacters();
    ASSERT_TRUE(items.parsed) << Diagnose(items);
    EXPECT_EQ(items.result, 0) << Diagnose(items);
    EXPECT_EQ(items.Get("_result"), "0") << Diagnose(items);
    EXPECT_EQ(items.CountRecords(), 3);

    // The abandoned window went with its caller: a new sign-in can start.
    StartPurchasedListRequest();
    ASSERT_TRUE(WaitForWindow());
    ASSERT_TRUE(SignIn("demo@vexmora.com", "demo1234"));
    AppctlAnswer purchases = CallerAnswer();
    ASSERT_TRUE(purchases.parsed) << Diagnose(purchases);
    EXPECT_EQ(purchases.Get("_result"), "0") << Diagnose(purchases) << "\nsign-in log:\n" << home_.Log(kSignInApp);
}

TEST_F(BuyServiceSignInTest, ASignInNobodyFinishesFailsAfterItsTimeLimit) {
    setenv("IAP_SIGN_IN_TIMEOUT_MS", "3000", 1);
    StartPurchasedListRequest();
    AppctlAnswer answer = CallerAnswer();
    ASSERT_TRUE(answer.parsed) << Diagnose(answer);
    EXPECT_TRUE(WasLaunched(kSignInApp)) << "no sign-in was started";
    EXPECT_EQ(answer.result, 0);
    EXPECT_EQ(answer.Get("_method"), "OnPurchasedItemInformationListReceived");
    EXPECT_EQ(answer.Get("_result"), "9000") << Diagnose(answer);
    EXPECT_EQ(answer.CountRecords(), 0);

    AppctlAnswer next = AskForCharacters();
    ASSERT_TRUE(next.parsed) << Diagnose(next);
    EXPECT_EQ(next.result, 0) << Diagnose(next);
    EXPECT_EQ(next.Get("_result"), "0") << Diagnose(next);
}

TEST_F(BuyServiceSignInTest, CancelledOrClosedSignInAnswersCanceled) {
    for (const char* how : {"cancel", "close"}) {
        SCOPED_TRACE(how);
        StartPurchasedListRequest();
        ASSERT_TRUE(WaitForWindow());
        ASSERT_TRUE(std::string(how) == "cancel" ? Ui({"press", "cancel"}) : Ui({"close"}));
        AppctlAnswer answer = CallerAnswer();
        ASSERT_TRUE(answer.parsed) << Diagnose(answer);
        EXPECT_EQ(answer.result, 0);
        EXPECT_EQ(answer.Get("_method"), "OnPurchasedItemInformationListReceived");
        EXPECT_EQ(answer.Get("_result"), "100") << Diagnose(answer);
        EXPECT_EQ(answer.CountRecords(), 0);
    }
    for (const std::string& function : StoreFunctions())
        EXPECT_NE(function, "getPurchasedAppsItemList");
    EXPECT_EQ(Accounts().find("demo@vexmora.com"), std::string::npos);
}

TEST_F(BuyServiceSignInTest, StoreUnreachableDuringSignInIsANetworkFailure) {
    StartPurchasedListRequest();
    ASSERT_TRUE(WaitForWindow());
    sandbox_.Stop();
    ASSERT_TRUE(SignIn("demo@vexmora.com", "demo1234"));
    AppctlAnswer answer = CallerAnswer();
    ASSERT_TRUE(answer.parsed) << Diagnose(answer);
    EXPECT_EQ(answer.Get("_result"), "200") << Diagnose(answer);
    EXPECT_EQ(answer.Get("_method"), "OnPurchasedItemInformationListReceived");
}

TEST_F(BuyServiceSignInTest, ItemListNeedsNoAccount) {
    AppctlAnswer answer = Ask(kItemList, {"_transactionId=62", std::string("_itemGroupId=") + kCharacterGroup,
                                          "_startNumber=1", "_endNumber=3"});
    ASSERT_TRUE(answer.parsed) << Diagnose(answer);
    EXPECT_EQ(answer.Get("_result"), "0");
    EXPECT_FALSE(WasLaunched(kSignInApp)) << "the sign-in window was started";
    EXPECT_FALSE(WasLaunched(kAccountServiceApp)) << "the account service was asked";
}

}  // namespace
