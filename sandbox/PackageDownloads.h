#pragma once

#include <httplib.h>

namespace Sandbox {

class FaultInjector;
class HttpServer;
class RequestLog;
class StoreDatabase;

// GET /packages/<file>: streams a registered package file with its length
// set, so the device can show download progress.
class PackageDownloads {
public:
    PackageDownloads(HttpServer& http, StoreDatabase& database, FaultInjector& faults, RequestLog& log);

    void Install();

private:
    void Handle(const httplib::Request& req, httplib::Response& res);

    HttpServer& http_;
    StoreDatabase& database_;
    FaultInjector& faults_;
    RequestLog& log_;
};

}  // namespace Sandbox
