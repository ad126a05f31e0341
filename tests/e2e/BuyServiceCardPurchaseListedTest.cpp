// A purchase charged by the store's card payment shows up in buyservice's
// purchased-item list, with the payment id and date the store answered.
#include "tests/e2e/E2eSupport.h"

#include <httplib.h>

#include <regex>

using namespace E2e;

namespace {

class BuyServiceCardPurchaseListedTest : public BuyServiceE2eTest {
protected:
    // Posts one store request as the device would and returns the reply text.
    std::string PostStore(int id, const std::string& name,
                          const std::vector<std::pair<std::string, std::string>>& params) {
        std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><OblinProtocol mcc=\"310\"><request id=\"" +
                          std::to_string(id) + "\" name=\"" + name + "\" numParam=\"" + std::to_string(params.size()) +
                          "\" transactionId=\"5\">";
        for (const auto& [key, value] : params)
            xml += "<param name=\"" + key + "\">" + value + "</param>";
        xml += "</request></OblinProtocol>";
        httplib::Client client(sandbox_.BaseUrl());
        httplib::Result result = client.Post("/store", xml, "text/plain; charset=utf-8");
        return result ? result->body : std::string();
    }

    static std::string Field(const std::string& reply, const std::string& name) {
        std::smatch match;
        if (!std::regex_search(reply, match, std::regex("name=\"" + name + "\">([^<]*)<"))) return {};
        return match[1];
    }
};

TEST_F(BuyServiceCardPurchaseListedTest, ChargedPurchaseIsInThePurchasedList) {
    const std::string idReply =
        PostStore(6020, "getPurchaseID", {{"duid", "D-E2E"}, {"itemID", "000000002002"}, {"timeStamp", "42"}});
    const std::string purchaseId = Field(idReply, "purchaseID");
    ASSERT_FALSE(purchaseId.empty()) << idReply;
    const std::string charged = PostStore(6001, "easybuyPurchaseItem",
                                          {{"itemID", "000000002002"},
                                           {"itemGroupID", kCharacterGroup},
                                           {"duid", "D-E2E"},
                                           {"userID", "U1000001"},
                                           {"mode", "0"},
                                           {"transID", purchaseId}});
    const std::string paymentId = Field(charged, "paymentID");
    ASSERT_FALSE(paymentId.empty()) << charged;
    const std::string date = Field(charged, "purchaseDate");

    RunResult added =
        RunProgram({Bin("appctl"), "account", "add", "--user-name", "demo@vexmora.com", "--user-id", "U1000001"});
    ASSERT_EQ(added.exitCode, 0) << added.output;
    AppctlAnswer answer = Ask(kPurchasedList, {"_transactionId=9", std::string("_itemGroupId=") + kCharacterGroup,
                                               "_startNumber=1", "_endNumber=10"});
    ASSERT_TRUE(answer.parsed) << Diagnose(answer);
    EXPECT_EQ(answer.Get("_result"), "0") << Diagnose(answer);
    const int count = answer.CountRecords();
    bool listed = false;
    for (int n = 1; n <= count; ++n) {
        const std::string prefix = std::to_string(n);
        if (answer.Get(prefix + "_paymentId") != paymentId) continue;
        listed = true;
        EXPECT_EQ(answer.Get(prefix + "_itemId"), "000000002002");
        EXPECT_EQ(answer.Get(prefix + "_purchaseDate"), date) << Diagnose(answer);
    }
    EXPECT_TRUE(listed) << paymentId << " not in " << Diagnose(answer);
}

}  // namespace
