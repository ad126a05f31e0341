#pragma once

#include <cstddef>

namespace Sandbox {

// How much one client may hold of the server: time, bytes and workers.
struct ConnectionLimits {
    // A kept-alive connection that starts no new request within this time is closed.
    int idleTimeoutMs = 5000;
    // The request line, headers and body must all arrive within this time.
    int requestTimeoutMs = 10000;
    // Largest request body, whether sent with a Content-Length or chunked.
    size_t maxBodyBytes = 4 * 1024 * 1024;
    // Largest request line plus headers.
    size_t maxHeadBytes = 64 * 1024;
    // Connections served at once, one worker thread each; later ones wait for a worker.
    size_t maxWorkers = 128;
};

}  // namespace Sandbox
