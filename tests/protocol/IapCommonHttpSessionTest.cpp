// The common server session against a real sandbox store server (and, for
// replies no honest server sends, a loopback server with canned documents).
#include "lib/protocol/IapCommonHttpSession.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "lib/device/IapSystemInfo.h"
#include "lib/protocol/IapCommonHttpReply.h"
#include "platform/net/HttpSession.h"
#include "tests/protocol/IapCommonHttpSessionTestSupport.h"
#include "tests/support/SandboxProcess.h"

using namespace Vx;
using namespace Vx::Base;
using namespace IapCommonHttp;
using namespace IapSessionTest;

namespace {

const char kGemGroup[] = "100000000001";        // 25 items in the demo catalogue
const char kCharacterGroup[] = "100000000002";  // 3 items

class Environment : public ::testing::Environment {
public:
    void SetUp() override { UseFreshPlatformHome(); }
};
[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new Environment);

// Only the upgrade check reaches the listener from the common session.
class UpgradeListener : public IapListener {
public:
    explicit UpgradeListener(OutcomeLog& log) : log_(log) {}
    void OnCheckAppUpgradeReceived(int tid, const String& url, IapLib::StatusCode status) override {
        log_.Add({Outcome::Upgrade, tid, FUNCTION_CHECK_APP_UPGRADE, status, url.ToStdWString()});
    }
    void OnItemInformationListReceived(int, IapLib::StatusCode, const IapItemList<IapItemInformation>&) override {
        ADD_FAILURE() << "the common session reports no item list";
    }
    void OnCountryListReceived(int, IapLib::StatusCode, const Collection::ArrayList&) override {
        ADD_FAILURE() << "the common session reports no country list";
    }
    void OnPurchasedItemInformationListReceived(int, IapLib::StatusCode,
                                                const IapItemList<IapPurchasedItemInformation>&) override {
        ADD_FAILURE() << "the common session reports no purchased list";
    }
    void OnPurchaseItemInitialized(int, IapLib::StatusCode, const IapPurchaseTicket&) override {
        ADD_FAILURE() << "the common session reports no purchase";
    }
    void OnPurchaseItemFinished(int, IapLib::StatusCode, const IapPurchasedItemInformation&) override {
        ADD_FAILURE() << "the common session reports no purchase";
    }

private:
    OutcomeLog& log_;
};

// Plays a derived session: owns the item list, the purchased list and the
// country list, and logs what the common session hands it for them.
class TestSession : public IapCommonHttpSession {
public:
    explicit TestSession(OutcomeLog& log) : log_(log) {}

    void HandleReply(const IapCommonHttpReply& reply) override {
        if (!Owns(reply.functionId)) return IapCommonHttpSession::HandleReply(reply);
        Outcome outcome{Outcome::Reply, reply.transactionId, reply.functionId, reply.rawErrorCode, {}};
        if (reply.functionId == FUNCTION_GET_APPS_ITEM_LIST) {
            IapItemList<IapItemInformation> list;
            if (BuildItemListFromReply(String(L"g"), reply, &list) == E_SUCCESS) {
                outcome.items = list.GetCount();
                outcome.startNumber = list.startNumber;
                outcome.endNumber = list.endNumber;
                outcome.totalCount = list.totalCount;
                if (list.GetCount() > 0) firstItem = list.At(0);
            }
        } else {
            outcome.items = reply.records.GetCount();
        }
        log_.Add(outcome);
    }
    void HandleErrorReply(const IapCommonHttpReply& reply) override {
        if (!Owns(reply.functionId)) return IapCommonHttpSession::HandleErrorReply(reply);
        log_.Add({Outcome::Error, reply.transactionId, reply.functionId, reply.rawErrorCode, {}});
    }

    void SetServerUrl(const std::string& url) { serverUrl = String(url.c_str()); }
    bool CurrencyUnitPrecedes() const { return currencyUnitPrecedes; }
    bool CurrencyUnitHasPenny() const { return currencyUnitHasPenny; }
    bool CurrencyUnitDivision() const { return currencyUnitDivision; }
    bool FreeStoreClsf() const { return freeStoreClsf; }
    bool FreetabClsf() const { return freetabClsf; }
    int SnsVal() const { return snsVal; }
    std::wstring CountryCode() const { return countryCode.ToStdWString(); }
    Net::Http::HttpTransaction* Current() const { return currentTransaction; }
    Net::Http::HttpSession& Http() { return httpSession; }

