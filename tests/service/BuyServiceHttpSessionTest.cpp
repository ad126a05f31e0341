// The service's server session against a real sandbox store server (and a
// loopback server with canned documents for records the sandbox never sends).
#include "service/BuyServiceHttpSession.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "lib/device/IapSystemInfo.h"
#include "platform/base/HashMap.h"
#include "tests/protocol/IapCommonHttpSessionTestSupport.h"
#include "tests/support/SandboxProcess.h"

using namespace Vx;
using namespace Vx::Base;
using namespace IapCommonHttp;
using namespace IapSessionTest;

namespace {

const char kGemGroup[] = "100000000001";        // 25 items; the demo user bought 3 of them
const char kCharacterGroup[] = "100000000002";  // 3 items

class Environment : public ::testing::Environment {
public:
    void SetUp() override { UseFreshPlatformHome(); }
};
[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new Environment);

// Logs every report, with enough of the records to check them.
class RecordingListener : public IapListener {
public:
    explicit RecordingListener(OutcomeLog& log) : log_(log) {}

    void OnItemInformationListReceived(int tid, IapLib::StatusCode status,
                                       const IapItemList<IapItemInformation>& list) override {
        items = list;
        log_.Add(ListOutcome(Outcome::ItemList, tid, status, list));
    }
    void OnPurchasedItemInformationListReceived(int tid, IapLib::StatusCode status,
                                                const IapItemList<IapPurchasedItemInformation>& list) override {
        purchases = list;
        log_.Add(ListOutcome(Outcome::PurchasedList, tid, status, list));
    }
    void OnCountryListReceived(int tid, IapLib::StatusCode status, const Collection::ArrayList& countries) override {
        // The maps are valid during this call only: keep copies.
        countryCodes.clear();
        for (int i = 0; i < countries.GetCount(); ++i) {
            const auto* map = dynamic_cast<const Collection::HashMap*>(countries.GetAt(i));
            const auto* code = map ? dynamic_cast<const String*>(map->GetValue(String(L"countryCode"))) : nullptr;
            const auto* name = map ? dynamic_cast<const String*>(map->GetValue(String(L"countryName"))) : nullptr;
            countryCodes.push_back((code ? code->ToStdWString() : L"?") + L"=" + (name ? name->ToStdWString() : L"?"));
        }
        Outcome outcome{Outcome::CountryList, tid, 0, status, {}};
        outcome.items = countries.GetCount();
        log_.Add(outcome);
    }
    void OnCheckAppUpgradeReceived(int tid, const String& url, IapLib::StatusCode status) override {
        log_.Add({Outcome::Upgrade, tid, FUNCTION_CHECK_APP_UPGRADE, status, url.ToStdWString()});
    }
    void OnPurchaseItemInitialized(int, IapLib::StatusCode, const IapPurchaseTicket&) override {
        ADD_FAILURE() << "the service session reports no purchase";
    }
    void OnPurchaseItemFinished(int, IapLib::StatusCode, const IapPurchasedItemInformation&) override {
        ADD_FAILURE() << "the service session reports no purchase";
    }

    IapItemList<IapItemInformation> items;
    IapItemList<IapPurchasedItemInformation> purchases;
    std::vector<std::wstring> countryCodes;

private:
    template <class List>
    static Outcome ListOutcome(Outcome::Kind kind, int tid, IapLib::StatusCode status, const List& list) {
        Outcome outcome{kind, tid, 0, status, {}};
        outcome.items = list.GetCount();
        outcome.startNumber = list.startNumber;
        outcome.endNumber = list.endNumber;
        outcome.totalCount = list.totalCount;
        return outcome;
    }
    OutcomeLog& log_;
};

class BuyServiceSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        IapSystemInfo& info = IapSystemInfo::GetInstance();
        info.mcc = L"310";
        info.mode = L"0";
        info.deviceId = L"00112233aabb1";
    }

    void Start(const std::vector<std::string>& args = {}) {
        sandbox_ = std::make_unique<IapTest::SandboxProcess>(args);
        ASSERT_TRUE(sandbox_->IsRunning()) << sandbox_->Error();
        ConstructAgainst(sandbox_->CountrySearchUrl());
    }
    void ConstructAgainst(const std::string& countrySearchUrl) {
        ScopedEnv url("IAP_COUNTRY_SEARCH_URL", countrySearchUrl);
        ASSERT_EQ(E_SUCCESS, session_.Construct(&listener_));
    }
    std::vector<LoggedRequest> Requests() const { return ParseRequestLog(sandbox_->RecentRequests()); }

    // Waits for the report of `tid`, lets late ones arrive, and checks that it
    // was the only one.
    const Outcome& OnlyOutcome(int tid) {
        EXPECT_TRUE(log_.WaitFor(tid));
        Settle();
        EXPECT_EQ(1u, log_.all.size());
        static const Outcome none{Outcome::Error, -99, 0, -99, {}};
        return log_.all.empty() ? none : log_.all[0];
    }

    OutcomeLog log_;
    RecordingListener listener_{log_};
    BuyServiceHttpSession session_;
    std::unique_ptr<IapTest::SandboxProcess> sandbox_;
};

