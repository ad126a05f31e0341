#include <gtest/gtest.h>

#include <memory>

#include "platform/app/EventLoop.h"
#include "platform/net/HttpSession.h"
#include "tests/platform/net/HttpTestServer.h"

using namespace Vx;
using namespace Vx::Net::Http;
using Base::String;
using IapTest::RecordingListener;

namespace {

class HttpSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        App::EventLoop::EnsureApplication();
        server.AllowKeepAlive();  // deleting inside events must not upset a reused connection
        auto& svr = server.Get();
        svr.Get("/text", [this](const httplib::Request& req, httplib::Response& res) {
            ++server.hits;
            res.set_header("X-Seen-Cookie", req.get_header_value("Cookie"));
            res.set_header("Set-Cookie", "session=abc; Path=/");
            res.set_content(std::string(64 * 1024, 't'), "text/plain");
        });
        svr.Get("/stall", [this](const httplib::Request&, httplib::Response& res) {
            ++server.hits;
            server.WaitForRelease();
            res.set_content("late", "text/plain");
        });
        // Requests in absolute form are what a proxy receives.
        svr.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
            if (req.target.rfind("http://", 0) != 0) {
                return httplib::Server::HandlerResponse::Unhandled;
            }
            ++proxied;
            res.set_content("via proxy", "text/plain");
            return httplib::Server::HandlerResponse::Handled;
        });
        ASSERT_TRUE(server.Start());
        session = std::make_unique<HttpSession>();
        ASSERT_EQ(session->Construct(NET_HTTP_SESSION_MODE_MULTIPLE_HOST, nullptr, L"http://host.invalid", nullptr,
                                     NET_HTTP_COOKIE_FLAG_ALWAYS_MANUAL),
                  E_SUCCESS);
    }

    void TearDown() override { server.Stop(); }

    // A submitted transaction with the recorder attached; owned by the caller.
    HttpTransaction* Open(HttpSession& on, const std::string& path) {
        HttpTransaction* t = on.OpenTransactionN();
        if (t == nullptr) {
            return nullptr;
        }
        t->AddHttpTransactionListener(recorder);
        t->GetRequest()->SetUri(String::FromUtf8(server.Url(path)));
        EXPECT_EQ(t->Submit(), E_SUCCESS);
        return t;
    }

    // Lets the loop run for a while so that stray events would show up.
    static void Settle(int ms = 300) {
        App::EventLoop::RunUntil([] { return false; }, ms);
    }

    IapTest::HttpTestServer server;
    std::unique_ptr<HttpSession> session;
    RecordingListener recorder;
    std::atomic<int> proxied{0};
};

TEST(HttpSessionConstruct, RejectsBadArgumentsAndSecondCall) {
    App::EventLoop::EnsureApplication();
    HttpSession unconstructed;
    EXPECT_EQ(unconstructed.OpenTransactionN(), nullptr);
    EXPECT_EQ(unconstructed.GetActiveTransactionCount(), 0);

    HttpSession s;
    EXPECT_EQ(s.Construct(static_cast<NetHttpSessionMode>(7), nullptr, L"http://h", nullptr, NET_HTTP_COOKIE_FLAG_NONE),
              E_INVALID_ARG);
    EXPECT_EQ(
        s.Construct(NET_HTTP_SESSION_MODE_NORMAL, nullptr, L"http://h", nullptr, static_cast<NetHttpCookieFlag>(-1)),
        E_INVALID_ARG);
    String badProxy(L"proxy-without-port");
    EXPECT_EQ(s.Construct(NET_HTTP_SESSION_MODE_NORMAL, &badProxy, L"http://h", nullptr, NET_HTTP_COOKIE_FLAG_NONE),
              E_INVALID_ARG);
    String proxy(L"http://127.0.0.1:3128");
    EXPECT_EQ(s.Construct(NET_HTTP_SESSION_MODE_PIPELINING, &proxy, L"http://h", nullptr, NET_HTTP_COOKIE_FLAG_NONE),
              E_SUCCESS);
    EXPECT_EQ(s.GetSessionMode(), NET_HTTP_SESSION_MODE_PIPELINING);
    EXPECT_EQ(s.Construct(NET_HTTP_SESSION_MODE_NORMAL, nullptr, L"http://h", nullptr, NET_HTTP_COOKIE_FLAG_NONE),
              E_INVALID_STATE);
}

TEST_F(HttpSessionTest, ProxyIsUsedForTheSessionsRequests) {
    String proxy = String::FromUtf8("127.0.0.1:" + std::to_string(server.Port()));
    HttpSession viaProxy;
    ASSERT_EQ(viaProxy.Construct(NET_HTTP_SESSION_MODE_MULTIPLE_HOST, &proxy, L"http://h", nullptr,
                                 NET_HTTP_COOKIE_FLAG_NONE),
              E_SUCCESS);
    std::unique_ptr<HttpTransaction> t(viaProxy.OpenTransactionN());
    t->AddHttpTransactionListener(recorder);
    t->GetRequest()->SetUri(L"http://store.invalid/text");
    ASSERT_EQ(t->Submit(), E_SUCCESS);
    ASSERT_TRUE(App::EventLoop::RunUntil([&] { return recorder.finished; }, 10000));
    EXPECT_EQ(recorder.status, 200);
    EXPECT_EQ(recorder.body, "via proxy");
    EXPECT_EQ(proxied.load(), 1);
}

