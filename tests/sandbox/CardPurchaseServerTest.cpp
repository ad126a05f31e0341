// Card purchases over HTTP: faults after the commit, the admin's view of
// charges and cards, and what the request log keeps of card data.
#include "sandbox/SandboxServer.h"

#include "SandboxTestDocuments.h"
#include "tests/support/SandboxProcess.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <signal.h>
#include <atomic>
#include <chrono>
#include <thread>

using SandboxTest::ParseReply;
using SandboxTest::ReplyDoc;
using SandboxTest::RequestXml;

namespace {

constexpr const char* kCharacters = "100000000002";
constexpr const char* kKnight = "000000002001";

class CardPurchaseServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::signal(SIGPIPE, SIG_IGN);
        Sandbox::SandboxConfig config;
        config.port = 0;
        config.logToStderr = false;
        std::string error;
        ASSERT_TRUE(server_.Construct(config, error)) << error;
        ASSERT_TRUE(server_.Start());
        client_ = NewClient();
    }

    void TearDown() override { server_.Stop(); }

    std::unique_ptr<httplib::Client> NewClient() {
        auto client = std::make_unique<httplib::Client>(server_.BaseUrl());
        client->set_read_timeout(std::chrono::seconds(10));
        return client;
    }

    httplib::Result Post(const std::string& body, httplib::Client* client = nullptr) {
        return (client ? client : client_.get())->Post("/store", body, "text/plain; charset=utf-8");
    }

    ReplyDoc Store(const std::string& body) {
        httplib::Result result = Post(body);
        if (!result || result->status != 200) return {};
        return ParseReply(result->body);
    }

    httplib::Result Admin(const char* method, const std::string& path, const std::string& form = {}) {
        const std::string type = "application/x-www-form-urlencoded";
        if (std::string(method) == "GET") return client_->Get(path.c_str());
        if (std::string(method) == "DELETE") return client_->Delete(path.c_str(), form, type.c_str());
        return client_->Post(path.c_str(), form, type.c_str());
    }

    void AddFault(const std::string& rule) {
        ASSERT_EQ(Admin("POST", "/admin/faults", IapTest::SandboxProcess::Form({{"rule", rule}}))->status, 200) << rule;
    }

    std::string NewPurchaseId() {
        const ReplyDoc reply =
            Store(RequestXml(6020, "getPurchaseID", 1, {{"duid", "D1"}, {"itemID", kKnight}, {"timeStamp", "1"}}));
        return reply.records.empty() ? std::string() : reply.records[0].at("purchaseID");
    }

    static std::string Purchase(const std::string& purchaseId, int tid = 2, const std::string& user = "U1000001") {
        return RequestXml(6001, "easybuyPurchaseItem", tid,
                          {{"itemID", kKnight},
                           {"itemGroupID", kCharacters},
                           {"duid", "D1"},
                           {"userID", user},
                           {"mode", "0"},
                           {"transID", purchaseId}});
    }

    static std::string Check(const std::string& purchaseId, int tid = 3) {
        return RequestXml(6016, "checkPurchasedItem", tid,
                          {{"itemID", kKnight}, {"duid", "D1"}, {"transID", purchaseId}, {"mode", "0"}});
    }

    // How many times the purchase id was charged, from the admin's list.
    int Charges(const std::string& purchaseId) {
        const std::string body = Admin("GET", "/admin/charges?purchaseId=" + purchaseId)->body;
        int count = 0;
        for (size_t at = body.find("\"purchaseId\""); at != std::string::npos; at = body.find("\"purchaseId\"", at + 1))
            ++count;
        return count;
    }

    Sandbox::SandboxServer server_;
    std::unique_ptr<httplib::Client> client_;
};

TEST_F(CardPurchaseServerTest, DroppedReplyAfterCommitLeavesOneChargeThatTheCheckFinds) {
    const std::string purchaseId = NewPurchaseId();
    ASSERT_FALSE(purchaseId.empty());
    ASSERT_EQ(Charges(purchaseId), 0);
    AddFault("easybuyPurchaseItem:drop-after-commit:1");
    httplib::Result lost = Post(Purchase(purchaseId));
    EXPECT_FALSE(lost);  // no answer at all
    EXPECT_EQ(Charges(purchaseId), 1);

    const ReplyDoc check = Store(Check(purchaseId));
    ASSERT_TRUE(check.ok);
    EXPECT_EQ(check.errorCode, 0);
    ASSERT_EQ(check.records.size(), 1u);
    const std::string paymentId = check.records[0].at("paymentID");
    // A retry of the purchase itself is answered with the same payment.
    const ReplyDoc retry = Store(Purchase(purchaseId));
    ASSERT_EQ(retry.records.size(), 1u);
    EXPECT_EQ(retry.records[0].at("paymentID"), paymentId);
    EXPECT_EQ(Charges(purchaseId), 1);

    const std::string log = Admin("GET", "/admin/requests")->body;
    EXPECT_NE(log.find("then fault easybuyPurchaseItem:drop-after-commit"), std::string::npos) << log;
}

