#pragma once

#include "sandbox/SandboxConfig.h"

#include <memory>
#include <string>
#include <thread>

namespace Sandbox {

class FaultInjector;
class RequestLog;
class StoreDatabase;
struct SandboxServerParts;

// The whole store server: database, protocol endpoints, package downloads
// and the admin endpoint, on one HTTP listener.
class SandboxServer {
public:
    SandboxServer();
    ~SandboxServer();
    SandboxServer(const SandboxServer&) = delete;
    SandboxServer& operator=(const SandboxServer&) = delete;

    // Opens the database, registers the configured faults and packages and
    // binds the listener. False with a readable reason in error.
    bool Construct(const SandboxConfig& config, std::string& error);

    int Port() const { return port_; }
    // "http://127.0.0.1:8640"; a wildcard host is shown as the loopback address.
    std::string BaseUrl() const { return baseUrl_; }

    // Serves until Stop(); false if the listener failed.
    bool Run();
    // Serves on a thread of its own (for tests); returns once it accepts.
    bool Start();
    // Safe from any thread and from a signal-handling thread.
    void Stop();

    StoreDatabase& Database();
    FaultInjector& Faults();
    RequestLog& Log();

private:
    std::unique_ptr<SandboxServerParts> parts_;
    std::thread thread_;
    int port_ = 0;
    std::string baseUrl_;
};

}  // namespace Sandbox
