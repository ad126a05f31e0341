#include "sandbox/AdminApi.h"
#include "sandbox/FaultInjector.h"
#include "sandbox/SandboxServer.h"
#include "sandbox/StoreDatabase.h"
#include "sandbox/TextUtil.h"

#include "SandboxTestDocuments.h"
#include "tests/support/SandboxProcess.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <signal.h>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

using SandboxTest::ItemListParams;
using SandboxTest::ParseReply;
using SandboxTest::ReplyDoc;
using SandboxTest::RequestXml;

namespace {

class SandboxServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::signal(SIGPIPE, SIG_IGN);
        Sandbox::SandboxConfig config;
        config.port = 0;
        config.logToStderr = false;
        std::string error;
        ASSERT_TRUE(server_.Construct(config, error)) << error;
        ASSERT_TRUE(server_.Start());
        client_ = std::make_unique<httplib::Client>(server_.BaseUrl());
        client_->set_read_timeout(std::chrono::seconds(10));
    }

    httplib::Result Post(const std::string& path, const std::string& body) {
        return client_->Post(path.c_str(), body, "text/plain; charset=utf-8");
    }

    ReplyDoc Store(const std::string& body, const std::string& path = "/store") {
        httplib::Result result = Post(path, body);
        if (!result || result->status != 200) return {};
        return ParseReply(result->body);
    }

    httplib::Result Admin(const char* method, const std::string& path, const std::string& form = {}) {
        const std::string type = "application/x-www-form-urlencoded";
        if (std::string(method) == "GET") return client_->Get(path.c_str());
        if (std::string(method) == "DELETE") return client_->Delete(path.c_str(), form, type.c_str());
        return client_->Post(path.c_str(), form, type.c_str());
    }

    std::string TempFile(const std::string& content) {
        const std::string path =
            "/tmp/sandbox-server-" + std::to_string(getpid()) + "-" + std::to_string(++files_) + ".vpk";
        std::ofstream(path, std::ios::binary) << content;
        created_.push_back(path);
        return path;
    }

    void TearDown() override {
        server_.Stop();
        for (const std::string& path : created_)
            std::filesystem::remove(path);
    }

    Sandbox::SandboxServer server_;
    std::unique_ptr<httplib::Client> client_;
    int files_ = 0;
    std::vector<std::string> created_;
};

std::string Items(int tid, const std::string& start = "1", const std::string& end = "10") {
    return RequestXml(6005, "getAppsItemList", tid, ItemListParams("100000000001", start, end));
}

}  // namespace

TEST_F(SandboxServerTest, CountrySearchPointsBackAtThisServer) {
    const ReplyDoc doc = Store(RequestXml(2200, "countrySearch", 5, {{"latestCountryCode", "310"}}), "/ods.as");
    ASSERT_TRUE(doc.ok);
    EXPECT_EQ(doc.Attr("transactionId"), 5);
    EXPECT_EQ(doc.Attr("id"), 2200);
    ASSERT_EQ(doc.records.size(), 1u);
    EXPECT_EQ(doc.records[0].at("countryURL"), server_.BaseUrl() + "/store");
}

TEST_F(SandboxServerTest, ItemListRoundTripOverHttp) {
    const ReplyDoc doc = Store(Items(9, "1", "3"));
    ASSERT_TRUE(doc.ok);
    EXPECT_EQ(doc.errorCode, 0);
    EXPECT_EQ(doc.Attr("transactionId"), 9);
    EXPECT_EQ(doc.Attr("totalCount"), 25);
    EXPECT_EQ(doc.records.size(), 3u);
}

TEST_F(SandboxServerTest, BadRequestsGetWellFormedErrorReplies) {
    struct Case {
        std::string body;
        int code;
    };
    const Case cases[] = {
        {"", 9100},
        {"\xff\xfe not xml", 9100},
        {"<OblinProtocol><request id=\"6005\" transactionId=\"4\"", 9100},
        {RequestXml(7777, "", 4, {}), 9106},
        {RequestXml(6005, "getAppsItemList", 4, {{"startNum", "1"}}), 9102},
        {Items(4, "0", "5"), 9101},
    };
    for (const Case& c : cases) {
        httplib::Result result = Post("/store", c.body);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 200);
        const ReplyDoc doc = ParseReply(result->body);
        ASSERT_TRUE(doc.ok) << result->body;
        EXPECT_EQ(doc.errorCode, c.code) << result->body;
        EXPECT_TRUE(doc.records.empty());
    }
}

