// The sandbox's HTTP layer against hostile or unlucky clients, over real
// loopback sockets: oversized and chunked bodies, idle and half-open
// connections, slow requests, pipelining.
#include "sandbox/SandboxServer.h"

#include "SandboxTestDocuments.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

using SandboxTest::ParseReply;
using SandboxTest::RequestXml;

namespace {

// A raw client socket; closed on destruction.
class RawClient {
public:
    explicit RawClient(int port, const std::string& address = "127.0.0.1") {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(port));
        inet_pton(AF_INET, address.c_str(), &addr.sin_addr);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~RawClient() { ::close(fd_); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool Connected() const { return connected_; }

    // False once the server stops taking bytes (it answered and closed).
    bool Send(const std::string& bytes) {
        for (size_t sent = 0; sent < bytes.size();) {
            const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return false;
            sent += static_cast<size_t>(n);
        }
        return true;
    }

    // Everything until the server closes, or until waitMs pass without a byte.
    std::string ReadUntilClosed(int waitMs = 20000) {
        std::string text;
        char buffer[4096];
        for (;;) {
            pollfd pfd{fd_, POLLIN, 0};
            if (::poll(&pfd, 1, waitMs) <= 0) return text;
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            if (n <= 0) {
                closed_ = true;
                return text;
            }
            text.append(buffer, static_cast<size_t>(n));
        }
    }

    // Reads until text holds count complete replies (or the wait runs out).
    std::string ReadReplies(int count, int waitMs = 20000) {
        std::string text;
        char buffer[4096];
        while (Count(text, "</OblinProtocol>") < count) {
            pollfd pfd{fd_, POLLIN, 0};
            if (::poll(&pfd, 1, waitMs) <= 0) break;
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            text.append(buffer, static_cast<size_t>(n));
        }
        return text;
    }

    bool WasClosed() const { return closed_; }

    // True while the server has neither sent anything nor closed.
    bool QuietAndOpen() const {
        pollfd pfd{fd_, POLLIN, 0};
        return ::poll(&pfd, 1, 0) == 0;
    }

    static int Count(const std::string& text, const std::string& what) {
        int n = 0;
        for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    }

private:
    int fd_ = -1;
    bool connected_ = false;
    bool closed_ = false;
};

std::string CountryList(int tid) { return RequestXml(2250, "getCountryList", tid, {}); }

std::string Post(const std::string& body, const std::string& extraHeaders = "") {
    return "POST /store HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: text/plain\r\n" + extraHeaders +
           "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string Chunk(const std::string& data) {
    char size[32];
    std::snprintf(size, sizeof size, "%zx", data.size());
    return std::string(size) + "\r\n" + data + "\r\n";
}

class HttpServerLimitsTest : public ::testing::Test {
protected:
    void SetUp() override { ::signal(SIGPIPE, SIG_IGN); }

    void StartServer(const Sandbox::ConnectionLimits& limits = {}) {
        Sandbox::SandboxConfig config;
        config.port = 0;
        config.logToStderr = false;
        config.limits = limits;
        std::string error;
        ASSERT_TRUE(server_.Construct(config, error)) << error;
        ASSERT_TRUE(server_.Start());
    }

    // Limits under which today's behaviour of a fixed pool would stall for a minute.
    static Sandbox::ConnectionLimits PatientLimits() {
        Sandbox::ConnectionLimits limits;
        limits.idleTimeoutMs = 60000;
        limits.requestTimeoutMs = 60000;
        return limits;
    }

    void TearDown() override { server_.Stop(); }