    IapItemInformation firstItem;

private:
    static bool Owns(int function) {
        return function == FUNCTION_GET_APPS_ITEM_LIST || function == FUNCTION_GET_PURCHASED_APPS_ITEM_LIST ||
               function == FUNCTION_GET_COUNTRY_LIST;
    }
    OutcomeLog& log_;
};

Params ItemParams(TestSession& session, const char* group, int start, int end) {
    Params params;
    EXPECT_EQ(E_SUCCESS, session.BuildRequestItemListParams(String(group), start, end, &params));
    return params;
}

Params UpgradeParams() {
    Params params;
    params.Add(L"duid", L"00112233aabb1");
    params.Add(L"preloadApp", L"buyservice@1.0.0@1");
    return params;
}

// A session against a sandbox of its own, for table rows that each need a
// fresh pair.
struct Rig {
    explicit Rig(const std::vector<std::string>& sandboxArgs) : sandbox(sandboxArgs) {}
    ::testing::AssertionResult Start() {
        if (!sandbox.IsRunning()) return ::testing::AssertionFailure() << sandbox.Error();
        ScopedEnv url("IAP_COUNTRY_SEARCH_URL", sandbox.CountrySearchUrl());
        if (session.Construct(&listener) != E_SUCCESS) return ::testing::AssertionFailure() << "Construct failed";
        return ::testing::AssertionSuccess();
    }
    std::vector<LoggedRequest> Requests() const { return ParseRequestLog(sandbox.RecentRequests()); }

    OutcomeLog log;
    UpgradeListener listener{log};
    TestSession session{log};
    IapTest::SandboxProcess sandbox;
};

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        IapSystemInfo& info = IapSystemInfo::GetInstance();
        info.mcc = L"450";
        info.mode = L"0";
        info.deviceId = L"00112233aabb1";
    }

    // Starts the sandbox with the given arguments and constructs the session against it.
    void Start(const std::vector<std::string>& args = {}) {
        sandbox_ = std::make_unique<IapTest::SandboxProcess>(args);
        ASSERT_TRUE(sandbox_->IsRunning()) << sandbox_->Error();
        ScopedEnv url("IAP_COUNTRY_SEARCH_URL", sandbox_->CountrySearchUrl());
        ASSERT_EQ(E_SUCCESS, session_.Construct(&listener_));
    }

    // Finds the server with a country search of its own, so that the next
    // request goes straight to the store.
    void LearnServer() {
        ASSERT_EQ(E_SUCCESS, session_.SearchCountryEx(99));
        ASSERT_TRUE(RunUntil([&] { return !session_.HasOpenTransaction(); }));
        ASSERT_EQ(sandbox_->StoreUrl(), session_.GetServerUrl().ToUtf8());
    }

    std::vector<LoggedRequest> Requests() const { return ParseRequestLog(sandbox_->RecentRequests()); }

    OutcomeLog log_;
    UpgradeListener listener_{log_};
    TestSession session_{log_};
    std::unique_ptr<IapTest::SandboxProcess> sandbox_;
};

TEST_F(SessionTest, ConstructTakesTheCountryEndpointAndRefusesBadCalls) {
    TestSession session(log_);
    EXPECT_EQ(E_INVALID_ARG, session.Construct(nullptr));
    // Nothing can be sent before Construct, and nothing stays held.
    EXPECT_NE(E_SUCCESS, session.SendRequest(1, FUNCTION_GET_APPS_ITEM_LIST, Params()));
    EXPECT_NE(E_SUCCESS, session.SendRequest(2, FUNCTION_GET_COUNTRY_LIST, Params()));
    EXPECT_FALSE(session.HasPendingTransaction());
    EXPECT_FALSE(session.HasOpenTransaction());
    {
        ScopedEnv url("IAP_COUNTRY_SEARCH_URL", "http://127.0.0.1:1/ods.as");
        EXPECT_EQ(E_SUCCESS, session.Construct(&listener_));
    }
    EXPECT_EQ(E_INVALID_STATE, session.Construct(&listener_));
    EXPECT_EQ(L"http://127.0.0.1:1/ods.as", session.GetCountrySearchUrl().ToStdWString());
    EXPECT_TRUE(session.GetServerUrl().IsEmpty());

    TestSession unconfigured(log_);
    ::unsetenv("IAP_COUNTRY_SEARCH_URL");
    ASSERT_EQ(E_SUCCESS, unconfigured.Construct(&listener_));
    std::string fallback = unconfigured.GetCountrySearchUrl().ToUtf8();
    EXPECT_EQ("/ods.as", fallback.substr(fallback.size() - 7));
}

