#include "sandbox/CatalogueFunctions.h"
#include "sandbox/ItemRecords.h"
#include "sandbox/StoreDatabase.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

using Sandbox::CatalogueFunctions;
using Sandbox::Endpoint;
using Sandbox::FunctionDispatcher;
using Sandbox::StoreReply;
using Sandbox::StoreRequest;

namespace {

using Fields = std::map<std::string, std::string>;

Fields AsMap(const Sandbox::StoreRecord& record) { return Fields(record.begin(), record.end()); }

class CatalogueFunctionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(db_.Open("", "")) << db_.LastError();
        functions_.RegisterWith(dispatcher_);
    }

    StoreReply Call(int functionId, std::vector<std::pair<std::string, std::string>> params,
                    const std::string& mcc = "310", Endpoint endpoint = Endpoint::Store) {
        StoreRequest request;
        request.functionId = functionId;
        request.transactionId = 1;
        request.mcc = mcc;
        request.hostHeader = "127.0.0.1:5555";
        request.params = std::move(params);
        return dispatcher_.Dispatch(endpoint, request);
    }

    StoreReply Items(const std::string& group, const std::string& start, const std::string& end,
                     const std::string& mcc = "310") {
        return Call(6005,
                    {{"resultCode", "0"}, {"startNum", start}, {"endNum", end}, {"itemGroupID", group}, {"duid", "D"}},
                    mcc);
    }

    StoreReply Purchased(const std::string& user, const std::string& group, const std::string& start,
                         const std::string& end) {
        return Call(
            6003,
            {{"userID", user}, {"resultCode", "0"}, {"startNum", start}, {"endNum", end}, {"itemGroupID", group}});
    }

    Sandbox::StoreDatabase db_;
    CatalogueFunctions functions_{db_};
    FunctionDispatcher dispatcher_;
};

}  // namespace

TEST_F(CatalogueFunctionsTest, CountrySearchAnswersOneRecordForTheMccOrTheDefault) {
    StoreReply reply = Call(2200, {{"latestCountryCode", "450"}}, "310", Endpoint::CountrySearch);
    ASSERT_TRUE(reply.IsSuccess()) << reply.message;
    ASSERT_EQ(reply.records.size(), 1u);
    Fields fields = AsMap(reply.records[0]);
    EXPECT_EQ(fields["countryURL"], "http://127.0.0.1:5555/store");
    EXPECT_EQ(fields["countryCode"], "KR");
    EXPECT_EQ(fields["currencyUnitPrecedes"], "0");
    EXPECT_EQ(fields["currencyUnitHasPenny"], "0");
    EXPECT_EQ(fields["snsVal"], "2");
    for (const char* key : {"freeStoreClsf", "freetabClsf", "currencyUnitDivision"})
        EXPECT_TRUE(fields.count(key)) << key;

    reply = Call(2300, {{"latestCountryCode", ""}}, "310", Endpoint::CountrySearch);
    ASSERT_EQ(reply.records.size(), 1u);
    EXPECT_EQ(AsMap(reply.records[0])["countryCode"], "US");

    EXPECT_EQ(Call(2200, {}, "310", Endpoint::CountrySearch).errorCode, 9102);
}

TEST_F(CatalogueFunctionsTest, CountryListHasTwoFieldsPerCountry) {
    const StoreReply reply = Call(2250, {}, "310", Endpoint::CountrySearch);
    ASSERT_TRUE(reply.IsSuccess());
    ASSERT_EQ(reply.records.size(), 3u);
    for (const auto& record : reply.records) {
        EXPECT_EQ(record.size(), 2u);
        EXPECT_EQ(record[0].first, "countryCode");
        EXPECT_EQ(record[1].first, "countryName");
    }
    EXPECT_FALSE(reply.hasCounts);
}

TEST_F(CatalogueFunctionsTest, EndpointsServeOnlyTheirFunctions) {
    EXPECT_EQ(Items("100000000001", "1", "2").errorCode, 0);
    EXPECT_EQ(Call(6005, {}, "310", Endpoint::CountrySearch).errorCode, 9106);
    EXPECT_EQ(Call(2250, {}, "310", Endpoint::Store).errorCode, 0);
    EXPECT_EQ(Call(6020, {}).errorCode, 9106);  // a known function nobody serves yet
    EXPECT_EQ(Call(4242, {}).errorCode, 9106);
}

