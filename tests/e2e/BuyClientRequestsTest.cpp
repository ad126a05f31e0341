// buyclient's purchase requests: which are refused, which end buyclient, and
// which caller hears what when it ends.
#include "tests/e2e/BuyClientE2eSupport.h"

using namespace E2e;

namespace {

class BuyClientRequestsTest : public BuyClientE2eTest {
protected:
    // Signed in already: the purchase screen asks for the password, with no
    // sign-in window of its own.
    void SetUp() override {
        BuyClientE2eTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(AddDemoAccount());
    }
    // buyclient's screen as a PNG file's bytes; empty when it could not be taken.
    std::string Screen() {
        const std::string path = home_.Path() + "/screen.png";
        std::filesystem::remove(path);
        return Ui({"screenshot", path}) == 0 ? ReadFile(path) : std::string();
    }
    bool WaitScreenChangedFrom(const std::string& before, int timeoutMs = 30000) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < deadline) {
            std::string now = Screen();
            if (!now.empty() && now != before) return true;
        }
        return false;
    }
};

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
    ASSERT_TRUE(WaitPurchaseScene()) << ClientLog();
    ASSERT_TRUE(ReachMethods()) << ClientLog();
    std::string list;
    ASSERT_EQ(0, Ui({"list"}, 60000, &list));
    EXPECT_NE(std::string::npos, list.find("itemName\tLabel\tenabled\t-\tGem pack 1\n")) << list;
    EXPECT_NE(std::string::npos, list.find("itemPrice\tLabel\tenabled\t-\t$0.99\n")) << list;
    EXPECT_NE(std::string::npos, list.find("header")) << list;
    ASSERT_EQ(0, Ui({"close"}));
    ExpectEndedWithoutPurchase(AnswerOf(*caller), "21");
    EXPECT_TRUE(WaitClientGone()) << ClientLog();
}

// The refused newcomer hears once; the first caller is still owed and hears at the end.
TEST_F(BuyClientRequestsTest, ASecondNewPurchaseIsRefusedAndTheFirstCallerHearsAtTheEnd) {
    auto first = StartCaller(NewPurchase("31"));
    ASSERT_TRUE(WaitPurchaseScene()) << ClientLog();
    ExpectRefused(Purchase(NewPurchase("32")));
    AppctlAnswer answer = AnswerOf(*first);
    ExpectEndedWithoutPurchase(answer, "31");
    EXPECT_TRUE(WaitClientGone()) << ClientLog();
}

TEST_F(BuyClientRequestsTest, TheLockScreenKeepsThePurchase) {
    auto caller = StartCaller(NewPurchase("41"));
    ASSERT_TRUE(WaitPurchaseScene()) << ClientLog();
    ASSERT_EQ(0, RunProgram({Bin("appctl"), "foreground", kLockScreen}).exitCode);
    ASSERT_TRUE(WaitPurchaseScene()) << "the lock screen ended the purchase\n" << ClientLog();
    ASSERT_NE(0, ClientPid());
    ASSERT_EQ(0, RunProgram({Bin("appctl"), "foreground", "com.vexmora.home"}).exitCode);
    ExpectEndedWithoutPurchase(AnswerOf(*caller), "41");
    EXPECT_TRUE(WaitClientGone()) << ClientLog();
}

TEST_F(BuyClientRequestsTest, AnotherApplicationInTheForegroundEndsThePurchase) {
    auto caller = StartCaller(NewPurchase("42"));
    ASSERT_TRUE(WaitPurchaseScene()) << ClientLog();
    ASSERT_EQ(0, RunProgram({Bin("appctl"), "foreground", "com.vexmora.home"}).exitCode);
    ExpectEndedWithoutPurchase(AnswerOf(*caller), "42");
    EXPECT_TRUE(WaitClientGone()) << ClientLog();
}

TEST_F(BuyClientRequestsTest, SigtermAnswersTheOwedCallerOnce) {
    auto caller = StartCaller(NewPurchase("51"));
    ASSERT_TRUE(WaitPurchaseScene()) << ClientLog();
    pid_t pid = ClientPid();
    ASSERT_GT(pid, 0);
    ASSERT_EQ(0, kill(pid, SIGTERM));
    ExpectEndedWithoutPurchase(AnswerOf(*caller), "51");
    EXPECT_TRUE(WaitClientGone()) << ClientLog();
}

