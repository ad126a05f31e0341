#include "sandbox/PaymentFunctions.h"
#include "sandbox/StoreDatabase.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using Sandbox::Endpoint;
using Sandbox::StoreReply;
using Sandbox::StoreRequest;

namespace {

using Fields = std::map<std::string, std::string>;

Fields AsMap(const Sandbox::StoreRecord& record) { return Fields(record.begin(), record.end()); }

std::vector<std::string> Methods(const StoreReply& reply) {
    std::vector<std::string> methods;
    for (const auto& record : reply.records)
        methods.push_back(AsMap(record)["paymentMethod"]);
    return methods;
}

class PaymentFunctionsTest : public ::testing::Test {
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

    StoreReply Offers(const std::string& group, const std::string& item, const std::string& mcc = "310") {
        return Call(6007, {{"itemID", item}, {"itemGroupID", group}, {"mode", "0"}}, mcc);
    }

    StoreReply PurchaseId(const std::string& duid, const std::string& item, const std::string& timeStamp = "123456") {
        return Call(6020, {{"duid", duid}, {"itemID", item}, {"timeStamp", timeStamp}});
    }

    Sandbox::StoreDatabase db_;
    Sandbox::PaymentFunctions functions_{db_};
    Sandbox::FunctionDispatcher dispatcher_;
};

constexpr const char* kGems = "100000000001";
constexpr const char* kCharacters = "100000000002";

TEST_F(PaymentFunctionsTest, OffersFollowTheCountryAndTheItem) {
    struct Row {
        const char* mcc;
        const char* group;
        const char* item;
        std::vector<std::string> methods;
    };
    const Row rows[] = {
        {"310", kGems, "000000001001", {"CreditCard", "PSMS"}},
        {"310", kGems, "000000001006", {"CreditCard"}},
        {"450", kGems, "000000001006", {"CreditCard", "MicroPayment"}},  // a code the device does not support
        {"262", kGems, "000000001025", {"CreditCard"}},
        {"310", kCharacters, "000000002001", {"CreditCard", "PSMS"}},
        {"310", kCharacters, "000000002002", {"PSMS"}},
        {"310", kCharacters, "000000002003", {"CyberCash", "PrepaidCard"}},
        {"450", kCharacters, "000000002003", {}},
        {"999", kCharacters, "000000002002", {"PSMS"}},  // an unknown MCC gets the default country
    };
    for (const Row& row : rows) {
        const StoreReply reply = Offers(row.group, row.item, row.mcc);
        ASSERT_TRUE(reply.IsSuccess()) << reply.message;
        EXPECT_EQ(Methods(reply), row.methods) << row.mcc << " " << row.item;
        // The device takes a list only with every count present, also when none is offered.
        ASSERT_TRUE(reply.hasCounts);
        EXPECT_EQ(reply.startNum, 1);
        EXPECT_EQ(reply.endNum, static_cast<int>(row.methods.size()));
        EXPECT_EQ(reply.totalCount, static_cast<int>(row.methods.size()));
    }
}

TEST_F(PaymentFunctionsTest, OfferRecordsCarryPriceNameAndOptionalFields) {
    StoreReply reply = Offers(kGems, "000000001001");
    ASSERT_EQ(reply.records.size(), 2u);
    EXPECT_EQ(reply.records[0], (Sandbox::StoreRecord{{"paymentMethod", "CreditCard"},
                                                      {"Company", "Vexmora Pay"},
                                                      {"itemPrice", "0.99"},
                                                      {"currencyUnit", "$"},
                                                      {"paymentTypeId", "CC01"},
                                                      {"itemName", "Gem pack 1"},
                                                      {"list", ""}}));  // empty: the reply writer leaves it out
    EXPECT_EQ(AsMap(reply.records[1])["list"], "Carrier One;Carrier Two");

    // Priced in the requesting country; in DE without a company.
    reply = Offers(kGems, "000000001001", "262");
    Fields fields = AsMap(reply.records.at(0));
    EXPECT_EQ(fields["itemPrice"], "0.89");
    EXPECT_EQ(fields["currencyUnit"], "€");
    EXPECT_EQ(fields["Company"], "");
    EXPECT_EQ(AsMap(Offers(kGems, "000000001001", "450").records.at(0))["itemPrice"], "990");

    // An offer with its own price keeps it (rounded to the currency's precision, not multiplied).
    EXPECT_EQ(AsMap(Offers(kCharacters, "000000002002").records.at(0))["itemPrice"], "1.99");
    ASSERT_TRUE(db_.AddPaymentOffer({"KR", kCharacters, "000000002002", 0, "PSMS", "SM02", "", "", 1500.4}));
    EXPECT_EQ(AsMap(Offers(kCharacters, "000000002002", "450").records.at(0))["itemPrice"], "1500");
}

TEST_F(PaymentFunctionsTest, OfferSearchRefusesUnknownGroupsItemsAndMissingParams) {
    EXPECT_EQ(Offers("nope", "000000001001").errorCode, 9105);
    EXPECT_EQ(Offers(kGems, "000000002001").errorCode, 9110);  // an item of another group
    EXPECT_EQ(Offers(kGems, "").errorCode, 9110);
    EXPECT_EQ(Call(6007, {{"itemID", "000000001001"}, {"itemGroupID", kGems}}).errorCode, 9102);
    EXPECT_EQ(Call(6007, {{"itemGroupID", kGems}, {"mode", "0"}}).errorCode, 9102);
    // Served at the store only, like the item lists.
    EXPECT_EQ(
        Call(6007, {{"itemID", "000000001001"}, {"itemGroupID", kGems}, {"mode", "0"}}, "310", Endpoint::CountrySearch)
            .errorCode,
        9106);
}

TEST_F(PaymentFunctionsTest, PurchaseIdsAreRandomAndRecordedForTheDeviceAndItem) {
    std::set<std::string> seen;
    for (int i = 0; i < 20; ++i) {
        const StoreReply reply = PurchaseId("DEVICE-1", "000000002001", std::to_string(1000 + i));
        ASSERT_TRUE(reply.IsSuccess()) << reply.message;
        ASSERT_EQ(reply.records.size(), 1u);
        Fields fields = AsMap(reply.records[0]);
        const std::string id = fields["purchaseID"];
        EXPECT_EQ(id.size(), 32u);
        EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos) << id;
        EXPECT_TRUE(seen.insert(id).second) << "repeated id " << id;
        EXPECT_EQ(fields["verifyUrl"], "http://127.0.0.1:5555/purchases/" + id);
        EXPECT_EQ(fields["param1"], "000000002001");
        EXPECT_EQ(fields["param2"], std::to_string(1000 + i));
        EXPECT_EQ(fields.count("param3"), 0u);
    }
    std::vector<Sandbox::IssuedPurchaseId> issued;
    ASSERT_TRUE(db_.RecentPurchaseIds(1, issued));
    ASSERT_EQ(issued.size(), 1u);
    EXPECT_EQ(issued[0].duid, "DEVICE-1");
    EXPECT_EQ(issued[0].itemId, "000000002001");
    EXPECT_EQ(issued[0].timeStamp, "1019");
    EXPECT_EQ(issued[0].issuedAt.size(), 14u);
    EXPECT_TRUE(issued[0].usedAt.empty());
}

