#include "sandbox/ConnectionStream.h"

#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace Sandbox {
namespace {

constexpr int kPollSliceMs = 50;

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

}  // namespace

ConnectionStream::ConnectionStream(int fd, int readTimeoutMs, int writeTimeoutMs, const std::atomic<bool>& listening)
    : fd_(fd), readTimeoutMs_(readTimeoutMs), writeTimeoutMs_(writeTimeoutMs), listening_(listening) {}

void ConnectionStream::BeginRequest(int timeoutMs, size_t headBytes) {
    deadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    headBudget_ = headBytes;
}

bool ConnectionStream::is_readable() const {
    if (HasBuffered()) return true;
    const auto now = std::chrono::steady_clock::now();
    const auto until = std::min(deadline_, now + std::chrono::milliseconds(readTimeoutMs_));
    // In slices, so that a slow client does not hold up a stop.
    while (listening_) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()).count();
        if (left <= 0) return false;
        const int rc = PollFor(fd_, POLLIN, static_cast<int>(std::min<long long>(left, kPollSliceMs)));
        if (rc != 0) return rc > 0;
    }
    return false;
}

bool ConnectionStream::is_writable() const { return !dropped_ && PollFor(fd_, POLLOUT, writeTimeoutMs_) > 0; }

ssize_t ConnectionStream::read(char* ptr, size_t size) {
    if (headBudget_ == 0) return -1;
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
    const size_t count = std::min({size, filled_ - offset_, headBudget_});
    std::memcpy(ptr, buffer_ + offset_, count);
    offset_ += count;
    if (headBudget_ != kUnlimited) headBudget_ -= count;
    return static_cast<ssize_t>(count);
}

ssize_t ConnectionStream::write(const char* ptr, size_t size) {
    if (!is_writable()) return -1;
    ssize_t n;
    do {
        n = ::send(fd_, ptr, size, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return n;
}

void ConnectionStream::get_remote_ip_and_port(std::string& ip, int& port) const {
    sockaddr_storage addr{};
    socklen_t length = sizeof addr;
    if (::getpeername(fd_, reinterpret_cast<sockaddr*>(&addr), &length) == 0) NumericAddress(addr, length, ip, port);
}

void ConnectionStream::get_local_ip_and_port(std::string& ip, int& port) const {
    sockaddr_storage addr{};
    socklen_t length = sizeof addr;
    if (::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &length) == 0) NumericAddress(addr, length, ip, port);
}

}  // namespace Sandbox
