// The purchase sequence every method shares, run by the credit card method
// against a real sandbox: ticket, resume, charge, answer, and the bounded
// purchase check when a charge's reply is lost.
#include "client/payment/IapClientPaymentMethod.h"

#include <gtest/gtest.h>

#include <memory>

#include "client/payment/IapClientPaymentMethodListener.h"
#include "client/payment/IapClientPaymentMethodPrivate.h"
#include "lib/protocol/IapCommonHttpReply.h"
#include "tests/client/payment/PaymentTestSupport.h"

using namespace Vx;
using namespace Vx::Base;
using namespace IapCommonHttp;
using namespace ClientTest;
using namespace PaymentTest;

namespace {

[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new Environment(true));

class PaymentMethodTest : public ::testing::Test {
protected:
    void StartSandbox(const std::vector<std::string>& args = {}) {
        sandbox_ = std::make_unique<IapTest::SandboxProcess>(args);
        ASSERT_TRUE(sandbox_->IsRunning()) << sandbox_->Error();
        ScopedEnv url("IAP_COUNTRY_SEARCH_URL", sandbox_->CountrySearchUrl());
        ASSERT_EQ(E_SUCCESS, facade_.Construct());
        ASSERT_EQ(E_SUCCESS, card_.Construct(CreditCardInfo(), Knight()));
        card_.Attach(&facade_);
        card_.SetUserID(kDemoUser);
    }

    // Purchase id requested and the ticket answered to request 5.
    void GetTicket() {
        facade_.answerRequestId = 5;
        ASSERT_EQ(E_SUCCESS, card_.RequestPurchase(7, String(kKnight), String(kDemoUser)));
        ASSERT_TRUE(RunUntil([&] { return !facade_.sent.empty() || !card_.errors.empty(); }, 20000));
        ASSERT_EQ(1u, facade_.sent.size());
        ASSERT_EQ("OnPurchaseItemInitialized", facade_.sent[0].extra.at("_method"));
        facade_.answerRequestId = 6;  // the resume's request
    }

    bool WaitForEnd() {
        return RunUntil([&] { return facade_.terminations > 0 || !card_.terminations.empty(); }, 30000);
    }

