#include "sandbox/CardChecks.h"
#include "sandbox/CatalogueFunctions.h"
#include "sandbox/CreditCardFunctions.h"
#include "sandbox/PaymentFunctions.h"
#include "sandbox/StoreDatabase.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>

using Sandbox::StoreReply;
using Sandbox::StoreRequest;

namespace {

using Fields = std::map<std::string, std::string>;
using Params = std::vector<std::pair<std::string, std::string>>;

Fields First(const StoreReply& reply) {
    return reply.records.empty() ? Fields() : Fields(reply.records[0].begin(), reply.records[0].end());
}

constexpr const char* kCharacters = "100000000002";
constexpr const char* kKnight = "000000002001";
constexpr const char* kDemoUser = "U1000001";   // a card that can be charged
constexpr const char* kKimUser = "U1000002";    // an expired card
constexpr const char* kEmptyUser = "U1000003";  // no card

class CreditCardFunctionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(db_.Open("", "")) << db_.LastError();
        catalogue_.RegisterWith(dispatcher_);
        payments_.RegisterWith(dispatcher_);
        cards_.RegisterWith(dispatcher_);
    }

    StoreReply Call(int functionId, Params params, const std::string& mcc = "310") {
        StoreRequest request;
        request.functionId = functionId;
        request.transactionId = 1;
        request.mcc = mcc;
        request.hostHeader = "127.0.0.1:5555";
        request.params = std::move(params);
        return dispatcher_.Dispatch(Sandbox::Endpoint::Store, request);
    }

    std::string NewPurchaseId(const std::string& duid = "D1", const std::string& item = kKnight) {
        return First(Call(6020, {{"duid", duid}, {"itemID", item}, {"timeStamp", "1"}}))["purchaseID"];
    }

    StoreReply Buy(const std::string& purchaseId, const std::string& user = kDemoUser, const std::string& duid = "D1",
                   const std::string& item = kKnight, const std::string& mcc = "310", const char* cvc = nullptr) {
        Params params{{"itemID", item}, {"itemGroupID", kCharacters}, {"duid", duid}, {"userID", user},
                      {"mode", "0"},    {"transID", purchaseId}};
        if (cvc) params.emplace_back("cvc", cvc);
        return Call(6001, params, mcc);
    }

    StoreReply Check(const std::string& purchaseId, const std::string& duid = "D1", const std::string& item = kKnight) {
        return Call(6016, {{"itemID", item}, {"duid", duid}, {"transID", purchaseId}, {"mode", "0"}});
    }

    StoreReply Register(const std::string& number, const std::string& year = "2030", const std::string& month = "7",
                        const std::string& type = "MC", const std::string& cvc = "123",
                        const std::string& user = kEmptyUser, const std::string& mcc = "310") {
        return Call(6014,
                    {{"cardType", type},
                     {"cardNum", number},
                     {"expirationYear", year},
                     {"expirationMonth", month},
                     {"cvc", cvc},
                     {"userID", user},
                     {"authNID", " "},
                     {"authPIN", " "}},
                    mcc);
    }

    size_t ChargeCount(const std::string& purchaseId) {
        std::vector<Sandbox::CardCharge> charges;
        EXPECT_TRUE(db_.Charges(purchaseId, charges)) << db_.LastError();
        return charges.size();
    }

    Sandbox::StoreDatabase db_;
    Sandbox::FunctionDispatcher dispatcher_;
    Sandbox::CatalogueFunctions catalogue_{db_};
    Sandbox::PaymentFunctions payments_{db_};
    Sandbox::CreditCardFunctions cards_{db_};
};

TEST(CardChecks, LuhnMaskAndExpiry) {
    EXPECT_TRUE(Sandbox::CardChecks::IsCardNumber("4111111111111111"));
    EXPECT_TRUE(Sandbox::CardChecks::IsCardNumber("378282246310005"));    // 15 digits
    EXPECT_FALSE(Sandbox::CardChecks::IsCardNumber("4111111111111112"));  // check digit wrong
    EXPECT_FALSE(Sandbox::CardChecks::IsCardNumber("41111111111"));       // too short
    EXPECT_FALSE(Sandbox::CardChecks::IsCardNumber("4111 1111 1111 1111"));
    EXPECT_FALSE(Sandbox::CardChecks::IsCardNumber(""));
    EXPECT_EQ(Sandbox::CardChecks::Masked("4111111111111111"), "************1111");
    int year = 0;
    int month = 0;
    EXPECT_TRUE(Sandbox::CardChecks::ParseExpiry("2030", "7", year, month));
    EXPECT_EQ(month, 7);
    EXPECT_TRUE(Sandbox::CardChecks::ParseExpiry("2030", "07", year, month));
    EXPECT_FALSE(Sandbox::CardChecks::ParseExpiry("2030", "13", year, month));
    EXPECT_FALSE(Sandbox::CardChecks::ParseExpiry("30", "1", year, month));
    EXPECT_FALSE(Sandbox::CardChecks::ParseExpiry("2030", "-1", year, month));
    EXPECT_FALSE(Sandbox::CardChecks::IsExpired(2026, 12, 2026, 12));  // valid to the end of its month
    EXPECT_TRUE(Sandbox::CardChecks::IsExpired(2026, 11, 2026, 12));
    EXPECT_TRUE(Sandbox::CardChecks::IsExpired(2025, 12, 2026, 1));
}

