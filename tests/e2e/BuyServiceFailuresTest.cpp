// How buyservice answers bad requests, store errors and transport failures.
#include "tests/e2e/E2eSupport.h"

using namespace E2e;

namespace {

class BuyServiceFailuresTest : public BuyServiceE2eTest {
protected:
    std::vector<std::string> CharacterPage(const std::string& transactionId = "9") {
        return {"_transactionId=" + transactionId, std::string("_itemGroupId=") + kCharacterGroup, "_startNumber=1",
                "_endNumber=3"};
    }
    // A failed list: answered (result 0) in the form of the list asked for, with no records.
    void ExpectFailedList(const AppctlAnswer& answer, const std::string& method, const std::string& status,
                          const std::string& transactionId) {
        ASSERT_EQ(answer.exitCode, 0) << Diagnose(answer);
        ASSERT_TRUE(answer.parsed) << Diagnose(answer);
        EXPECT_EQ(answer.result, 0);
        EXPECT_EQ(answer.Get("_method"), method);
        EXPECT_EQ(answer.Get("_result"), status) << Diagnose(answer);
        EXPECT_EQ(answer.Get("_transactionId"), transactionId);
        EXPECT_EQ(answer.CountRecords(), 0) << Diagnose(answer);
    }
    void SignInDemoUser() {
        RunResult added =
            RunProgram({Bin("appctl"), "account", "add", "--user-name", "demo@vexmora.com", "--user-id", "U1000001"});
        ASSERT_EQ(added.exitCode, 0) << added.output;
    }
};

TEST_F(BuyServiceFailuresTest, ListWithoutTransactionIdIsRefusedBeforeAnyServerRequest) {
    AppctlAnswer items =
        Ask(kItemList, {std::string("_itemGroupId=") + kCharacterGroup, "_startNumber=1", "_endNumber=3"});
    ExpectFailedList(items, "OnItemInformationListReceived", "9000", "-1");
    EXPECT_EQ(items.Get("_startNumber"), "-1");
    EXPECT_EQ(items.Get("_totalCount"), "-1");

    AppctlAnswer purchases = Ask(kPurchasedList, {std::string("_itemGroupId=") + kCharacterGroup});
    ExpectFailedList(purchases, "OnPurchasedItemInformationListReceived", "9000", "-1");
    EXPECT_TRUE(StoreFunctions().empty()) << sandbox_.RecentRequests();
}

TEST_F(BuyServiceFailuresTest, BadRangePassesTheUpgradeCheckButIsNotAsked) {
    const std::vector<std::vector<std::string>> ranges = {
        {"_endNumber=3"},                    // no start: 0
        {"_startNumber=5", "_endNumber=2"},  // end before start
        {"_startNumber=-1", "_endNumber=2"},
        {"_startNumber=one", "_endNumber=2"},  // unreadable: the default 0
    };
    for (const auto& range : ranges) {
        SCOPED_TRACE(range.front());
        ASSERT_EQ(sandbox_.Admin("DELETE", "/admin/requests").status, 200);
        std::vector<std::string> extra{"_transactionId=11", std::string("_itemGroupId=") + kCharacterGroup};
        extra.insert(extra.end(), range.begin(), range.end());
        ExpectFailedList(Ask(kItemList, extra), "OnItemInformationListReceived", "9000", "11");
        EXPECT_EQ(StoreFunctions(), (std::vector<std::string>{"countrySearch", "checkAppUpgrade"}));
    }
}

TEST_F(BuyServiceFailuresTest, UnknownOperationEndsTheServiceWithoutAnswer) {
    AppctlAnswer answer = Ask("/appcontrol/operation/iap/get_everything", {"_transactionId=1"});
    EXPECT_EQ(answer.exitCode, 3) << Diagnose(answer);
    EXPECT_FALSE(answer.parsed);
    EXPECT_TRUE(StoreFunctions().empty());
}

TEST_F(BuyServiceFailuresTest, StoreErrorsAndHttpFailuresReachTheCallerAsStatuses) {
    struct Row {
        const char* fault;
        const char* status;
    };
    const Row rows[] = {
        {"getAppsItemList:error=9107", "9201"},
        {"getAppsItemList:error=9108", "9203"},
        {"getAppsItemList:error=9105", "9000"},
        {"getAppsItemList:error=1000", "1000"},
        {"getAppsItemList:status=500", "9200"},
        {"getAppsItemList:status=404", "9200"},
        {"getAppsItemList:malformed", "9000"},
        {"getAppsItemList:drop", "200"},
        // A failed country search fails the request waiting behind it: an
        // HTTP failure as such, an error reply as a failed lookup.
        {"countrySearch:status=500", "9200"},
        {"countrySearch:error=9001", "9000"},
        {"countrySearch:malformed", "9000"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fault);
        ASSERT_TRUE(sandbox_.ClearFaults());
        ASSERT_TRUE(sandbox_.AddFault(row.fault));
        ExpectFailedList(Ask(kItemList, CharacterPage()), "OnItemInformationListReceived", row.status, "9");
    }
}

TEST_F(BuyServiceFailuresTest, FailedUpgradeCheckDoesNotStopTheList) {
    ASSERT_TRUE(sandbox_.AddFault("checkAppUpgrade:status=500"));
    AppctlAnswer answer = Ask(kItemList, CharacterPage());
    ASSERT_TRUE(answer.parsed) << Diagnose(answer);
    EXPECT_EQ(answer.Get("_result"), "0");
    EXPECT_EQ(answer.CountRecords(), 3);
}

TEST_F(BuyServiceFailuresTest, PurchasedListFailuresAreAnsweredAsPurchasedLists) {
    SignInDemoUser();
    const std::pair<const char*, const char*> rows[] = {
        {"getPurchasedAppsItemList:error=9107", "9201"},
        {"getPurchasedAppsItemList:status=503", "9200"},
        {"getPurchasedAppsItemList:malformed", "9000"},
    };
    for (const auto& [fault, status] : rows) {
        SCOPED_TRACE(fault);
        ASSERT_TRUE(sandbox_.ClearFaults());
        ASSERT_TRUE(sandbox_.AddFault(fault));
        ExpectFailedList(Ask(kPurchasedList, CharacterPage("12")), "OnPurchasedItemInformationListReceived", status,
                         "12");
    }
}

TEST_F(BuyServiceFailuresTest, FailedCountryListIsStillAnsweredWithItsSummary) {
    const std::pair<const char*, const char*> rows[] = {
        {"getCountryList:status=404", "9200"},
        {"getCountryList:error=9001", "9000"},
        {"getCountryList:drop", "200"},
    };
    for (const auto& [fault, status] : rows) {
        SCOPED_TRACE(fault);
        ASSERT_TRUE(sandbox_.ClearFaults());
        ASSERT_TRUE(sandbox_.AddFault(fault));
        AppctlAnswer answer = Ask(kCountryList, {"_transactionId=13"});
        ASSERT_TRUE(answer.parsed) << Diagnose(answer);
        EXPECT_EQ(answer.result, 0);
        EXPECT_EQ(answer.Get("_result"), status);
        EXPECT_EQ(answer.Get("_method"), "OnCountryListReceived");
        EXPECT_EQ(answer.Get("_transactionId"), "13");
        EXPECT_EQ(answer.Get("_startNumber"), "1");
        EXPECT_EQ(answer.Get("_endNumber"), "0");
        EXPECT_EQ(answer.Get("_totalCount"), "0");
        EXPECT_FALSE(answer.Has("1_countryCode"));
    }
}

TEST_F(BuyServiceFailuresTest, UnusableCountrySearchAddressIsAnsweredAtOnce) {
    setenv("IAP_COUNTRY_SEARCH_URL", "ftp://127.0.0.1/ods.as", 1);
    AppctlAnswer countries = Ask(kCountryList, {"_transactionId=14"});
    ASSERT_TRUE(countries.parsed) << Diagnose(countries);
    EXPECT_EQ(countries.result, 0);
    EXPECT_EQ(countries.Get("_result"), "9000");
    EXPECT_EQ(countries.Get("_totalCount"), "0");
    ExpectFailedList(Ask(kItemList, CharacterPage("15")), "OnItemInformationListReceived", "9000", "15");
    EXPECT_TRUE(StoreFunctions().empty());
}

TEST_F(BuyServiceFailuresTest, DeadServerIsANetworkFailure) {
    sandbox_.Stop();
    ExpectFailedList(Ask(kItemList, CharacterPage()), "OnItemInformationListReceived", "200", "9");
    AppctlAnswer countries = Ask(kCountryList, {"_transactionId=16"});
    ASSERT_TRUE(countries.parsed) << Diagnose(countries);
    EXPECT_EQ(countries.Get("_result"), "200");
}

TEST_F(BuyServiceFailuresTest, SlowServerTimesOut) {
    setenv("IAP_HTTP_TIMEOUT_MS", "700", 1);
    ASSERT_TRUE(sandbox_.AddFault("getAppsItemList:delay=5000:1"));
    auto started = std::chrono::steady_clock::now();
    AppctlAnswer answer = Ask(kItemList, CharacterPage());
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ExpectFailedList(answer, "OnItemInformationListReceived", "200", "9");
    EXPECT_LT(seconds, 4.5) << "the answer waited for the slow server";
}

}  // namespace