    TestFacade facade_;
    RecordingCard card_;
    std::unique_ptr<IapTest::SandboxProcess> sandbox_;
};

TEST_F(PaymentMethodTest, FactoryMakesOnlyTheMethodsThisClientCanRun) {
    TestFacade facade;
    std::unique_ptr<IapClientPaymentMethod> card(
        IapClientPaymentMethod::PaymentMethod(CreditCardInfo(), Knight(), &facade));
    ASSERT_NE(nullptr, card);
    EXPECT_EQ("CC01", card->GetPaymentTypeId().ToUtf8());
    EXPECT_EQ(&facade, card->GetFacade());
    EXPECT_EQ("000000002001", card->GetItemInformation().GetItemId().ToUtf8());
    EXPECT_EQ(nullptr, IapClientPaymentMethod::PaymentMethod(CreditCardInfo(), Knight(), nullptr));
    for (const wchar_t* code : {L"PSMS", L"MicroPayment", L"CyberCash", L""}) {
        IapClientPaymentMethodInfo info;
        info.SetPaymentMethod(code);
        EXPECT_EQ(nullptr, IapClientPaymentMethod::PaymentMethod(info, Knight(), &facade));
    }
    // An unconstructed method reads as empty and refuses to buy.
    RecordingCard bare;
    EXPECT_TRUE(bare.GetTransactionId().IsEmpty());
    EXPECT_TRUE(bare.GetItemInformation().GetItemId().IsEmpty());
    EXPECT_EQ(E_FAILURE, bare.RequestPurchase(1, String(kKnight), String(kDemoUser)));
    EXPECT_EQ(E_INVALID_STATE, bare.PurchaseItemFinish());
}

TEST_F(PaymentMethodTest, TicketThenResumeThenTheChargedItemOnceAndASecondPurchaseWaits) {
    ASSERT_NO_FATAL_FAILURE(StartSandbox());
    ASSERT_NO_FATAL_FAILURE(GetTicket());
    const TestFacade::Sent& ticket = facade_.sent[0];
    EXPECT_EQ(5, ticket.requestId);
    EXPECT_EQ("7", ticket.extra.at("_transactionId"));
    EXPECT_EQ("0", ticket.extra.at("_result"));
    const std::string purchaseId = card_.GetTransactionId().ToUtf8();
    ASSERT_FALSE(purchaseId.empty());
    EXPECT_EQ(purchaseId, ticket.extra.at("_ticketPurchaseId"));
    EXPECT_EQ(0, facade_.terminations);

    // Until the caller resumes, another purchase neither asks for an id nor answers anyone.
    EXPECT_EQ(E_INVALID_STATE, card_.RequestPurchase(8, String(kKnight), String(kDemoUser)));
    EXPECT_EQ(purchaseId, card_.GetTransactionId().ToUtf8());
    EXPECT_EQ(1, RequestsOf(*sandbox_, "getPurchaseID"));
    EXPECT_EQ(0, RequestsOf(*sandbox_, "easybuyPurchaseItem"));

    ASSERT_EQ(E_SUCCESS, card_.PurchaseItemFinish());
    EXPECT_EQ(E_INVALID_STATE, card_.PurchaseItemFinish());  // a second resume charges nothing
    ASSERT_TRUE(WaitForEnd());
    ASSERT_EQ(2u, facade_.sent.size());
    const TestFacade::Sent& finished = facade_.sent[1];
    EXPECT_EQ(6, finished.requestId);
    EXPECT_EQ("OnPurchaseItemFinished", finished.extra.at("_method"));
    EXPECT_EQ("0", finished.extra.at("_result"));
    EXPECT_FALSE(finished.extra.at("_paymentId").empty());
    EXPECT_EQ(1, Charges(*sandbox_, purchaseId));
    EXPECT_EQ(1, RequestsOf(*sandbox_, "easybuyPurchaseItem"));
    EXPECT_EQ(E_INVALID_STATE, card_.RequestPurchase(9, String(kKnight), String(kDemoUser)));
    EXPECT_TRUE(card_.errors.empty());
}

// The charge is committed, then its reply is replaced by an HTTP failure.
TEST_F(PaymentMethodTest, ALostReplyAfterTheChargeIsFoundByOneCheckAndChargedOnce) {
    ASSERT_NO_FATAL_FAILURE(StartSandbox({"--fault", "easybuyPurchaseItem:status-after-commit=503:1"}));
    ASSERT_NO_FATAL_FAILURE(GetTicket());
    ASSERT_EQ(E_SUCCESS, card_.PurchaseItemFinish());
    ASSERT_TRUE(WaitForEnd());
    ASSERT_EQ(2u, facade_.sent.size());
    EXPECT_EQ("0", facade_.sent[1].extra.at("_result"));
    EXPECT_FALSE(facade_.sent[1].extra.at("_paymentId").empty());
    EXPECT_EQ(1, RequestsOf(*sandbox_, "checkPurchasedItem"));
    EXPECT_EQ(1, RequestsOf(*sandbox_, "easybuyPurchaseItem"));  // never resent by the device
    EXPECT_EQ(1, Charges(*sandbox_, card_.GetTransactionId().ToUtf8()));
    EXPECT_EQ(0, card_.GetCheckCounter());
    EXPECT_TRUE(card_.errors.empty());
    EXPECT_TRUE(card_.terminations.empty());
}

// The connection closes without an answer: the HTTP stack must not post the charge again.
TEST_F(PaymentMethodTest, ADroppedChargeIsNeverResentAndOneCheckFindsIt) {
    ASSERT_NO_FATAL_FAILURE(StartSandbox({"--fault", "easybuyPurchaseItem:drop-after-commit:1"}));
    ASSERT_NO_FATAL_FAILURE(GetTicket());
    ASSERT_EQ(E_SUCCESS, card_.PurchaseItemFinish());
    ASSERT_TRUE(WaitForEnd());
    ASSERT_EQ(2u, facade_.sent.size());
    EXPECT_EQ("0", facade_.sent[1].extra.at("_result"));
    EXPECT_EQ(1, RequestsOf(*sandbox_, "easybuyPurchaseItem"));
    EXPECT_EQ(1, RequestsOf(*sandbox_, "checkPurchasedItem"));
    EXPECT_EQ(1, Charges(*sandbox_, card_.GetTransactionId().ToUtf8()));
}

TEST_F(PaymentMethodTest, ThreeFailedChecksEndWithNetworkFailureAndNoFourthRequest) {
    ASSERT_NO_FATAL_FAILURE(StartSandbox(
        {"--fault", "easybuyPurchaseItem:status-after-commit=502:1", "--fault", "checkPurchasedItem:status=503"}));
    ASSERT_NO_FATAL_FAILURE(GetTicket());
    ASSERT_EQ(E_SUCCESS, card_.PurchaseItemFinish());
    ASSERT_TRUE(WaitForEnd());
    ASSERT_EQ(1u, card_.terminations.size());
    EXPECT_EQ(IapLib::STATUS_NETWORK_FAILURE, card_.terminations[0]);  // unknown outcome, not "cancelled"
    EXPECT_EQ(1u, card_.errors.size());
    EXPECT_EQ(3, card_.GetCheckCounter());
    EXPECT_EQ(3, RequestsOf(*sandbox_, "checkPurchasedItem"));
    EXPECT_EQ(1, RequestsOf(*sandbox_, "easybuyPurchaseItem"));
    EXPECT_EQ(1, Charges(*sandbox_, card_.GetTransactionId().ToUtf8()));
    EXPECT_EQ(1u, facade_.sent.size());  // only the ticket: the end carries the status
    // Nothing more goes out on its own, nor on a late resume.
    EXPECT_EQ(E_INVALID_STATE, card_.PurchaseItemFinish());
    card_.SendCheckPurchasedItemRequest();
    EXPECT_FALSE(facade_.IsRequestPending());
    EXPECT_EQ(3, RequestsOf(*sandbox_, "checkPurchasedItem"));
}

TEST_F(PaymentMethodTest, AnUnchargedAnswerMakesTheDeviceCheckAtOnce) {
    ASSERT_NO_FATAL_FAILURE(StartSandbox({"--fault", "easybuyPurchaseItem:error-after-commit=9219:1"}));
    ASSERT_NO_FATAL_FAILURE(GetTicket());
    ASSERT_EQ(E_SUCCESS, card_.PurchaseItemFinish());
    ASSERT_TRUE(WaitForEnd());
    ASSERT_EQ(2u, facade_.sent.size());
    EXPECT_EQ("0", facade_.sent[1].extra.at("_result"));
    EXPECT_EQ(1, RequestsOf(*sandbox_, "checkPurchasedItem"));
    EXPECT_EQ(1, Charges(*sandbox_, card_.GetTransactionId().ToUtf8()));
    EXPECT_TRUE(card_.errors.empty());
}

TEST_F(PaymentMethodTest, AStoreRefusalOfTheChargeShowsItsCodeAndAllowsANewPurchase) {
    ASSERT_NO_FATAL_FAILURE(StartSandbox({"--fault", "easybuyPurchaseItem:error=9001:1"}));
    ASSERT_NO_FATAL_FAILURE(GetTicket());
    ASSERT_EQ(E_SUCCESS, card_.PurchaseItemFinish());
    ASSERT_TRUE(RunUntil([&] { return !card_.errors.empty(); }, 20000));
    EXPECT_NE(std::string::npos, card_.errors[0].find("9001"));
    EXPECT_EQ(0, RequestsOf(*sandbox_, "checkPurchasedItem"));
    EXPECT_EQ(0, facade_.terminations);
    EXPECT_TRUE(card_.terminations.empty());
    EXPECT_EQ(E_SUCCESS, card_.RequestPurchase(8, String(kKnight), String(kDemoUser)));
}

TEST_F(PaymentMethodTest, APurchaseIdReplyWithoutAnIdIsAnErrorAndNoTicket) {
    TestFacade facade;
    RecordingCard card;
    ASSERT_EQ(E_SUCCESS, card.Construct(CreditCardInfo(), Knight()));
    card.Attach(&facade);
    facade.answerRequestId = 5;
    IapCommonHttpReply reply;
    ASSERT_EQ(E_SUCCESS, reply.Construct(3, FUNCTION_GET_PURCHASE_ID, 0));
    card.RouteReply(reply);
    EXPECT_TRUE(facade.sent.empty());
    EXPECT_EQ(1u, card.errors.size());
    EXPECT_EQ(E_INVALID_STATE, card.PurchaseItemFinish());

    // A transport failure of the id request checks nothing (no purchase id,
    // so nothing was charged); the user is told and may try again.
    IapCommonHttpReply lost;
    ASSERT_EQ(E_SUCCESS, lost.Construct(3, FUNCTION_GET_PURCHASE_ID, ERROR_TRANSACTION_ABORTED));
    card.RouteReply(lost);
    EXPECT_EQ(2u, card.errors.size());
    EXPECT_EQ(0, card.GetCheckCounter());
    EXPECT_TRUE(card.IsIdle());
}

// The screen hears every stop where the method waits for the user, and
// before the message, so that no waiting popup stays over it.
TEST_F(PaymentMethodTest, TheListenerHearsEveryStopThatWaitsForTheUser) {
    struct Counter : IapClientPaymentMethodListener {
        void OnPaymentMethodWaitsForUser(IapClientPaymentMethod&) override { ++calls; }
        int calls = 0;
    } listener;
    TestFacade facade;  // no session: nothing can be sent
    RecordingCard card;
    ASSERT_EQ(E_SUCCESS, card.Construct(CreditCardInfo(), Knight()));
    card.Attach(&facade);
    card.SetListener(&listener);
    const struct {
        const char* why;
        ErrorCode code;
    } replies[] = {{"a reply without purchase id", ERROR_NONE},
                   {"a lost purchase id reply", ERROR_TRANSACTION_ABORTED},
                   {"a refused purchase id", static_cast<ErrorCode>(3013)}};
    int expected = 0;
    for (const auto& row : replies) {
        SCOPED_TRACE(row.why);
        IapCommonHttpReply reply;
        ASSERT_EQ(E_SUCCESS, reply.Construct(3, FUNCTION_GET_PURCHASE_ID, row.code));
        card.RouteReply(reply);
        EXPECT_EQ(++expected, listener.calls);
        EXPECT_EQ(static_cast<std::size_t>(expected), card.errors.size());
        EXPECT_TRUE(card.IsIdle());
    }
    card.SendCheckPurchasedItemRequest();  // cannot be sent
    EXPECT_EQ(++expected, listener.calls);
    EXPECT_EQ(std::vector<int>{IapLib::STATUS_NETWORK_FAILURE}, card.terminations);
}

}  // namespace
