// The credit card method: what a charge reply puts into the purchased item,
// the CVC market, the way to the registration screen and its request.
#include "client/payment/IapClientPaymentCreditCard.h"

#include <gtest/gtest.h>

#include <memory>

#include "client/payment/IapClientPaymentMethodListener.h"
#include "client/ui/CvcPopup.h"
#include "lib/protocol/IapCommonHttpReply.h"
#include "platform/base/ByteBuffer.h"
#include "platform/ui/Label.h"
#include "tests/client/payment/PaymentTestSupport.h"

using namespace Vx;
using namespace Vx::Base;
using namespace IapCommonHttp;
using namespace ClientTest;
using namespace PaymentTest;

namespace {

[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new Environment(true));

// A reply read from the document the store would send.
std::unique_ptr<IapCommonHttpReply> Parse(const std::string& document) {
    ByteBuffer body;
    EXPECT_EQ(E_SUCCESS, body.Construct(static_cast<int>(document.size())));
    body.SetArray(reinterpret_cast<const byte*>(document.data()), 0, static_cast<int>(document.size()));
    body.Flip();
    auto reply = std::make_unique<IapCommonHttpReply>();
    EXPECT_EQ(E_SUCCESS, reply->Construct(&body));
    return reply;
}

// The MCC of the device for one test.
class ScopedMcc {
public:
    explicit ScopedMcc(const wchar_t* mcc) : saved_(IapSystemInfo::GetInstance().mcc) {
        IapSystemInfo::GetInstance().mcc = mcc;
    }
    ~ScopedMcc() { IapSystemInfo::GetInstance().mcc = saved_; }

private:
    String saved_;
};

class CreditCardTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(E_SUCCESS, card_.Construct(CreditCardInfo(), Knight()));
        card_.Attach(&facade_);
        card_.SetUserID(kDemoUser);
    }

    void StartSandbox(const std::vector<std::string>& args = {}) {
        sandbox_ = std::make_unique<IapTest::SandboxProcess>(args);
        ASSERT_TRUE(sandbox_->IsRunning()) << sandbox_->Error();
        ScopedEnv url("IAP_COUNTRY_SEARCH_URL", sandbox_->CountrySearchUrl());
        ASSERT_EQ(E_SUCCESS, facade_.Construct());
    }

    void GetTicket(const wchar_t* user = kDemoUser) {
        facade_.answerRequestId = 5;
        ASSERT_EQ(E_SUCCESS, card_.RequestPurchase(7, String(kKnight), String(user)));
        ASSERT_TRUE(RunUntil([&] { return !facade_.sent.empty() || !card_.errors.empty(); }, 20000));
        ASSERT_EQ(1u, facade_.sent.size());
        facade_.answerRequestId = 6;
    }

    void Press(int actionId) {
        Ui::Controls::Label source;
        card_.OnActionPerformed(source, actionId);
    }

    TestFacade facade_;
    RecordingCard card_;
    std::unique_ptr<IapTest::SandboxProcess> sandbox_;
};

TEST_F(CreditCardTest, AChargeReplyOverwritesOnlyTheFieldsItFills) {
    facade_.answerRequestId = 4;
    facade_.transactionId = 7;
    card_.ProcessPurchaseCompleted(*Parse(ReplyDocument(7, FUNCTION_EASYBUY_PURCHASE_ITEM, 0,
                                                        {{{"paymentID", "P0123"},
                                                          {"purchaseDate", "2026-12-08 09:10:11"},
                                                          {"itemName", ""},
                                                          {"itemPrice", "2.25xyz"},
                                                          {"currencyUnit", "EUR"},
                                                          {"currencyUnitPrecedes", "0"},
                                                          {"currencyUnitHasPenny", "yes"},
                                                          {"reserved1", "r1"}}})));
    ASSERT_EQ(1u, facade_.sent.size());
    const auto& extra = facade_.sent[0].extra;
    EXPECT_EQ("P0123", extra.at("_paymentId"));
    EXPECT_EQ("Knight", extra.at("_itemName"));  // an empty value keeps the requested one
    EXPECT_EQ("000000002001", extra.at("_itemId"));
    EXPECT_EQ("EUR", extra.at("_currencyUnit"));
    EXPECT_EQ("r1", extra.at("_reserved1"));
    EXPECT_NE(std::string::npos, extra.at("_itemPrice").find("2.25"));
    EXPECT_EQ(1, facade_.terminations);

    // A check's reply names the payment only; the item stays as requested.
    TestFacade other;
    RecordingCard checked;
    ASSERT_EQ(E_SUCCESS, checked.Construct(CreditCardInfo(), Knight()));
    checked.Attach(&other);
    other.answerRequestId = 4;
    checked.ProcessPurchaseCompleted(*Parse(ReplyDocument(
        8, FUNCTION_CHECK_PURCHASED_ITEM, 0, {{{"paymentID", "P9"}, {"itemName", "Other"}, {"currencyUnit", "X"}}})));
    ASSERT_EQ(1u, other.sent.size());
    EXPECT_EQ("P9", other.sent[0].extra.at("_paymentId"));
    EXPECT_EQ("Knight", other.sent[0].extra.at("_itemName"));
}

