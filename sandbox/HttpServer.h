#pragma once

#include "sandbox/ConnectionLimits.h"

#include <httplib.h>

#include <atomic>

namespace Sandbox {

// cpp-httplib's server with its own connection loop and its own limits:
// - a handler can close its connection without answering (a dropped-connection
//   fault), and idle keep-alive connections notice a stop at once;
// - every connection in progress has a worker of its own (ConnectionWorkers),
//   so idle or slow clients do not hold up the others;
// - a request must arrive within its time limit, its head and body within
//   their sizes; chunked bodies are held to the same limit as others, and
//   compressed bodies are refused (they could expand without bound).
// Install request filters with SetRequestFilter, not set_pre_routing_handler,
// which would replace the body checks.
class HttpServer : public httplib::Server {
public:
    HttpServer();

    // Before the server starts.
    void SetLimits(const ConnectionLimits& limits);
    const ConnectionLimits& Limits() const { return limits_; }
    // Runs before routing once the body is read: return Handled to answer
    // the request there (res filled in).
    void SetRequestFilter(HandlerWithResponse filter);

    // After binding: lets a burst of new connections queue up instead of
    // having their first attempt dropped (and retried a second later).
    void WidenBacklog();

    // From inside a handler: nothing of the reply is sent and the connection
    // is closed. False when called outside a handler.
    static bool DropCurrentConnection();

    // Closes the listener; listening ends at once, or never starts when this
    // comes first. Safe from any thread; use it instead of stop().
    void Shutdown();

    // Sleeps up to ms milliseconds, less when the server stops meanwhile.
    void SleepWhileRunning(int ms) const;

private:
    bool process_and_close_socket(socket_t sock) override;
    HandlerResponse AdmitRequest(const httplib::Request& req, httplib::Response& res) const;
    bool AdmitBody(httplib::Request& req, httplib::Response& res) const;
    void LingerBeforeClose(socket_t sock) const;
    template <class StreamT>
    bool WaitForRequest(socket_t sock, const StreamT& stream) const;

    ConnectionLimits limits_;
    HandlerWithResponse filter_;
    std::atomic<bool> listening_{true};
};

}  // namespace Sandbox
