#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>

#include "platform/app/EventLoop.h"
#include "platform/net/HttpSession.h"
#include "platform/net/HttpStringEntity.h"
#include "tests/platform/net/HttpTestServer.h"

using namespace Vx;
using namespace Vx::Net::Http;
using IapTest::RecordingListener;

namespace {

class HttpTransactionTest : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("IAP_HTTP_TIMEOUT_MS");  // these tests set their own limits
        App::EventLoop::EnsureApplication();
        auto& svr = server.Get();
        svr.Post("/echo", [](const httplib::Request& req, httplib::Response& res) {
            res.set_header("X-Seen-Type", req.get_header_value("Content-Type"));
            res.set_header("X-Seen-Common", req.get_header_value("X-Common"));
            res.set_header("X-Seen-Own", req.get_header_value("X-Own"));
            res.set_content(req.body, "text/plain");
        });
        svr.Get("/status/500", [](const httplib::Request&, httplib::Response& res) {
            res.status = 500;
            res.set_content("<error>boom</error>", "text/xml");
        });
        svr.Get("/status/404", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content("missing", "text/plain");
        });
        svr.Get("/empty", [](const httplib::Request&, httplib::Response& res) { res.status = 200; });
        svr.Get("/big", [](const httplib::Request&, httplib::Response& res) {
            std::string body(1 << 20, '\0');
            for (std::size_t i = 0; i < body.size(); ++i) {
                body[i] = static_cast<char>('a' + i % 26);
            }
            res.set_content(body, "application/octet-stream");
        });
        svr.Get("/huge", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(std::string(kMaxHttpBodyBytes + 1, 'x'), "application/octet-stream");
        });
        svr.Get("/stall", [this](const httplib::Request&, httplib::Response& res) {
            server.WaitForRelease();
            res.set_content("late", "text/plain");
        });
        svr.Get("/redirect", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/empty"); });
        svr.Get("/auth", [](const httplib::Request&, httplib::Response& res) {
            res.status = 401;
            res.set_header("WWW-Authenticate", "Basic realm=\"store\"");
        });
        ASSERT_TRUE(server.Start());
        ASSERT_EQ(session.Construct(NET_HTTP_SESSION_MODE_MULTIPLE_HOST, nullptr, String::FromUtf8(server.Url("")),
                                    nullptr, NET_HTTP_COOKIE_FLAG_ALWAYS_MANUAL),
                  E_SUCCESS);
    }

    void TearDown() override {
        transaction.reset();
        server.Stop();
        unsetenv("IAP_HTTP_TIMEOUT_MS");
    }

    using String = Base::String;

    // Opens a transaction for uri with the recorder attached; submits it.
    result Start(const std::string& uri, NetHttpMethod method = NET_HTTP_METHOD_GET) {
        transaction.reset(session.OpenTransactionN());
        if (!transaction) {
            return E_FAILURE;
        }
        transaction->AddHttpTransactionListener(recorder);
        transaction->GetRequest()->SetUri(String::FromUtf8(uri));
        transaction->GetRequest()->SetMethod(method);
        return transaction->Submit();
    }

    bool WaitFinished(int ms = 10000) {
        return App::EventLoop::RunUntil([this] { return recorder.finished; }, ms);
    }

    IapTest::HttpTestServer server;
    HttpSession session;
    std::unique_ptr<HttpTransaction> transaction;
    RecordingListener recorder;
};