TEST_F(BuyServiceSessionTest, ItemListArrivesAsRecordsAfterTheCountrySearch) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_EQ(E_SUCCESS, session_.RequestItemList(String(kCharacterGroup), 7, 1, 3, FUNCTION_GET_APPS_ITEM_LIST));
    const Outcome& outcome = OnlyOutcome(7);
    EXPECT_EQ(Outcome::ItemList, outcome.kind);
    EXPECT_EQ(IapLib::STATUS_SUCCESS, outcome.code);
    EXPECT_EQ(3, outcome.items);
    EXPECT_EQ(1, outcome.startNumber);
    EXPECT_EQ(3, outcome.endNumber);
    EXPECT_EQ(3, outcome.totalCount);
    ASSERT_EQ(3, listener_.items.GetCount());
    for (int i = 0; i < 3; ++i) {
        const IapItemInformation& item = listener_.items.At(i);
        EXPECT_EQ(std::wstring(L"100000000002"), item.GetItemGroupId().ToStdWString());
        EXPECT_EQ(L"$", item.GetCurrencyUnit().ToStdWString());
        EXPECT_TRUE(item.GetCurrencyUnitPrecedes());
        EXPECT_FALSE(item.GetItemId().IsEmpty());
        EXPECT_GE(item.GetItemPrice(), 0.0);
    }

    std::vector<LoggedRequest> requests = Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("countrySearch", requests[0].function);
    EXPECT_EQ("getAppsItemList", requests[1].function);
    EXPECT_EQ(7, requests[1].transactionId);
    EXPECT_EQ(
        "{\"resultCode\":\"0\",\"startNum\":\"1\",\"endNum\":\"3\",\"itemGroupID\":\"100000000002\","
        "\"duid\":\"00112233aabb1\"}",
        requests[1].params);
}

TEST_F(BuyServiceSessionTest, OneItemRequestPerSession) {
    ASSERT_NO_FATAL_FAILURE(Start());
    // Refused before anything is sent: start 0 is what a caller without "_startNumber" gets.
    EXPECT_EQ(E_INVALID_ARG, session_.RequestItemList(String(kGemGroup), 1, 0, 5, FUNCTION_GET_APPS_ITEM_LIST));
    EXPECT_FALSE(session_.HasOpenTransaction());

    BuyServiceHttpSession fresh;
    {
        ScopedEnv url("IAP_COUNTRY_SEARCH_URL", sandbox_->CountrySearchUrl());
        ASSERT_EQ(E_SUCCESS, fresh.Construct(&listener_));
    }
    ASSERT_EQ(E_SUCCESS, fresh.RequestItemList(String(kGemGroup), 2, 1, 5, FUNCTION_GET_APPS_ITEM_LIST));
    EXPECT_EQ(E_IN_PROGRESS, fresh.RequestItemList(String(kGemGroup), 3, 1, 5, FUNCTION_GET_APPS_ITEM_LIST));
    EXPECT_EQ(E_IN_PROGRESS, fresh.RequestPurchasedItemList(L"U1000001", String(kGemGroup), 4, 1, 5,
                                                            FUNCTION_GET_PURCHASED_APPS_ITEM_LIST));
    // The country list is not an item request, but the session is busy.
    EXPECT_EQ(E_IN_PROGRESS, fresh.RequestCountryList(5, FUNCTION_GET_COUNTRY_LIST));
    ASSERT_TRUE(log_.WaitFor(2));
    Settle();
    ASSERT_EQ(1u, log_.all.size());
    EXPECT_EQ(5, log_.all[0].items);
    // Still marked busy once answered: the service ends after one answer.
    EXPECT_EQ(E_IN_PROGRESS, fresh.RequestItemList(String(kGemGroup), 6, 1, 5, FUNCTION_GET_APPS_ITEM_LIST));
}