TEST_F(CreditCardTest, RepliesGoWhereTheirFunctionSays) {
    // An empty company list still opens the registration screen.
    card_.RouteReply(*Parse(ReplyDocument(1, FUNCTION_SEARCH_CARD, 0, {})));
    EXPECT_EQ(1, card_.registrations);
    EXPECT_TRUE(card_.GetCardCompanies().empty());
    EXPECT_TRUE(card_.errors.empty());
    // A registration screen that cannot open is explained, not silent.
    card_.registrationResult = E_INVALID_STATE;
    card_.RouteReply(*Parse(ReplyDocument(1, FUNCTION_SEARCH_CARD, 0, {})));
    EXPECT_EQ(1u, card_.errors.size());
    card_.errors.clear();
    card_.registrationResult = E_SUCCESS;
    card_.RouteReply(*Parse(ReplyDocument(2, FUNCTION_REGISTER_CREDIT_CARD_FOR_IAP, 0, {{{"cardType", "VI"}}})));
    EXPECT_EQ(1, card_.backs);
    EXPECT_EQ(1u, card_.messages.size());
    card_.RouteReply(*Parse(ReplyDocument(3, FUNCTION_REGISTER_CREDIT_CARD_FOR_IAP, 5002)));
    ASSERT_EQ(1u, card_.errors.size());
    EXPECT_EQ(1, card_.backs);
    card_.RouteReply(*Parse(ReplyDocument(4, FUNCTION_CHECK_PASSWORD, 0, {{{"isValid", "1"}}})));
    EXPECT_EQ(1u, card_.errors.size());
    EXPECT_TRUE(facade_.sent.empty());

    // A check that found the payment answers the caller and resets the counter.
    facade_.answerRequestId = 9;
    card_.RouteReply(*Parse(ReplyDocument(5, FUNCTION_CHECK_PURCHASED_ITEM, 0, {{{"paymentID", "P7"}}})));
    ASSERT_EQ(1u, facade_.sent.size());
    EXPECT_EQ("P7", facade_.sent[0].extra.at("_paymentId"));
    EXPECT_EQ(0, card_.GetCheckCounter());
}

TEST_F(CreditCardTest, TheCvcMarketWaitsForTheCodeAndNeverChargesWithoutIt) {
    ScopedMcc market(L"255");
    ASSERT_TRUE(IapClientPaymentCreditCard::IsCVCNeeded());
    ASSERT_NO_FATAL_FAILURE(StartSandbox());
    ASSERT_NO_FATAL_FAILURE(GetTicket());
    ASSERT_EQ(E_SUCCESS, card_.PurchaseItemFinish());
    EXPECT_EQ(1, card_.cvcShown);
    EXPECT_FALSE(facade_.IsRequestPending());

    card_.cvc = L"123";
    Press(CvcPopup::kCancelActionId);  // nothing sent, the code forgotten
    EXPECT_TRUE(card_.cvc.empty());
    EXPECT_FALSE(facade_.IsRequestPending());
    ASSERT_EQ(E_SUCCESS, card_.PurchaseItemFinish());  // Purchase again
    EXPECT_EQ(2, card_.cvcShown);

    Press(CvcPopup::kDoneActionId);  // no code: asked again, nothing sent
    EXPECT_EQ(3, card_.cvcShown);
    EXPECT_FALSE(facade_.IsRequestPending());
    EXPECT_EQ(0, RequestsOf(*sandbox_, "easybuyPurchaseItem"));

    card_.cvc = L"4321";
    Press(CvcPopup::kDoneActionId);
    EXPECT_TRUE(card_.cvc.empty());  // not kept after it was sent
    ASSERT_TRUE(RunUntil([&] { return facade_.terminations > 0 || !card_.errors.empty(); }, 20000));
    ASSERT_EQ(2u, facade_.sent.size());
    EXPECT_EQ("0", facade_.sent[1].extra.at("_result"));
    EXPECT_EQ(1, RequestsOf(*sandbox_, "easybuyPurchaseItem"));
    // The sandbox's log masks the code; it never shows in clear.
    EXPECT_EQ(std::string::npos, sandbox_->Admin("GET", "/admin/requests?limit=500").body.find("4321"));
}

