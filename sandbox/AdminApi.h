#pragma once

#include <httplib.h>

#include <string>

namespace Sandbox {

class FaultInjector;
class HttpServer;
class RequestLog;
class StoreDatabase;

// /admin/...: faults, accounts, purchases, payment offers, packages, issued
// purchase ids and the request log.
// Parameters come as a query string or a form body; only loopback peers
// are served (others get 403).
class AdminApi {
public:
    AdminApi(HttpServer& http, StoreDatabase& database, FaultInjector& faults, RequestLog& log, std::string baseUrl);

    void Install();

    // The pre-routing check: true (and 403 set) when the request must be refused.
    static bool Refuses(const httplib::Request& req, httplib::Response& res);

private:
    void Status(const httplib::Request& req, httplib::Response& res);
    void ListFaults(const httplib::Request& req, httplib::Response& res);
    void AddFault(const httplib::Request& req, httplib::Response& res);
    void ClearFaults(const httplib::Request& req, httplib::Response& res);
    void AddAccount(const httplib::Request& req, httplib::Response& res);
    void AddPurchase(const httplib::Request& req, httplib::Response& res);
    void AddOffer(const httplib::Request& req, httplib::Response& res);
    void RemoveOffers(const httplib::Request& req, httplib::Response& res);
    void ListPurchaseIds(const httplib::Request& req, httplib::Response& res);
    void AddPackage(const httplib::Request& req, httplib::Response& res);
    void ListPackages(const httplib::Request& req, httplib::Response& res);
    void ListRequests(const httplib::Request& req, httplib::Response& res);
    void ClearRequests(const httplib::Request& req, httplib::Response& res);

    HttpServer& http_;
    StoreDatabase& database_;
    FaultInjector& faults_;
    RequestLog& log_;
    std::string baseUrl_;
};

}  // namespace Sandbox
