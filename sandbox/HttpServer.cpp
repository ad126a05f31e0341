#include "sandbox/HttpServer.h"

#include "sandbox/ChunkedBodyReader.h"
#include "sandbox/ConnectionStream.h"
#include "sandbox/ConnectionWorkers.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
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

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool ExpectsBody(const httplib::Request& req) {
    return req.method == "POST" || req.method == "PUT" || req.method == "PATCH" || req.method == "DELETE";
}

void Refuse(httplib::Response& res, int status, const std::string& text) {
    res.status = status;
    res.set_content(text + "\n", "text/plain");
}

// The library reads no further body for a request that claims none.
void MarkBodyRead(httplib::Request& req) {
    req.headers.erase("Transfer-Encoding");
    req.headers.erase("Content-Length");
    req.headers.emplace("Content-Length", "0");
}

thread_local ConnectionStream* t_currentStream = nullptr;

// The rest of the body is still on the wire: it must not be read as a next request.
void CloseAfterReply(httplib::Request& req) {
    req.headers.erase("Connection");
    req.headers.emplace("Connection", "close");
    if (t_currentStream) t_currentStream->CloseAfterReply();
}

}  // namespace

HttpServer::HttpServer() {
    set_keep_alive_max_count(100);
    new_task_queue = [this] { return new ConnectionWorkers(limits_.maxWorkers); };
    set_pre_routing_handler(
        [this](const httplib::Request& req, httplib::Response& res) { return AdmitRequest(req, res); });
}

void HttpServer::SetLimits(const ConnectionLimits& limits) {
    limits_ = limits;
    set_payload_max_length(limits.maxBodyBytes);
}

void HttpServer::SetRequestFilter(HandlerWithResponse filter) { filter_ = std::move(filter); }

void HttpServer::WidenBacklog() {
    const socket_t sock = svr_sock_;
    // Listening again on a listening socket only changes its backlog.
    if (sock != INVALID_SOCKET) ::listen(sock, SOMAXCONN);
}

bool HttpServer::DropCurrentConnection() {
    if (!t_currentStream) return false;
    t_currentStream->Drop();
    return true;
}

void HttpServer::Shutdown() {
    listening_ = false;
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

HttpServer::HandlerResponse HttpServer::AdmitRequest(const httplib::Request& constReq, httplib::Response& res) const {
    // The library hands the filter a const view of its own, non-const request;
    // the body is read here, so the request is completed here.
    auto& req = const_cast<httplib::Request&>(constReq);
    if (t_currentStream) t_currentStream->EndHead();
    if (!AdmitBody(req, res)) {
        CloseAfterReply(req);
        return HandlerResponse::Handled;
    }
    if (!filter_ || filter_(req, res) == HandlerResponse::Unhandled) return HandlerResponse::Unhandled;
    // Answered before the library read a body of known length: that body is still on the wire.
    if (ExpectsBody(req) && req.get_header_value("Content-Length") != "0") CloseAfterReply(req);
    return HandlerResponse::Handled;
}

bool HttpServer::AdmitBody(httplib::Request& req, httplib::Response& res) const {
    if (!ExpectsBody(req)) {
        // The library would read such a body as the next request.
        const std::string length = req.get_header_value("Content-Length");
        if (req.has_header("Transfer-Encoding") || (!length.empty() && length != "0")) {
            Refuse(res, 400, req.method + " requests carry no body here");
            return false;
        }
        return true;
    }
    const std::string encoding = Lower(req.get_header_value("Content-Encoding"));
    if (!encoding.empty() && encoding != "identity") {
        Refuse(res, 415, "request bodies are taken as they are; send it without Content-Encoding " + encoding);
        return false;
    }
    const std::string limit = std::to_string(limits_.maxBodyBytes) + " bytes";
    if (Lower(req.get_header_value("Transfer-Encoding")).find("chunked") != std::string::npos) {
        if (!t_currentStream) return true;
        switch (ChunkedBodyReader::Read(*t_currentStream, limits_.maxBodyBytes, req.body)) {
        case ChunkedBodyReader::Outcome::Complete:
            MarkBodyRead(req);
            return true;
        case ChunkedBodyReader::Outcome::TooLarge:
            req.body.clear();
            Refuse(res, 413, "the request body is larger than " + limit);
            return false;
        case ChunkedBodyReader::Outcome::Malformed:
            req.body.clear();
            Refuse(res, 400, "the chunked request body is malformed or did not arrive in time");
            return false;
        }
    }
    if (!req.has_header("Content-Length")) {
        // Without a length or chunks an HTTP/1.1 request has no body.
        MarkBodyRead(req);
        return true;
    }
    const std::string length = req.get_header_value("Content-Length");
    if (length.empty() || length.size() > 19 || length.find_first_not_of("0123456789") != std::string::npos) {
        Refuse(res, 400, "Content-Length is not a number: \"" + length + "\"");
        return false;
    }
    if (std::stoull(length) > limits_.maxBodyBytes) {
        Refuse(res, 413, "the request body is larger than " + limit);
        return false;
    }
    return true;
}

template <class StreamT>
bool HttpServer::WaitForRequest(socket_t sock, const StreamT& stream) const {
    if (stream.HasBuffered()) return true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limits_.idleTimeoutMs);
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
                            ToMs(write_timeout_sec_, write_timeout_usec_), listening_);
    t_currentStream = &stream;
    bool ok = false;
    for (size_t left = keep_alive_max_count_; left > 0 && WaitForRequest(sock, stream); --left) {
        stream.BeginRequest(limits_.requestTimeoutMs, limits_.maxHeadBytes);
        bool connectionClosed = false;
        ok = process_request(stream, left == 1, connectionClosed, nullptr);
        if (!ok || connectionClosed || stream.IsDropped() || stream.ClosesAfterReply()) break;
    }
    t_currentStream = nullptr;
    if (stream.ClosesAfterReply()) LingerBeforeClose(sock);
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return ok;
}

void HttpServer::LingerBeforeClose(socket_t sock) const {
    // Closing with the client's bytes unread resets the connection, and the
    // reset can destroy the refusal we just sent before the client reads it.
    // So: no more writes, then read and drop what still comes, for a while.
    constexpr int kLingerMs = 2000;
    constexpr size_t kLingerBytes = 16 * 1024 * 1024;
    ::shutdown(sock, SHUT_WR);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLingerMs);
    char buffer[16384];
    for (size_t dropped = 0; dropped < kLingerBytes && listening_ && std::chrono::steady_clock::now() < deadline;) {
        const int rc = PollFor(sock, POLLIN, kPollSliceMs);
        if (rc < 0) return;
        if (rc == 0) continue;
        const ssize_t n = ::recv(sock, buffer, sizeof buffer, 0);
        if (n <= 0) return;
        dropped += static_cast<size_t>(n);
    }
}

}  // namespace Sandbox