TEST_F(HttpSessionTest, CancelRightAfterSubmitSilencesTheTransaction) {
    std::unique_ptr<HttpTransaction> t(Open(*session, "/text"));
    EXPECT_EQ(session->GetActiveTransactionCount(), 1);
    EXPECT_EQ(session->CancelTransaction(*t), E_SUCCESS);
    EXPECT_FALSE(t->IsRunning());
    EXPECT_EQ(session->GetActiveTransactionCount(), 0);
    Settle();
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_EQ(t->Submit(), E_INVALID_STATE);
    EXPECT_EQ(session->CloseTransaction(*t), E_SUCCESS);
    EXPECT_EQ(session->CloseTransaction(*t), E_OBJ_NOT_FOUND);
    EXPECT_EQ(session->CancelTransaction(*t), E_OBJ_NOT_FOUND);
}

// Callers close and delete the transaction inside its events; whatever the
// event, nothing may follow and nothing freed may be touched.
TEST_F(HttpSessionTest, CloseAndDeleteInsideEachEventIsSafe) {
    for (const char* when : {"header", "read", "completed"}) {
        SCOPED_TRACE(when);
        recorder = RecordingListener();
        HttpTransaction* t = Open(*session, "/text");
        ASSERT_NE(t, nullptr);
        bool deleted = false;
        recorder.onEvent = [&, when](const std::string& event, HttpSession& s, HttpTransaction& tr) {
            if (event == when && !deleted) {
                EXPECT_EQ(s.CloseTransaction(tr), E_SUCCESS);
                delete &tr;
                deleted = true;
            }
        };
        ASSERT_TRUE(App::EventLoop::RunUntil([&] { return deleted; }, 10000));
        std::size_t seen = recorder.events.size();
        Settle(200);
        EXPECT_EQ(recorder.events.size(), seen) << "event after delete";
        EXPECT_EQ(recorder.events.back(), when);
        EXPECT_EQ(session->GetActiveTransactionCount(), 0);
    }
}

TEST_F(HttpSessionTest, DeletingTheSessionInsideAnEventIsSafe) {
    std::unique_ptr<HttpTransaction> t(Open(*session, "/text"));
    recorder.onEvent = [&](const std::string& event, HttpSession&, HttpTransaction&) {
        if (event == "header") {
            session.reset();
            t.reset();
        }
    };
    ASSERT_TRUE(App::EventLoop::RunUntil([&] { return session == nullptr; }, 10000));
    Settle();
    EXPECT_EQ(recorder.events, std::vector<std::string>{"header"});
}

TEST_F(HttpSessionTest, DeletingARunningTransactionOrItsSessionIsSafe) {
    HttpTransaction* running = Open(*session, "/stall");
    ASSERT_TRUE(App::EventLoop::RunUntil([&] { return server.hits.load() == 1; }, 10000));
    delete running;
    EXPECT_EQ(session->GetActiveTransactionCount(), 0);

    std::unique_ptr<HttpTransaction> orphan(Open(*session, "/stall"));
    ASSERT_TRUE(App::EventLoop::RunUntil([&] { return server.hits.load() == 2; }, 10000));
    session.reset();
    EXPECT_FALSE(orphan->IsRunning());
    server.ReleaseStalls();
    Settle();
    EXPECT_TRUE(recorder.events.empty());
    orphan.reset();
}

TEST_F(HttpSessionTest, DeleteInsideTimeoutAbortIsSafe) {
    HttpTransaction* t = session->OpenTransactionN();
    t->AddHttpTransactionListener(recorder);
    t->GetRequest()->SetUri(String::FromUtf8(server.Url("/stall")));
    t->SetTimeout(1);
    ASSERT_EQ(t->Submit(), E_SUCCESS);
    recorder.onEvent = [](const std::string&, HttpSession& s, HttpTransaction& tr) {
        s.CloseTransaction(tr);
        delete &tr;
    };
    ASSERT_TRUE(App::EventLoop::RunUntil([&] { return recorder.finished; }, 10000));
    EXPECT_EQ(recorder.abortResult, E_TIMEOUT);
    Settle(100);
    EXPECT_EQ(recorder.events.size(), 1u);
}

TEST_F(HttpSessionTest, CookiesFollowTheSessionsFlag) {
    auto seenCookie = [&](HttpSession& s) {
        recorder = RecordingListener();
        std::unique_ptr<HttpTransaction> t(Open(s, "/text"));
        EXPECT_TRUE(App::EventLoop::RunUntil([&] { return recorder.finished; }, 10000));
        String value;
        t->GetResponse()->GetHeader()->GetFieldValue(L"X-Seen-Cookie", value);
        return value;
    };
    seenCookie(*session);
    EXPECT_EQ(seenCookie(*session), String()) << "a manual session sends no stored cookie";

    HttpSession automatic;
    ASSERT_EQ(automatic.Construct(NET_HTTP_SESSION_MODE_MULTIPLE_HOST, nullptr, L"http://h", nullptr,
                                  NET_HTTP_COOKIE_FLAG_ALWAYS_AUTOMATIC),
              E_SUCCESS);
    seenCookie(automatic);
    EXPECT_EQ(seenCookie(automatic), String(L"session=abc"));
}

}  // namespace