TEST_F(PaymentFunctionsTest, PurchaseIdRequestsAreCheckedBeforeAnIdIsIssued) {
    EXPECT_EQ(PurchaseId("", "000000002001").errorCode, 9102);
    EXPECT_EQ(PurchaseId("D", "no-such-item").errorCode, 9110);
    for (const char* stamp : {"", "-5", "12a", "1.5", "123456789012345678901"})
        EXPECT_EQ(PurchaseId("D", "000000002001", stamp).errorCode, 9101) << stamp;
    EXPECT_EQ(Call(6020, {{"duid", "D"}, {"itemID", "000000002001"}}).errorCode, 9102);
    std::vector<Sandbox::IssuedPurchaseId> issued;
    ASSERT_TRUE(db_.RecentPurchaseIds(10, issued));
    EXPECT_TRUE(issued.empty());
}

TEST_F(PaymentFunctionsTest, APurchaseIdIsSpentOnceByItsOwnDeviceAndItem) {
    const std::string id = AsMap(PurchaseId("DEVICE-1", "000000002001").records.at(0))["purchaseID"];
    Sandbox::PurchaseIdUse use{};
    ASSERT_TRUE(db_.UsePurchaseId(id, "DEVICE-2", "000000002001", "20260101000000", use));
    EXPECT_EQ(use, Sandbox::PurchaseIdUse::WrongDeviceOrItem);
    ASSERT_TRUE(db_.UsePurchaseId(id, "DEVICE-1", "000000002002", "20260101000000", use));
    EXPECT_EQ(use, Sandbox::PurchaseIdUse::WrongDeviceOrItem);
    ASSERT_TRUE(db_.UsePurchaseId("feed", "DEVICE-1", "000000002001", "20260101000000", use));
    EXPECT_EQ(use, Sandbox::PurchaseIdUse::Unknown);
    ASSERT_TRUE(db_.UsePurchaseId(id, "DEVICE-1", "000000002001", "20260101000000", use));
    EXPECT_EQ(use, Sandbox::PurchaseIdUse::Accepted);
    ASSERT_TRUE(db_.UsePurchaseId(id, "DEVICE-1", "000000002001", "20260101000001", use));
    EXPECT_EQ(use, Sandbox::PurchaseIdUse::AlreadyUsed);
    std::optional<Sandbox::IssuedPurchaseId> found;
    ASSERT_TRUE(db_.FindPurchaseId(id, found));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->usedAt, "20260101000000");
}

TEST_F(PaymentFunctionsTest, OnlyTheNewestUnusedPurchaseIdsAreKept) {
    db_.SetUnusedPurchaseIdLimit(3);
    const std::string spent = AsMap(PurchaseId("D", "000000002001", "1").records.at(0))["purchaseID"];
    Sandbox::PurchaseIdUse use{};
    ASSERT_TRUE(db_.UsePurchaseId(spent, "D", "000000002001", "20260101000000", use));
    ASSERT_EQ(use, Sandbox::PurchaseIdUse::Accepted);
    std::vector<std::string> ids;
    for (int i = 0; i < 5; ++i)
        ids.push_back(AsMap(PurchaseId("D", "000000002001", std::to_string(10 + i)).records.at(0))["purchaseID"]);
    std::vector<Sandbox::IssuedPurchaseId> kept;
    ASSERT_TRUE(db_.RecentPurchaseIds(100, kept));
    ASSERT_EQ(kept.size(), 4u);  // three unused and the spent one
    EXPECT_EQ(kept[0].purchaseId, ids[4]);
    EXPECT_EQ(kept[2].purchaseId, ids[2]);
    EXPECT_EQ(kept[3].purchaseId, spent);
    ASSERT_TRUE(db_.UsePurchaseId(ids[0], "D", "000000002001", "20260101000000", use));
    EXPECT_EQ(use, Sandbox::PurchaseIdUse::Unknown);  // forgotten
}

}  // namespace
