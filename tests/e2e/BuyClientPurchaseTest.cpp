// Buying through buyclient's purchase screen with the real programs: appctl
// plays the game, iap-ui the user, iap-sandbox the store (with its demo card).
#include "tests/e2e/BuyClientE2eSupport.h"

using namespace E2e;

namespace {

class BuyClientPurchaseTest : public BuyClientE2eTest {
protected:
    void TearDown() override {
        BuyClientE2eTest::TearDown();
        EXPECT_EQ(std::string::npos, ClientLog().find("ERROR: AddressSanitizer")) << ClientLog();
        EXPECT_EQ(std::string::npos, ClientLog().find("runtime error")) << ClientLog();
        EXPECT_EQ(std::string::npos, ClientLog().find("ERROR: LeakSanitizer")) << ClientLog();
    }
    // How many charges the store recorded for the purchase id.
    const StoreRequest* LastRequest(const std::string& function) {
        requests_ = StoreRequests();
        for (auto it = requests_.rbegin(); it != requests_.rend(); ++it) {
            if (it->function == function) return &*it;
        }
        return nullptr;
    }
    // A new purchase through the screen, signed in before: password, first
    // method, Purchase. The caller's answer (the ticket, if all went well).
    AppctlAnswer Ticket(const std::string& transactionId) {
        auto caller = StartCaller(NewPurchase(transactionId));
        if (!ReachMethods() || !BuyWithFirstMethod()) ADD_FAILURE() << "no purchase started\n" << ClientLog();
        return AnswerOf(*caller);
    }
    void ExpectTicket(const AppctlAnswer& ticket, const std::string& transactionId) {
        ASSERT_TRUE(ticket.parsed) << Explain(ticket);
        EXPECT_EQ(ticket.Get("_method"), "OnPurchaseItemInitialized") << Explain(ticket);
        EXPECT_EQ(ticket.Get("_result"), "0");
        EXPECT_EQ(ticket.Get("_transactionId"), transactionId);
        EXPECT_EQ(ticket.Get("_ticketPurchaseId").size(), 32u) << Explain(ticket);
    }
    void ExpectBought(const AppctlAnswer& answer, const std::string& transactionId) {
        ASSERT_TRUE(answer.parsed) << Explain(answer);
        EXPECT_EQ(answer.result, 0);
        EXPECT_EQ(answer.Get("_method"), "OnPurchaseItemFinished") << Explain(answer);
        EXPECT_EQ(answer.Get("_result"), "0") << Explain(answer);
        EXPECT_EQ(answer.Get("_transactionId"), transactionId);
        EXPECT_EQ(answer.Get("_itemId"), "000000001001");
        EXPECT_EQ(answer.Get("_paymentId").rfind("P", 0), 0u) << Explain(answer);
    }
    // Dismisses the message box showing `text`.
    void DismissMessage(const std::string& text) {
        ASSERT_TRUE(WaitShown("messageBoxText")) << ClientLog();
        EXPECT_NE(std::string::npos, List().find(text)) << text;
        ASSERT_EQ(0, Ui({"close"}));
    }
    bool SignInUi(const std::vector<std::string>& command) {
        std::vector<std::string> args{Bin("iap-ui"), "--app", kSignInApp, "--connect-timeout", "30"};
        args.insert(args.end(), command.begin(), command.end());
        return RunProgram(args, 60000).exitCode == 0;
    }