TEST_F(CreditCardFunctionsTest, PurchaseChargesTheCardAndAnswersTheCompletedItem) {
    const std::string purchaseId = NewPurchaseId();
    const StoreReply reply = Buy(purchaseId);
    ASSERT_TRUE(reply.IsSuccess()) << reply.message;
    Fields record = First(reply);
    EXPECT_EQ(record["paymentID"].substr(0, 1), "P");
    // The device reads these dates at fixed positions: YYYY-MM-DD hh:mm:ss.
    EXPECT_TRUE(std::regex_match(record["purchaseDate"], std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")))
        << record["purchaseDate"];
    EXPECT_EQ(record["itemID"], kKnight);
    EXPECT_EQ(record["itemGroupID"], kCharacters);
    EXPECT_EQ(record["itemName"], "Knight");
    EXPECT_EQ(record["itemPrice"], "1.49");
    EXPECT_EQ(record["currencyUnit"], "$");
    EXPECT_EQ(record["currencyUnitPrecedes"], "1");

    // The check answers the same payment, and the purchased list holds it.
    Fields check = First(Check(purchaseId));
    EXPECT_EQ(check["paymentID"], record["paymentID"]);
    EXPECT_EQ(check["purchaseDate"], record["purchaseDate"]);
    const StoreReply list = Call(6003, {{"userID", kDemoUser},
                                        {"resultCode", "0"},
                                        {"startNum", "1"},
                                        {"endNum", "10"},
                                        {"itemGroupID", kCharacters}});
    ASSERT_TRUE(list.IsSuccess()) << list.message;
    bool listed = false;
    for (const auto& r : list.records)
        listed = listed || Fields(r.begin(), r.end())["paymentID"] == record["paymentID"];
    EXPECT_TRUE(listed);

    std::vector<Sandbox::CardCharge> charges;
    ASSERT_TRUE(db_.Charges(purchaseId, charges));
    ASSERT_EQ(charges.size(), 1u);
    EXPECT_DOUBLE_EQ(charges[0].amount, 1.49);
    EXPECT_EQ(charges[0].maskedNumber, "************1111");
}

TEST_F(CreditCardFunctionsTest, RetriesOfOnePurchaseIdChargeOnce) {
    const std::string purchaseId = NewPurchaseId();
    const std::string paymentId = First(Buy(purchaseId))["paymentID"];
    ASSERT_FALSE(paymentId.empty());
    for (int retry = 0; retry < 3; ++retry) {
        const StoreReply again = Buy(purchaseId);
        ASSERT_TRUE(again.IsSuccess()) << again.message;
        EXPECT_EQ(First(again)["paymentID"], paymentId);
    }
    EXPECT_EQ(ChargeCount(purchaseId), 1u);
    EXPECT_EQ(ChargeCount(""), 1u);
    // Another user cannot take over the payment with the same id.
    EXPECT_EQ(Buy(purchaseId, kKimUser).errorCode, 9101);
    // A new purchase id is a new purchase.
    const std::string second = NewPurchaseId();
    EXPECT_NE(First(Buy(second))["paymentID"], paymentId);
    EXPECT_EQ(ChargeCount(""), 2u);
}

TEST_F(CreditCardFunctionsTest, PurchaseIdIsBoundToItsDeviceAndItem) {
    const std::string purchaseId = NewPurchaseId("D1", kKnight);
    EXPECT_EQ(Buy(purchaseId, kDemoUser, "D2").errorCode, 9101);
    EXPECT_EQ(Buy(purchaseId, kDemoUser, "D1", "000000002002").errorCode, 9101);
    EXPECT_EQ(Buy("00000000000000000000000000000000").errorCode, 9101);  // never issued
    EXPECT_EQ(Check(purchaseId, "D2").errorCode, 9101);
    EXPECT_EQ(ChargeCount(""), 0u);
    // The refusals left the id unspent for its own device and item.
    EXPECT_TRUE(Buy(purchaseId).IsSuccess());
}

TEST_F(CreditCardFunctionsTest, UnusableCardsAreRefusedWithoutSpendingThePurchaseId) {
    struct Row {
        const char* user;
        int error;
    } const rows[] = {{kEmptyUser, 9204}, {kKimUser, 9205}, {"U-nobody", 9204}};
    for (const Row& row : rows) {
        const std::string purchaseId = NewPurchaseId();
        EXPECT_EQ(Buy(purchaseId, row.user).errorCode, row.error) << row.user;
        EXPECT_EQ(Check(purchaseId).errorCode, 9219) << "not charged";
    }
    Sandbox::RegisteredCard refused{kEmptyUser, "VI", "************1111", 2035, 1, "refused", ""};
    ASSERT_TRUE(db_.SaveCard(refused));
    const std::string purchaseId = NewPurchaseId();
    EXPECT_EQ(Buy(purchaseId, kEmptyUser).errorCode, 9210);
    EXPECT_EQ(ChargeCount(""), 0u);
}

TEST_F(CreditCardFunctionsTest, PurchaseRefusesBadRequests) {
    const std::string purchaseId = NewPurchaseId();
    EXPECT_EQ(Call(6001, {{"itemID", kKnight}}).errorCode, 9102);
    EXPECT_EQ(Buy("").errorCode, 9102);
    EXPECT_EQ(Buy(purchaseId, "").errorCode, 9102);
    EXPECT_EQ(Buy(purchaseId, kDemoUser, "").errorCode, 9102);
    EXPECT_EQ(Buy(purchaseId, kDemoUser, "D1", "no-such-item").errorCode, 9110);
    EXPECT_EQ(Check("").errorCode, 9101);
    EXPECT_EQ(Call(6016, {{"itemID", kKnight}}).errorCode, 9102);
    EXPECT_EQ(ChargeCount(""), 0u);
}

TEST_F(CreditCardFunctionsTest, CvcMarketRefusesAMissingOrWrongCode) {
    const std::string purchaseId = NewPurchaseId();
    EXPECT_EQ(Buy(purchaseId, kDemoUser, "D1", kKnight, "255").errorCode, 9102);
    EXPECT_EQ(Buy(purchaseId, kDemoUser, "D1", kKnight, "255", "").errorCode, 9102);
    EXPECT_EQ(Buy(purchaseId, kDemoUser, "D1", kKnight, "255", "12").errorCode, 9101);
    EXPECT_EQ(Buy(purchaseId, kDemoUser, "D1", kKnight, "255", "000").errorCode, 9101);
    EXPECT_EQ(ChargeCount(""), 0u);
    EXPECT_TRUE(Buy(purchaseId, kDemoUser, "D1", kKnight, "255", "123").IsSuccess());
    // Elsewhere no code is needed.
    EXPECT_TRUE(Buy(NewPurchaseId(), kDemoUser, "D1", kKnight, "310").IsSuccess());
}

TEST_F(CreditCardFunctionsTest, SearchCardListsTheCountrysCompanies) {
    StoreReply reply = Call(2230, {});
    ASSERT_TRUE(reply.IsSuccess());
    ASSERT_EQ(reply.records.size(), 3u);
    EXPECT_EQ(First(reply)["cardCompany"], "Visa");
    EXPECT_EQ(First(reply)["cardCompanyCode"], "VI");
    EXPECT_EQ(Call(2230, {}, "450").records.size(), 2u);
    reply = Call(2230, {}, "262");  // none offered is still a success
    EXPECT_TRUE(reply.IsSuccess());
    EXPECT_TRUE(reply.records.empty());
}

TEST_F(CreditCardFunctionsTest, RegistrationChecksTheCardAndKeepsOnlyTheMaskedNumber) {
    struct Row {
        const char* what;
        StoreReply reply;
        int error;
    } const rows[] = {
        {"bad check digit", Register("4111111111111112"), 5002},
        {"letters", Register("4111abcd11111111"), 5002},
        {"month 13", Register("4111111111111111", "2030", "13"), 5003},
        {"expired", Register("4111111111111111", "2020", "1"), 5003},
        {"far ahead", Register("4111111111111111", "2099", "1"), 5003},
        {"two-digit year", Register("4111111111111111", "30", "1"), 5003},
        {"cvc", Register("4111111111111111", "2030", "7", "MC", "12"), 5004},
        {"card type of no company", Register("4111111111111111", "2030", "7", "ZZ"), 5001},
        {"empty company list", Register("4111111111111111", "2030", "7", "", "123", kEmptyUser, "262"), 5001},
        {"unknown user", Register("4111111111111111", "2030", "7", "MC", "123", "U-nobody"), 6014},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.reply.errorCode, row.error) << row.what;
    EXPECT_EQ(Call(6014, {{"cardType", "MC"}}).errorCode, 9102);
    std::optional<Sandbox::RegisteredCard> card;
    ASSERT_TRUE(db_.FindCard(kEmptyUser, card));
    EXPECT_FALSE(card);

    const StoreReply ok = Register("5555555555554444", "2031", "07", "MC", "987");
    ASSERT_TRUE(ok.IsSuccess()) << ok.message;
    EXPECT_EQ(First(ok)["maskedCardNum"], "************4444");
    ASSERT_TRUE(db_.FindCard(kEmptyUser, card));
    ASSERT_TRUE(card);
    EXPECT_EQ(card->cardType, "MC");
    EXPECT_EQ(card->maskedNumber, "************4444");
    EXPECT_EQ(card->expiryYear, 2031);
    EXPECT_EQ(card->expiryMonth, 7);
    // Now the user can buy.
    EXPECT_TRUE(Buy(NewPurchaseId(), kEmptyUser).IsSuccess());
}

TEST_F(CreditCardFunctionsTest, ReplyDateIsTheSeparatedForm) {
    EXPECT_EQ(Sandbox::CreditCardFunctions::ReplyDate("20130405123456"), "2013-04-05 12:34:56");
}

}  // namespace