TEST_F(HttpTransactionTest, PostSendsEntityAndReportsEventsInOrder) {
    HttpHeader common;
    ASSERT_EQ(common.AddField(L"X-Common", L"shared"), E_SUCCESS);
    HttpSession own;
    ASSERT_EQ(own.Construct(NET_HTTP_SESSION_MODE_MULTIPLE_HOST, nullptr, L"http://unused.invalid", &common,
                            NET_HTTP_COOKIE_FLAG_ALWAYS_MANUAL),
              E_SUCCESS);
    transaction.reset(own.OpenTransactionN());
    ASSERT_TRUE(transaction);
    transaction->AddHttpTransactionListener(recorder);
    HttpRequest* request = transaction->GetRequest();
    ASSERT_EQ(request->SetUri(String::FromUtf8(server.Url("/echo"))), E_SUCCESS);
    ASSERT_EQ(request->SetMethod(NET_HTTP_METHOD_POST), E_SUCCESS);
    ASSERT_EQ(request->GetHeader()->AddField(L"X-Own", L"mine"), E_SUCCESS);
    {
        HttpStringEntity entity;
        ASSERT_EQ(entity.Construct(L"<r>h\u00e9llo \u4e16\u754c</r>", L"text/plain", L"utf-8", Text::Utf8Encoding()),
                  E_SUCCESS);
        ASSERT_EQ(request->SetEntity(entity), E_SUCCESS);
    }  // the request keeps its own copy
    ASSERT_EQ(transaction->SetTimeout(30), E_SUCCESS);
    ASSERT_EQ(transaction->Submit(), E_SUCCESS);
    EXPECT_TRUE(recorder.events.empty()) << "no event may arrive inside Submit";

    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(recorder.status, 200);
    EXPECT_EQ(recorder.body, "<r>h\xc3\xa9llo \xe4\xb8\x96\xe7\x95\x8c</r>");
    EXPECT_EQ(recorder.readyToReadBytes, static_cast<int>(recorder.body.size()));
    ASSERT_GE(recorder.events.size(), 3u);
    EXPECT_EQ(recorder.events.front(), "header");
    EXPECT_EQ(recorder.events.back(), "completed");
    EXPECT_GT(recorder.headerLength, 0);
    EXPECT_FALSE(recorder.authRequired);

    const HttpHeader* received = transaction->GetResponse()->GetHeader();
    String value;
    ASSERT_EQ(received->GetFieldValue(L"x-seen-type", value), E_SUCCESS);
    EXPECT_EQ(value, String(L"text/plain; charset=utf-8"));
    ASSERT_EQ(received->GetFieldValue(L"X-Seen-Common", value), E_SUCCESS);
    EXPECT_EQ(value, String(L"shared"));
    ASSERT_EQ(received->GetFieldValue(L"X-Seen-Own", value), E_SUCCESS);
    EXPECT_EQ(value, String(L"mine"));
    EXPECT_EQ(own.CloseTransaction(*transaction), E_SUCCESS);
}

TEST_F(HttpTransactionTest, NonOkStatusStillCompletesWithReadableBody) {
    ASSERT_EQ(Start(server.Url("/status/500")), E_SUCCESS);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(recorder.events.back(), "completed");
    EXPECT_EQ(recorder.status, 500);
    EXPECT_EQ(recorder.body, "<error>boom</error>");

    recorder = RecordingListener();
    ASSERT_EQ(Start(server.Url("/status/404")), E_SUCCESS);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(recorder.status, 404);
    EXPECT_EQ(recorder.body, "missing");
}

TEST_F(HttpTransactionTest, RedirectAndAuthChallengeAreReportedNotFollowed) {
    ASSERT_EQ(Start(server.Url("/redirect")), E_SUCCESS);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(recorder.events.back(), "completed");
    EXPECT_EQ(recorder.status, 302);

    recorder = RecordingListener();
    ASSERT_EQ(Start(server.Url("/auth")), E_SUCCESS);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(recorder.events.back(), "completed");
    EXPECT_EQ(recorder.status, 401);
    EXPECT_TRUE(recorder.authRequired);
}

TEST_F(HttpTransactionTest, EmptyBodyReadsAsEmptyBuffer) {
    ASSERT_EQ(Start(server.Url("/empty")), E_SUCCESS);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(recorder.events.back(), "completed");
    std::unique_ptr<Base::ByteBuffer> body(transaction->GetResponse()->ReadBodyN());
    ASSERT_TRUE(body);
    EXPECT_EQ(body->GetPosition(), 0);
    EXPECT_EQ(body->GetLimit(), 0);
}

TEST_F(HttpTransactionTest, LargeBodyArrivesWholeWhetherReadInPiecesOrAtTheEnd) {
    std::string expected(1 << 20, '\0');
    for (std::size_t i = 0; i < expected.size(); ++i) {
        expected[i] = static_cast<char>('a' + i % 26);
    }
    recorder.readAsItArrives = true;
    ASSERT_EQ(Start(server.Url("/big")), E_SUCCESS);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(recorder.body.size(), expected.size());
    EXPECT_TRUE(recorder.body == expected);
    EXPECT_EQ(transaction->GetResponse()->GetReceivedBodyLength(), static_cast<long long>(expected.size()));

    recorder = RecordingListener();
    ASSERT_EQ(Start(server.Url("/big")), E_SUCCESS);
    ASSERT_TRUE(WaitFinished());
    EXPECT_TRUE(recorder.body == expected);
}

TEST_F(HttpTransactionTest, ReplyLargerThanTheLimitIsAbortedNotBuffered) {
    ASSERT_EQ(Start(server.Url("/huge")), E_SUCCESS);
    ASSERT_TRUE(WaitFinished(30000));
    EXPECT_EQ(recorder.events.back(), "aborted");
    EXPECT_EQ(recorder.abortResult, E_OUT_OF_MEMORY);
    EXPECT_LE(transaction->GetResponse()->GetReceivedBodyLength(), kMaxHttpBodyBytes);
}