TEST_F(CatalogueFunctionsTest, ItemListPagesThroughTheGroup) {
    StoreReply reply = Items("100000000001", "21", "30");
    ASSERT_TRUE(reply.IsSuccess()) << reply.message;
    EXPECT_TRUE(reply.hasCounts);
    EXPECT_EQ(reply.startNum, 21);
    EXPECT_EQ(reply.endNum, 25);
    EXPECT_EQ(reply.totalCount, 25);
    ASSERT_EQ(reply.records.size(), 5u);
    EXPECT_EQ(AsMap(reply.records[0])["itemID"], "000000001021");
    EXPECT_EQ(AsMap(reply.records[4])["itemID"], "000000001025");

    reply = Items("100000000001", "26", "40");
    ASSERT_TRUE(reply.IsSuccess());
    EXPECT_EQ(reply.startNum, 26);
    EXPECT_EQ(reply.endNum, 25);
    EXPECT_EQ(reply.totalCount, 25);
    EXPECT_TRUE(reply.records.empty());

    reply = Items("100000000003", "1", "10");  // the empty group
    ASSERT_TRUE(reply.IsSuccess());
    EXPECT_EQ(reply.endNum, 0);
    EXPECT_EQ(reply.totalCount, 0);
}

TEST_F(CatalogueFunctionsTest, ItemListRefusesBadRangesGroupsAndMissingParams) {
    EXPECT_EQ(Items("100000000001", "0", "5").errorCode, 9101);
    EXPECT_EQ(Items("100000000001", "5", "4").errorCode, 9101);
    EXPECT_EQ(Items("100000000001", "one", "4").errorCode, 9101);
    EXPECT_EQ(Items("100000000001", "1", "").errorCode, 9101);
    EXPECT_EQ(Items("100000000001", "1", "99999999999").errorCode, 9101);
    EXPECT_EQ(Items("no-such-group", "1", "5").errorCode, 9105);
    EXPECT_EQ(Items("", "1", "5").errorCode, 9105);
    const StoreReply missing = Call(6005, {{"startNum", "1"}, {"endNum", "2"}, {"itemGroupID", "100000000001"}});
    EXPECT_EQ(missing.errorCode, 9102);
    EXPECT_NE(missing.message.find("resultCode"), std::string::npos);
}

TEST_F(CatalogueFunctionsTest, PricesFollowTheRequestingCountry) {
    const auto first = [&](const std::string& mcc) {
        return AsMap(Items("100000000001", "1", "1", mcc).records.at(0));
    };
    Fields us = first("310");
    EXPECT_EQ(us["itemPrice"], "0.99");
    EXPECT_EQ(us["currencyUnit"], "$");
    Fields kr = first("450");
    EXPECT_EQ(kr["itemPrice"], "990");
    EXPECT_EQ(kr["currencyUnit"], "KRW");
    Fields de = first("262");
    EXPECT_EQ(de["itemPrice"], "0.89");
    EXPECT_EQ(de["currencyUnit"], "€");
    EXPECT_EQ(first("")["currencyUnit"], "$");
}

TEST(ItemRecords, PriceTextRoundsToTheCurrencyPrecision) {
    Sandbox::Country penny;
    penny.currencyUnitHasPenny = true;
    Sandbox::Country whole;
    whole.priceRate = 1300.0;
    EXPECT_EQ(Sandbox::ItemRecords::PriceText(1.005, penny), "1.00");  // binary 1.005 lies just below
    EXPECT_EQ(Sandbox::ItemRecords::PriceText(2.5, penny), "2.50");
    EXPECT_EQ(Sandbox::ItemRecords::PriceText(0.99, whole), "1287");
    EXPECT_EQ(Sandbox::ItemRecords::PriceText(0.0, whole), "0");
}