    Sandbox::SandboxServer server_;
};

TEST_F(HttpServerLimitsTest, ChunkedBodyIsHeldToTheBodyLimit) {
    StartServer();
    RawClient client(server_.Port());
    ASSERT_TRUE(client.Connected());
    client.Send("POST /store HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n");
    // 64 MiB in 1 MiB chunks; the server answers and closes long before the end.
    const std::string chunk = Chunk(std::string(1 << 20, 'a'));
    for (int i = 0; i < 64 && client.Send(chunk); ++i) {
    }
    const std::string reply = client.ReadUntilClosed();
    EXPECT_EQ(reply.rfind("HTTP/1.1 413", 0), 0u) << reply.substr(0, 200);
    EXPECT_NE(reply.find("Connection: close"), std::string::npos);
    EXPECT_TRUE(client.WasClosed());
}

TEST_F(HttpServerLimitsTest, ChunkedBodyWithinTheLimitIsServed) {
    StartServer();
    const std::string body = CountryList(31);
    RawClient client(server_.Port());
    client.Send("POST /store HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n" + Chunk(body.substr(0, 7)) +
                "1;ext=1\r\n" + body.substr(7, 1) + "\r\n" + Chunk(body.substr(8)) + "0\r\nX-Trailer: t\r\n\r\n" +
                Post(CountryList(32)));
    const std::string replies = client.ReadReplies(2);
    ASSERT_EQ(RawClient::Count(replies, "HTTP/1.1 200"), 2) << replies;
    EXPECT_NE(replies.find("transactionId=\"31\""), std::string::npos);
    EXPECT_NE(replies.find("transactionId=\"32\""), std::string::npos);
    EXPECT_NE(replies.find("countryName"), std::string::npos);
}

TEST_F(HttpServerLimitsTest, OversizedMalformedAndCompressedBodiesAreRefused) {
    StartServer();
    struct Case {
        std::string request;
        const char* status;
    };
    const std::vector<Case> cases = {
        // The claimed length alone refuses it; none of the 5 GB is waited for.
        {"POST /store HTTP/1.1\r\nHost: x\r\nContent-Length: 5000000000\r\n\r\n", "413"},
        {"POST /store HTTP/1.1\r\nHost: x\r\nContent-Length: 12abc\r\n\r\n", "400"},
        {"POST /store HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n", "400"},
        {"POST /store HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabcXY\r\n", "400"},
        {"POST /store HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n1000000000000000\r\n", "400"},
        {"POST /store HTTP/1.1\r\nHost: x\r\nContent-Encoding: gzip\r\nContent-Length: 4\r\n\r\nabcd", "415"},
        // A body on a GET would otherwise be read as a second request.
        {"GET /admin/status HTTP/1.1\r\nHost: x\r\nContent-Length: 38\r\n\r\nGET /admin/faults HTTP/1.1\r\nHost: "
         "x\r\n\r\n",
         "400"},
    };
    for (const Case& c : cases) {
        RawClient client(server_.Port());
        client.Send(c.request);
        const std::string reply = client.ReadUntilClosed();
        EXPECT_EQ(reply.substr(0, 12), std::string("HTTP/1.1 ") + c.status) << c.request.substr(0, 80);
        EXPECT_TRUE(client.WasClosed()) << c.request.substr(0, 80);
    }
    // The server is still well.
    httplib::Client http(server_.BaseUrl());
    httplib::Result result = http.Post("/store", CountryList(5), "text/plain");
    ASSERT_TRUE(result);
    EXPECT_EQ(ParseReply(result->body).Attr("transactionId"), 5);
}

TEST_F(HttpServerLimitsTest, OversizedHeadIsRefused) {
    StartServer();
    RawClient client(server_.Port());
    std::string head = "GET /admin/status HTTP/1.1\r\nHost: x\r\n";
    while (head.size() < 80 * 1024)
        head += "X-Padding-" + std::to_string(head.size()) + ": " + std::string(100, 'p') + "\r\n";
    client.Send(head + "\r\n");
    const std::string reply = client.ReadUntilClosed();
    EXPECT_EQ(reply.find("200 OK"), std::string::npos) << reply.substr(0, 200);
    EXPECT_TRUE(client.WasClosed());
}

TEST_F(HttpServerLimitsTest, RequestCompletesWhileTwentyIdleConnectionsAreOpen) {
    StartServer(PatientLimits());
    std::vector<std::unique_ptr<RawClient>> idle;
    for (int i = 0; i < 20; ++i) {
        idle.push_back(std::make_unique<RawClient>(server_.Port()));
        ASSERT_TRUE(idle.back()->Connected());
        // Half of them send half a request and then nothing more.
        if (i % 2) idle.back()->Send("POST /store HTTP/1.1\r\nHost: x\r\nContent-Le");
    }
    httplib::Client http(server_.BaseUrl());
    // Generous: the idle connections would hold a fixed pool for a whole minute.
    http.set_read_timeout(std::chrono::seconds(30));
    const auto started = std::chrono::steady_clock::now();
    httplib::Result result = http.Post("/store", CountryList(77), "text/plain");
    ASSERT_TRUE(result);
    EXPECT_EQ(ParseReply(result->body).Attr("transactionId"), 77);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
    // They were waited on, not thrown out to make room.
    for (const auto& client : idle)
        EXPECT_TRUE(client->QuietAndOpen());
}

TEST_F(HttpServerLimitsTest, SlowAndIdleClientsAreCutOffAtTheirTimeLimits) {
    Sandbox::ConnectionLimits limits;
    limits.idleTimeoutMs = 200;
    limits.requestTimeoutMs = 300;
    StartServer(limits);
    RawClient idle(server_.Port());
    RawClient slow(server_.Port());
    RawClient trickle(server_.Port());
    slow.Send("POST /store HTTP/1.1\r\nHost: x\r\n");
    trickle.Send("POST /store HTTP/1.1\r\nHost: x\r\nContent-Length: 1000\r\n\r\n<?xml");
    idle.ReadUntilClosed();
    slow.ReadUntilClosed();
    trickle.ReadUntilClosed();
    EXPECT_TRUE(idle.WasClosed());
    EXPECT_TRUE(slow.WasClosed());
    EXPECT_TRUE(trickle.WasClosed());
}

// A local address other than loopback, or empty when the machine has none.
std::string OtherLocalAddress() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return {};
    std::string found;
    for (ifaddrs* a = list; a && found.empty(); a = a->ifa_next) {
        if (!a->ifa_addr || a->ifa_addr->sa_family != AF_INET || (a->ifa_flags & IFF_LOOPBACK)) continue;
        char text[INET_ADDRSTRLEN];
        inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(a->ifa_addr)->sin_addr, text, sizeof text);
        found = text;
    }
    freeifaddrs(list);
    return found;
}