TEST_F(SessionTest, FirstRequestWaitsBehindACountrySearchUnderTheCallersId) {
    IapSystemInfo::GetInstance().mcc = L"310";
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_EQ(E_SUCCESS,
              session_.SendRequest(7, FUNCTION_GET_APPS_ITEM_LIST, ItemParams(session_, kCharacterGroup, 1, 3)));
    EXPECT_TRUE(session_.HasOpenTransaction());
    EXPECT_TRUE(session_.HasPendingTransaction());
    // Only one request at a time, and only one held.
    EXPECT_EQ(E_IN_PROGRESS,
              session_.SendRequest(8, FUNCTION_GET_APPS_ITEM_LIST, ItemParams(session_, kGemGroup, 1, 3)));
    EXPECT_EQ(E_IN_PROGRESS, session_.SearchCountryEx(9));

    ASSERT_TRUE(log_.WaitFor(7));
    Settle();
    ASSERT_EQ(1u, log_.all.size());
    const Outcome& outcome = log_.all[0];
    EXPECT_EQ(Outcome::Reply, outcome.kind);
    EXPECT_EQ(FUNCTION_GET_APPS_ITEM_LIST, outcome.function);
    EXPECT_EQ(3, outcome.items);
    EXPECT_FALSE(session_.HasPendingTransaction());

    std::vector<LoggedRequest> requests = Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("/ods.as", requests[0].path);
    EXPECT_EQ("countrySearch", requests[0].function);
    EXPECT_EQ(7, requests[0].transactionId);
    EXPECT_EQ("{\"latestCountryCode\":\"310\"}", requests[0].params);
    EXPECT_EQ("/store", requests[1].path);
    EXPECT_EQ("getAppsItemList", requests[1].function);
    EXPECT_EQ(7, requests[1].transactionId);

    // United States: "$" before the amount, with pennies.
    EXPECT_EQ(sandbox_->StoreUrl(), session_.GetServerUrl().ToUtf8());
    EXPECT_EQ(L"US", session_.CountryCode());
    EXPECT_TRUE(session_.CurrencyUnitPrecedes());
    EXPECT_TRUE(session_.CurrencyUnitHasPenny());
    EXPECT_EQ(1, session_.SnsVal());
    EXPECT_EQ(L"$", session_.firstItem.GetCurrencyUnit().ToStdWString());
    EXPECT_TRUE(session_.firstItem.GetCurrencyUnitPrecedes());

    // The server stays known: the next request goes straight to the store.
    ASSERT_EQ(E_SUCCESS, session_.SendRequest(8, FUNCTION_GET_APPS_ITEM_LIST, ItemParams(session_, kGemGroup, 1, 3)));
    EXPECT_FALSE(session_.HasPendingTransaction());
    ASSERT_TRUE(log_.WaitFor(8));
    EXPECT_EQ(1, CountFunction(Requests(), "countrySearch"));
}

TEST_F(SessionTest, PagesFollowTheServersCounts) {
    ASSERT_NO_FATAL_FAILURE(Start());
    struct Page {
        int start, end;
        int items, startNumber, endNumber, totalCount;
    };
    const Page pages[] = {
        {1, 10, 10, 1, 10, 25}, {21, 30, 5, 21, 25, 25}, {26, 30, 0, 26, 25, 25}, {7, 7, 1, 7, 7, 25}};
    int tid = 100;
    for (const Page& page : pages) {
        SCOPED_TRACE(page.start);
        ASSERT_EQ(E_SUCCESS, session_.SendRequest(tid, FUNCTION_GET_APPS_ITEM_LIST,
                                                  ItemParams(session_, kGemGroup, page.start, page.end)));
        ASSERT_TRUE(log_.WaitFor(tid));
        const Outcome* outcome = log_.For(tid);
        EXPECT_EQ(Outcome::Reply, outcome->kind);
        EXPECT_EQ(page.items, outcome->items);
        EXPECT_EQ(page.startNumber, outcome->startNumber);
        EXPECT_EQ(page.endNumber, outcome->endNumber);
        EXPECT_EQ(page.totalCount, outcome->totalCount);
        ++tid;
    }
}

TEST_F(SessionTest, UpgradeCheckReportsTheOfferedPackageOrNone) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_EQ(E_SUCCESS, session_.SendRequest(5, FUNCTION_CHECK_APP_UPGRADE, UpgradeParams()));
    ASSERT_TRUE(log_.WaitFor(5));
    EXPECT_EQ(Outcome::Upgrade, log_.For(5)->kind);
    EXPECT_EQ(0, log_.For(5)->code);
    EXPECT_EQ(L"", log_.For(5)->url);
    EXPECT_EQ(L"", session_.GetOfferedUpgradeVersion());
    std::vector<LoggedRequest> requests = Requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("countrySearch", requests[0].function);
    EXPECT_EQ("checkAppUpgrade", requests[1].function);
    EXPECT_EQ("{\"duid\":\"00112233aabb1\",\"preloadApp\":\"buyservice@1.0.0@1\"}", requests[1].params);

    std::string package = ::testing::TempDir() + "buyclient-9.0.0-" + std::to_string(::getpid()) + ".vpk";
    std::ofstream(package) << "package bytes";
    ASSERT_TRUE(sandbox_->RegisterPackage("buyclient", "9.0.0", package));
    ASSERT_EQ(E_SUCCESS, session_.SendRequest(6, FUNCTION_CHECK_APP_UPGRADE, UpgradeParams()));
    ASSERT_TRUE(log_.WaitFor(6));
    EXPECT_EQ(0, log_.For(6)->code);
    EXPECT_EQ(sandbox_->BaseUrl() + "/packages/buyclient-9.0.0.vpk", String(log_.For(6)->url.c_str()).ToUtf8());
    EXPECT_EQ(L"9.0.0", session_.GetOfferedUpgradeVersion());
    ::unlink(package.c_str());
}