TEST_F(SandboxServerTest, WrongPathOrMethodIs404WithAHint) {
    httplib::Result result = Post("/elsewhere", Items(1));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 404);
    EXPECT_NE(result->body.find("/store"), std::string::npos);
    result = client_->Get("/store");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 404);
}

TEST_F(SandboxServerTest, ServerErrorFaultEchoesTheRequestIds) {
    ASSERT_EQ(Admin("POST", "/admin/faults", IapTest::SandboxProcess::Form({{"rule", "getAppsItemList:error=9107:1"}}))
                  ->status,
              200);
    ReplyDoc doc = Store(Items(31));
    ASSERT_TRUE(doc.ok);
    EXPECT_EQ(doc.errorCode, 9107);
    EXPECT_EQ(doc.Attr("transactionId"), 31);
    EXPECT_EQ(doc.Attr("id"), 6005);
    doc = Store(Items(32));
    EXPECT_EQ(doc.errorCode, 0);  // the count is used up
}

TEST_F(SandboxServerTest, StatusMalformedAndDropFaults) {
    server_.Faults().Add([] {
        Sandbox::FaultRule rule;
        std::string error;
        Sandbox::FaultRule::Parse("getAppsItemList:status=500:1", rule, error);
        return rule;
    }());
    httplib::Result result = Post("/store", Items(1));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 500);
    EXPECT_FALSE(result->body.empty());

    ASSERT_EQ(Admin("POST", "/admin/faults?rule=getAppsItemList%3Amalformed%3A1")->status, 200);
    result = Post("/store", Items(2));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_FALSE(ParseReply(result->body).ok);

    ASSERT_EQ(Admin("POST", "/admin/faults", IapTest::SandboxProcess::Form({{"rule", "6005:drop:1"}}))->status, 200);
    result = Post("/store", Items(3));
    EXPECT_FALSE(result);  // closed without an answer
    result = Post("/store", Items(4));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
}

TEST_F(SandboxServerTest, DelayFaultHoldsTheAnswerBack) {
    ASSERT_EQ(Admin("POST", "/admin/faults", IapTest::SandboxProcess::Form({{"rule", "*:delay=300:1"}}))->status, 200);
    const auto started = std::chrono::steady_clock::now();
    const ReplyDoc doc = Store(Items(1));
    const auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_EQ(doc.errorCode, 0);
    EXPECT_GE(elapsed, std::chrono::milliseconds(300));
}

TEST_F(SandboxServerTest, AdminManagesFaults) {
    EXPECT_EQ(Admin("POST", "/admin/faults", "rule=bogus")->status, 400);
    EXPECT_EQ(Admin("POST", "/admin/faults")->status, 400);
    ASSERT_EQ(Admin("POST", "/admin/faults", IapTest::SandboxProcess::Form({{"rule", "checkPassword:drop"}}))->status,
              200);
    ASSERT_EQ(
        Admin("POST", "/admin/faults", IapTest::SandboxProcess::Form({{"rule", "getCountryList:status=503"}}))->status,
        200);
    httplib::Result list = Admin("GET", "/admin/faults");
    ASSERT_TRUE(list);
    EXPECT_NE(list->body.find("\"checkPassword:drop\""), std::string::npos) << list->body;
    EXPECT_EQ(Admin("DELETE", "/admin/faults?function=5012")->status, 200);
    EXPECT_EQ(server_.Faults().Rules().size(), 1u);
    EXPECT_EQ(Admin("DELETE", "/admin/faults")->status, 200);
    EXPECT_TRUE(server_.Faults().Rules().empty());
}

TEST_F(SandboxServerTest, AdminAddsAccountsThatCheckPasswordAccepts) {
    const std::string check =
        RequestXml(5012, "checkPassword", 2, {{"emailID", "tester@x.com"}, {"password", "p&ss=1"}});
    EXPECT_EQ(Store(check).records.at(0).at("isValid"), "0");
    EXPECT_EQ(Admin("POST", "/admin/accounts", "email=tester%40x.com")->status, 400);
    ASSERT_EQ(
        Admin("POST", "/admin/accounts",
              IapTest::SandboxProcess::Form({{"email", "tester@x.com"}, {"password", "p&ss=1"}, {"userId", "U77"}}))
            ->status,
        200);
    EXPECT_EQ(Store(check).records.at(0).at("isValid"), "1");
}

