// The client's server session against a loopback store with canned replies.
#include "client/IapClientHttpSession.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/client/ClientTestSupport.h"

using namespace Vx;
using namespace Vx::Base;
using namespace IapCommonHttp;
using namespace ClientTest;

namespace {

[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new Environment);

const char kCounts[] = " startNum=\"1\" endNum=\"2\" totalCount=\"2\"";

std::string TwoMethods(int tid, int function) {
    return ReplyDocument(tid, function, 0,
                         {{{"paymentMethod", "CreditCard"},
                           {"Company", "Visa"},
                           {"itemPrice", "1200"},
                           {"currencyUnit", "W"},
                           {"paymentTypeId", "01"},
                           {"itemName", "Gem"},
                           {"list", "KT|SKT"}},
                          {{"paymentMethod", "PSMS"}, {"itemPrice", "3.5"}, {"itemName", "Gem"}}},
                         kCounts);
}

IapItemInformation Item(const wchar_t* id, const wchar_t* group = L"100000000001") {
    IapItemInformation item;
    item.SetItemId(id);
    item.SetItemGroupId(group);
    return item;
}

class ClientSessionTest : public ::testing::Test {
protected:
    // Starts the store (the country writes prices "1200W": unit after, no pennies).
    void Start(CannedStore::StoreHandler handler,
               Record country = {{"currencyUnitPrecedes", "0"}, {"currencyUnitHasPenny", "0"}}) {
        store_ = std::make_unique<CannedStore>(std::move(handler), std::move(country));
        ASSERT_TRUE(store_->IsRunning());
        ScopedEnv url("IAP_COUNTRY_SEARCH_URL", store_->CountrySearchUrl());
        ASSERT_EQ(E_SUCCESS, session_.Construct(&listener_));
    }
    void WaitIdle() {
        ASSERT_TRUE(RunUntil([&] { return !session_.HasOpenTransaction() && !session_.HasPendingTransaction(); }));
    }

    RecordingListener listener_;
    IapClientHttpSession session_;
    std::unique_ptr<CannedStore> store_;
};

TEST_F(ClientSessionTest, ConstructRefusesANullListenerAndASecondCall) {
    IapClientHttpSession session;
    EXPECT_EQ(E_INVALID_ARG, session.Construct(nullptr));
    RecordingListener listener;
    EXPECT_EQ(E_SUCCESS, session.Construct(&listener));
    EXPECT_NE(E_SUCCESS, session.Construct(&listener));
    EXPECT_EQ(-1, IapClientHttpSession().RequestPaymentMethodFunction(FUNCTION_SEARCH_CARD, Params()));
}

TEST_F(ClientSessionTest, PaymentMethodSearchSendsTheItemAndConvertsEveryRecord) {
    ASSERT_NO_FATAL_FAILURE(Start(TwoMethods));
    IapSystemInfo::GetInstance().mode = L"1";
    ASSERT_EQ(E_SUCCESS, session_.RequestPaymentMethodSearch(7, Item(L"000000000101")));
    IapSystemInfo::GetInstance().mode = L"0";
    ASSERT_TRUE(listener_.WaitForCount(1));
    const Heard& heard = listener_.heard[0];
    EXPECT_EQ(Heard::MethodList, heard.kind);
    EXPECT_EQ(7, heard.transactionId);
    EXPECT_EQ(ERROR_NONE, heard.errorCode);
    EXPECT_EQ(1, heard.startNumber);
    EXPECT_EQ(2, heard.endNumber);
    EXPECT_EQ(2, heard.totalCount);
    ASSERT_EQ(2u, heard.methods.size());
    const IapClientPaymentMethodInfo& card = heard.methods[0];
    EXPECT_EQ(String(L"CreditCard"), card.GetPaymentMethod());
    EXPECT_EQ(String(L"Visa"), card.GetCompany());
    EXPECT_EQ(String(L"01"), card.GetPaymentTypeId());
    EXPECT_EQ(String(L"KT|SKT"), card.GetProviderList());
    EXPECT_EQ(String(L"1200W"), card.GetItemPriceFormatted(true));  // the country's flags, not the record's
    const IapClientPaymentMethodInfo& sms = heard.methods[1];
    EXPECT_TRUE(sms.GetCompany().IsEmpty());
    EXPECT_TRUE(sms.GetProviderList().IsEmpty());
    EXPECT_TRUE(sms.GetCurrencyUnit().IsEmpty());
    EXPECT_EQ(3.5, sms.GetItemPrice());
    EXPECT_FALSE(sms.GetCurrencyUnitPrecedes());

    auto hits = store_->StoreHits();
    ASSERT_EQ(1u, hits.size());
    EXPECT_EQ(FUNCTION_GET_PAYMENT_METHOD_SEARCH, hits[0].function);
    EXPECT_EQ("000000000101", ParamOf(hits[0].body, "itemID"));
    EXPECT_EQ("100000000001", ParamOf(hits[0].body, "itemGroupID"));
    EXPECT_EQ("1", ParamOf(hits[0].body, "mode"));
    EXPECT_FALSE(session_.IsGatePending());
}

TEST_F(ClientSessionTest, ServerErrorsAndUnusableCountsGiveAnEmptyList) {
    struct Row {
        const char* why;
        CannedStore::StoreHandler reply;
        int errorCode;
    };
    const Row rows[] = {
        {"server error", [](int tid, int f) { return ReplyDocument(tid, f, 9103); }, 9103},
        {"negative total",
         [](int tid, int f) { return ReplyDocument(tid, f, 0, {}, " startNum=\"0\" endNum=\"0\" totalCount=\"-1\""); },
         0},
        {"HTTP failure", [](int, int) { return std::string("<html/>"); }, ERROR_GENERAL},
    };
    ASSERT_NO_FATAL_FAILURE(Start(nullptr));
    int tid = 20;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        store_->SetHandler(row.reply);
        listener_.heard.clear();
        ASSERT_EQ(E_SUCCESS, session_.RequestPaymentMethodSearch(tid, Item(L"1")));
        ASSERT_TRUE(listener_.WaitForCount(1));
        EXPECT_EQ(Heard::MethodList, listener_.heard[0].kind);
        EXPECT_EQ(tid, listener_.heard[0].transactionId);
        EXPECT_EQ(row.errorCode, listener_.heard[0].errorCode);
        EXPECT_TRUE(listener_.heard[0].methods.empty());
        EXPECT_EQ(-1, listener_.heard[0].totalCount);
        EXPECT_FALSE(session_.IsGatePending());
        ++tid;
    }
}