TEST_F(CreditCardTest, OutsideTheCvcMarketTheChargeGoesAtOnce) {
    ASSERT_FALSE(IapClientPaymentCreditCard::IsCVCNeeded());
    ASSERT_NO_FATAL_FAILURE(StartSandbox());
    ASSERT_NO_FATAL_FAILURE(GetTicket());
    ASSERT_EQ(E_SUCCESS, card_.PurchaseItemFinish());
    EXPECT_EQ(0, card_.cvcShown);
    EXPECT_TRUE(facade_.IsRequestPending());
    ASSERT_TRUE(RunUntil([&] { return facade_.terminations > 0; }, 20000));
}

TEST_F(CreditCardTest, NoCardLeadsToTheCompaniesTheRegistrationAndANewPurchase) {
    ASSERT_NO_FATAL_FAILURE(StartSandbox());
    card_.SetUserID(L"U1000003");  // no card: 9204
    ASSERT_NO_FATAL_FAILURE(GetTicket(L"U1000003"));
    ASSERT_EQ(E_SUCCESS, card_.PurchaseItemFinish());
    ASSERT_TRUE(RunUntil([&] { return card_.registrations > 0 || !card_.errors.empty(); }, 20000));
    ASSERT_EQ(1, card_.registrations);
    ASSERT_EQ(2u, card_.GetCardCompanies().size());  // KR: BC Card, Shinhan Card
    EXPECT_EQ("BC", card_.GetCardCompanies()[0].code.ToUtf8());
    EXPECT_TRUE(card_.errors.empty());

    // A refused number says the card is not registered and stays on the screen.
    card_.SendRegisterCreditCardRequest(L"BC", L"4111111111111112", L"2031", L"4", L"123");
    ASSERT_TRUE(RunUntil([&] { return !card_.errors.empty(); }, 20000));
    EXPECT_EQ(0, card_.backs);
    ::testing::internal::CaptureStderr();
    card_.SendRegisterCreditCardRequest(L"BC", L"4111111111111111", L"2031", L"4", L"7391");
    const bool back = RunUntil([&] { return card_.backs > 0; }, 20000);
    const std::string written = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(back);
    // Neither this process nor the store's log writes the number or the code in clear.
    EXPECT_EQ(std::string::npos, written.find("4111111111111111")) << written;
    EXPECT_EQ(std::string::npos, written.find("7391")) << written;
    EXPECT_EQ(1u, card_.messages.size());
    const std::string log = sandbox_->Admin("GET", "/admin/requests?limit=500").body;
    EXPECT_NE(std::string::npos, log.find("registerCreditCardForIAP"));
    EXPECT_EQ(std::string::npos, log.find("4111111111111111"));

    // Nothing was charged, so the purchase screen may start again with the new card.
    facade_.sent.clear();
    card_.errors.clear();
    ASSERT_NO_FATAL_FAILURE(GetTicket(L"U1000003"));
    ASSERT_EQ(E_SUCCESS, card_.PurchaseItemFinish());
    ASSERT_TRUE(RunUntil([&] { return facade_.terminations > 0; }, 20000));
    EXPECT_EQ("0", facade_.sent[1].extra.at("_result"));
}

// Counts the times the method gives the screen back to the user.
class WaitsListener : public IapClientPaymentMethodListener {
public:
    int waits = 0;
    void OnPaymentMethodWaitsForUser(IapClientPaymentMethod&) override { ++waits; }
};

TEST_F(CreditCardTest, ASecondRegisterTapWhileTheFirstIsWithTheStoreIsDropped) {
    ASSERT_NO_FATAL_FAILURE(StartSandbox());
    card_.SetUserID(L"U1000003");
    card_.SendRegisterCreditCardRequest(L"BC", L"4111111111111111", L"2031", L"4", L"123");
    card_.SendRegisterCreditCardRequest(L"BC", L"4111111111111111", L"2031", L"4", L"123");
    EXPECT_TRUE(card_.errors.empty()) << card_.errors[0];
    ASSERT_TRUE(RunUntil([&] { return card_.backs > 0 || !card_.errors.empty(); }, 20000));
    EXPECT_TRUE(card_.errors.empty());
    EXPECT_EQ(1, card_.backs);
    EXPECT_EQ(1u, card_.messages.size());
    EXPECT_EQ(1, RequestsOf(*sandbox_, "registerCreditCardForIAP"));
}