TEST_F(SessionTest, FailedUpgradeCheckReportsNoUrlAndGeneralFailure) {
    for (const char* fault : {"checkAppUpgrade:error=9105:1", "checkAppUpgrade:status=500:1", "countrySearch:drop"}) {
        SCOPED_TRACE(fault);
        Rig rig({"--fault", fault});
        OutcomeLog& log = rig.log;
        TestSession& session = rig.session;
        ASSERT_TRUE(rig.Start());
        ASSERT_EQ(E_SUCCESS, session.SendRequest(3, FUNCTION_CHECK_APP_UPGRADE, UpgradeParams()));
        ASSERT_TRUE(log.WaitFor(3));
        Settle();
        ASSERT_EQ(1u, log.all.size());
        EXPECT_EQ(Outcome::Upgrade, log.all[0].kind);
        EXPECT_EQ(IapLib::STATUS_GENERAL_FAILURE, log.all[0].code);
        EXPECT_EQ(L"", log.all[0].url);
        EXPECT_EQ(L"", session.GetOfferedUpgradeVersion());
    }
}

TEST_F(SessionTest, RequestCheckAppUpgradeNeedsARunningApplication) {
    ASSERT_NO_FATAL_FAILURE(Start());
    EXPECT_EQ(E_INVALID_ARG, session_.RequestCheckAppUpgrade(-1, String()));
    EXPECT_EQ(E_FAILURE, session_.RequestCheckAppUpgrade(1, String()));
    EXPECT_FALSE(session_.HasOpenTransaction());
    EXPECT_FALSE(session_.HasPendingTransaction());
    Settle(100);
    EXPECT_TRUE(log_.all.empty());
    EXPECT_TRUE(Requests().empty());
}

TEST_F(SessionTest, CountryListGoesStraightToTheCountryEndpoint) {
    ASSERT_NO_FATAL_FAILURE(Start());
    Params none;
    ASSERT_EQ(E_SUCCESS, session_.SendRequest(3, FUNCTION_GET_COUNTRY_LIST, none));
    EXPECT_FALSE(session_.HasPendingTransaction());
    ASSERT_TRUE(log_.WaitFor(3));
    EXPECT_EQ(Outcome::Reply, log_.For(3)->kind);
    EXPECT_EQ(3, log_.For(3)->items);
    EXPECT_TRUE(session_.GetServerUrl().IsEmpty());

    // Also once the store is known, and whatever URL the caller names.
    ASSERT_NO_FATAL_FAILURE(LearnServer());
    ASSERT_EQ(E_SUCCESS,
              session_.SendRequest(4, String(sandbox_->StoreUrl().c_str()), FUNCTION_GET_COUNTRY_LIST, none));
    ASSERT_TRUE(log_.WaitFor(4));
    std::vector<LoggedRequest> requests = Requests();
    ASSERT_EQ(3u, requests.size());
    for (const LoggedRequest& request : requests)
        EXPECT_EQ("/ods.as", request.path);
    EXPECT_EQ("getCountryList", requests[0].function);
    EXPECT_EQ("getCountryList", requests[2].function);
}

// A fault on the request itself reaches its caller once, with the code that
// the caller's status is made from.
TEST_F(SessionTest, FaultsOnTheRequestReachTheCallerOnceWithTheirCode) {
    struct Row {
        const char* fault;
        int code;
        int status;
    };
    const Row rows[] = {
        {"getAppsItemList:error=9107", 9107, 9201}, {"getAppsItemList:error=3", 3, 9200},
        {"getAppsItemList:error=9108", 9108, 9203}, {"getAppsItemList:error=9216", 9216, -1},
        {"getAppsItemList:status=500", 3, 9200},    {"getAppsItemList:status=404", 3, 9200},
        {"getAppsItemList:malformed", 9000, 9000},  {"getAppsItemList:drop", 2, 200},
        {"getAppsItemList:delay=8000", 2, 200},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fault);
        Rig rig({"--fault", row.fault});
        OutcomeLog& log = rig.log;
        TestSession& session = rig.session;
        ASSERT_TRUE(rig.Start());
        ASSERT_EQ(E_SUCCESS, session.SearchCountryEx(1));
        ASSERT_TRUE(RunUntil([&] { return !session.HasOpenTransaction(); }));
        ASSERT_FALSE(session.GetServerUrl().IsEmpty());

        // Short, so that the delayed reply is given up.
        ScopedEnv timeout("IAP_HTTP_TIMEOUT_MS", "2500");
        ASSERT_EQ(E_SUCCESS, session.SendRequest(2, FUNCTION_GET_APPS_ITEM_LIST, ItemParams(session, kGemGroup, 1, 5)));
        ASSERT_TRUE(log.WaitFor(2));
        Settle();
        ASSERT_EQ(1u, log.all.size());
        EXPECT_EQ(Outcome::Error, log.all[0].kind);
        EXPECT_EQ(FUNCTION_GET_APPS_ITEM_LIST, log.all[0].function);
        EXPECT_EQ(row.code, log.all[0].code);
        EXPECT_EQ(row.status, StatusToIapLibStatus(ValidateErrorCode(log.all[0].code)));
        EXPECT_FALSE(session.HasOpenTransaction());
    }
}