TEST_F(HttpTransactionTest, RefusedConnectionIsAborted) {
    ASSERT_EQ(Start("http://127.0.0.1:" + std::to_string(IapTest::UnusedPort()) + "/x"), E_SUCCESS);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(recorder.events, std::vector<std::string>{"aborted"});
    EXPECT_EQ(recorder.abortResult, E_CONNECTION_FAILED);
}

TEST_F(HttpTransactionTest, ResetConnectionIsAborted) {
    IapTest::RawTcpServer reset(IapTest::RawTcpServer::Mode::Reset);
    ASSERT_TRUE(reset.Start());
    ASSERT_EQ(Start(reset.Url("/x"), NET_HTTP_METHOD_POST), E_SUCCESS);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(recorder.events.back(), "aborted");
    EXPECT_NE(recorder.abortResult, E_SUCCESS);
    EXPECT_EQ(std::count(recorder.events.begin(), recorder.events.end(), "completed"), 0);
}

TEST_F(HttpTransactionTest, StalledServerTimesOut) {
    IapTest::RawTcpServer silent(IapTest::RawTcpServer::Mode::Silent);
    ASSERT_TRUE(silent.Start());
    transaction.reset(session.OpenTransactionN());
    transaction->AddHttpTransactionListener(recorder);
    transaction->GetRequest()->SetUri(String::FromUtf8(silent.Url("/x")));
    ASSERT_EQ(transaction->SetTimeout(1), E_SUCCESS);
    auto begin = std::chrono::steady_clock::now();
    ASSERT_EQ(transaction->Submit(), E_SUCCESS);
    ASSERT_TRUE(WaitFinished(10000));
    EXPECT_EQ(recorder.events, std::vector<std::string>{"aborted"});
    EXPECT_EQ(recorder.abortResult, E_TIMEOUT);
    EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(900));
}

TEST_F(HttpTransactionTest, EnvironmentTimeoutReplacesTheTransactionTimeout) {
    setenv("IAP_HTTP_TIMEOUT_MS", "150", 1);
    transaction.reset(session.OpenTransactionN());
    transaction->AddHttpTransactionListener(recorder);
    transaction->GetRequest()->SetUri(String::FromUtf8(server.Url("/stall")));
    ASSERT_EQ(transaction->SetTimeout(30), E_SUCCESS);
    ASSERT_EQ(transaction->Submit(), E_SUCCESS);
    ASSERT_TRUE(WaitFinished(5000)) << "the 30 s limit was not replaced";
    EXPECT_EQ(recorder.abortResult, E_TIMEOUT);

    // Garbage in the variable leaves the transaction's own limit in force.
    setenv("IAP_HTTP_TIMEOUT_MS", "soon", 1);
    recorder = RecordingListener();
    ASSERT_EQ(Start(server.Url("/empty")), E_SUCCESS);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(recorder.events.back(), "completed");
}

TEST_F(HttpTransactionTest, RelativeUriResolvesAgainstSessionHost) {
    ASSERT_EQ(Start("/status/404"), E_SUCCESS);
    ASSERT_TRUE(WaitFinished());
    EXPECT_EQ(recorder.status, 404);
}

TEST_F(HttpTransactionTest, SubmitRefusesUnusableStates) {
    transaction.reset(session.OpenTransactionN());
    EXPECT_EQ(transaction->Submit(), E_INVALID_STATE) << "no URI";
    ASSERT_EQ(transaction->GetRequest()->SetUri(L"ftp://127.0.0.1/file"), E_SUCCESS);
    EXPECT_EQ(transaction->Submit(), E_INVALID_ARG);
    ASSERT_EQ(transaction->GetRequest()->SetUri(L"http://"), E_SUCCESS);
    EXPECT_EQ(transaction->Submit(), E_INVALID_ARG);
    EXPECT_FALSE(transaction->IsSubmitted());
    EXPECT_EQ(transaction->SetTimeout(-1), E_INVALID_ARG);

    ASSERT_EQ(transaction->GetRequest()->SetUri(String::FromUtf8(server.Url("/empty"))), E_SUCCESS);
    ASSERT_EQ(transaction->Submit(), E_SUCCESS);
    EXPECT_EQ(transaction->Submit(), E_INVALID_STATE);
    EXPECT_EQ(transaction->GetRequest()->SetUri(L"http://127.0.0.1/other"), E_INVALID_STATE);
    EXPECT_EQ(transaction->GetRequest()->SetMethod(NET_HTTP_METHOD_POST), E_INVALID_STATE);
}

}  // namespace