TEST_F(BuyServiceSessionTest, PurchasedItemsCarryPaymentAndDate) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_EQ(E_SUCCESS, session_.RequestPurchasedItemList(L"U1000001", String(kGemGroup), 9, 1, 10,
                                                           FUNCTION_GET_PURCHASED_APPS_ITEM_LIST));
    const Outcome& outcome = OnlyOutcome(9);
    EXPECT_EQ(Outcome::PurchasedList, outcome.kind);
    EXPECT_EQ(IapLib::STATUS_SUCCESS, outcome.code);
    EXPECT_EQ(3, outcome.items);
    EXPECT_EQ(3, outcome.totalCount);
    ASSERT_EQ(3, listener_.purchases.GetCount());
    const IapPurchasedItemInformation& first = listener_.purchases.At(0);
    EXPECT_EQ(L"P0000000001", first.GetPaymentId().ToStdWString());
    EXPECT_EQ(L"000000001001", first.GetItemId().ToStdWString());
    EXPECT_EQ(L"2024-01-05 09:30:00", first.GetPurchaseDate().ToString().ToStdWString());
    EXPECT_EQ(L"100000000001", first.GetItemGroupId().ToStdWString());

    std::vector<LoggedRequest> requests = Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ(
        "{\"userID\":\"U1000001\",\"resultCode\":\"0\",\"startNum\":\"1\",\"endNum\":\"10\","
        "\"itemGroupID\":\"100000000001\"}",
        requests[1].params);
}

TEST_F(BuyServiceSessionTest, CountryListComesFromTheCountryEndpoint) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_EQ(E_SUCCESS, session_.RequestCountryList(3, FUNCTION_GET_COUNTRY_LIST));
    const Outcome& outcome = OnlyOutcome(3);
    EXPECT_EQ(Outcome::CountryList, outcome.kind);
    EXPECT_EQ(IapLib::STATUS_SUCCESS, outcome.code);
    std::vector<std::wstring> expected = {L"US=United States", L"KR=Korea", L"DE=Germany"};
    EXPECT_EQ(expected, listener_.countryCodes);
    std::vector<LoggedRequest> requests = Requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("/ods.as", requests[0].path);
    EXPECT_EQ("getCountryList", requests[0].function);
}

TEST_F(BuyServiceSessionTest, ACountryListThatCannotBeSentSaysSo) {
    ConstructAgainst("http://127.0.0.1:1/ods.as");
    ASSERT_EQ(E_SUCCESS, session_.RequestCountryList(1, FUNCTION_GET_COUNTRY_LIST));
    EXPECT_EQ(E_IN_PROGRESS, session_.RequestCountryList(2, FUNCTION_GET_COUNTRY_LIST));
    session_.CloseCurrentTransaction();

    BuyServiceHttpSession broken;
    ScopedEnv url("IAP_COUNTRY_SEARCH_URL", "gopher:nowhere");
    ASSERT_EQ(E_SUCCESS, broken.Construct(&listener_));
    EXPECT_NE(E_SUCCESS, broken.RequestCountryList(3, FUNCTION_GET_COUNTRY_LIST));
    Settle(100);
    EXPECT_TRUE(log_.all.empty()) << "a request that was not sent is not reported";
}

