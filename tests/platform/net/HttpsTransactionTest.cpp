#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "platform/app/EventLoop.h"
#include "platform/net/HttpSession.h"
#include "tests/platform/net/HttpTestServer.h"

using namespace Vx;
using namespace Vx::Net::Http;
using Base::String;
using IapTest::RecordingListener;

namespace {

// A TLS server whose self-signed certificate no client trusts.
class HttpsTransactionTest : public ::testing::Test {
protected:
    void SetUp() override {
        App::EventLoop::EnsureApplication();
        if (std::system("command -v openssl >/dev/null 2>&1") != 0) {
            GTEST_SKIP() << "the openssl tool is not installed, so no test certificate can be made";
        }
        char pattern[] = "/tmp/iap-https-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        std::string cert = dir_ + "/cert.pem";
        std::string key = dir_ + "/key.pem";
        std::string command =
            "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1"
            " -addext subjectAltName=IP:127.0.0.1 -keyout " +
            key + " -out " + cert + " >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << "openssl could not make a certificate";
        server_ =
            std::make_unique<IapTest::HttpTestServer>(std::make_unique<httplib::SSLServer>(cert.c_str(), key.c_str()));
        server_->Get().Get("/secret", [this](const httplib::Request&, httplib::Response& res) {
            ++server_->hits;
            res.set_content("accepted", "text/plain");
        });
        ASSERT_TRUE(server_->Start());
        url_ = "https://127.0.0.1:" + std::to_string(server_->Port()) + "/secret";
        ASSERT_EQ(session_.Construct(NET_HTTP_SESSION_MODE_MULTIPLE_HOST, nullptr, L"https://127.0.0.1", nullptr,
                                     NET_HTTP_COOKIE_FLAG_NONE),
                  E_SUCCESS);
    }

    void TearDown() override {
        if (server_) {
            server_->Stop();
        }
        if (!dir_.empty()) {
            std::filesystem::remove_all(dir_);
        }
    }

    std::unique_ptr<HttpTransaction> Submit() {
        std::unique_ptr<HttpTransaction> t(session_.OpenTransactionN());
        t->AddHttpTransactionListener(recorder_);
        t->GetRequest()->SetUri(String::FromUtf8(url_));
        EXPECT_EQ(t->Submit(), E_SUCCESS);
        return t;
    }

    std::string dir_;
    std::string url_;
    std::unique_ptr<IapTest::HttpTestServer> server_;
    HttpSession session_;
    RecordingListener recorder_;
};

TEST_F(HttpsTransactionTest, UntrustedCertificateIsReportedAndNeverAccepted) {
    auto t = Submit();
    ASSERT_TRUE(App::EventLoop::RunUntil([&] { return recorder_.finished; }, 15000));
    EXPECT_EQ(recorder_.events, (std::vector<std::string>{"cert", "aborted"}));
    EXPECT_EQ(recorder_.abortResult, E_CONNECTION_FAILED);
    EXPECT_NE(recorder_.certificate.find("BEGIN CERTIFICATE"), std::string::npos);
    EXPECT_EQ(server_->hits.load(), 0) << "the request went out over an unverified connection";
    EXPECT_EQ(recorder_.body, "");
}

TEST_F(HttpsTransactionTest, ClosingInsideTheCertificateEventEndsIt) {
    HttpTransaction* t = Submit().release();
    bool closed = false;
    recorder_.onEvent = [&](const std::string& event, HttpSession& s, HttpTransaction& tr) {
        if (event == "cert") {
            s.CloseTransaction(tr);
            delete &tr;
            closed = true;
        }
    };
    ASSERT_TRUE(App::EventLoop::RunUntil([&] { return closed; }, 15000));
    App::EventLoop::RunUntil([] { return false; }, 200);
    EXPECT_EQ(recorder_.events, std::vector<std::string>{"cert"});
    EXPECT_EQ(server_->hits.load(), 0);
    (void)t;
}

}  // namespace
