#include "sandbox/HttpServer.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace Sandbox {
namespace {

constexpr int kPollSliceMs = 50;

int ToMs(time_t sec, time_t usec) { return static_cast<int>(sec * 1000 + usec / 1000); }

int PollFor(int fd, short events, int timeoutMs) {
    pollfd pfd{fd, events, 0};
    int rc;
    do {
        rc = ::poll(&pfd, 1, timeoutMs);
    } while (rc < 0 && errno == EINTR);
    return rc;
}

void NumericAddress(const sockaddr_storage& addr, socklen_t length, std::string& ip, int& port) {
    char host[NI_MAXHOST];
    char service[NI_MAXSERV];
    if (getnameinfo(reinterpret_cast<const sockaddr*>(&addr), length, host, sizeof host, service, sizeof service,
                    NI_NUMERICHOST | NI_NUMERICSERV) == 0) {
        ip = host;
        port = std::atoi(service);
    }
}

// A buffered socket stream; writes never raise SIGPIPE.
class ConnectionStream final : public httplib::Stream {
public:
    ConnectionStream(int fd, int readTimeoutMs, int writeTimeoutMs)
        : fd_(fd), readTimeoutMs_(readTimeoutMs), writeTimeoutMs_(writeTimeoutMs) {}

    bool is_readable() const override { return PollFor(fd_, POLLIN, readTimeoutMs_) > 0; }
    bool is_writable() const override { return !dropped_ && PollFor(fd_, POLLOUT, writeTimeoutMs_) > 0; }

    ssize_t read(char* ptr, size_t size) override {
        if (offset_ == filled_) {
            if (!is_readable()) return -1;
            ssize_t n;
            do {
                n = ::recv(fd_, buffer_, sizeof buffer_, 0);
            } while (n < 0 && errno == EINTR);
            if (n <= 0) return n;
            offset_ = 0;
            filled_ = static_cast<size_t>(n);
        }
        const size_t count = std::min(size, filled_ - offset_);
        std::memcpy(ptr, buffer_ + offset_, count);
        offset_ += count;
        return static_cast<ssize_t>(count);
    }

    ssize_t write(const char* ptr, size_t size) override {
        if (!is_writable()) return -1;
        ssize_t n;
        do {
            n = ::send(fd_, ptr, size, MSG_NOSIGNAL);
        } while (n < 0 && errno == EINTR);
        return n;
    }

    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage addr{};
        socklen_t length = sizeof addr;
        if (::getpeername(fd_, reinterpret_cast<sockaddr*>(&addr), &length) == 0)
            NumericAddress(addr, length, ip, port);
    }

    void get_local_ip_and_port(std::string& ip, int& port) const override {
        sockaddr_storage addr{};
        socklen_t length = sizeof addr;
        if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &length) == 0)
            NumericAddress(addr, length, ip, port);
    }

    socket_t socket() const override { return fd_; }

    void Drop() { dropped_ = true; }
    bool IsDropped() const { return dropped_; }

private:
    int fd_;
    int readTimeoutMs_;
    int writeTimeoutMs_;
    bool dropped_ = false;
    char buffer_[4096];
    size_t offset_ = 0;
    size_t filled_ = 0;
};

thread_local ConnectionStream* t_currentStream = nullptr;

}  // namespace

HttpServer::HttpServer() { set_keep_alive_max_count(100); }

bool HttpServer::DropCurrentConnection() {
    if (!t_currentStream) return false;
    t_currentStream->Drop();
    return true;
}

void HttpServer::Shutdown() {
    const socket_t sock = svr_sock_.exchange(INVALID_SOCKET);
    if (sock != INVALID_SOCKET) {
        ::shutdown(sock, SHUT_RDWR);
        ::close(sock);
    }
}

void HttpServer::SleepWhileRunning(int ms) const {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (svr_sock_ != INVALID_SOCKET && std::chrono::steady_clock::now() < until) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
        std::this_thread::sleep_for(std::min(left, std::chrono::milliseconds(kPollSliceMs)));
    }
}

bool HttpServer::WaitForRequest(socket_t sock) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(keep_alive_timeout_sec_);
    while (svr_sock_ != INVALID_SOCKET) {
        const int rc = PollFor(sock, POLLIN, kPollSliceMs);
        if (rc != 0) return rc > 0;
        if (std::chrono::steady_clock::now() >= deadline) return false;
    }
    return false;
}

bool HttpServer::process_and_close_socket(socket_t sock) {
    // Without it every reply after the first on a connection waits for a delayed ACK.
    int noDelay = 1;
    ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
    ConnectionStream stream(sock, ToMs(read_timeout_sec_, read_timeout_usec_),
                            ToMs(write_timeout_sec_, write_timeout_usec_));
    t_currentStream = &stream;
    bool ok = false;
    for (size_t left = keep_alive_max_count_; left > 0 && WaitForRequest(sock); --left) {
        bool connectionClosed = false;
        ok = process_request(stream, left == 1, connectionClosed, nullptr);
        if (!ok || connectionClosed || stream.IsDropped()) break;
    }
    t_currentStream = nullptr;
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return ok;
}

}  // namespace Sandbox