TEST_F(HttpServerLimitsTest, BodyOfARefusedAdminRequestIsNotReadAsANextRequest) {
    const std::string address = OtherLocalAddress();
    if (address.empty()) GTEST_SKIP() << "no address other than loopback";
    Sandbox::SandboxConfig config;
    config.host = "0.0.0.0";
    config.port = 0;
    config.logToStderr = false;
    std::string error;
    ASSERT_TRUE(server_.Construct(config, error)) << error;
    ASSERT_TRUE(server_.Start());
    const std::string hidden = "GET /store HTTP/1.1\r\nHost: x\r\n\r\n";
    RawClient client(server_.Port(), address);
    ASSERT_TRUE(client.Connected());
    client.Send("POST /admin/faults HTTP/1.1\r\nHost: x\r\nContent-Length: " + std::to_string(hidden.size()) +
                "\r\n\r\n" + hidden);
    const std::string reply = client.ReadUntilClosed();
    EXPECT_EQ(reply.rfind("HTTP/1.1 403", 0), 0u) << reply;
    EXPECT_EQ(RawClient::Count(reply, "HTTP/1.1 "), 1) << reply;
    EXPECT_TRUE(client.WasClosed());
}

TEST_F(HttpServerLimitsTest, PipelinedRequestsAreAllAnswered) {
    StartServer(PatientLimits());
    RawClient client(server_.Port());
    client.Send(Post(CountryList(1)) + Post(CountryList(2)) + Post(CountryList(3)));
    const std::string replies = client.ReadReplies(3);
    EXPECT_EQ(RawClient::Count(replies, "HTTP/1.1 200"), 3) << replies;
}

}  // namespace
