// The client facade: its one-request gate and its answers to the caller.
#include "client/IapClientPrivate.h"

#include <gtest/gtest.h>

#include "lib/records/IapAppControlKeys.h"
#include "platform/base/IMap.h"
#include "tests/client/ClientTestSupport.h"

using namespace Vx;
using namespace Vx::Base;
using namespace Vx::Base::Collection;
using namespace IapCommonHttp;
using namespace ClientTest;

namespace {

[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new Environment);

IapItemInformation Item(const wchar_t* id) {
    IapItemInformation item;
    item.SetItemId(id);
    item.SetItemGroupId(L"100000000001");
    return item;
}

std::string OneMethod(int tid, int function) {
    return ReplyDocument(tid, function, 0, {{{"paymentMethod", "CreditCard"}}},
                         " startNum=\"1\" endNum=\"1\" totalCount=\"1\"");
}

class FacadeTest : public ::testing::Test {
protected:
    void StartStore(CannedStore::StoreHandler handler) {
        store_ = std::make_unique<CannedStore>(std::move(handler));
        ASSERT_TRUE(store_->IsRunning());
        ScopedEnv url("IAP_COUNTRY_SEARCH_URL", store_->CountrySearchUrl());
        ASSERT_EQ(E_SUCCESS, facade_.Construct());
    }