// Every failure reaches the caller once, as the list it asked for, empty, with
// the status its error code translates to.
TEST_F(BuyServiceSessionTest, FailuresReachTheCallerOnceAsAnEmptyList) {
    enum Ask { Items, Purchases, Countries };
    struct Row {
        const char* fault;
        Ask ask;
        int status;
    };
    const Row rows[] = {
        {"getAppsItemList:error=9107", Items, 9201},
        {"getAppsItemList:error=3", Items, 9200},
        {"getAppsItemList:error=1000", Items, 1000},
        {"getAppsItemList:status=500", Items, 9200},
        {"getAppsItemList:malformed", Items, 9000},
        {"getAppsItemList:drop", Items, 200},
        {"getAppsItemList:delay=8000", Items, 200},
        {"countrySearch:error=9000", Items, 9000},
        {"countrySearch:status=503", Items, 9200},
        {"countrySearch:drop", Purchases, 200},
        {"getPurchasedAppsItemList:error=9109", Purchases, 9207},
        {"getPurchasedAppsItemList:status=404", Purchases, 9200},
        {"getCountryList:status=404", Countries, 9200},
        {"getCountryList:error=9204", Countries, 9000},
        {"getCountryList:malformed", Countries, 9000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fault);
        OutcomeLog log;
        RecordingListener listener(log);
        BuyServiceHttpSession session;
        IapTest::SandboxProcess sandbox({"--fault", row.fault});
        ASSERT_TRUE(sandbox.IsRunning()) << sandbox.Error();
        ScopedEnv url("IAP_COUNTRY_SEARCH_URL", sandbox.CountrySearchUrl());
        ScopedEnv timeout("IAP_HTTP_TIMEOUT_MS", "2500");
        ASSERT_EQ(E_SUCCESS, session.Construct(&listener));
        result r = E_FAILURE;
        Outcome::Kind expected = Outcome::ItemList;
        if (row.ask == Items) {
            r = session.RequestItemList(String(kGemGroup), 4, 1, 5, FUNCTION_GET_APPS_ITEM_LIST);
        } else if (row.ask == Purchases) {
            r = session.RequestPurchasedItemList(L"U1000001", String(kGemGroup), 4, 1, 5,
                                                 FUNCTION_GET_PURCHASED_APPS_ITEM_LIST);
            expected = Outcome::PurchasedList;
        } else {
            r = session.RequestCountryList(4, FUNCTION_GET_COUNTRY_LIST);
            expected = Outcome::CountryList;
        }
        ASSERT_EQ(E_SUCCESS, r);
        ASSERT_TRUE(log.WaitFor(4));
        Settle();
        ASSERT_EQ(1u, log.all.size());
        EXPECT_EQ(expected, log.all[0].kind);
        EXPECT_EQ(row.status, log.all[0].code);
        EXPECT_EQ(0, log.all[0].items);
        if (row.ask != Countries) {
            EXPECT_EQ(-1, log.all[0].startNumber);
            EXPECT_EQ(-1, log.all[0].totalCount);
        }
        EXPECT_FALSE(session.HasOpenTransaction());
        EXPECT_FALSE(session.HasPendingTransaction());
    }
}

// ---- records the sandbox never sends ----

using Record = std::vector<std::pair<std::string, std::string>>;

Record Item(const std::string& id, const std::string& price = "1.50") {
    return {{"itemID", id}, {"itemName", "Item " + id}, {"itemPrice", price}, {"currencyUnit", "$"}};
}

Record Purchase(const std::string& id, const std::string& date) {
    Record record = Item(id);
    record.push_back({"paymentID", "P" + id});
    record.push_back({"purchaseDate", date});
    return record;
}

class CannedRecordsTest : public BuyServiceSessionTest {
protected:
    void Serve(std::vector<Record> records, std::string counts) {
        server_ =
            std::make_unique<CannedServer>([this, records, counts](const std::string& path, int tid, int function) {
                if (path == "/ods.as" && function != FUNCTION_GET_COUNTRY_LIST) {
                    return ReplyDocument(tid, function, 0, {{{"countryURL", server_->Url("/store")}}});
                }
                return ReplyDocument(tid, function, 0, records, counts);
            });
        ASSERT_TRUE(server_->IsRunning());
        ConstructAgainst(server_->Url("/ods.as"));
    }
    std::unique_ptr<CannedServer> server_;
};

TEST_F(CannedRecordsTest, ItemPageKeepsTheServersCounts) {
    ASSERT_NO_FATAL_FAILURE(Serve({Item("1"), Item("2")}, " startNum=\"1\" endNum=\"2\" totalCount=\"5\""));
    ASSERT_EQ(E_SUCCESS, session_.RequestItemList(L"g", 1, 1, 2, FUNCTION_GET_APPS_ITEM_LIST));
    const Outcome& outcome = OnlyOutcome(1);
    EXPECT_EQ(0, outcome.code);
    EXPECT_EQ(2, outcome.items);
    EXPECT_EQ(1, outcome.startNumber);
    EXPECT_EQ(2, outcome.endNumber);
    EXPECT_EQ(5, outcome.totalCount);
}