TEST_F(ClientSessionTest, OneGatedRequestAtATime) {
    ASSERT_NO_FATAL_FAILURE(Start(TwoMethods));
    EXPECT_EQ(E_INVALID_ARG, session_.RequestPaymentMethodSearch(-1, Item(L"1")));
    EXPECT_EQ(E_INVALID_ARG, session_.RequestPaymentMethodSearch(1, Item(L"")));
    EXPECT_FALSE(session_.IsGatePending());

    ASSERT_EQ(E_SUCCESS, session_.RequestPaymentMethodSearch(1, Item(L"1")));
    EXPECT_TRUE(session_.IsGatePending());
    EXPECT_EQ(E_IN_PROGRESS, session_.RequestPaymentMethodSearch(2, Item(L"1")));
    EXPECT_EQ(E_IN_PROGRESS, session_.RequestPurchaseId(3, String(L"1")));
    EXPECT_EQ(-1, session_.RequestPaymentMethodFunction(FUNCTION_SEARCH_CARD, Params()));
    ASSERT_TRUE(listener_.WaitForCount(1));
    WaitIdle();
    EXPECT_FALSE(session_.IsGatePending());
    EXPECT_EQ(1u, store_->StoreHits().size());
}

TEST_F(ClientSessionTest, PaymentMethodFunctionsNumberTheirOwnTransactions) {
    ASSERT_NO_FATAL_FAILURE(Start([](int tid, int f) { return ReplyDocument(tid, f, 0); }));
    Params params;
    ASSERT_EQ(E_SUCCESS, params.Construct(1));
    ASSERT_EQ(E_SUCCESS, params.Add(L"itemID", L"1"));
    EXPECT_EQ(10000, session_.RequestPaymentMethodFunction(FUNCTION_EASYBUY_PURCHASE_ITEM, params));
    // Refused while pending, but the number is used up.
    EXPECT_EQ(-1, session_.RequestPaymentMethodFunction(FUNCTION_SEARCH_CARD, params));
    ASSERT_TRUE(listener_.WaitForCount(1));
    EXPECT_EQ(Heard::Function, listener_.heard[0].kind);
    EXPECT_EQ(10000, listener_.heard[0].transactionId);
    EXPECT_EQ(FUNCTION_EASYBUY_PURCHASE_ITEM, listener_.heard[0].function);
    WaitIdle();
    EXPECT_EQ(10002, session_.RequestPaymentMethodFunction(FUNCTION_CHECK_PURCHASED_ITEM, params));
    ASSERT_TRUE(listener_.WaitForCount(2));
    EXPECT_EQ(10002, listener_.heard[1].transactionId);
    EXPECT_EQ(FUNCTION_CHECK_PURCHASED_ITEM, listener_.heard[1].function);
}