TEST_F(CreditCardTest, ARegistrationOrCompanySearchWithoutAnswerSaysSoAndCanBeTriedAgain) {
    ASSERT_NO_FATAL_FAILURE(
        StartSandbox({"--fault", "registerCreditCardForIAP:status=500:1", "--fault", "searchCard:drop:1"}));
    WaitsListener listener;
    card_.SetListener(&listener);
    card_.SetUserID(L"U1000003");  // no card: 9204, then the companies
    ASSERT_NO_FATAL_FAILURE(GetTicket(L"U1000003"));
    ASSERT_EQ(E_SUCCESS, card_.PurchaseItemFinish());
    // The companies never came: a message, the screen back, a new purchase possible.
    ASSERT_TRUE(RunUntil([&] { return !card_.errors.empty(); }, 20000));
    EXPECT_EQ(0, card_.registrations);
    EXPECT_EQ(1, listener.waits);
    EXPECT_TRUE(card_.IsIdle());
    EXPECT_TRUE(card_.terminations.empty());

    // A registration lost on the way is reported, and the next tap is sent.
    card_.errors.clear();
    card_.SendRegisterCreditCardRequest(L"BC", L"4111111111111111", L"2031", L"4", L"123");
    ASSERT_TRUE(RunUntil([&] { return !card_.errors.empty(); }, 20000));
    EXPECT_EQ(0, card_.backs);
    EXPECT_EQ(2, listener.waits);
    card_.SendRegisterCreditCardRequest(L"BC", L"4111111111111111", L"2031", L"4", L"123");
    ASSERT_TRUE(RunUntil([&] { return card_.backs > 0; }, 20000));
    EXPECT_EQ(1u, card_.errors.size());
    EXPECT_EQ(2, RequestsOf(*sandbox_, "registerCreditCardForIAP"));
}

TEST_F(CreditCardTest, ASecondDoneOrCancelAfterTheChargeLeftIsDropped) {
    ScopedMcc market(L"255");
    ASSERT_NO_FATAL_FAILURE(StartSandbox({"--fault", "easybuyPurchaseItem:delay=500:1"}));
    WaitsListener listener;
    card_.SetListener(&listener);
    ASSERT_NO_FATAL_FAILURE(GetTicket());
    ASSERT_EQ(E_SUCCESS, card_.PurchaseItemFinish());
    ASSERT_EQ(1, card_.cvcShown);
    const int waitsBefore = listener.waits;
    card_.cvc = L"4321";
    Press(CvcPopup::kDoneActionId);
    Press(CvcPopup::kDoneActionId);
    Press(CvcPopup::kCancelActionId);
    EXPECT_EQ(1, card_.cvcShown) << "the code was asked for again while the charge was out";
    EXPECT_EQ(waitsBefore, listener.waits) << "the waiting popup went while the charge was out";
    ASSERT_TRUE(RunUntil([&] { return facade_.terminations > 0 || !card_.errors.empty(); }, 20000));
    EXPECT_TRUE(card_.errors.empty());
    ASSERT_EQ(2u, facade_.sent.size());
    EXPECT_EQ("0", facade_.sent[1].extra.at("_result"));
    EXPECT_EQ(1, RequestsOf(*sandbox_, "easybuyPurchaseItem"));
}

// Registration errors (6014, 5xxx) met on the charge or the check: a refused
// charge may be tried again; a refused check leaves the outcome unknown.
TEST_F(CreditCardTest, CardErrorsOutsideTheRegistrationKeepThePurchaseSequence) {
    ASSERT_NO_FATAL_FAILURE(StartSandbox({"--fault", "easybuyPurchaseItem:error=5002:1"}));
    ASSERT_NO_FATAL_FAILURE(GetTicket());
    ASSERT_EQ(E_SUCCESS, card_.PurchaseItemFinish());
    ASSERT_TRUE(RunUntil([&] { return !card_.errors.empty(); }, 20000));
    EXPECT_TRUE(card_.IsIdle()) << "nothing was charged, yet Purchase could not start again";
    EXPECT_TRUE(card_.terminations.empty());

    card_.errors.clear();
    ASSERT_TRUE(sandbox_->AddFault("easybuyPurchaseItem:drop:1"));
    ASSERT_TRUE(sandbox_->AddFault("checkPurchasedItem:error=6014:1"));
    facade_.sent.clear();
    ASSERT_NO_FATAL_FAILURE(GetTicket());
    ASSERT_EQ(E_SUCCESS, card_.PurchaseItemFinish());
    ASSERT_TRUE(RunUntil([&] { return !card_.terminations.empty(); }, 20000));
    EXPECT_EQ(std::vector<int>{IapLib::STATUS_NETWORK_FAILURE}, card_.terminations);
    EXPECT_EQ(1, RequestsOf(*sandbox_, "checkPurchasedItem"));
}

}  // namespace