TEST_F(SandboxServerTest, AdminAddsPurchasesForTheList) {
    ASSERT_EQ(Admin("POST", "/admin/purchases",
                    IapTest::SandboxProcess::Form({{"userId", "U1000003"},
                                                   {"itemGroupId", "100000000002"},
                                                   {"itemId", "000000002002"},
                                                   {"paymentId", "PX1"}}))
                  ->status,
              200);
    EXPECT_EQ(Admin("POST", "/admin/purchases",
                    IapTest::SandboxProcess::Form({{"userId", "U1"},
                                                   {"itemGroupId", "g"},
                                                   {"itemId", "i"},
                                                   {"paymentId", "PX2"},
                                                   {"purchaseDate", "2024-01-01"}}))
                  ->status,
              400);
    const ReplyDoc doc = Store(RequestXml(6003, "getPurchasedAppsItemList", 3,
                                          SandboxTest::PurchasedListParams("U1000003", "100000000002", "1", "5")));
    ASSERT_EQ(doc.records.size(), 1u);
    EXPECT_EQ(doc.records[0].at("paymentID"), "PX1");
    EXPECT_EQ(doc.records[0].at("purchaseDate").size(), 14u);
}

TEST_F(SandboxServerTest, RegisteredPackageIsOfferedAndDownloadedWithItsLength) {
    const std::string content(200000, 'p');
    const std::string path = TempFile(content);
    EXPECT_EQ(Admin("POST", "/admin/packages",
                    IapTest::SandboxProcess::Form({{"id", "buyclient"}, {"version", "2.0"}, {"path", "/no/such/file"}}))
                  ->status,
              400);
    httplib::Result added =
        Admin("POST", "/admin/packages",
              IapTest::SandboxProcess::Form({{"id", "buyclient"}, {"version", "2.0.1"}, {"path", path}}));
    ASSERT_EQ(added->status, 200) << added->body;

    const ReplyDoc upgrade =
        Store(RequestXml(2306, "checkAppUpgrade", 1, {{"duid", "D"}, {"preloadApp", "buyservice@1.0.0@1"}}));
    ASSERT_EQ(upgrade.records.size(), 1u);
    EXPECT_EQ(upgrade.records[0].at("upgrade"), "1");
    const std::string url = upgrade.records[0].at("odcUrl");
    ASSERT_EQ(url.rfind(server_.BaseUrl(), 0), 0u) << url;

    httplib::Result download = client_->Get(url.substr(server_.BaseUrl().size()).c_str());
    ASSERT_TRUE(download);
    EXPECT_EQ(download->status, 200);
    EXPECT_EQ(download->get_header_value("Content-Length"), std::to_string(content.size()));
    EXPECT_EQ(download->body, content);

    ASSERT_EQ(Admin("POST", "/admin/faults", IapTest::SandboxProcess::Form({{"rule", "download:malformed:1"}}))->status,
              200);
    download = client_->Get(url.substr(server_.BaseUrl().size()).c_str());
    ASSERT_TRUE(download);
    EXPECT_EQ(download->body.size(), content.size());
    EXPECT_EQ(download->body.substr(0, 1000), content.substr(0, 1000));
    EXPECT_NE(download->body, content);

    download = client_->Get("/packages/buyclient-9.9.vpk");
    ASSERT_TRUE(download);
    EXPECT_EQ(download->status, 404);
}

TEST_F(SandboxServerTest, DownloadFaultsCanFailOrDropTheTransfer) {
    const std::string path = TempFile("abc");
    ASSERT_EQ(Admin("POST", "/admin/packages",
                    IapTest::SandboxProcess::Form({{"id", "buyclient"}, {"version", "3"}, {"path", path}}))
                  ->status,
              200);
    ASSERT_EQ(
        Admin("POST", "/admin/faults", IapTest::SandboxProcess::Form({{"rule", "download:status=404:1"}}))->status,
        200);
    ASSERT_EQ(Admin("POST", "/admin/faults", IapTest::SandboxProcess::Form({{"rule", "download:drop:1"}}))->status,
              200);
    httplib::Result download = client_->Get("/packages/buyclient-3.vpk");
    ASSERT_TRUE(download);
    EXPECT_EQ(download->status, 404);
    EXPECT_FALSE(client_->Get("/packages/buyclient-3.vpk"));
    download = client_->Get("/packages/buyclient-3.vpk");
    ASSERT_TRUE(download);
    EXPECT_EQ(download->body, "abc");
}

