// Other callers reaching buyservice while it still serves a request.
#include "tests/e2e/E2eSupport.h"

using namespace E2e;

namespace {

class BuyServicePendingRequestTest : public BuyServiceE2eTest {
protected:
    // Starts an item-list request that the store keeps waiting at its upgrade
    // check, so that it is still pending when the next caller arrives.
    void StartSlowRequest() {
        ASSERT_TRUE(sandbox_.AddFault("checkAppUpgrade:delay=8000:1"));
        first_ = std::make_unique<Process>(AppctlArgs(
            kItemList,
            {"_transactionId=51", std::string("_itemGroupId=") + kCharacterGroup, "_startNumber=1", "_endNumber=3"}));
        ASSERT_TRUE(WaitForStoreRequest("countrySearch", 60000)) << ServiceLog();
    }
    AppctlAnswer FirstAnswer() {
        int exitCode = first_->Wait(kAnswerTimeoutMs);
        return ParseAppctl(exitCode, first_->Output());
    }

    std::unique_ptr<Process> first_;
};

TEST_F(BuyServicePendingRequestTest, NewcomerIsCanceledAndThePendingRequestIsAnsweredAsItAsked) {
    StartSlowRequest();
    // The newcomer's overrides would change the identity the pending request is sent with.
    AppctlAnswer second = Ask(kCountryList, {"_transactionId=52", "_mcc=450", "_mode=99"});
    ASSERT_EQ(second.exitCode, 0) << Diagnose(second);
    ASSERT_TRUE(second.parsed) << Diagnose(second);
    EXPECT_EQ(second.result, 2);
    EXPECT_FALSE(second.hasExtra);

    AppctlAnswer first = FirstAnswer();
    ASSERT_EQ(first.exitCode, 0) << Diagnose(first);
    ASSERT_TRUE(first.parsed) << Diagnose(first);
    EXPECT_EQ(first.result, 0);
    EXPECT_EQ(first.Get("_transactionId"), "51");
    EXPECT_EQ(first.Get("_result"), "0");
    EXPECT_EQ(first.CountRecords(), 3);
    EXPECT_EQ(first.Get("1_currencyUnit"), "$");

    std::vector<StoreRequest> requests = StoreRequests();
    ASSERT_EQ(requests.size(), 3u) << sandbox_.RecentRequests();
    EXPECT_EQ(requests[2].function, "getAppsItemList");
    EXPECT_NE(requests[2].params["resultCode"], "99");
}

TEST_F(BuyServicePendingRequestTest, UnknownOperationFromAnotherCallerFailsAndTheServiceGoesOn) {
    StartSlowRequest();
    AppctlAnswer stray = Ask("/appcontrol/operation/iap/get_everything", {"_transactionId=53"});
    ASSERT_EQ(stray.exitCode, 0) << Diagnose(stray);
    ASSERT_TRUE(stray.parsed) << Diagnose(stray);
    EXPECT_EQ(stray.result, 1);
    EXPECT_FALSE(stray.hasExtra);

    AppctlAnswer first = FirstAnswer();
    ASSERT_TRUE(first.parsed) << Diagnose(first);
    EXPECT_EQ(first.result, 0);
    EXPECT_EQ(first.Get("_result"), "0");
    EXPECT_EQ(first.CountRecords(), 3);
}

TEST_F(BuyServicePendingRequestTest, SeveralNewcomersAreAllCanceled) {
    StartSlowRequest();
    std::vector<std::unique_ptr<Process>> callers;
    for (const char* operation : {kItemList, kPurchasedList, kCountryList}) {
        callers.push_back(std::make_unique<Process>(AppctlArgs(operation, {"_transactionId=54"})));
    }
    for (auto& caller : callers) {
        int exitCode = caller->Wait(kAnswerTimeoutMs);
        AppctlAnswer answer = ParseAppctl(exitCode, caller->Output());
        ASSERT_TRUE(answer.parsed) << Diagnose(answer);
        EXPECT_EQ(answer.result, 2);
    }
    AppctlAnswer first = FirstAnswer();
    ASSERT_TRUE(first.parsed) << Diagnose(first);
    EXPECT_EQ(first.Get("_result"), "0");
    EXPECT_EQ(first.Get("_transactionId"), "51");
}

}  // namespace