TEST_F(CannedRecordsTest, AnUnreadableItemFailsTheWholeList) {
    ASSERT_NO_FATAL_FAILURE(
        Serve({Item("1"), Item("2", "one fifty")}, " startNum=\"1\" endNum=\"2\" totalCount=\"2\""));
    ASSERT_EQ(E_SUCCESS, session_.RequestItemList(L"g", 1, 1, 2, FUNCTION_GET_APPS_ITEM_LIST));
    const Outcome& outcome = OnlyOutcome(1);
    EXPECT_EQ(Outcome::ItemList, outcome.kind);
    EXPECT_EQ(IapLib::STATUS_GENERAL_FAILURE, outcome.code);
    EXPECT_EQ(0, outcome.items);
}

TEST_F(CannedRecordsTest, PurchaseDatesInEitherFormAreRead) {
    ASSERT_NO_FATAL_FAILURE(Serve({Purchase("1", "20130405123456"), Purchase("2", "2013-04-06 01:02:03")},
                                  " startNum=\"1\" endNum=\"2\" totalCount=\"2\""));
    ASSERT_EQ(E_SUCCESS,
              session_.RequestPurchasedItemList(L"U1", L"g", 2, 1, 2, FUNCTION_GET_PURCHASED_APPS_ITEM_LIST));
    const Outcome& outcome = OnlyOutcome(2);
    EXPECT_EQ(0, outcome.code);
    ASSERT_EQ(2, listener_.purchases.GetCount());
    EXPECT_EQ(L"2013-04-05 12:34:56", listener_.purchases.At(0).GetPurchaseDate().ToString().ToStdWString());
    EXPECT_EQ(L"2013-04-06 01:02:03", listener_.purchases.At(1).GetPurchaseDate().ToString().ToStdWString());
    EXPECT_EQ(L"P2", listener_.purchases.At(1).GetPaymentId().ToStdWString());
    EXPECT_EQ(L"g", listener_.purchases.At(1).GetItemGroupId().ToStdWString());
}

TEST_F(CannedRecordsTest, AnUnreadablePurchaseEmptiesTheList) {
    struct Row {
        const char* why;
        Record bad;
    };
    const Row rows[] = {
        {"date in no accepted form", Purchase("2", "5 April 2013")},
        {"no payment id", Item("2")},
        {"no date",
         [] {
             Record r = Item("2");
             r.push_back({"paymentID", "P2"});
             return r;
         }()},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        OutcomeLog log;
        RecordingListener listener(log);
        BuyServiceHttpSession session;
        CannedServer server([&row](const std::string&, int tid, int function) {
            return ReplyDocument(tid, function, 0, {Purchase("1", "20130405123456"), row.bad},
                                 " startNum=\"1\" endNum=\"2\" totalCount=\"2\"");
        });
        ASSERT_TRUE(server.IsRunning());
        ASSERT_EQ(E_SUCCESS, session.Construct(&listener));
        // Known server: a country search is not needed.
        ASSERT_EQ(E_SUCCESS, session.SendRequest(3, String(server.Url("/store").c_str()),
                                                 FUNCTION_GET_PURCHASED_APPS_ITEM_LIST, Params()));
        ASSERT_TRUE(log.WaitFor(3));
        Settle(100);
        ASSERT_EQ(1u, log.all.size());
        EXPECT_EQ(Outcome::PurchasedList, log.all[0].kind);
        EXPECT_EQ(IapLib::STATUS_GENERAL_FAILURE, log.all[0].code);
        EXPECT_EQ(0, log.all[0].items);
    }
}

TEST_F(CannedRecordsTest, PurchasesWithoutCountsFail) {
    ASSERT_NO_FATAL_FAILURE(Serve({Purchase("1", "20130405123456")}, ""));
    ASSERT_EQ(E_SUCCESS,
              session_.RequestPurchasedItemList(L"U1", L"g", 2, 1, 2, FUNCTION_GET_PURCHASED_APPS_ITEM_LIST));
    const Outcome& outcome = OnlyOutcome(2);
    EXPECT_EQ(IapLib::STATUS_GENERAL_FAILURE, outcome.code);
    EXPECT_EQ(0, outcome.items);
}

}  // namespace
