// A user without a card buys through buyclient with the real programs: the
// store refuses the charge (no card), buyclient opens the card registration
// screen with the store's card companies, the user registers a card, the
// purchase screen comes back, and the purchase goes through with a second
// ticket (the caller's resume is answered with it, and it resumes again).
#include <ctime>

#include "tests/e2e/BuyClientE2eSupport.h"

using namespace E2e;

namespace {

constexpr const char* kNumber = "4111111111111111";
constexpr const char* kCode = "737";

class BuyClientCardRegistrationTest : public BuyClientE2eTest {
protected:
    // The screen and the argument list it deletes are checked by the sanitizers too.
    void TearDown() override {
        BuyClientE2eTest::TearDown();
        for (const char* report : {"ERROR: AddressSanitizer", "runtime error", "ERROR: LeakSanitizer"})
            EXPECT_EQ(std::string::npos, ClientLog().find(report)) << ClientLog();
    }
    // The device's account (signed in before), one without a card.
    void AddCardlessAccount() {
        RunResult added =
            RunProgram({Bin("appctl"), "account", "add", "--user-name", "empty@vexmora.com", "--user-id", "U1000003"});
        ASSERT_EQ(added.exitCode, 0) << added.output;
    }
    // The line `iap-ui list` prints for a control; empty when it is not shown.
    std::string LineOf(const std::string& list, const std::string& name) {
        const std::size_t at = list.find("\n" + name + "\t");
        if (at == std::string::npos) return std::string();
        return list.substr(at + 1, list.find('\n', at + 1) - at - 1);
    }
    // The ticket of a new purchase: password, first method, Purchase.
    std::string FirstTicket(const std::string& transactionId) {
        auto caller = StartCaller(NewPurchase(transactionId));
        if (!ConfirmPassword("empty0000") || !WaitShown("methods/0/0") || !BuyWithFirstMethod()) {
            ADD_FAILURE() << "no purchase started\n" << ClientLog();
            return std::string();
        }
        const AppctlAnswer ticket = AnswerOf(*caller);
        EXPECT_EQ(ticket.Get("_method"), "OnPurchaseItemInitialized") << Explain(ticket);
        return ticket.Get("_ticketPurchaseId");
    }
    bool WaitRegistrationScene() {
        return WaitShown("cardNumber") && List().find("# scene IDS_SCENE_CREDIT_CARD_REGISTER\n") != std::string::npos;
    }
    static std::string NextYear() {
        const std::time_t now = std::time(nullptr);
        std::tm utc{};
        gmtime_r(&now, &utc);
        return std::to_string(utc.tm_year + 1900 + 1);
    }
};

TEST_F(BuyClientCardRegistrationTest, WithoutACardTheUserRegistersOneAndTheSecondTicketBuysOnce) {
    ASSERT_NO_FATAL_FAILURE(AddCardlessAccount());
    const std::string refusedId = FirstTicket("201");
    ASSERT_EQ(32u, refusedId.size());

    // The caller resumes; the store knows no card: the registration screen.
    auto resumed = StartCaller(Resume("202"));
    ASSERT_TRUE(WaitRegistrationScene()) << List() << ClientLog();
    EXPECT_EQ(1, Requests("searchCard"));
    EXPECT_EQ(0, Charges(refusedId));
    std::string screen = List();
    EXPECT_NE(std::string::npos, LineOf(screen, "CONTROL_CARDTYPE_LABEL").find("Visa")) << screen;

    ASSERT_TRUE(Press("cardTable/1"));
    ASSERT_TRUE(WaitShown("cardTable/1/2")) << "the three US companies";
    ASSERT_TRUE(Press("cardTable/1/0"));
    ASSERT_TRUE(Type("cardNumber", kNumber));
    ASSERT_TRUE(Type("securityCode", kCode));
    ASSERT_TRUE(Type("month", "12"));
    ASSERT_TRUE(Type("year", NextYear()));
    screen = List();
    EXPECT_EQ(std::string::npos, screen.find(kNumber)) << "listed masked: " << screen;
    EXPECT_NE(std::string::npos, LineOf(screen, "securityCode").find("\u2022\u2022\u2022")) << screen;

    // A double tap on Register while the store takes its time: one request,
    // and the only message is the first request's answer.
    ASSERT_TRUE(sandbox_.AddFault("registerCreditCardForIAP:delay=1500:1"));
    ASSERT_TRUE(Press("footerItem0"));  // Register
    ASSERT_TRUE(Press("footerItem0"));
    ASSERT_TRUE(WaitShown("messageBoxText")) << ClientLog();
    screen = List();
    EXPECT_NE(std::string::npos, screen.find("Your credit card details were saved.")) << screen;
    ASSERT_EQ(0, Ui({"close"}));
    ASSERT_TRUE(WaitPurchaseScene()) << List();
    EXPECT_EQ(1, Requests("registerCreditCardForIAP"));

    // Purchase again: a new purchase id answers the owed resume.
    ASSERT_TRUE(WaitShown("footerItem0"));
    ASSERT_TRUE(Press("footerItem0"));
    const AppctlAnswer second = AnswerOf(*resumed);
    ASSERT_TRUE(second.parsed) << Explain(second);
    EXPECT_EQ(second.Get("_method"), "OnPurchaseItemInitialized") << Explain(second);
    EXPECT_EQ(second.Get("_transactionId"), "202");
    const std::string purchaseId = second.Get("_ticketPurchaseId");
    ASSERT_EQ(32u, purchaseId.size()) << Explain(second);
    EXPECT_NE(refusedId, purchaseId);

    auto finished = StartCaller(Resume("203"));
    const AppctlAnswer bought = AnswerOf(*finished);
    ASSERT_TRUE(bought.parsed) << Explain(bought);
    EXPECT_EQ(bought.Get("_method"), "OnPurchaseItemFinished") << Explain(bought);
    EXPECT_EQ(bought.Get("_result"), "0") << Explain(bought);
    EXPECT_EQ(bought.Get("_transactionId"), "203");
    EXPECT_EQ(1, Charges(purchaseId));
    EXPECT_EQ(0, Charges(refusedId));
    EXPECT_TRUE(WaitClientGone()) << ClientLog();
    // The number and the code went to the store only, in the order the store reads them.
    EXPECT_EQ(std::string::npos, ClientLog().find(kNumber)) << ClientLog();
    EXPECT_EQ(std::string::npos, ClientLog().find(kCode)) << ClientLog();
    EXPECT_EQ(std::string::npos, sandbox_.RecentRequests().find(kNumber));
    for (const StoreRequest& request : StoreRequests()) {
        if (request.function != "registerCreditCardForIAP") continue;
        EXPECT_EQ("VI", request.params.at("cardType"));
        EXPECT_EQ("U1000003", request.params.at("userID"));
        EXPECT_NE(kCode, request.params.at("cvc")) << "the store's log masks it";
    }
}

TEST_F(BuyClientCardRegistrationTest, ACountryWithoutCardCompaniesStillOpensTheScreen) {
    SetDeviceMcc("262");
    ASSERT_NO_FATAL_FAILURE(AddCardlessAccount());
    ASSERT_EQ(32u, FirstTicket("211").size());
    auto resumed = StartCaller(Resume("212"));
    ASSERT_TRUE(WaitRegistrationScene()) << List() << ClientLog();
    EXPECT_EQ(1, Requests("searchCard"));
    ASSERT_TRUE(Press("cardTable/1"));
    const std::string screen = List();
    EXPECT_EQ("CONTROL_CARDTYPE_LABEL\tLabel\tenabled\t-\t", LineOf(screen, "CONTROL_CARDTYPE_LABEL")) << screen;
    EXPECT_TRUE(LineOf(screen, "cardTable/1/0").empty()) << screen;

    // Back to the purchase screen; closing it ends the purchase for the owed caller.
    ASSERT_TRUE(Press("back"));
    ASSERT_TRUE(WaitPurchaseScene()) << List();
    ASSERT_EQ(0, Ui({"close"}));
    ExpectEndedWithoutPurchase(AnswerOf(*resumed), "212");
    EXPECT_TRUE(WaitClientGone()) << ClientLog();
}

}  // namespace
