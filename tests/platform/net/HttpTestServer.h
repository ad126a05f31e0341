#pragma once
// Loopback servers for the HTTP stack's tests: a real cpp-httplib server and a
// raw TCP server that resets or ignores its connections.
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/ByteBuffer.h"
#include "platform/net/HttpSession.h"

namespace IapTest {

// A cpp-httplib server on 127.0.0.1 and a free port, listening on its own thread.
class HttpTestServer {
public:
    explicit HttpTestServer(std::unique_ptr<httplib::Server> server = std::make_unique<httplib::Server>())
        : server_(std::move(server)) {
        server_->set_tcp_nodelay(true);
        // One request per connection: an idle kept-alive connection would hold
        // Stop() for the server's whole keep-alive time.
        server_->set_keep_alive_max_count(1);
    }

    // Lets the client reuse connections; Stop() then waits up to a second.
    void AllowKeepAlive() {
        server_->set_keep_alive_max_count(100);
        server_->set_keep_alive_timeout(1);
    }
    ~HttpTestServer() { Stop(); }

    httplib::Server& Get() { return *server_; }

    bool Start() {
        port_ = server_->bind_to_any_port("127.0.0.1");
        if (port_ <= 0) {
            return false;
        }
        thread_ = std::thread([this] { server_->listen_after_bind(); });
        // stop() is ignored until the loop runs, so a quick test would hang in Stop().
        for (int i = 0; i < 5000 && !server_->is_running(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return server_->is_running();
    }

    void Stop() {
        ReleaseStalls();
        if (thread_.joinable()) {
            server_->stop();
            thread_.join();
        }
    }

    int Port() const { return port_; }
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

    // For handlers that must hang until the test ends.
    void WaitForRelease() {
        std::unique_lock<std::mutex> lock(mutex_);
        cv_.wait_for(lock, std::chrono::seconds(30), [this] { return released_; });
    }
    void ReleaseStalls() {
        std::lock_guard<std::mutex> lock(mutex_);
        released_ = true;
        cv_.notify_all();
    }

    std::atomic<int> hits{0};

private:
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    std::mutex mutex_;
    std::condition_variable cv_;
    bool released_ = false;
};

// Accepts connections and either resets them once a request arrived or keeps
// them open without a word.
class RawTcpServer {
public:
    enum class Mode { Reset, Silent };

    explicit RawTcpServer(Mode mode) : mode_(mode) {}
    ~RawTcpServer() { Stop(); }

    bool Start() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof(addr);
        if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 ||
            ::listen(listener_, 8) != 0 || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
            return false;
        }
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { Serve(); });
        return true;
    }

    void Stop() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        for (int fd : open_) {
            ::close(fd);
        }
        open_.clear();
        if (listener_ >= 0) {
            ::close(listener_);
            listener_ = -1;
        }
    }

    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    std::atomic<int> accepted{0};

private:
    void Serve() {
        while (!stop_) {
            pollfd p{listener_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0) {
                continue;
            }
            int fd = ::accept(listener_, nullptr, nullptr);
            if (fd < 0) {
                continue;
            }
            ++accepted;
            if (mode_ == Mode::Silent) {
                open_.push_back(fd);
                continue;
            }
            char buffer[4096];
            pollfd c{fd, POLLIN, 0};
            if (::poll(&c, 1, 2000) > 0) {
                (void)::read(fd, buffer, sizeof(buffer));
            }
            linger hard{1, 0};  // close with RST instead of FIN
            ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof(hard));
            ::close(fd);
        }
    }

    Mode mode_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::vector<int> open_;
};

// A port on which nothing listens (just released by the kernel).
inline int UnusedPort() {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof(addr);
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    ::close(fd);
    return ntohs(addr.sin_port);
}

// Records every event; hooks let a test cancel or delete from inside one.
class RecordingListener : public Vx::Net::Http::IHttpTransactionEventListener {
public:
    using Session = Vx::Net::Http::HttpSession;
    using Transaction = Vx::Net::Http::HttpTransaction;

    void OnTransactionReadyToRead(Session& s, Transaction& t, int available) override {
        events.push_back("read");
        readyToReadBytes += available;
        if (readAsItArrives) {
            Drain(t);
        }
        Hook("read", s, t);
    }
    void OnTransactionAborted(Session& s, Transaction& t, Vx::result r) override {
        events.push_back("aborted");
        abortResult = r;
        finished = true;
        Hook("aborted", s, t);
    }
    void OnTransactionReadyToWrite(Session& s, Transaction& t, int) override {
        events.push_back("write");
        Hook("write", s, t);
    }
    void OnTransactionHeaderCompleted(Session& s, Transaction& t, int headerLen, bool auth) override {
        events.push_back("header");
        headerLength = headerLen;
        authRequired = auth;
        status = t.GetResponse()->GetHttpStatusCode();
        Hook("header", s, t);
    }
    void OnTransactionCompleted(Session& s, Transaction& t) override {
        events.push_back("completed");
        status = t.GetResponse()->GetHttpStatusCode();
        Drain(t);
        finished = true;
        Hook("completed", s, t);
    }
    void OnTransactionCertVerificationRequiredN(Session& s, Transaction& t, Vx::Base::String* cert) override {
        events.push_back("cert");
        certificate = cert != nullptr ? cert->ToUtf8() : std::string();
        delete cert;
        Hook("cert", s, t);
    }

    void Drain(Transaction& t) {
        std::unique_ptr<Vx::Base::ByteBuffer> buffer(t.GetResponse()->ReadBodyN());
        if (buffer) {
            body.append(reinterpret_cast<const char*>(buffer->GetPointer()) + buffer->GetPosition(),
                        static_cast<std::size_t>(buffer->GetRemaining()));
        }
    }

    std::function<void(const std::string&, Session&, Transaction&)> onEvent;
    std::vector<std::string> events;
    std::string body;
    std::string certificate;
    Vx::result abortResult = Vx::E_SUCCESS;
    int status = 0;
    int headerLength = 0;
    int readyToReadBytes = 0;
    bool authRequired = false;
    bool readAsItArrives = false;
    bool finished = false;

private:
    void Hook(const std::string& event, Session& s, Transaction& t) {
        if (onEvent) {
            onEvent(event, s, t);
        }
    }
};

}  // namespace IapTest
