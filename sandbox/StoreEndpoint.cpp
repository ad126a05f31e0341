#include "sandbox/StoreEndpoint.h"

#include "sandbox/FaultInjector.h"
#include "sandbox/HttpServer.h"
#include "sandbox/ReplyWriter.h"
#include "sandbox/RequestLog.h"
#include "sandbox/RequestParser.h"

#include <cctype>

namespace Sandbox {
namespace {

constexpr const char* kReplyType = "text/xml; charset=UTF-8";

bool IsHostChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == ':' || c == '[' || c == ']';
}

std::string Outcome(const StoreReply& reply) {
    if (reply.IsSuccess()) return "ok, " + std::to_string(reply.records.size()) + " record(s)";
    return "error " + std::to_string(reply.errorCode) + ": " + reply.message;
}

}  // namespace

StoreEndpoint::StoreEndpoint(HttpServer& http, const FunctionDispatcher& dispatcher, FaultInjector& faults,
                             RequestLog& log, std::string fallbackHost)
    : http_(http), dispatcher_(dispatcher), faults_(faults), log_(log), fallbackHost_(std::move(fallbackHost)) {}

void StoreEndpoint::Install() {
    http_.Post("/ods.as", [this](const httplib::Request& req, httplib::Response& res) {
        Handle(Endpoint::CountrySearch, req, res);
    });
    http_.Post("/store",
               [this](const httplib::Request& req, httplib::Response& res) { Handle(Endpoint::Store, req, res); });
}

std::string StoreEndpoint::HostFor(const httplib::Request& req) const {
    // The Host header goes back to the device inside URLs: take it only when it looks like host[:port].
    const std::string host = req.get_header_value("Host");
    if (host.empty() || host.size() > 255) return fallbackHost_;
    for (char c : host) {
        if (!IsHostChar(c)) return fallbackHost_;
    }
    return host;
}

void StoreEndpoint::Handle(Endpoint endpoint, const httplib::Request& req, httplib::Response& res) {
    StoreRequest request;
    std::string parseError;
    const bool parsed = RequestParser::Parse(req.body, request, parseError);
    request.hostHeader = HostFor(req);

    RequestLogEntry entry;
    entry.method = req.method;
    entry.path = req.path;
    entry.functionId = request.functionId;
    entry.functionName = request.functionName;
    entry.transactionId = request.transactionId;
    entry.params = request.params;

    const FaultAction action = faults_.Take(request.functionId, false);
    if (action.delayMs > 0) http_.SleepWhileRunning(action.delayMs);
    if (action.fault && ApplyFault(*action.fault, request, res, entry)) {
        log_.Add(std::move(entry));
        return;
    }

    const StoreReply reply =
        parsed ? dispatcher_.Dispatch(endpoint, request) : StoreReply::Error(StoreError::MalformedRequest, parseError);
    const std::string body = ReplyWriter::Write(request.functionId, request.transactionId, reply);
    if (body.empty()) {
        res.status = 500;
        res.set_content("the server could not write its reply (out of memory)\n", "text/plain");
        entry.httpStatus = 500;
        entry.outcome = "reply writer failed";
    } else {
        res.status = 200;
        res.set_content(body, kReplyType);
        entry.errorCode = reply.errorCode;
        entry.outcome = Outcome(reply);
    }
    if (action.delayMs > 0) entry.outcome += " after a delay of " + std::to_string(action.delayMs) + " ms";
    if (action.delayAfterCommitMs > 0) {
        http_.SleepWhileRunning(action.delayAfterCommitMs);
        entry.outcome += ", answered " + std::to_string(action.delayAfterCommitMs) + " ms after the commit";
    }
    if (action.afterCommit) {
        // The function's work is stored; only its answer is lost or replaced.
        const std::string ran = entry.outcome;
        ApplyFault(*action.afterCommit, request, res, entry);
        entry.outcome = "ran (" + ran + "), then " + entry.outcome;
    }
    log_.Add(std::move(entry));
}

bool StoreEndpoint::ApplyFault(const FaultRule& fault, const StoreRequest& request, httplib::Response& res,
                               RequestLogEntry& entry) {
    entry.outcome = "fault " + fault.Describe();
    switch (BaseKind(fault.kind)) {
    case FaultKind::Drop:
        HttpServer::DropCurrentConnection();
        entry.httpStatus = 0;
        return true;
    case FaultKind::HttpStatus:
        res.status = fault.value;
        res.set_content("injected fault: HTTP status " + std::to_string(fault.value) + "\n", "text/plain");
        entry.httpStatus = fault.value;
        return true;
    case FaultKind::Malformed:
        res.status = 200;
        res.set_content("<?xml version=\"1.0\" encoding=\"UTF-8\"?><OblinProtocol><response transactionId=\"" +
                            std::to_string(request.transactionId) + "\" returnCode=",
                        kReplyType);
        return true;
    case FaultKind::ServerError: {
        StoreReply reply;
        reply.errorCode = fault.value;
        reply.message = "injected fault";
        res.status = 200;
        res.set_content(ReplyWriter::Write(request.functionId, request.transactionId, reply), kReplyType);
        entry.errorCode = fault.value;
        return true;
    }
    default:
        break;
    }
    return false;
}

}  // namespace Sandbox