// A failed country search fails the request held behind it, once, and the
// held request is never sent.
TEST_F(SessionTest, FaultsOnTheCountrySearchFailTheHeldRequestOnce) {
    struct Row {
        const char* fault;
        int code;
    };
    const Row rows[] = {
        {"countrySearch:error=9105", 9000}, {"countrySearch:error=3", 9000},   {"countrySearch:status=500", 3},
        {"countrySearch:status=404", 3},    {"countrySearch:malformed", 9000}, {"countrySearch:drop", 2},
        {"countrySearch:delay=8000", 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fault);
        Rig rig({"--fault", row.fault});
        OutcomeLog& log = rig.log;
        TestSession& session = rig.session;
        ScopedEnv timeout("IAP_HTTP_TIMEOUT_MS", "2500");
        ASSERT_TRUE(rig.Start());
        ASSERT_EQ(E_SUCCESS, session.SendRequest(4, FUNCTION_GET_APPS_ITEM_LIST, ItemParams(session, kGemGroup, 1, 5)));
        ASSERT_TRUE(log.WaitFor(4));
        Settle();
        ASSERT_EQ(1u, log.all.size());
        EXPECT_EQ(Outcome::Error, log.all[0].kind);
        EXPECT_EQ(FUNCTION_GET_APPS_ITEM_LIST, log.all[0].function);
        EXPECT_EQ(row.code, log.all[0].code);
        EXPECT_FALSE(session.HasOpenTransaction());
        EXPECT_FALSE(session.HasPendingTransaction());
        EXPECT_TRUE(session.GetServerUrl().IsEmpty());
        // The log has a delayed request only once it is answered; the HTTP
        // stack sends a request again, once, when its connection is dropped.
        std::vector<LoggedRequest> requests = rig.Requests();
        EXPECT_EQ(0, CountFunction(requests, "getAppsItemList"));
        EXPECT_LE(CountFunction(requests, "countrySearch"), 2);
    }
}

// The service answers a failed upgrade check by asking for the item list at
// once, from inside the failure report: that request must go its way.
TEST_F(SessionTest, ARequestStartedFromAFailureReportIsServed) {
    for (const char* fault :
         {"countrySearch:status=500", "countrySearch:drop", "countrySearch:error=9000", "countrySearch:malformed"}) {
        SCOPED_TRACE(fault);
        Rig rig({"--fault", fault});
        OutcomeLog& log = rig.log;
        TestSession& session = rig.session;
        ASSERT_TRUE(rig.Start());
        result restarted = E_FAILURE;
        log.react = [&](const Outcome& outcome) {
            if (outcome.transactionId == 1) {
                EXPECT_TRUE(rig.sandbox.ClearFaults());
                restarted = session.SendRequest(2, FUNCTION_GET_APPS_ITEM_LIST, ItemParams(session, kGemGroup, 1, 4));
            }
        };
        ASSERT_EQ(E_SUCCESS, session.SendRequest(1, FUNCTION_CHECK_APP_UPGRADE, UpgradeParams()));
        ASSERT_TRUE(log.WaitFor(2));
        Settle();
        EXPECT_EQ(E_SUCCESS, restarted);
        ASSERT_EQ(2u, log.all.size());
        EXPECT_EQ(Outcome::Upgrade, log.all[0].kind);
        EXPECT_EQ(IapLib::STATUS_GENERAL_FAILURE, log.all[0].code);
        EXPECT_EQ(Outcome::Reply, log.all[1].kind);
        EXPECT_EQ(4, log.all[1].items);
        std::vector<LoggedRequest> requests = rig.Requests();
        EXPECT_EQ(0, CountFunction(requests, "checkAppUpgrade"));
        EXPECT_EQ(1, CountFunction(requests, "getAppsItemList"));
    }
}

TEST_F(SessionTest, CancelReportsOnceAndStopsTheExchange) {
    ASSERT_NO_FATAL_FAILURE(Start({"--fault", "getAppsItemList:delay=3000:1"}));
    session_.CancelCurrentTransaction();  // nothing open: nothing to report
    EXPECT_TRUE(log_.all.empty());

    // While the held request waits for the country search.
    ASSERT_EQ(E_SUCCESS, session_.SendRequest(1, FUNCTION_GET_APPS_ITEM_LIST, ItemParams(session_, kGemGroup, 1, 2)));
    session_.CancelCurrentTransaction();
    ASSERT_EQ(1u, log_.all.size());
    EXPECT_EQ(Outcome::Error, log_.all[0].kind);
    EXPECT_EQ(1, log_.all[0].transactionId);
    EXPECT_EQ(FUNCTION_GET_APPS_ITEM_LIST, log_.all[0].function);
    EXPECT_EQ(ERROR_CANCELED, log_.all[0].code);
    EXPECT_FALSE(session_.HasOpenTransaction());
    EXPECT_FALSE(session_.HasPendingTransaction());

    // While the request itself is open.
    ASSERT_NO_FATAL_FAILURE(LearnServer());
    ASSERT_EQ(E_SUCCESS, session_.SendRequest(2, FUNCTION_GET_APPS_ITEM_LIST, ItemParams(session_, kGemGroup, 1, 2)));
    Settle(100);
    session_.CancelCurrentTransaction();
    ASSERT_EQ(2u, log_.all.size());
    EXPECT_EQ(2, log_.all[1].transactionId);
    EXPECT_EQ(ERROR_CANCELED, log_.all[1].code);
    Settle(500);
    EXPECT_EQ(2u, log_.all.size());

    // The session is free again.
    ASSERT_EQ(E_SUCCESS, session_.SendRequest(3, FUNCTION_GET_APPS_ITEM_LIST, ItemParams(session_, kGemGroup, 1, 2)));
    ASSERT_TRUE(log_.WaitFor(3));
    EXPECT_EQ(Outcome::Reply, log_.For(3)->kind);
}

