// The purchased-item list when the account service answers oddly: a stand-in
// service (FakeAccountService.cpp) installed in the platform home gives the
// answers that the real one never does.
#include <algorithm>
#include <filesystem>
#include <iterator>

#include "tests/e2e/E2eSupport.h"

using namespace E2e;

namespace {

class BuyServiceAccountAnswersTest : public BuyServiceE2eTest {
protected:
    void SetUp() override {
        BuyServiceE2eTest::SetUp();
        InstallAccountService(Bin("e2e_fake_account_service"));
    }
    // Installed in the platform home, it takes the place of the build tree's one.
    void InstallAccountService(const std::string& executable) {
        std::filesystem::create_directories(home_.Path() + "/apps");
        std::ofstream(home_.Path() + "/apps/" + kAccountServiceApp + ".manifest")
            << "appId=" << kAccountServiceApp << "\npackageId=a7qd02lm9x\nversion=1.0.0\nexecutable=" << executable
            << "\n";
    }
    void AccountServiceAnswers(const std::string& lines) {
        std::ofstream(home_.Path() + "/fake-account-answer.txt") << lines;
    }
    AppctlAnswer AskPurchases() {
        return Ask(kPurchasedList,
                   {"_transactionId=71", std::string("_itemGroupId=") + kGemGroup, "_startNumber=1", "_endNumber=10"});
    }
};

TEST_F(BuyServiceAccountAnswersTest, UserIdFromTheAnswerIsSentToTheStore) {
    AccountServiceAnswers(
        "resultCode=0\nadditionalValues=user_id:U1000001,email_id:demo@vexmora.com,mcc:310,"
        "server_url:http://127.0.0.1:1/store\n");
    AppctlAnswer answer = AskPurchases();
    ASSERT_TRUE(answer.parsed) << Diagnose(answer);
    EXPECT_EQ(answer.Get("_result"), "0") << Diagnose(answer);
    EXPECT_GT(answer.CountRecords("_paymentId"), 0);
    std::vector<StoreRequest> requests = StoreRequests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().params["userID"], "U1000001");
}

TEST_F(BuyServiceAccountAnswersTest, UnusableAnswersFailTheListWithoutASignIn) {
    const std::pair<const char*, const char*> rows[] = {
        {"additionalValues=user_id:U1000001\n", "9000"},                   // no result code
        {"resultCode=zero\nadditionalValues=user_id:U1000001\n", "9000"},  // not a number
        {"!no-map\n", "9000"},                                             // no extra data at all
        {"!result=1\n!no-map\n", "9000"},                                  // failed, nothing said
        {"resultCode=0\n", "9000"},                                        // success without user data
        {"resultCode=0\nadditionalValues=user_id:,email_id:a@b.c\n", "9000"},
        {"resultCode=-4\n", "9000"},
        {"resultCode=2\n", "100"},
        {"resultCode=3\n", "200"},
        {"resultCode=17\n", "9000"},
    };
    for (const auto& [lines, status] : rows) {
        SCOPED_TRACE(lines);
        AccountServiceAnswers(lines);
        AppctlAnswer answer = AskPurchases();
        ASSERT_TRUE(answer.parsed) << Diagnose(answer);
        EXPECT_EQ(answer.result, 0);
        EXPECT_EQ(answer.Get("_method"), "OnPurchasedItemInformationListReceived");
        EXPECT_EQ(answer.Get("_result"), status) << Diagnose(answer);
        EXPECT_EQ(answer.Get("_transactionId"), "71");
        EXPECT_EQ(answer.CountRecords(), 0);
    }
    EXPECT_FALSE(WasLaunched(kSignInApp)) << "a sign-in window was started";
    for (const std::string& function : StoreFunctions())
        EXPECT_NE(function, "getPurchasedAppsItemList");
    std::string asked = ReadFile(home_.Path() + "/fake-account-requests.txt");
    EXPECT_EQ(std::count(asked.begin(), asked.end(), '\n'), static_cast<long>(std::size(rows))) << asked;
}

TEST_F(BuyServiceAccountAnswersTest, AccountServiceThatCannotStartFailsTheList) {
    InstallAccountService(home_.Path() + "/no-such-program");
    AppctlAnswer answer = AskPurchases();
    ASSERT_TRUE(answer.parsed) << Diagnose(answer);
    EXPECT_EQ(answer.Get("_method"), "OnPurchasedItemInformationListReceived");
    EXPECT_EQ(answer.Get("_result"), "9000") << Diagnose(answer);
}

}  // namespace
