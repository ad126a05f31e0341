#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstddef>

namespace Sandbox {

// The socket of one client connection, buffered. Writes never raise SIGPIPE.
// Reads obey the request's time and size budget: a request whose head is too
// large or that does not arrive in time reads as a failed socket.
class ConnectionStream final : public httplib::Stream {
public:
    // Reads give up early once listening is false (the server stops).
    ConnectionStream(int fd, int readTimeoutMs, int writeTimeoutMs, const std::atomic<bool>& listening);

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* ptr, size_t size) override;
    ssize_t write(const char* ptr, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override { return fd_; }

    // A new request starts: its head may take headBytes and everything must
    // arrive within timeoutMs.
    void BeginRequest(int timeoutMs, size_t headBytes);
    // The head has been read; the body is read by whoever knows its size.
    void EndHead() { headBudget_ = kUnlimited; }
    // Bytes already received but not yet read (a pipelined next request).
    bool HasBuffered() const { return offset_ < filled_; }

    // Nothing of the reply is sent.
    void Drop() { dropped_ = true; }
    bool IsDropped() const { return dropped_; }
    // The reply is sent, then the connection closed (unread bytes remain).
    void CloseAfterReply() { closeAfterReply_ = true; }
    bool ClosesAfterReply() const { return closeAfterReply_; }

private:
    static constexpr size_t kUnlimited = static_cast<size_t>(-1);

    int fd_;
    int readTimeoutMs_;
    int writeTimeoutMs_;
    const std::atomic<bool>& listening_;
    bool dropped_ = false;
    bool closeAfterReply_ = false;
    std::chrono::steady_clock::time_point deadline_ = std::chrono::steady_clock::time_point::max();
    size_t headBudget_ = kUnlimited;
    char buffer_[4096];
    size_t offset_ = 0;
    size_t filled_ = 0;
};

}  // namespace Sandbox