TEST_F(CatalogueFunctionsTest, PurchasedListPagesTheUsersPurchasesOfTheGroup) {
    StoreReply reply = Purchased("U1000001", "100000000001", "1", "10");
    ASSERT_TRUE(reply.IsSuccess()) << reply.message;
    EXPECT_EQ(reply.endNum, 3);
    EXPECT_EQ(reply.totalCount, 3);
    ASSERT_EQ(reply.records.size(), 3u);
    Fields first = AsMap(reply.records[0]);
    EXPECT_EQ(first["paymentID"], "P0000000001");
    EXPECT_EQ(first["purchaseDate"], "20240105093000");
    EXPECT_EQ(first["itemName"], "Gem pack 1");

    reply = Purchased("U1000001", "100000000001", "2", "2");
    ASSERT_EQ(reply.records.size(), 1u);
    EXPECT_EQ(AsMap(reply.records[0])["paymentID"], "P0000000002");

    reply = Purchased("U-unknown", "100000000001", "1", "10");
    ASSERT_TRUE(reply.IsSuccess());
    EXPECT_EQ(reply.totalCount, 0);

    EXPECT_EQ(Purchased("", "100000000001", "1", "10").errorCode, 9102);
    EXPECT_EQ(Purchased("U1000001", "100000000001", "0", "10").errorCode, 9101);
    EXPECT_EQ(Purchased("U1000001", "nope", "1", "10").errorCode, 9105);
}

TEST_F(CatalogueFunctionsTest, CheckPasswordAnswersIsValid) {
    const auto isValid = [&](const std::string& email, const std::string& password) {
        const StoreReply reply = Call(5012, {{"emailID", email}, {"password", password}});
        EXPECT_TRUE(reply.IsSuccess());
        return reply.records.size() == 1 ? AsMap(reply.records[0])["isValid"] : std::string("none");
    };
    EXPECT_EQ(isValid("demo@vexmora.com", "demo1234"), "1");
    EXPECT_EQ(isValid("demo@vexmora.com", "wrong"), "0");
    EXPECT_EQ(isValid("ghost@vexmora.com", "demo1234"), "0");
    EXPECT_EQ(Call(5012, {{"emailID", "demo@vexmora.com"}}).errorCode, 9102);
}

TEST_F(CatalogueFunctionsTest, UpgradeIsOfferedOnlyForANewerClientPackageOnDisk) {
    const std::string file = "/tmp/sandbox-upgrade-" + std::to_string(getpid()) + ".vpk";
    std::ofstream(file) << "package bytes";
    const auto check = [&](const std::string& preload) { return Call(2306, {{"duid", "D"}, {"preloadApp", preload}}); };

    StoreReply reply = check("buyservice@1.0.0@1");
    ASSERT_TRUE(reply.IsSuccess());
    EXPECT_EQ(AsMap(reply.records.at(0))["upgrade"], "0");

    ASSERT_TRUE(db_.RegisterPackage({"buyclient", "1.2.0", file}));
    reply = check("buyservice@1.0.0@1");
    Fields fields = AsMap(reply.records.at(0));
    EXPECT_EQ(fields["upgrade"], "1");
    EXPECT_EQ(fields["odcUrl"], "http://127.0.0.1:5555/packages/buyclient-1.2.0.vpk");

    EXPECT_EQ(AsMap(check("buyclient@1.2.0@1").records.at(0))["upgrade"], "0");
    EXPECT_EQ(AsMap(check("buyclient@1.10.0@1").records.at(0))["upgrade"], "0");

    std::filesystem::remove(file);
    EXPECT_EQ(AsMap(check("buyservice@1.0.0@1").records.at(0))["upgrade"], "0");

    EXPECT_EQ(check("buyservice").errorCode, 9101);
    EXPECT_EQ(check("buyservice@x.y@1").errorCode, 9101);
    EXPECT_EQ(Call(2306, {{"duid", "D"}}).errorCode, 9102);
    EXPECT_EQ(Call(2306, {{"duid", "D"}, {"preloadApp", "a@1@1"}}, "310", Endpoint::CountrySearch).errorCode, 9106);
}