TEST_F(SessionTest, ACertificateThatNeedsVerificationIsRefused) {
    ASSERT_NO_FATAL_FAILURE(Start({"--fault", "getAppsItemList:delay=3000"}));
    ASSERT_NO_FATAL_FAILURE(LearnServer());
    ASSERT_EQ(E_SUCCESS, session_.SendRequest(6, FUNCTION_GET_APPS_ITEM_LIST, ItemParams(session_, kGemGroup, 1, 2)));
    ASSERT_NE(nullptr, session_.Current());
    EXPECT_EQ(IapCommonHttpSession::kTransactionTimeoutSeconds, session_.Current()->GetTimeout());

    // Events of a transaction that is not the open one change nothing.
    Net::Http::HttpSession other;
    ASSERT_EQ(E_SUCCESS, other.Construct(Net::Http::NET_HTTP_SESSION_MODE_MULTIPLE_HOST, nullptr,
                                         String(L"http://127.0.0.1"), nullptr));
    std::unique_ptr<Net::Http::HttpTransaction> stranger(other.OpenTransactionN());
    ASSERT_NE(nullptr, stranger);
    session_.OnTransactionAborted(other, *stranger, E_FAILURE);
    session_.OnTransactionCompleted(other, *stranger);
    session_.OnTransactionCertVerificationRequiredN(other, *stranger, new String(L"pem"));
    EXPECT_TRUE(log_.all.empty());
    EXPECT_TRUE(session_.HasOpenTransaction());

    session_.OnTransactionCertVerificationRequiredN(session_.Http(), *session_.Current(), new String(L"pem"));
    ASSERT_EQ(1u, log_.all.size());
    EXPECT_EQ(6, log_.all[0].transactionId);
    EXPECT_EQ(ERROR_TRANSACTION_ABORTED, log_.all[0].code);
    EXPECT_FALSE(session_.HasOpenTransaction());
    Settle();
    EXPECT_EQ(1u, log_.all.size());
}

TEST_F(SessionTest, DestroyingTheSessionWithAnOpenRequestReportsNothing) {
    ASSERT_NO_FATAL_FAILURE(Start({"--fault", "getAppsItemList:delay=1000"}));
    {
        TestSession session(log_);
        ScopedEnv url("IAP_COUNTRY_SEARCH_URL", sandbox_->CountrySearchUrl());
        ASSERT_EQ(E_SUCCESS, session.Construct(&listener_));
        ASSERT_EQ(E_SUCCESS, session.SendRequest(1, FUNCTION_GET_APPS_ITEM_LIST, ItemParams(session, kGemGroup, 1, 2)));
        ASSERT_TRUE(RunUntil([&] { return !session.HasPendingTransaction(); }));
        ASSERT_TRUE(session.HasOpenTransaction());
    }
    Settle(1500);
    EXPECT_TRUE(log_.all.empty());
}

TEST_F(SessionTest, ASubmissionThatFailsLeavesTheSessionFree) {
    ASSERT_NO_FATAL_FAILURE(Start());
    session_.SetServerUrl("ftp://127.0.0.1/store");
    EXPECT_NE(E_SUCCESS, session_.SendRequest(1, FUNCTION_GET_APPS_ITEM_LIST, ItemParams(session_, kGemGroup, 1, 2)));
    EXPECT_FALSE(session_.HasOpenTransaction());
    // A function without a server name cannot be written.
    EXPECT_NE(E_SUCCESS, session_.SendRequest(1, static_cast<FunctionId>(1234), Params()));
    EXPECT_FALSE(session_.HasOpenTransaction());
    Settle(100);
    EXPECT_TRUE(log_.all.empty()) << "failures of SendRequest are returned, not reported";

    session_.SetServerUrl(sandbox_->StoreUrl());
    ASSERT_EQ(E_SUCCESS, session_.SendRequest(2, FUNCTION_GET_APPS_ITEM_LIST, ItemParams(session_, kGemGroup, 1, 2)));
    ASSERT_TRUE(log_.WaitFor(2));
    EXPECT_EQ(Outcome::Reply, log_.For(2)->kind);
}

// ---- replies that no honest server sends ----

using Record = std::vector<std::pair<std::string, std::string>>;

