#pragma once

#include <httplib.h>

namespace Sandbox {

// cpp-httplib's server with its own connection loop, so that a handler can
// close its connection without answering (a dropped-connection fault) and so
// that idle keep-alive connections notice a stop at once.
class HttpServer : public httplib::Server {
public:
    HttpServer();

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
    bool WaitForRequest(socket_t sock) const;
};

}  // namespace Sandbox
