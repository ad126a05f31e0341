#include "sandbox/SandboxServer.h"

#include "sandbox/AdminApi.h"
#include "sandbox/CatalogueFunctions.h"
#include "sandbox/FaultInjector.h"
#include "sandbox/FunctionDispatcher.h"
#include "sandbox/HttpServer.h"
#include "sandbox/PackageDownloads.h"
#include "sandbox/PaymentFunctions.h"
#include "sandbox/RequestLog.h"
#include "sandbox/StoreDatabase.h"
#include "sandbox/StoreEndpoint.h"
#include "sandbox/TicketEndpoint.h"

#include <libxml/parser.h>
#include <sys/socket.h>

#include <chrono>
#include <mutex>

namespace Sandbox {
namespace {

std::string UrlHost(const std::string& host) {
    if (host.empty() || host == "0.0.0.0") return "127.0.0.1";
    if (host == "::") return "[::1]";
    return host.find(':') != std::string::npos ? "[" + host + "]" : host;
}

}  // namespace

struct SandboxServerParts {
    HttpServer http;
    StoreDatabase database;
    FaultInjector faults;
    RequestLog log;
    FunctionDispatcher dispatcher;
    CatalogueFunctions catalogue{database};
    PaymentFunctions payments{database};
    std::unique_ptr<StoreEndpoint> store;
    std::unique_ptr<PackageDownloads> downloads;
    std::unique_ptr<AdminApi> admin;
    std::unique_ptr<TicketEndpoint> tickets;
};

SandboxServer::SandboxServer() : parts_(std::make_unique<SandboxServerParts>()) {
    static std::once_flag xmlReady;
    std::call_once(xmlReady, [] { xmlInitParser(); });
}

SandboxServer::~SandboxServer() { Stop(); }

StoreDatabase& SandboxServer::Database() { return parts_->database; }

FaultInjector& SandboxServer::Faults() { return parts_->faults; }

RequestLog& SandboxServer::Log() { return parts_->log; }

bool SandboxServer::Construct(const SandboxConfig& config, std::string& error) {
    SandboxServerParts& p = *parts_;
    if (p.store) {
        error = "the server is already constructed";
        return false;
    }
    if (!p.database.Open(config.dbPath, config.seedSql)) {
        error = p.database.LastError();
        return false;
    }
    for (const Package& package : config.packages) {
        if (!p.database.RegisterPackage(package)) {
            error = p.database.LastError();
            return false;
        }
    }
    for (const FaultRule& rule : config.faults)
        p.faults.Add(rule);
    p.log.SetEchoToStderr(config.logToStderr);

    p.http.set_tcp_nodelay(true);
    // cpp-httplib's default adds SO_REUSEPORT, which lets a second server share
    // a busy port and split the traffic; a sandbox must fail to start instead.
    p.http.set_socket_options([](socket_t sock) {
        int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    p.http.SetLimits(config.limits);
    port_ = config.port == 0 ? p.http.bind_to_any_port(config.host) : config.port;
    if (port_ <= 0 || (config.port != 0 && !p.http.bind_to_port(config.host, config.port))) {
        error =
            "cannot listen on " + config.host + ":" + std::to_string(config.port) +
            " (the port may be in use, or the host is not an address of this machine); choose another --port or --host";
        port_ = 0;
        return false;
    }
    p.http.WidenBacklog();
    const std::string hostPort = UrlHost(config.host) + ":" + std::to_string(port_);
    baseUrl_ = "http://" + hostPort;

    p.catalogue.RegisterWith(p.dispatcher);
    p.payments.RegisterWith(p.dispatcher);
    p.store = std::make_unique<StoreEndpoint>(p.http, p.dispatcher, p.faults, p.log, hostPort);
    p.downloads = std::make_unique<PackageDownloads>(p.http, p.database, p.faults, p.log);
    p.admin = std::make_unique<AdminApi>(p.http, p.database, p.faults, p.log, baseUrl_);
    p.store->Install();
    p.downloads->Install();
    p.admin->Install();
    p.tickets = std::make_unique<TicketEndpoint>(p.http, p.database);
    p.tickets->Install();
    p.http.SetRequestFilter([](const httplib::Request& req, httplib::Response& res) {
        return AdminApi::Refuses(req, res) ? httplib::Server::HandlerResponse::Handled
                                           : httplib::Server::HandlerResponse::Unhandled;
    });
    p.http.set_error_handler([](const httplib::Request& req, httplib::Response& res) {
        if (res.body.empty() && res.status == 404) {
            res.set_content("no such endpoint: " + req.method + " " + req.path +
                                " (store requests are POSTed to /store or /ods.as)\n",
                            "text/plain");
        }
    });
    return true;
}

bool SandboxServer::Run() {
    if (!parts_->store) return false;
    return parts_->http.listen_after_bind();
}

bool SandboxServer::Start() {
    if (!parts_->store || thread_.joinable()) return false;
    thread_ = std::thread([this] { Run(); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!parts_->http.is_running()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void SandboxServer::Stop() {
    parts_->http.Shutdown();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

}  // namespace Sandbox