class OddReplyTest : public SessionTest {
protected:
    // Serves the country search with `country` and the store with `store`.
    void StartCanned(std::function<std::string(int tid, int function)> country,
                     std::function<std::string(int tid, int function)> store) {
        server_ = std::make_unique<CannedServer>([country, store](const std::string& path, int tid, int function) {
            return path == "/ods.as" ? country(tid, function) : store(tid, function);
        });
        ASSERT_TRUE(server_->IsRunning());
        ScopedEnv url("IAP_COUNTRY_SEARCH_URL", server_->Url("/ods.as"));
        ASSERT_EQ(E_SUCCESS, session_.Construct(&listener_));
    }
    static std::string GoodItems(int tid, int function) {
        return ReplyDocument(tid, function, 0,
                             {{{"itemID", "1"}, {"itemName", "A"}, {"itemPrice", "1"}, {"currencyUnit", "$"}}},
                             " startNum=\"1\" endNum=\"1\" totalCount=\"1\"");
    }

    std::unique_ptr<CannedServer> server_;
};

TEST_F(OddReplyTest, AReplyThatDoesNotAnswerTheOpenRequestFailsIt) {
    struct Row {
        const char* why;
        std::function<std::string(int, int)> reply;
    };
    const Row rows[] = {
        {"unknown function", [](int tid, int) { return ReplyDocument(tid, 1234, 0); }},
        {"another known function", [](int tid, int) { return ReplyDocument(tid, FUNCTION_GET_COUNTRY_LIST, 0); }},
        {"another transaction", [](int tid, int function) { return GoodItems(tid + 1, function); }},
        {"unknown element first",
         [](int tid, int function) {
             std::string doc = GoodItems(tid, function);
             return doc.replace(doc.find("<response"), 0, "<note/>");
         }},
        {"empty body", [](int, int) { return std::string(); }},
        {"not a reply", [](int, int) { return std::string("<html>busy</html>"); }},
    };
    int tid = 10;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        OutcomeLog log;
        UpgradeListener listener(log);
        TestSession session(log);
        CannedServer server([&row](const std::string&, int t, int f) { return row.reply(t, f); });
        ASSERT_TRUE(server.IsRunning());
        ASSERT_EQ(E_SUCCESS, session.Construct(&listener));
        session.SetServerUrl(server.Url("/store"));
        ASSERT_EQ(E_SUCCESS,
                  session.SendRequest(tid, FUNCTION_GET_APPS_ITEM_LIST, ItemParams(session, kGemGroup, 1, 1)));
        ASSERT_TRUE(log.WaitFor(tid));
        Settle(100);
        ASSERT_EQ(1u, log.all.size());
        EXPECT_EQ(Outcome::Error, log.all[0].kind);
        EXPECT_EQ(FUNCTION_GET_APPS_ITEM_LIST, log.all[0].function);
        EXPECT_EQ(ERROR_GENERAL, log.all[0].code);
        ++tid;
    }
}

TEST_F(OddReplyTest, ACountrySearchAnsweredForAnotherTransactionFailsTheHeldRequest) {
    ASSERT_NO_FATAL_FAILURE(StartCanned(
        [](int tid, int function) {
            return ReplyDocument(tid + 1, function, 0, {{{"countryURL", "http://x/"}}});
        },
        GoodItems));
    ASSERT_EQ(E_SUCCESS, session_.SendRequest(5, FUNCTION_GET_APPS_ITEM_LIST, ItemParams(session_, kGemGroup, 1, 1)));
    ASSERT_TRUE(log_.WaitFor(5));
    Settle(100);
    ASSERT_EQ(1u, log_.all.size());
    EXPECT_EQ(ERROR_GENERAL, log_.all[0].code);
    EXPECT_EQ(0, server_->CountHits("/store"));
}

