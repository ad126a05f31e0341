// The light web view against a loopback HTTP server.
#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <memory>
#include <string>

#include "platform/app/EventLoop.h"
#include "platform/ui/UiEnvironment.h"
#include "platform/ui/Web.h"

using namespace Vx;
using namespace Vx::Ui::Controls;

namespace {

// Answers every request with the page set for it, then closes the connection.
class PageServer {
public:
    PageServer() {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    request_ += socket->readAll();
                    if (!request_.contains("\r\n\r\n")) return;
                    ++requests;
                    QByteArray reply = "HTTP/1.1 " + status + "\r\nContent-Type: text/html\r\nContent-Length: " +
                                       QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
                    request_.clear();
                    socket->write(reply);
                    socket->disconnectFromHost();
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    Base::String Url(const char* path) const {
        return Base::String(L"http://127.0.0.1:" + std::to_wstring(server_.serverPort()) +
                            std::wstring(path, path + strlen(path)));
    }
    QByteArray status = "200 OK";
    QByteArray body;
    int requests = 0;

private:
    QTcpServer server_;
    QByteArray request_;
};

class WebTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Ui::EnsureUiApplication());
        server = std::make_unique<PageServer>();  // sockets need the application object first
        ASSERT_EQ(web_.Construct({0, 0, 600, 800}), E_SUCCESS);
    }
    bool Settled() {
        return App::EventLoop::RunUntil([&] { return web_.GetLoadingState() != WEB_LOADING_IN_PROGRESS; }, 10000);
    }
    std::unique_ptr<PageServer> server;
    Web web_;
};

TEST_F(WebTest, ShowsThePageTextWithoutRunningScripts) {
    server->body =
        "<html><body><p>Terms of the provider</p><script>document.write('SCRIPT RAN')</script>"
        "<img src=\"file:///etc/hostname\"></body></html>";
    ASSERT_EQ(web_.LoadUrl(server->Url("/terms")), E_SUCCESS);
    EXPECT_EQ(web_.GetLoadingState(), WEB_LOADING_IN_PROGRESS);
    ASSERT_TRUE(Settled());
    EXPECT_EQ(web_.GetLoadingState(), WEB_LOADING_COMPLETED);
    std::wstring text = web_.GetText().ToStdWString();
    EXPECT_NE(text.find(L"Terms of the provider"), std::wstring::npos);
    EXPECT_EQ(text.find(L"SCRIPT RAN"), std::wstring::npos);
    EXPECT_EQ(server->requests, 1) << "nothing embedded was fetched";
}

TEST_F(WebTest, RefusesAnythingButHttpAndHttps) {
    for (const wchar_t* url : {L"file:///etc/passwd", L"javascript:alert(1)", L"data:text/html,<p>x</p>",
                               L"ftp://127.0.0.1/x", L"http://", L"not a url"}) {
        EXPECT_EQ(web_.LoadUrl(url), E_INVALID_ARG) << Base::String(url).ToStdWString().size();
    }
    EXPECT_EQ(web_.GetLoadingState(), WEB_LOADING_NONE);
    Web never;
    EXPECT_EQ(never.LoadUrl(L"http://127.0.0.1/"), E_INVALID_STATE);
}

TEST_F(WebTest, FailedAndOversizedPagesShowAMessage) {
    server->status = "404 Not Found";
    server->body = "<p>missing</p>";
    ASSERT_EQ(web_.LoadUrl(server->Url("/missing")), E_SUCCESS);
    ASSERT_TRUE(Settled());
    EXPECT_EQ(web_.GetLoadingState(), WEB_LOADING_FAILED);
    EXPECT_NE(web_.GetText().ToStdWString().find(L"404"), std::wstring::npos);

    server->status = "200 OK";
    server->body = QByteArray(Web::MAX_PAGE_BYTES + 10, 'x');
    ASSERT_EQ(web_.LoadUrl(server->Url("/huge")), E_SUCCESS);
    ASSERT_TRUE(Settled());
    EXPECT_EQ(web_.GetLoadingState(), WEB_LOADING_FAILED);
    EXPECT_EQ(web_.GetText().ToStdWString().find(L"xxxx"), std::wstring::npos);
}

}  // namespace