    std::vector<StoreRequest> requests_;
};

TEST_F(BuyClientPurchaseTest, SignInThenBuyWithTheRegisteredCardAndFindItInThePurchasedList) {
    auto caller = StartCaller(NewPurchase("101"));
    ASSERT_TRUE(SignInUi({"wait", "email", "--timeout", "40"})) << ClientLog();
    ASSERT_TRUE(SignInUi({"type", "email", "demo@vexmora.com"}));
    ASSERT_TRUE(SignInUi({"type", "password", "demo1234"}));
    ASSERT_TRUE(SignInUi({"press", "signIn"}));
    // Signed in just now: no password is asked again.
    ASSERT_TRUE(WaitShown("methods/0/0")) << ClientLog();
    EXPECT_EQ(1, Requests("checkPassword")) << "only the sign-in window's own check";
    ASSERT_TRUE(BuyWithFirstMethod());
    const AppctlAnswer ticket = AnswerOf(*caller);
    ASSERT_NO_FATAL_FAILURE(ExpectTicket(ticket, "101"));
    const std::string purchaseId = ticket.Get("_ticketPurchaseId");

    auto resumed = StartCaller(Resume("102"));
    const AppctlAnswer bought = AnswerOf(*resumed);
    ASSERT_NO_FATAL_FAILURE(ExpectBought(bought, "102"));
    EXPECT_EQ(1, Charges(purchaseId));
    EXPECT_TRUE(WaitClientGone()) << ClientLog();

    AppctlAnswer list = Ask(kPurchasedList, {"_transactionId=103", std::string("_itemGroupId=") + kGemGroup,
                                             "_startNumber=1", "_endNumber=30"});
    ASSERT_TRUE(list.parsed) << Diagnose(list);
    bool listed = false;
    for (int n = 1; n <= list.CountRecords(); ++n)
        listed = listed || list.Get(std::to_string(n) + "_paymentId") == bought.Get("_paymentId");
    EXPECT_TRUE(listed) << Diagnose(list);
}

TEST_F(BuyClientPurchaseTest, AlreadySignedInAWrongPasswordIsAskedAgainAndNoPasswordIsShownOrLogged) {
    ASSERT_NO_FATAL_FAILURE(AddDemoAccount());
    auto caller = StartCaller(NewPurchase("111"));
    ASSERT_TRUE(ConfirmPassword("wrongpass9")) << ClientLog();
    ASSERT_NO_FATAL_FAILURE(DismissMessage("Password verification failed."));
    ASSERT_TRUE(WaitShown("password"));
    const std::string again = List();
    EXPECT_NE(std::string::npos, again.find("# window loginConfirm")) << again;
    EXPECT_NE(std::string::npos, again.find("id\tLabel\tenabled\t-\tdemo@vexmora.com\n")) << again;
    const std::size_t field = again.find("password\tEditField\t");
    ASSERT_NE(std::string::npos, field) << again;
    const std::string line = again.substr(field, again.find('\n', field) - field);
    EXPECT_EQ('\t', line.back()) << "the field is not empty: " << line;

    ASSERT_TRUE(Type("password", "demo1234"));
    const std::string typed = List();
    EXPECT_EQ(std::string::npos, typed.find("demo1234")) << typed;
    ASSERT_TRUE(Press("ok"));
    ASSERT_TRUE(WaitShown("methods/0/0")) << ClientLog();
    EXPECT_EQ(2, Requests("checkPassword"));
    ASSERT_EQ(0, Ui({"close"}));
    ExpectEndedWithoutPurchase(AnswerOf(*caller), "111");
    ASSERT_TRUE(WaitClientGone()) << ClientLog();
    for (const char* secret : {"wrongpass9", "demo1234"}) {
        EXPECT_EQ(std::string::npos, ClientLog().find(secret)) << ClientLog();
        EXPECT_EQ(std::string::npos, sandbox_.RecentRequests().find(secret));
    }
}

TEST_F(BuyClientPurchaseTest, SecurityCodeMarketCancelSendsNothingAndDoneSendsTheCode) {
    SetDeviceMcc("255");
    ASSERT_NO_FATAL_FAILURE(AddDemoAccount());
    const AppctlAnswer ticket = Ticket("121");
    ASSERT_NO_FATAL_FAILURE(ExpectTicket(ticket, "121"));
    auto resumed = StartCaller(Resume("122"));
    ASSERT_TRUE(WaitShown("cvc")) << ClientLog();
    ASSERT_TRUE(Press("cancel"));
    // The screen is usable again, and Purchase asks for the code of the same purchase.
    ASSERT_TRUE(WaitShown("footerItem0")) << ClientLog();
    EXPECT_EQ(0, Requests("easybuyPurchaseItem"));
    ASSERT_TRUE(Press("footerItem0"));
    ASSERT_TRUE(WaitShown("cvc")) << ClientLog();
    EXPECT_EQ(1, Requests("getPurchaseID"));
    ASSERT_TRUE(Type("cvc", "123"));
    ASSERT_TRUE(Press("done"));
    ASSERT_NO_FATAL_FAILURE(ExpectBought(AnswerOf(*resumed), "122"));
    const StoreRequest* charge = LastRequest("easybuyPurchaseItem");
    ASSERT_NE(nullptr, charge);
    ASSERT_EQ(1u, charge->params.count("transID"));
    EXPECT_EQ(1u, charge->params.count("cvc"));
    EXPECT_EQ(charge->params.at("transID"), ticket.Get("_ticketPurchaseId"));
    EXPECT_EQ(1, Requests("easybuyPurchaseItem"));
}

TEST_F(BuyClientPurchaseTest, AReplyLostAfterTheChargeIsFoundByOneCheck) {
    ASSERT_TRUE(sandbox_.AddFault("easybuyPurchaseItem:drop-after-commit:1"));
    ASSERT_NO_FATAL_FAILURE(AddDemoAccount());
    const AppctlAnswer ticket = Ticket("131");
    ASSERT_NO_FATAL_FAILURE(ExpectTicket(ticket, "131"));
    auto resumed = StartCaller(Resume("132"));
    ASSERT_NO_FATAL_FAILURE(ExpectBought(AnswerOf(*resumed), "132"));
    EXPECT_EQ(1, Requests("easybuyPurchaseItem"));
    EXPECT_EQ(1, Requests("checkPurchasedItem"));
    EXPECT_EQ(1, Charges(ticket.Get("_ticketPurchaseId")));
}

// The charge's outcome stays unknown: the caller hears "network failure" and
// must look at the purchased list; nothing is sent a fourth time.
TEST_F(BuyClientPurchaseTest, ThreeFailedChecksEndWithAMessageAndNetworkFailure) {
    ASSERT_TRUE(sandbox_.AddFault("easybuyPurchaseItem:drop-after-commit:1"));
    ASSERT_TRUE(sandbox_.AddFault("checkPurchasedItem:status=503"));
    ASSERT_NO_FATAL_FAILURE(AddDemoAccount());
    const AppctlAnswer ticket = Ticket("141");
    ASSERT_NO_FATAL_FAILURE(ExpectTicket(ticket, "141"));
    auto resumed = StartCaller(Resume("142"));
    ASSERT_NO_FATAL_FAILURE(DismissMessage("The purchase failed."));
    ExpectEndedWithoutPurchase(AnswerOf(*resumed), "142", "200");
    EXPECT_EQ(3, Requests("checkPurchasedItem"));
    EXPECT_EQ(1, Requests("easybuyPurchaseItem"));
    EXPECT_EQ(1, Charges(ticket.Get("_ticketPurchaseId")));
}

// Nothing to buy with: a refused search ends the purchase with its status, an
// empty list with 9000, and a list of methods this client cannot pay with
// says so and leaves an empty screen that only Back leaves.
TEST_F(BuyClientPurchaseTest, RefusedOrUselessMethodListsEndThePurchase) {
    ASSERT_NO_FATAL_FAILURE(AddDemoAccount());
    ASSERT_TRUE(sandbox_.AddFault("getPaymentMethodSearch:error=6007:1"));
    auto refused = StartCaller(NewPurchase("151"));
    ASSERT_TRUE(ConfirmPassword("demo1234")) << ClientLog();
    ExpectEndedWithoutPurchase(AnswerOf(*refused), "151", "-1");
    ASSERT_TRUE(WaitClientGone()) << ClientLog();

    SetDeviceMcc("450");  // the dragon is sold nowhere in Korea
    auto empty = StartCaller(NewPurchase("152", "000000002003", kCharacterGroup));
    ASSERT_TRUE(ConfirmPassword("demo1234")) << ClientLog();
    ExpectEndedWithoutPurchase(AnswerOf(*empty), "152", "9000");
    ASSERT_TRUE(WaitClientGone()) << ClientLog();

    SetDeviceMcc("310");  // in the US only by cyber cash and prepaid card
    auto unsupported = StartCaller(NewPurchase("153", "000000002003", kCharacterGroup));
    ASSERT_TRUE(ConfirmPassword("demo1234")) << ClientLog();
    ASSERT_NO_FATAL_FAILURE(DismissMessage("No payment method can be used."));
    ASSERT_TRUE(WaitShown("methods/0")) << ClientLog();
    const std::string list = List();
    EXPECT_EQ(std::string::npos, list.find("methods/0/0")) << list;
    EXPECT_NE(std::string::npos, list.find("itemName\tLabel\tenabled\t-\tunavailable\n")) << list;
    EXPECT_NE(std::string::npos, list.find("footerItem0\tButton\tdisabled")) << list;
    ASSERT_TRUE(Press("back"));
    ExpectEndedWithoutPurchase(AnswerOf(*unsupported), "153");
    EXPECT_TRUE(WaitClientGone()) << ClientLog();
}

TEST_F(BuyClientPurchaseTest, AnotherApplicationInTheForegroundEndsAResumedPurchaseUncharged) {
    SetDeviceMcc("255");
    ASSERT_NO_FATAL_FAILURE(AddDemoAccount());
    ASSERT_NO_FATAL_FAILURE(ExpectTicket(Ticket("161"), "161"));
    auto resumed = StartCaller(Resume("162"));
    ASSERT_TRUE(WaitShown("cvc")) << ClientLog();
    ASSERT_EQ(0, RunProgram({Bin("appctl"), "foreground", "com.vexmora.home"}).exitCode);
    ExpectEndedWithoutPurchase(AnswerOf(*resumed), "162");
    EXPECT_TRUE(WaitClientGone()) << ClientLog();
    EXPECT_EQ(0, Requests("easybuyPurchaseItem"));
}

}  // namespace