TEST_F(CardPurchaseServerTest, ErrorStatusAndDelayAfterCommit) {
    const std::string first = NewPurchaseId();
    AddFault("6001:error-after-commit=9219:1");
    ReplyDoc reply = Store(Purchase(first, 21));
    ASSERT_TRUE(reply.ok);
    EXPECT_EQ(reply.errorCode, 9219);
    EXPECT_EQ(reply.Attr("transactionId"), 21);
    EXPECT_TRUE(reply.records.empty());
    EXPECT_EQ(Charges(first), 1);

    const std::string second = NewPurchaseId();
    AddFault("easybuyPurchaseItem:status-after-commit=503:1");
    httplib::Result result = Post(Purchase(second));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 503);
    EXPECT_EQ(Charges(second), 1);

    // The charge is visible to a check while the purchase's reply is still held back.
    const std::string third = NewPurchaseId();
    AddFault("easybuyPurchaseItem:delay-after-commit=8000:1");  // long enough for a loaded machine
    std::atomic<bool> answered{false};
    std::thread slow([&] {
        auto own = NewClient();
        httplib::Result late = Post(Purchase(third), own.get());
        answered = late && late->status == 200;
    });
    ReplyDoc check;
    for (int i = 0; i < 600 && check.errorCode != 0; ++i) {
        check = Store(Check(third));
        if (check.errorCode != 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(check.errorCode, 0);
    EXPECT_FALSE(answered);
    slow.join();
    EXPECT_TRUE(answered);
    EXPECT_EQ(Charges(third), 1);
}

TEST_F(CardPurchaseServerTest, AfterCommitRulesWaitWhileAFaultStopsTheRequestFirst) {
    const std::string purchaseId = NewPurchaseId();
    AddFault("easybuyPurchaseItem:error=9001:1");
    AddFault("easybuyPurchaseItem:drop-after-commit:1");
    EXPECT_EQ(Store(Purchase(purchaseId)).errorCode, 9001);
    EXPECT_EQ(Charges(purchaseId), 0);
    EXPECT_FALSE(Post(Purchase(purchaseId)));  // now the after-commit rule
    EXPECT_EQ(Charges(purchaseId), 1);
}

TEST_F(CardPurchaseServerTest, ConcurrentRetriesChargeOnce) {
    // Several rounds: a retry that looks the id up just before another one commits is the case to catch.
    for (int round = 0; round < 8; ++round) {
        SCOPED_TRACE(round);
        const std::string purchaseId = NewPurchaseId();
        std::vector<std::string> paymentIds(6);
        std::vector<std::thread> threads;
        for (size_t i = 0; i < paymentIds.size(); ++i) {
            threads.emplace_back([&, i] {
                auto own = NewClient();
                httplib::Result result = Post(Purchase(purchaseId, static_cast<int>(i)), own.get());
                if (!result) return;
                const ReplyDoc reply = ParseReply(result->body);
                if (!reply.records.empty()) paymentIds[i] = reply.records[0].at("paymentID");
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        for (const std::string& id : paymentIds)
            EXPECT_EQ(id, paymentIds[0]);
        EXPECT_FALSE(paymentIds[0].empty());
        EXPECT_EQ(Charges(purchaseId), 1);
    }
}

TEST_F(CardPurchaseServerTest, AdminRegistersAndRemovesCards) {
    const std::string purchaseId = NewPurchaseId();
    EXPECT_EQ(Admin("POST", "/admin/cards",
                    "userId=U1000003&cardType=VI&cardNum=4111111111111112"
                    "&expirationYear=2030&expirationMonth=1")
                  ->status,
              400);
    EXPECT_EQ(Admin("POST", "/admin/cards", "userId=U1000003")->status, 400);
    EXPECT_EQ(Admin("POST", "/admin/cards",
                    "userId=U1000003&cardType=VI&cardNum=4111111111111111"
                    "&expirationYear=2030&expirationMonth=1&status=odd")
                  ->status,
              400);
    ASSERT_EQ(Admin("POST", "/admin/cards",
                    "userId=U1000003&cardType=VI&cardNum=4111111111111111"
                    "&expirationYear=2030&expirationMonth=1&status=refused")
                  ->status,
              200);
    EXPECT_EQ(Store(Purchase(purchaseId, 2, "U1000003")).errorCode, 9210);
    EXPECT_EQ(Admin("DELETE", "/admin/cards?userId=U1000003")->body, "removed 1 card(s)\n");
    EXPECT_EQ(Store(Purchase(purchaseId, 2, "U1000003")).errorCode, 9204);
    EXPECT_EQ(Charges(purchaseId), 0);

    EXPECT_TRUE(Store(Purchase(purchaseId)).records.size() == 1);
    const std::string charges = Admin("GET", "/admin/charges")->body;
    EXPECT_NE(charges.find("\"card\":\"************1111\""), std::string::npos) << charges;
    EXPECT_NE(charges.find("\"amount\":1.49"), std::string::npos) << charges;
}

TEST_F(CardPurchaseServerTest, RequestLogMasksEveryCardField) {
    Store(RequestXml(6014, "registerCreditCardForIAP", 41,
                     {{"cardType", "VI"},
                      {"cardNum", "4012888888881881"},
                      {"expirationYear", "2031"},
                      {"expirationMonth", "11"},
                      {"cvc", "737"},
                      {"userID", "U1000003"},
                      {"authNID", "8001011234567"},
                      {"authPIN", "4321"}}));
    Store(RequestXml(6001, "easybuyPurchaseItem", 42, {{"itemID", kKnight}, {"transID", "x"}, {"cvc", "9182"}}, "255"));
    const std::string log = Admin("GET", "/admin/requests")->body;
    for (const char* secret : {"4012888888881881", "2031", "\"11\"", "737", "8001011234567", "4321", "9182"})
        EXPECT_EQ(log.find(secret), std::string::npos) << secret << " in " << log;
    EXPECT_NE(log.find("\"userID\":\"U1000003\""), std::string::npos) << log;
}

}  // namespace