// Repeated country searches are bounded: one more try, then the held request fails.
TEST_F(OddReplyTest, ACountrySearchThatLeavesTheServerUnknownIsRepeatedOnce) {
    struct Row {
        const char* why;
        std::vector<Record> records;
    };
    const Row rows[] = {
        {"no record", {}},
        {"two records", {{{"countryURL", "http://127.0.0.1:1/a"}}, {{"countryURL", "http://127.0.0.1:1/b"}}}},
        {"no countryURL", {{{"countryCode", "KR"}}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        OutcomeLog log;
        UpgradeListener listener(log);
        TestSession session(log);
        CannedServer server(
            [&row](const std::string&, int tid, int function) { return ReplyDocument(tid, function, 0, row.records); });
        ASSERT_TRUE(server.IsRunning());
        ScopedEnv url("IAP_COUNTRY_SEARCH_URL", server.Url("/ods.as"));
        ASSERT_EQ(E_SUCCESS, session.Construct(&listener));
        ASSERT_EQ(E_SUCCESS, session.SendRequest(8, FUNCTION_GET_APPS_ITEM_LIST, ItemParams(session, kGemGroup, 1, 1)));
        ASSERT_TRUE(log.WaitFor(8));
        Settle();
        ASSERT_EQ(1u, log.all.size());
        EXPECT_EQ(Outcome::Error, log.all[0].kind);
        EXPECT_EQ(ERROR_GENERAL, log.all[0].code);
        EXPECT_EQ(2, server.CountHits("/ods.as"));
        EXPECT_EQ(2u, server.Hits().size());
        EXPECT_FALSE(session.HasOpenTransaction());
        EXPECT_FALSE(session.HasPendingTransaction());
    }
}

// Plays a derived session that hears the failures of every function but
// handles the successful replies of none: they fall back to the common session.
class FailuresOnlySession : public IapCommonHttpSession {
public:
    explicit FailuresOnlySession(OutcomeLog& log) : log_(log) {}
    void HandleErrorReply(const IapCommonHttpReply& reply) override {
        if (reply.functionId == FUNCTION_NONE) return IapCommonHttpSession::HandleErrorReply(reply);
        log_.Add({Outcome::Error, reply.transactionId, reply.functionId, reply.rawErrorCode, {}});
    }
    void SetServerUrl(const std::string& url) { serverUrl = String(url.c_str()); }

private:
    OutcomeLog& log_;
};

TEST_F(OddReplyTest, AReplyNoSessionHandlesFailsItsOwnTransactionOnce) {
    OutcomeLog log;
    UpgradeListener listener(log);
    FailuresOnlySession session(log);
    CannedServer server([](const std::string&, int tid, int function) { return ReplyDocument(tid, function, 0); });
    ASSERT_TRUE(server.IsRunning());
    ASSERT_EQ(E_SUCCESS, session.Construct(&listener));
    session.SetServerUrl(server.Url("/store"));
    Params params;
    ASSERT_EQ(E_SUCCESS, params.Construct(1));
    ASSERT_EQ(E_SUCCESS, params.Add(L"emailID", L"anna@example.com"));
    ASSERT_EQ(E_SUCCESS, session.SendRequest(31, FUNCTION_CHECK_PASSWORD, params));
    ASSERT_TRUE(log.WaitFor(31)) << "the caller never heard of its request";
    Settle(100);
    ASSERT_EQ(1u, log.all.size());
    EXPECT_EQ(Outcome::Error, log.all[0].kind);
    EXPECT_EQ(FUNCTION_CHECK_PASSWORD, log.all[0].function);
    EXPECT_EQ(ERROR_GENERAL, log.all[0].code);
    EXPECT_FALSE(session.HasOpenTransaction());
}

TEST_F(OddReplyTest, AServerUrlThatCannotBeUsedFailsTheHeldRequest) {
    ASSERT_NO_FATAL_FAILURE(StartCanned(
        [](int tid, int function) {
            return ReplyDocument(tid, function, 0, {{{"countryURL", "gopher:nowhere"}}});
        },
        GoodItems));
    ASSERT_EQ(E_SUCCESS, session_.SendRequest(5, FUNCTION_GET_APPS_ITEM_LIST, ItemParams(session_, kGemGroup, 1, 1)));
    ASSERT_TRUE(log_.WaitFor(5));
    Settle(100);
    ASSERT_EQ(1u, log_.all.size());
    EXPECT_EQ(ERROR_GENERAL, log_.all[0].code);
    EXPECT_FALSE(session_.HasOpenTransaction());
}

TEST_F(OddReplyTest, CountrySettingsAreReadAsTheServerWritesThem) {
    ASSERT_NO_FATAL_FAILURE(StartCanned(
        [this](int tid, int function) {
            return ReplyDocument(tid, function, 0,
                                 {{{"countryURL", server_->Url("/store")},
                                   {"countryCode", "JP"},
                                   {"currencyUnitPrecedes", "true"},
                                   {"currencyUnitHasPenny", "1"},
                                   {"currencyUnitDivision", "1"},
                                   {"freeStoreClsf", "1"},
                                   {"freetabClsf", "0"},
                                   {"snsVal", "7"}}});
        },
        GoodItems));
    ASSERT_EQ(E_SUCCESS, session_.SearchCountryEx(1));
    ASSERT_TRUE(RunUntil([&] { return !session_.HasOpenTransaction(); }));
    EXPECT_EQ(server_->Url("/store"), session_.GetServerUrl().ToUtf8());
    EXPECT_EQ(L"JP", session_.CountryCode());
    EXPECT_FALSE(session_.CurrencyUnitPrecedes()) << "only \"1\" means true";
    EXPECT_TRUE(session_.CurrencyUnitHasPenny());
    EXPECT_TRUE(session_.CurrencyUnitDivision());
    EXPECT_TRUE(session_.FreeStoreClsf());
    EXPECT_FALSE(session_.FreetabClsf());
    EXPECT_EQ(7, session_.SnsVal());
    EXPECT_TRUE(log_.all.empty());

    std::vector<CannedServer::Hit> hits = server_->Hits();
    ASSERT_EQ(1u, hits.size());
    EXPECT_EQ("POST", hits[0].method);
    EXPECT_EQ("text/plain; charset=utf-8", hits[0].contentType);
    EXPECT_NE(std::string::npos, hits[0].body.find("<request id=\"2200\" name=\"countrySearch\" numParam=\"1\" "
                                                   "transactionId=\"1\"><param name=\"latestCountryCode\">450</param>"))
        << hits[0].body;
}

}  // namespace