TEST_F(ClientSessionTest, PurchaseIdCarriesTheDeviceTheItemAndATimeStamp) {
    ASSERT_NO_FATAL_FAILURE(Start([](int tid, int f) { return ReplyDocument(tid, f, 0, {{{"purchaseID", "p1"}}}); }));
    ASSERT_EQ(E_SUCCESS, session_.RequestPurchaseId(4, String(L"000000000101")));
    ASSERT_TRUE(listener_.WaitForCount(1));
    EXPECT_EQ(Heard::Function, listener_.heard[0].kind);
    EXPECT_EQ(FUNCTION_GET_PURCHASE_ID, listener_.heard[0].function);
    auto hits = store_->StoreHits();
    ASSERT_EQ(1u, hits.size());
    EXPECT_EQ("00112233aabb1", ParamOf(hits[0].body, "duid"));
    EXPECT_EQ("000000000101", ParamOf(hits[0].body, "itemID"));
    std::string stamp = ParamOf(hits[0].body, "timeStamp");
    ASSERT_FALSE(stamp.empty());
    EXPECT_EQ(std::string::npos, stamp.find_first_not_of("0123456789")) << stamp;
}

TEST_F(ClientSessionTest, PasswordCheckIsValidOnlyWithExactlyOneRecord) {
    struct Row {
        const char* why;
        CannedStore::StoreHandler reply;
        int errorCode;
        int result;
    };
    const Row rows[] = {
        {"valid",
         [](int tid, int f) {
             return ReplyDocument(tid, f, 0, {{{"isValid", "1"}}});
         },
         0, 1},
        {"invalid",
         [](int tid, int f) {
             return ReplyDocument(tid, f, 0, {{{"isValid", "0"}}});
         },
         0, 0},
        {"no record", [](int tid, int f) { return ReplyDocument(tid, f, 0); }, 0, 0},
        {"two records",
         [](int tid, int f) {
             return ReplyDocument(tid, f, 0, {{{"isValid", "1"}}, {{"isValid", "1"}}});
         },
         0, 0},
        {"no isValid",
         [](int tid, int f) {
             return ReplyDocument(tid, f, 0, {{{"other", "1"}}});
         },
         0, 0},
        {"server error",
         [](int tid, int f) {
             return ReplyDocument(tid, f, 9211, {{{"isValid", "1"}}});
         },
         9211, 0},
    };
    ASSERT_NO_FATAL_FAILURE(Start(nullptr));
    int tid = 40;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        store_->SetHandler(row.reply);
        listener_.heard.clear();
        ASSERT_EQ(E_SUCCESS, session_.RequestCheckPassword(tid, String(L"anna@example.com"), String(L"s3cret")));
        EXPECT_FALSE(session_.IsGatePending());  // the password check does not hold the gate
        ASSERT_TRUE(listener_.WaitForCount(1));
        EXPECT_EQ(Heard::Password, listener_.heard[0].kind);
        EXPECT_EQ(tid, listener_.heard[0].transactionId);
        EXPECT_EQ(row.errorCode, listener_.heard[0].errorCode);
        EXPECT_EQ(row.result, listener_.heard[0].result);
        WaitIdle();
        ++tid;
    }
    auto hits = store_->StoreHits();
    ASSERT_FALSE(hits.empty());
    EXPECT_EQ(FUNCTION_CHECK_PASSWORD, hits[0].function);
    EXPECT_EQ("anna@example.com", ParamOf(hits[0].body, "emailID"));
    EXPECT_EQ("s3cret", ParamOf(hits[0].body, "password"));
}

// Replies that arrive by another road than the open transaction (the
// session's handlers are public to its base class's callers).
TEST_F(ClientSessionTest, AReplyForAnotherTransactionKeepsTheGateButIsStillDelivered) {
    ASSERT_NO_FATAL_FAILURE(Start([](int, int) { return std::string(); }));
    ASSERT_EQ(E_SUCCESS, session_.RequestPurchaseId(5, String(L"1")));
    ASSERT_TRUE(session_.IsGatePending());
    IapCommonHttpReply stray;
    ASSERT_EQ(E_SUCCESS, stray.Construct(6, FUNCTION_GET_PURCHASE_ID, 9103));
    session_.HandleErrorReply(stray);
    EXPECT_TRUE(session_.IsGatePending());
    ASSERT_EQ(1u, listener_.heard.size());
    EXPECT_EQ(6, listener_.heard[0].transactionId);

    IapCommonHttpReply unhandled;
    ASSERT_EQ(E_SUCCESS, unhandled.Construct(5, FUNCTION_GET_APPS_ITEM_LIST, 9103));
    session_.HandleErrorReply(unhandled);  // not a client function: ignored
    EXPECT_EQ(1u, listener_.heard.size());
    // The empty body fails the real request, which frees the gate.
    ASSERT_TRUE(listener_.WaitForCount(2));
    EXPECT_EQ(5, listener_.heard[1].transactionId);
    EXPECT_EQ(ERROR_GENERAL, listener_.heard[1].errorCode);
    EXPECT_FALSE(session_.IsGatePending());
}

}  // namespace