    TestFacade facade_;
    RecordingListener first_;
    RecordingListener second_;
    std::unique_ptr<CannedStore> store_;
};

TEST_F(FacadeTest, ConstructTwiceIsRefused) {
    TestFacade facade;
    ASSERT_EQ(E_SUCCESS, facade.Construct());
    EXPECT_EQ(E_INVALID_STATE, facade.Construct());
    EXPECT_NE(nullptr, facade.GetSession());
}

TEST_F(FacadeTest, EveryRequestIsRefusedWhileOneIsOutstandingAndTheFirstListenerKeepsIt) {
    ASSERT_NO_FATAL_FAILURE(StartStore(OneMethod));
    ASSERT_EQ(E_SUCCESS, facade_.RequestPaymentMethodSearch(1, Item(L"7"), &first_));
    EXPECT_EQ(E_IN_PROGRESS, facade_.RequestPaymentMethodSearch(2, Item(L"7"), &second_));
    EXPECT_EQ(E_IN_PROGRESS, facade_.RequestPurchaseId(3, String(L"7"), &second_));
    EXPECT_EQ(E_IN_PROGRESS, facade_.RequestCheckPassword(4, String(L"a"), String(L"b"), &second_));
    EXPECT_EQ(-1, facade_.RequestPaymentMethodFunction(FUNCTION_SEARCH_CARD, Params(), &second_));
    ASSERT_TRUE(first_.WaitForCount(1));
    EXPECT_EQ(1, first_.heard[0].transactionId);
    ASSERT_EQ(1u, first_.heard[0].methods.size());
    Settle(100);
    EXPECT_TRUE(second_.heard.empty());
    EXPECT_FALSE(facade_.IsRequestPending());
}

TEST_F(FacadeTest, TheGateIsClearBeforeTheListenerHearsItsReply) {
    ASSERT_NO_FATAL_FAILURE(StartStore([](int tid, int function) {
        return function == FUNCTION_GET_PAYMENT_METHOD_SEARCH ? OneMethod(tid, function)
                                                              : ReplyDocument(tid, function, 0, {{{"isValid", "1"}}});
    }));
    result fromInside = E_FAILURE;
    bool pendingInside = true;
    first_.react = [&](const Heard& heard) {
        if (heard.kind != Heard::MethodList) return;
        pendingInside = facade_.IsRequestPending();
        fromInside = facade_.RequestCheckPassword(9, String(L"anna@example.com"), String(L"pw"), &second_);
    };
    ASSERT_EQ(E_SUCCESS, facade_.RequestPaymentMethodSearch(8, Item(L"7"), &first_));
    ASSERT_TRUE(second_.WaitForCount(1));
    EXPECT_FALSE(pendingInside);
    EXPECT_EQ(E_SUCCESS, fromInside);
    EXPECT_EQ(Heard::Password, second_.heard[0].kind);
    EXPECT_EQ(1, second_.heard[0].result);
    EXPECT_EQ(1u, first_.heard.size());
}

TEST_F(FacadeTest, RepliesThatDoNotAnswerTheOutstandingRequestAreDropped) {
    ASSERT_NO_FATAL_FAILURE(StartStore([](int, int) { return std::string(); }));
    IapItemList<IapClientPaymentMethodInfo> none;
    facade_.OnPaymentMethodListReceived(1, ERROR_NONE, none);  // nothing outstanding
    ASSERT_EQ(E_SUCCESS, facade_.RequestPurchaseId(11, String(L"7"), &first_));
    facade_.OnPaymentMethodListReceived(11, ERROR_NONE, none);  // another function
    facade_.OnCheckPasswordReceived(11, ERROR_NONE, 1);         // another function
    IapCommonHttpReply otherTransaction;
    ASSERT_EQ(E_SUCCESS, otherTransaction.Construct(12, FUNCTION_GET_PURCHASE_ID, 0));
    facade_.OnPaymentMethodFunction(otherTransaction);
    IapCommonHttpReply otherFunction;
    ASSERT_EQ(E_SUCCESS, otherFunction.Construct(11, FUNCTION_SEARCH_CARD, 0));
    facade_.OnPaymentMethodFunction(otherFunction);
    EXPECT_TRUE(first_.heard.empty());
    EXPECT_TRUE(facade_.IsRequestPending());
    // The real reply (an unreadable body) still reaches the listener.
    ASSERT_TRUE(first_.WaitForCount(1));
    EXPECT_EQ(11, first_.heard[0].transactionId);
    EXPECT_EQ(FUNCTION_GET_PURCHASE_ID, first_.heard[0].function);
}

TEST_F(FacadeTest, ATicketIsAnsweredOnceAndBuyclientStaysForTheResume) {
    facade_.answerRequestId = 5;
    IapPurchaseTicket ticket;
    ticket.SetItemId(L"7");
    ticket.SetPurchaseId(L"P-1");
    facade_.OnPurchaseItemInitialized(12, IapLib::STATUS_SUCCESS, ticket);
    ASSERT_EQ(1u, facade_.sent.size());
    const TestFacade::Sent& answer = facade_.sent[0];
    EXPECT_EQ(5, answer.requestId);
    EXPECT_EQ(App::APP_CTRL_RESULT_SUCCEEDED, answer.result);
    EXPECT_EQ("12", answer.extra.at("_transactionId"));
    EXPECT_EQ("OnPurchaseItemInitialized", answer.extra.at("_method"));
    EXPECT_EQ("0", answer.extra.at("_result"));
    EXPECT_EQ("P-1", answer.extra.at("_ticketPurchaseId"));
    EXPECT_EQ(0, facade_.terminations);
    EXPECT_EQ(App::INVALID_REQUEST_ID, facade_.answerRequestId);

    // Ending later tells that caller nothing more.
    facade_.OnPurchaseItemFinished(12, IapLib::STATUS_CANCELED, IapPurchasedItemInformation());
    EXPECT_EQ(1u, facade_.sent.size());
    EXPECT_EQ(1, facade_.terminations);
}

TEST_F(FacadeTest, AFinishedPurchaseIsAnsweredOnceWithTheStoredTransaction) {
    facade_.answerRequestId = 8;
    facade_.transactionId = 33;
    IapPurchasedItemInformation bought;
    bought.SetPaymentId(L"pay-9");
    facade_.OnPurchaseItemFinished(99, IapLib::STATUS_SUCCESS, bought);
    facade_.OnPurchaseItemFinished(99, IapLib::STATUS_CANCELED, bought);
    ASSERT_EQ(1u, facade_.sent.size());
    EXPECT_EQ(8, facade_.sent[0].requestId);
    EXPECT_EQ(App::APP_CTRL_RESULT_SUCCEEDED, facade_.sent[0].result);
    EXPECT_EQ("33", facade_.sent[0].extra.at("_transactionId"));
    EXPECT_EQ("OnPurchaseItemFinished", facade_.sent[0].extra.at("_method"));
    EXPECT_EQ("0", facade_.sent[0].extra.at("_result"));
    EXPECT_EQ("pay-9", facade_.sent[0].extra.at("_paymentId"));
    EXPECT_EQ(2, facade_.terminations);
}

TEST_F(FacadeTest, AnAnswerWhoseMapCannotBeBuiltIsSentAsFailed) {
    facade_.failMap = true;
    facade_.answerRequestId = 3;
    facade_.OnPurchaseItemInitialized(1, IapLib::STATUS_SUCCESS, IapPurchaseTicket());
    facade_.answerRequestId = 4;
    facade_.OnPurchaseItemFinished(1, IapLib::STATUS_SUCCESS, IapPurchasedItemInformation());
    ASSERT_EQ(2u, facade_.sent.size());
    for (const TestFacade::Sent& answer : facade_.sent) {
        EXPECT_EQ(App::APP_CTRL_RESULT_FAILED, answer.result);
        EXPECT_FALSE(answer.hasMap);
    }
    EXPECT_EQ(3, facade_.sent[0].requestId);
    EXPECT_EQ(4, facade_.sent[1].requestId);
}

}  // namespace