TEST_F(SandboxServerTest, RecentRequestsListFunctionsParamsAndOutcomes) {
    Store(Items(12, "2", "4"));
    Store("nonsense");
    httplib::Result recent = Admin("GET", "/admin/requests?limit=2");
    ASSERT_TRUE(recent);
    EXPECT_EQ(recent->status, 200);
    const std::string& json = recent->body;
    EXPECT_NE(json.find("\"function\":\"getAppsItemList\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"transactionId\":12"), std::string::npos);
    EXPECT_NE(json.find("\"startNum\":\"2\""), std::string::npos);
    EXPECT_NE(json.find("\"errorCode\":9100"), std::string::npos);
    EXPECT_EQ(Admin("GET", "/admin/requests?limit=-1")->status, 400);
    EXPECT_EQ(Admin("DELETE", "/admin/requests")->status, 200);
    EXPECT_EQ(Admin("GET", "/admin/requests")->body, "[]\n");
}

TEST_F(SandboxServerTest, RecentRequestsMaskPasswordsAndCardData) {
    Store(RequestXml(5012, "checkPassword", 40, {{"emailID", "demo@vexmora.com"}, {"password", "demo1234"}}));
    Store(
        RequestXml(6014, "registerCreditCardForIAP", 41,
                   {{"cardType", "V"}, {"cardNum", "4111111111111111"}, {"cvc", "123"}, {"authNID", "9001011234567"}}));
    const std::string json = Admin("GET", "/admin/requests")->body;
    for (const char* secret : {"demo1234", "4111111111111111", "\"123\"", "9001011234567"})
        EXPECT_EQ(json.find(secret), std::string::npos) << secret << " in " << json;
    EXPECT_NE(json.find("\"password\":\"***\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"emailID\":\"demo@vexmora.com\""), std::string::npos);
    EXPECT_NE(json.find("\"cardType\":\"V\""), std::string::npos);
}

TEST_F(SandboxServerTest, AdminOffersChangeThePaymentMethodSearch) {
    const auto offers = [&] {
        return Store(RequestXml(6007, "getPaymentMethodSearch", 50,
                                {{"itemID", "000000002003"}, {"itemGroupID", "100000000002"}, {"mode", "0"}}, "450"));
    };
    ReplyDoc reply = offers();
    ASSERT_TRUE(reply.ok);
    EXPECT_TRUE(reply.records.empty());
    EXPECT_EQ(reply.Attr("startNum"), 1);
    EXPECT_EQ(reply.Attr("endNum"), 0);
    EXPECT_EQ(reply.Attr("totalCount"), 0);

    EXPECT_EQ(Admin("POST", "/admin/offers",
                    "country=KR&itemGroupId=100000000002&itemId=000000002003&paymentMethod=CreditCard"
                    "&paymentTypeId=CC9&company=Dragon%20Pay&price=5000")
                  ->status,
              200);
    EXPECT_EQ(Admin("POST", "/admin/offers",
                    "country=KR&itemGroupId=100000000002&itemId=000000002003&paymentMethod=PSMS&list=A%3BB&position=2")
                  ->status,
              200);
    reply = offers();
    ASSERT_EQ(reply.records.size(), 2u);
    EXPECT_EQ(reply.records[0]["paymentMethod"], "CreditCard");
    EXPECT_EQ(reply.records[0]["itemPrice"], "5000");
    EXPECT_EQ(reply.records[0]["Company"], "Dragon Pay");
    EXPECT_EQ(reply.records[0].count("list"), 0u);  // empty fields are left out
    EXPECT_EQ(reply.records[1]["list"], "A;B");
    EXPECT_EQ(reply.records[1].count("Company"), 0u);
    EXPECT_EQ(reply.records[1]["itemPrice"], "4990");      // the item's own price in KRW
    EXPECT_EQ(reply.numValues, (std::vector<int>{6, 5}));  // the second has no company nor type id
    EXPECT_EQ(Admin("POST", "/admin/offers", "country=KR&itemGroupId=1&itemId=2&paymentMethod=X&price=-1")->status,
              400);
    EXPECT_EQ(Admin("POST", "/admin/offers", "country=KR&itemGroupId=1&itemId=2")->status, 400);

    EXPECT_EQ(Admin("DELETE", "/admin/offers?itemGroupId=100000000002&itemId=000000002003")->body,
              "removed 4 offer(s)\n");  // the two above and the two of the demo in the US
    EXPECT_TRUE(offers().records.empty());
}

