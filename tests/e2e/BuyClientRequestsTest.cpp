// buyclient's purchase requests: which are refused, which end buyclient, and
// which caller hears what when it ends.
#include "tests/e2e/BuyClientE2eSupport.h"

using namespace E2e;

namespace {

class BuyClientRequestsTest : public BuyClientE2eTest {};

TEST_F(BuyClientRequestsTest, BadFirstRequestsAreRefusedOnceAndBuyclientEnds) {
    struct Row {
        const char* why;
        std::vector<std::string> extra;
    };
    const Row rows[] = {
        {"no transaction id", {"_itemId=000000000101", std::string("_itemGroupId=") + kGemGroup}},
        {"first request resumes", {"_transactionId=3", "_purchaseResume=1"}},
        {"empty item id", {"_transactionId=4", "_itemId=", std::string("_itemGroupId=") + kGemGroup}},
        {"no item group", {"_transactionId=5", "_itemId=000000000101"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        ExpectRefused(Purchase(row.extra));
        EXPECT_TRUE(WaitClientGone()) << ClientLog();
    }
}

TEST_F(BuyClientRequestsTest, AnotherOperationIsRefusedAndBuyclientEnds) {
    RunResult run = RunProgram({Bin("appctl"), "--json", "--timeout", "80", kBuyClient,
                                "/appcontrol/operation/iap/get_item_list", "_transactionId=8"},
                               kAnswerTimeoutMs);
    ExpectRefused(ParseAppctl(run.exitCode, run.output));
    EXPECT_TRUE(WaitClientGone()) << ClientLog();
}

TEST_F(BuyClientRequestsTest, APurchaseOpensThePurchaseSceneWithTheItem) {
    auto caller = StartCaller(NewPurchase("21"));
    ASSERT_TRUE(WaitShown("purchase")) << ClientLog();
    std::string list;
    ASSERT_EQ(0, Ui({"list"}, 60000, &list));
    EXPECT_NE(std::string::npos, list.find("000000000101")) << list;
    EXPECT_NE(std::string::npos, list.find("header")) << list;
    ASSERT_EQ(0, Ui({"close"}));
    ExpectEndedWithoutPurchase(AnswerOf(*caller), "21");
    EXPECT_TRUE(WaitClientGone()) << ClientLog();
}

// The refused newcomer hears once; the first caller is still owed and hears at the end.
TEST_F(BuyClientRequestsTest, ASecondNewPurchaseIsRefusedAndTheFirstCallerHearsAtTheEnd) {
    auto first = StartCaller(NewPurchase("31"));
    ASSERT_TRUE(WaitShown("purchase")) << ClientLog();
    ExpectRefused(Purchase(NewPurchase("32")));
    AppctlAnswer answer = AnswerOf(*first);
    ExpectEndedWithoutPurchase(answer, "31");
    EXPECT_TRUE(WaitClientGone()) << ClientLog();
}

TEST_F(BuyClientRequestsTest, TheLockScreenKeepsThePurchase) {
    auto caller = StartCaller(NewPurchase("41"));
    ASSERT_TRUE(WaitShown("purchase")) << ClientLog();
    ASSERT_EQ(0, RunProgram({Bin("appctl"), "foreground", kLockScreen}).exitCode);
    ASSERT_TRUE(WaitShown("purchase")) << "the lock screen ended the purchase\n" << ClientLog();
    ASSERT_NE(0, ClientPid());
    ASSERT_EQ(0, RunProgram({Bin("appctl"), "foreground", "com.vexmora.home"}).exitCode);
    ExpectEndedWithoutPurchase(AnswerOf(*caller), "41");
    EXPECT_TRUE(WaitClientGone()) << ClientLog();
}

TEST_F(BuyClientRequestsTest, AnotherApplicationInTheForegroundEndsThePurchase) {
    auto caller = StartCaller(NewPurchase("42"));
    ASSERT_TRUE(WaitShown("purchase")) << ClientLog();
    ASSERT_EQ(0, RunProgram({Bin("appctl"), "foreground", "com.vexmora.home"}).exitCode);
    ExpectEndedWithoutPurchase(AnswerOf(*caller), "42");
    EXPECT_TRUE(WaitClientGone()) << ClientLog();
}

TEST_F(BuyClientRequestsTest, SigtermAnswersTheOwedCallerOnce) {
    auto caller = StartCaller(NewPurchase("51"));
    ASSERT_TRUE(WaitShown("purchase")) << ClientLog();
    pid_t pid = ClientPid();
    ASSERT_GT(pid, 0);
    ASSERT_EQ(0, kill(pid, SIGTERM));
    ExpectEndedWithoutPurchase(AnswerOf(*caller), "51");
    EXPECT_TRUE(WaitClientGone()) << ClientLog();
}

// A caller given its ticket is done; the purchase waits for its resume.
TEST_F(BuyClientRequestsTest, ACallerGivenATicketHearsNothingMore) {
    auto first = StartCaller(NewPurchase("61"));
    ASSERT_TRUE(WaitShown("testIssueTicket")) << ClientLog();
    ASSERT_TRUE(Press("testIssueTicket"));
    AppctlAnswer ticket = AnswerOf(*first);
    ASSERT_TRUE(ticket.parsed) << Explain(ticket);
    EXPECT_EQ(ticket.result, 0);
    EXPECT_EQ(ticket.Get("_method"), "OnPurchaseItemInitialized");
    EXPECT_EQ(ticket.Get("_transactionId"), "61");
    EXPECT_EQ(ticket.Get("_ticketPurchaseId"), "test-purchase");
    // buyclient stays for the resume, and ends without a word to anyone.
    ASSERT_TRUE(WaitShown("purchase")) << "buyclient ended after the ticket\n" << ClientLog();
    ASSERT_EQ(0, Ui({"close"}));
    EXPECT_TRUE(WaitClientGone()) << ClientLog();
}

// A charge may be in flight for the resumed caller: a new purchase is refused
// and buyclient goes on until that caller has its answer.
TEST_F(BuyClientRequestsTest, ANewPurchaseWhileAResumedOneIsFinishedIsRefusedWithoutEnding) {
    auto first = StartCaller(NewPurchase("71"));
    ASSERT_TRUE(WaitShown("testIssueTicket")) << ClientLog();
    ASSERT_TRUE(Press("testIssueTicket"));
    ASSERT_EQ(AnswerOf(*first).Get("_method"), "OnPurchaseItemInitialized");

    auto resumed = StartCaller({"_transactionId=72", "_purchaseResume=1"});
    ASSERT_TRUE(WaitShown("waiting")) << ClientLog();
    ExpectRefused(Purchase(NewPurchase("73")));
    ASSERT_TRUE(WaitShown("purchase")) << "buyclient ended with a purchase being finished\n" << ClientLog();

    ASSERT_TRUE(Press("testFinishPurchase"));
    AppctlAnswer finished = AnswerOf(*resumed);
    ASSERT_TRUE(finished.parsed) << Explain(finished);
    EXPECT_EQ(finished.result, 0);
    EXPECT_EQ(finished.Get("_method"), "OnPurchaseItemFinished");
    EXPECT_EQ(finished.Get("_transactionId"), "72");
    EXPECT_EQ(finished.Get("_result"), "0");
    EXPECT_EQ(finished.Get("_paymentId"), "test-payment");
    EXPECT_TRUE(WaitClientGone()) << ClientLog();
}

}  // namespace