// A caller given its ticket is done; the purchase waits for its resume.
TEST_F(BuyClientRequestsTest, ACallerGivenATicketHearsNothingMore) {
    auto first = StartCaller(NewPurchase("61"));
    ASSERT_TRUE(ReachMethods()) << ClientLog();
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
// and buyclient goes on until that caller has its answer. In the security
// code market the resumed purchase waits for the code, so it stays unfinished.
TEST_F(BuyClientRequestsTest, ANewPurchaseWhileAResumedOneIsFinishedIsRefusedWithoutEnding) {
    SetDeviceMcc("255");
    auto first = StartCaller(NewPurchase("71"));
    ASSERT_TRUE(ReachMethods()) << ClientLog();
    ASSERT_TRUE(BuyWithFirstMethod());
    ASSERT_EQ(AnswerOf(*first).Get("_method"), "OnPurchaseItemInitialized");

    auto resumed = StartCaller(Resume("72"));
    ASSERT_TRUE(WaitShown("cvc")) << ClientLog();
    ExpectRefused(Purchase(NewPurchase("73")));
    ASSERT_TRUE(WaitShown("cvc")) << "buyclient ended with a purchase being finished\n" << ClientLog();

    ASSERT_TRUE(Type("cvc", "123"));
    ASSERT_TRUE(Press("done"));
    AppctlAnswer finished = AnswerOf(*resumed);
    ASSERT_TRUE(finished.parsed) << Explain(finished);
    EXPECT_EQ(finished.result, 0);
    EXPECT_EQ(finished.Get("_method"), "OnPurchaseItemFinished");
    EXPECT_EQ(finished.Get("_transactionId"), "72");
    EXPECT_EQ(finished.Get("_result"), "0");
    EXPECT_NE(finished.Get("_paymentId"), "<absent>");
    EXPECT_TRUE(WaitClientGone()) << ClientLog();
}

// The seam's question runs modally over the purchase form and gives back the
// button pressed; the form takes input again afterwards.
TEST_F(BuyClientRequestsTest, TheTestQuestionRunsModallyAndGivesItsAnswer) {
    auto caller = StartCaller(NewPurchase("81"));
    ASSERT_TRUE(ReachMethods()) << ClientLog();
    ASSERT_TRUE(WaitShown("testQuestion")) << ClientLog();
    ASSERT_TRUE(Press("testQuestion"));
    ASSERT_TRUE(WaitShown("yes")) << ClientLog();
    std::string list;
    ASSERT_EQ(0, Ui({"list"}, 60000, &list));
    EXPECT_NE(std::string::npos, list.find("# window question")) << list;
    EXPECT_EQ(std::string::npos, list.find("testIssueTicket")) << "the form under the popup took input\n" << list;
    ASSERT_TRUE(Press("no"));
    ASSERT_TRUE(WaitShown("testQuestionAnswer")) << ClientLog();
    ASSERT_EQ(0, Ui({"list"}, 60000, &list));
    EXPECT_NE(std::string::npos, list.find("testQuestionAnswer\tLabel\tenabled\t-\t2\n")) << list;
    ASSERT_EQ(0, Ui({"close"}));
    ExpectEndedWithoutPurchase(AnswerOf(*caller), "81");
    EXPECT_TRUE(WaitClientGone()) << ClientLog();
}

// Requests keep arriving while a question waits for the user: a resume is
// taken (its security code popup opens over the question), a refused request
// is answered once, and another application in the foreground ends the modal
// loop and buyclient, answering the resumed caller once.
TEST_F(BuyClientRequestsTest, RequestsDuringAModalQuestionAreHandledAndTheOwedCallerHearsOnce) {
    SetDeviceMcc("255");
    auto first = StartCaller(NewPurchase("91"));
    ASSERT_TRUE(ReachMethods()) << ClientLog();
    ASSERT_TRUE(BuyWithFirstMethod());
    ASSERT_EQ(AnswerOf(*first).Get("_method"), "OnPurchaseItemInitialized");
    // The purchase waits for its caller under the waiting popup; the test
    // takes it away to ask the question from the form.
    ASSERT_TRUE(WaitShown("waitingAnimation"));
    ASSERT_EQ(0, Ui({"close"}));
    ASSERT_TRUE(WaitShown("testQuestion")) << ClientLog();

    ASSERT_TRUE(Press("testQuestion"));
    ASSERT_TRUE(WaitShown("yes")) << ClientLog();
    const pid_t pid = ClientPid();
    ASSERT_GT(pid, 0);
    const std::string before = Screen();
    ASSERT_FALSE(before.empty());
    ASSERT_EQ(before, Screen()) << "the screen changes by itself; it cannot tell when the resume is taken";

    auto resumed = StartCaller(Resume("92"));
    // The resume opens the security code popup over the question.
    ASSERT_TRUE(WaitScreenChangedFrom(before)) << ClientLog();
    RunResult refused = RunProgram({Bin("appctl"), "--json", "--timeout", "80", kBuyClient,
                                    "/appcontrol/operation/iap/get_item_list", "_transactionId=93"},
                                   kAnswerTimeoutMs);
    ExpectRefused(ParseAppctl(refused.exitCode, refused.output));
    std::string list;
    ASSERT_EQ(0, Ui({"list"}, 60000, &list)) << ClientLog();
    EXPECT_NE(std::string::npos, list.find("# window cvcPopup")) << list;
    EXPECT_EQ(pid, ClientPid());

    ASSERT_EQ(0, RunProgram({Bin("appctl"), "foreground", "SOME.OtherApp"}).exitCode);
    ExpectEndedWithoutPurchase(AnswerOf(*resumed), "92");
    EXPECT_TRUE(WaitClientGone()) << ClientLog();
    EXPECT_EQ(std::string::npos, ClientLog().find("ERROR: AddressSanitizer")) << ClientLog();
    EXPECT_EQ(std::string::npos, ClientLog().find("runtime error")) << ClientLog();
}

// SIGTERM while the question waits: the modal loop ends, buyclient ends, and
// the caller still owed hears once.
TEST_F(BuyClientRequestsTest, SigtermDuringAModalQuestionAnswersTheOwedCallerOnce) {
    auto caller = StartCaller(NewPurchase("95"));
    ASSERT_TRUE(ReachMethods()) << ClientLog();
    ASSERT_TRUE(WaitShown("testQuestion")) << ClientLog();
    ASSERT_TRUE(Press("testQuestion"));
    ASSERT_TRUE(WaitShown("yes")) << ClientLog();
    pid_t pid = ClientPid();
    ASSERT_GT(pid, 0);
    ASSERT_EQ(0, kill(pid, SIGTERM));
    ExpectEndedWithoutPurchase(AnswerOf(*caller), "95");
    EXPECT_TRUE(WaitClientGone()) << ClientLog();
    EXPECT_EQ(std::string::npos, ClientLog().find("ERROR: AddressSanitizer")) << ClientLog();
}

}  // namespace