TEST_F(SandboxServerTest, PurchaseIdTicketCanBeVerifiedAtItsUrl) {
    const ReplyDoc reply = Store(RequestXml(6020, "getPurchaseID", 51,
                                            {{"duid", "DEVICE-9"}, {"itemID", "000000002001"}, {"timeStamp", "777"}}));
    ASSERT_TRUE(reply.ok);
    ASSERT_EQ(reply.records.size(), 1u);
    const std::string id = reply.records[0].at("purchaseID");
    const std::string url = reply.records[0].at("verifyUrl");
    ASSERT_EQ(url, server_.BaseUrl() + "/purchases/" + id);
    httplib::Result ticket = client_->Get(("/purchases/" + id).c_str());
    ASSERT_TRUE(ticket);
    EXPECT_EQ(ticket->status, 200);
    EXPECT_NE(ticket->body.find("\"state\":\"issued\""), std::string::npos) << ticket->body;
    EXPECT_EQ(ticket->body.find("DEVICE-9"), std::string::npos);  // the device is not named to others
    Sandbox::PurchaseIdUse use{};
    ASSERT_TRUE(server_.Database().UsePurchaseId(id, "DEVICE-9", "000000002001", "20260102030405", use));
    EXPECT_NE(client_->Get(("/purchases/" + id).c_str())->body.find("\"state\":\"used\""), std::string::npos);
    EXPECT_EQ(client_->Get("/purchases/0123456789abcdef0123456789abcdef")->status, 404);

    const std::string issued = Admin("GET", "/admin/purchaseIds?limit=5")->body;
    EXPECT_NE(issued.find("\"duid\":\"DEVICE-9\""), std::string::npos) << issued;
    EXPECT_NE(issued.find("\"timeStamp\":\"777\""), std::string::npos);

    // A faulted request issues no id.
    ASSERT_EQ(Admin("POST", "/admin/faults", "rule=getPurchaseID%3Aerror%3D9219%3A1")->status, 200);
    const ReplyDoc faulted = Store(RequestXml(
        6020, "getPurchaseID", 52, {{"duid", "DEVICE-9"}, {"itemID", "000000002001"}, {"timeStamp", "778"}}));
    EXPECT_EQ(faulted.errorCode, 9219);
    EXPECT_EQ(Admin("GET", "/admin/purchaseIds")->body.find("\"778\""), std::string::npos);
}

TEST_F(SandboxServerTest, ParallelClientsAreAllAnswered) {
    std::atomic<int> good{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            httplib::Client client(server_.BaseUrl());
            for (int i = 0; i < 15; ++i) {
                httplib::Result result = client.Post("/store", Items(t * 100 + i), "text/plain");
                if (result && ParseReply(result->body).Attr("transactionId") == t * 100 + i) ++good;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(good.load(), 60);
}

TEST_F(SandboxServerTest, StopClosesTheListener) {
    server_.Stop();
    httplib::Client client(server_.BaseUrl());
    client.set_connection_timeout(std::chrono::seconds(2));
    EXPECT_FALSE(client.Post("/store", Items(1), "text/plain"));
}

TEST(AdminApi, AnswersLoopbackPeersOnly) {
    for (const char* loopback : {"127.0.0.1", "127.8.9.10", "::1", "::ffff:127.0.0.1"})
        EXPECT_TRUE(Sandbox::TextUtil::IsLoopbackAddress(loopback)) << loopback;
    for (const char* other : {"", "10.0.0.1", "192.0.2.7", "::2", "::ffff:10.1.1.1", "128.0.0.1", "1270.0.0.1"})
        EXPECT_FALSE(Sandbox::TextUtil::IsLoopbackAddress(other)) << other;

    httplib::Request req;
    httplib::Response res;
    req.path = "/admin/faults";
    req.remote_addr = "192.0.2.7";
    EXPECT_TRUE(Sandbox::AdminApi::Refuses(req, res));
    EXPECT_EQ(res.status, 403);
    req.path = "/store";  // the store itself answers anyone
    EXPECT_FALSE(Sandbox::AdminApi::Refuses(req, res));
    req.path = "/admin/status";
    req.remote_addr = "127.0.0.1";
    EXPECT_FALSE(Sandbox::AdminApi::Refuses(req, res));
}

TEST(SandboxServer, BusyPortIsReportedAndSecondConstructRefused) {
    Sandbox::SandboxServer first;
    Sandbox::SandboxConfig config;
    config.port = 0;
    config.logToStderr = false;
    std::string error;
    ASSERT_TRUE(first.Construct(config, error)) << error;
    EXPECT_FALSE(first.Construct(config, error));

    Sandbox::SandboxServer second;
    config.port = first.Port();
    EXPECT_FALSE(second.Construct(config, error));
    EXPECT_NE(error.find("--port"), std::string::npos) << error;
}
