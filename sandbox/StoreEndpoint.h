#pragma once

#include "sandbox/FunctionDispatcher.h"

#include <httplib.h>

#include <string>

namespace Sandbox {

class FaultInjector;
class HttpServer;
class RequestLog;
struct FaultRule;
struct RequestLogEntry;

// POST /ods.as and POST /store: parse, apply faults, dispatch, write the reply.
class StoreEndpoint {
public:
    // fallbackHost ("127.0.0.1:8640") stands in for a missing or odd Host header.
    StoreEndpoint(HttpServer& http, const FunctionDispatcher& dispatcher, FaultInjector& faults, RequestLog& log,
                  std::string fallbackHost);

    void Install();

private:
    void Handle(Endpoint endpoint, const httplib::Request& req, httplib::Response& res);
    // True when the fault replaced the answer.
    bool ApplyFault(const FaultRule& fault, const StoreRequest& request, httplib::Response& res,
                    RequestLogEntry& entry);
    std::string HostFor(const httplib::Request& req) const;

    HttpServer& http_;
    const FunctionDispatcher& dispatcher_;
    FaultInjector& faults_;
    RequestLog& log_;
    std::string fallbackHost_;
};

}  // namespace Sandbox
