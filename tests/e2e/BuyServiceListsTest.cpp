// The three list operations of buyservice answered from a healthy store.
#include "tests/e2e/E2eSupport.h"

using namespace E2e;

namespace {

class BuyServiceListsTest : public BuyServiceE2eTest {};

TEST_F(BuyServiceListsTest, ItemListFollowsCountrySearchAndUpgradeCheck) {
    AppctlAnswer answer = Ask(kItemList, {"_transactionId=7", std::string("_itemGroupId=") + kCharacterGroup,
                                          "_startNumber=1", "_endNumber=3"});
    ASSERT_EQ(answer.exitCode, 0) << Diagnose(answer);
    ASSERT_TRUE(answer.parsed) << Diagnose(answer);
    EXPECT_EQ(answer.result, 0);
    EXPECT_EQ(answer.Get("_transactionId"), "7");
    EXPECT_EQ(answer.Get("_method"), "OnItemInformationListReceived");
    EXPECT_EQ(answer.Get("_result"), "0");
    EXPECT_EQ(answer.Get("_startNumber"), "1");
    EXPECT_EQ(answer.Get("_endNumber"), "3");
    EXPECT_EQ(answer.Get("_totalCount"), "3");
    EXPECT_EQ(answer.CountRecords(), 3) << Diagnose(answer);
    for (const char* n : {"1", "2", "3"}) {
        std::string prefix = n;
        EXPECT_EQ(answer.Get(prefix + "_itemGroupId"), kCharacterGroup);
        EXPECT_FALSE(answer.Get(prefix + "_itemName").empty());
        EXPECT_EQ(answer.Get(prefix + "_currencyUnit"), "$") << "the default country is the US";
        EXPECT_EQ(answer.Get(prefix + "_unitPrecedes"), "1");
        EXPECT_EQ(answer.Get(prefix + "_hasPenny"), "1");
    }
    EXPECT_FALSE(answer.Has("4_itemId"));

    std::vector<StoreRequest> requests = StoreRequests();
    ASSERT_EQ(requests.size(), 3u) << sandbox_.RecentRequests();
    EXPECT_EQ(requests[0].function, "countrySearch");
    EXPECT_EQ(requests[1].function, "checkAppUpgrade");
    EXPECT_EQ(requests[2].function, "getAppsItemList");
    for (const StoreRequest& request : requests)
        EXPECT_EQ(request.transactionId, 7) << request.function;
    EXPECT_EQ(requests[2].params["itemGroupID"], kCharacterGroup);
    EXPECT_EQ(requests[2].params["startNum"], "1");
    EXPECT_EQ(requests[2].params["endNum"], "3");
}

TEST_F(BuyServiceListsTest, PagesAreNumberedFromTheirStartAndClampedToTheTotal) {
    struct Page {
        int start, end;
        std::string answeredEnd;
        int items;
    };
    const Page pages[] = {
        {11, 20, "20", 10},  // a page in the middle
        {21, 30, "25", 5},   // past the end: clamped
        {26, 40, "25", 0},   // entirely past the end: an empty page
    };
    for (const Page& page : pages) {
        SCOPED_TRACE("page " + std::to_string(page.start) + "-" + std::to_string(page.end));
        AppctlAnswer answer =
            Ask(kItemList, {"_transactionId=1", std::string("_itemGroupId=") + kGemGroup,
                            "_startNumber=" + std::to_string(page.start), "_endNumber=" + std::to_string(page.end)});
        ASSERT_TRUE(answer.parsed) << Diagnose(answer);
        EXPECT_EQ(answer.Get("_result"), "0") << Diagnose(answer);
        EXPECT_EQ(answer.Get("_startNumber"), std::to_string(page.start));
        EXPECT_EQ(answer.Get("_endNumber"), page.answeredEnd);
        EXPECT_EQ(answer.Get("_totalCount"), "25");
        EXPECT_EQ(answer.CountRecords(), page.items);
        if (page.items > 0) {
            EXPECT_TRUE(answer.Has(std::to_string(page.start) + "_itemId"));
            EXPECT_TRUE(answer.Has(std::to_string(page.start + page.items - 1) + "_itemId"));
        }
        EXPECT_FALSE(answer.Has(std::to_string(page.start + page.items) + "_itemId"));
        EXPECT_FALSE(answer.Has("1_itemId"));
    }
}

TEST_F(BuyServiceListsTest, EmptyGroupIsAnEmptySuccessfulList) {
    AppctlAnswer answer = Ask(
        kItemList, {"_transactionId=2", std::string("_itemGroupId=") + kEmptyGroup, "_startNumber=1", "_endNumber=10"});
    ASSERT_TRUE(answer.parsed) << Diagnose(answer);
    EXPECT_EQ(answer.result, 0);
    EXPECT_EQ(answer.Get("_result"), "0");
    EXPECT_EQ(answer.Get("_totalCount"), "0");
    EXPECT_EQ(answer.CountRecords(), 0);
}

TEST_F(BuyServiceListsTest, CountryListAsksNothingElse) {
    AppctlAnswer answer = Ask(kCountryList, {"_transactionId=3"});
    ASSERT_EQ(answer.exitCode, 0) << Diagnose(answer);
    ASSERT_TRUE(answer.parsed) << Diagnose(answer);
    EXPECT_EQ(answer.result, 0);
    EXPECT_EQ(answer.Get("_method"), "OnCountryListReceived");
    EXPECT_EQ(answer.Get("_result"), "0");
    EXPECT_EQ(answer.Get("_transactionId"), "3");
    EXPECT_EQ(answer.Get("_startNumber"), "1");
    EXPECT_EQ(answer.Get("_endNumber"), "3");
    EXPECT_EQ(answer.Get("_totalCount"), "3");
    std::map<std::string, std::string> countries;
    for (const char* n : {"1", "2", "3"}) {
        countries[answer.Get(std::string(n) + "_countryCode")] = answer.Get(std::string(n) + "_countryName");
    }
    EXPECT_EQ(countries.size(), 3u) << Diagnose(answer);
    EXPECT_TRUE(countries.count("US") && countries.count("KR") && countries.count("DE")) << Diagnose(answer);
    EXPECT_EQ(StoreFunctions(), std::vector<std::string>{"getCountryList"});
}

TEST_F(BuyServiceListsTest, CountryOverrideChangesCurrencyAndModeIsSentAsResultCode) {
    AppctlAnswer korea = Ask(kItemList, {"_transactionId=4", std::string("_itemGroupId=") + kCharacterGroup,
                                         "_startNumber=1", "_endNumber=1", "_mcc=450", "_mode=7"});
    ASSERT_TRUE(korea.parsed) << Diagnose(korea);
    EXPECT_EQ(korea.Get("_result"), "0") << Diagnose(korea);
    EXPECT_EQ(korea.Get("1_currencyUnit"), "KRW");
    EXPECT_EQ(korea.Get("1_hasPenny"), "0");
    EXPECT_EQ(korea.Get("1_unitPrecedes"), "0");
    std::vector<StoreRequest> requests = StoreRequests();
    ASSERT_EQ(requests.size(), 3u) << sandbox_.RecentRequests();
    EXPECT_EQ(requests[0].params["latestCountryCode"], "450");
    EXPECT_EQ(requests[2].params["resultCode"], "7");

    // Overrides last for one request: the next process asks as the device is.
    ASSERT_TRUE(sandbox_.Admin("DELETE", "/admin/requests").status == 200);
    AppctlAnswer plain = Ask(kItemList, {"_transactionId=5", std::string("_itemGroupId=") + kCharacterGroup,
                                         "_startNumber=1", "_endNumber=1"});
    ASSERT_TRUE(plain.parsed) << Diagnose(plain);
    EXPECT_EQ(plain.Get("1_currencyUnit"), "$");
    EXPECT_EQ(plain.Get("1_itemId"), korea.Get("1_itemId"));
    requests = StoreRequests();
    ASSERT_EQ(requests.size(), 3u) << sandbox_.RecentRequests();
    EXPECT_NE(requests[2].params["resultCode"], "7");
}

TEST_F(BuyServiceListsTest, DeviceProfileCountryIsUsedWithoutOverride) {
    RunResult profile = RunProgram({Bin("iap-device"), "set", "sim.mcc=262", "sim.mnc=1"});
    ASSERT_EQ(profile.exitCode, 0) << profile.output;
    AppctlAnswer answer = Ask(kItemList, {"_transactionId=6", std::string("_itemGroupId=") + kCharacterGroup,
                                          "_startNumber=1", "_endNumber=1"});
    ASSERT_TRUE(answer.parsed) << Diagnose(answer);
    EXPECT_EQ(answer.Get("1_currencyUnit"), "\xE2\x82\xAC") << Diagnose(answer);  // the euro sign
    EXPECT_EQ(answer.Get("1_hasPenny"), "1");
}

TEST_F(BuyServiceListsTest, PurchasedItemsOfTheSignedInAccount) {
    RunResult added =
        RunProgram({Bin("appctl"), "account", "add", "--user-name", "demo@vexmora.com", "--user-id", "U1000001"});
    ASSERT_EQ(added.exitCode, 0) << added.output;
    AppctlAnswer answer = Ask(kPurchasedList, {"_transactionId=8", std::string("_itemGroupId=") + kGemGroup,
                                               "_startNumber=1", "_endNumber=10"});
    ASSERT_TRUE(answer.parsed) << Diagnose(answer) << home_.Log(kAccountServiceApp);
    EXPECT_EQ(answer.result, 0);
    EXPECT_EQ(answer.Get("_method"), "OnPurchasedItemInformationListReceived");
    EXPECT_EQ(answer.Get("_result"), "0") << Diagnose(answer);
    EXPECT_EQ(answer.Get("_transactionId"), "8");
    int count = answer.CountRecords();
    EXPECT_GT(count, 0) << Diagnose(answer);
    EXPECT_EQ(answer.CountRecords("_paymentId"), count);
    EXPECT_EQ(answer.Get("_totalCount"), std::to_string(count));
    // Purchase dates in the platform's text form.
    EXPECT_EQ(answer.Get("1_purchaseDate").size(), std::string("2025-01-01 00:00:00").size()) << Diagnose(answer);

    std::vector<StoreRequest> requests = StoreRequests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.back().function, "getPurchasedAppsItemList");
    EXPECT_EQ(requests.back().params["userID"], "U1000001");
    EXPECT_EQ(requests.back().params["itemGroupID"], kGemGroup);
}

}  // namespace
