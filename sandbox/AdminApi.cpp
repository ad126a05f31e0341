#include "sandbox/AdminApi.h"

#include "sandbox/FaultInjector.h"
#include "sandbox/HttpServer.h"
#include "sandbox/JsonWriter.h"
#include "sandbox/PackageVersion.h"
#include "sandbox/RequestLog.h"
#include "sandbox/StoreDatabase.h"
#include "sandbox/TextUtil.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace Sandbox {
namespace {

using Req = httplib::Request;
using Res = httplib::Response;

constexpr const char* kJson = "application/json";

void Reply(Res& res, int status, const std::string& text) {
    res.status = status;
    res.set_content(text + "\n", "text/plain");
}

// The named parameters, or a 400 naming the first missing one.
bool Require(const Req& req, Res& res, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        if (!req.has_param(name) || req.get_param_value(name).empty()) {
            Reply(res, 400,
                  std::string("missing parameter \"") + name + "\" (send it in the query string or a form body)");
            return false;
        }
    }
    return true;
}

bool IsStamp(const std::string& text) {
    if (text.size() != 14) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

std::string FaultsJson(const std::vector<FaultRule>& rules) {
    std::string json = "[";
    for (size_t i = 0; i < rules.size(); ++i)
        json += (i ? "," : "") + JsonWriter::Quote(rules[i].Describe());
    return json + "]";
}

std::string EntryJson(const RequestLogEntry& entry) {
    std::string params = "{";
    for (size_t i = 0; i < entry.params.size(); ++i)
        params +=
            (i ? "," : "") + JsonWriter::Quote(entry.params[i].first) + ":" + JsonWriter::Quote(entry.params[i].second);
    params += "}";
    return "{\"sequence\":" + std::to_string(entry.sequence) + ",\"method\":" + JsonWriter::Quote(entry.method) +
           ",\"path\":" + JsonWriter::Quote(entry.path) + ",\"functionId\":" + std::to_string(entry.functionId) +
           ",\"function\":" + JsonWriter::Quote(entry.functionName) +
           ",\"transactionId\":" + std::to_string(entry.transactionId) + ",\"params\":" + params +
           ",\"httpStatus\":" + std::to_string(entry.httpStatus) + ",\"errorCode\":" + std::to_string(entry.errorCode) +
           ",\"outcome\":" + JsonWriter::Quote(entry.outcome) + "}";
}

}  // namespace

AdminApi::AdminApi(HttpServer& http, StoreDatabase& database, FaultInjector& faults, RequestLog& log,
                   std::string baseUrl)
    : http_(http), database_(database), faults_(faults), log_(log), baseUrl_(std::move(baseUrl)) {}

bool AdminApi::Refuses(const Req& req, Res& res) {
    if (req.path.rfind("/admin", 0) != 0 || TextUtil::IsLoopbackAddress(req.remote_addr)) return false;
    Reply(res, 403, "the admin endpoint answers loopback peers only (this request came from " + req.remote_addr + ")");
    return true;
}

void AdminApi::Install() {
    const auto bind = [this](void (AdminApi::*handler)(const Req&, Res&)) {
        return [this, handler](const Req& req, Res& res) { (this->*handler)(req, res); };
    };
    http_.Get("/admin/status", bind(&AdminApi::Status));
    http_.Get("/admin/faults", bind(&AdminApi::ListFaults));
    http_.Post("/admin/faults", bind(&AdminApi::AddFault));
    http_.Delete("/admin/faults", bind(&AdminApi::ClearFaults));
    http_.Post("/admin/accounts", bind(&AdminApi::AddAccount));
    http_.Post("/admin/purchases", bind(&AdminApi::AddPurchase));
    http_.Post("/admin/offers", bind(&AdminApi::AddOffer));
    http_.Delete("/admin/offers", bind(&AdminApi::RemoveOffers));
    http_.Get("/admin/purchaseIds", bind(&AdminApi::ListPurchaseIds));
    http_.Get("/admin/packages", bind(&AdminApi::ListPackages));
    http_.Post("/admin/packages", bind(&AdminApi::AddPackage));
    http_.Get("/admin/requests", bind(&AdminApi::ListRequests));
    http_.Delete("/admin/requests", bind(&AdminApi::ClearRequests));
}

void AdminApi::Status(const Req&, Res& res) {
    res.set_content("{\"baseUrl\":" + JsonWriter::Quote(baseUrl_) + ",\"faults\":" + FaultsJson(faults_.Rules()) +
                        ",\"requests\":" + std::to_string(log_.Count()) + "}\n",
                    kJson);
}

void AdminApi::ListFaults(const Req&, Res& res) { res.set_content(FaultsJson(faults_.Rules()) + "\n", kJson); }

void AdminApi::AddFault(const Req& req, Res& res) {
    if (!Require(req, res, {"rule"})) return;
    FaultRule rule;
    std::string error;
    if (!FaultRule::Parse(req.get_param_value("rule"), rule, error)) return Reply(res, 400, error);
    faults_.Add(rule);
    Reply(res, 200, "added fault " + rule.Describe());
}

void AdminApi::ClearFaults(const Req& req, Res& res) {
    if (req.has_param("function")) {
        const int removed = faults_.ClearTarget(req.get_param_value("function"));
        return Reply(res, 200, "removed " + std::to_string(removed) + " fault(s)");
    }
    faults_.Clear();
    Reply(res, 200, "removed all faults");
}

void AdminApi::AddAccount(const Req& req, Res& res) {
    if (!Require(req, res, {"email", "password", "userId"})) return;
    const Account account{req.get_param_value("email"), req.get_param_value("password"), req.get_param_value("userId"),
                          req.get_param_value("mcc")};
    if (!database_.AddAccount(account)) return Reply(res, 500, database_.LastError());
    Reply(res, 200, "added account " + account.email + " (user " + account.userId + ")");
}

void AdminApi::AddPurchase(const Req& req, Res& res) {
    if (!Require(req, res, {"userId", "itemGroupId", "itemId", "paymentId"})) return;
    const std::string date = req.has_param("purchaseDate") ? req.get_param_value("purchaseDate") : TextUtil::UtcStamp();
    if (!IsStamp(date)) return Reply(res, 400, "purchaseDate must be 14 digits, YYYYMMDDhhmmss");
    if (!database_.AddPurchase(req.get_param_value("userId"), req.get_param_value("itemGroupId"),
                               req.get_param_value("itemId"), req.get_param_value("paymentId"), date))
        return Reply(res, 500, database_.LastError());
    Reply(res, 200, "added purchase " + req.get_param_value("paymentId"));
}

void AdminApi::AddOffer(const Req& req, Res& res) {
    if (!Require(req, res, {"country", "itemGroupId", "itemId", "paymentMethod"})) return;
    PaymentOffer offer{req.get_param_value("country"),
                       req.get_param_value("itemGroupId"),
                       req.get_param_value("itemId"),
                       0,
                       req.get_param_value("paymentMethod"),
                       req.get_param_value("paymentTypeId"),
                       req.get_param_value("company"),
                       req.get_param_value("list"),
                       std::nullopt};
    if (req.has_param("position") && !TextUtil::ParseInt(req.get_param_value("position"), offer.position))
        return Reply(res, 400, "position must be an integer");
    if (req.has_param("price")) {
        const std::string text = req.get_param_value("price");
        char* end = nullptr;
        const double price = std::strtod(text.c_str(), &end);
        if (text.empty() || *end != '\0' || !std::isfinite(price) || price < 0)
            return Reply(res, 400,
                         "price must be a non-negative number in the country's currency, not \"" + text + "\"");
        offer.price = price;
    }
    if (!database_.AddPaymentOffer(offer)) return Reply(res, 500, database_.LastError());
    Reply(res, 200, "added offer " + offer.paymentMethod + " for item " + offer.itemId + " in " + offer.countryCode);
}

void AdminApi::RemoveOffers(const Req& req, Res& res) {
    if (!Require(req, res, {"itemGroupId", "itemId"})) return;
    int removed = 0;
    if (!database_.RemovePaymentOffers(req.get_param_value("itemGroupId"), req.get_param_value("itemId"), removed))
        return Reply(res, 500, database_.LastError());
    Reply(res, 200, "removed " + std::to_string(removed) + " offer(s)");
}

void AdminApi::ListPurchaseIds(const Req& req, Res& res) {
    int limit = 100;
    if (req.has_param("limit") && (!TextUtil::ParseInt(req.get_param_value("limit"), limit) || limit < 0))
        return Reply(res, 400, "limit must be a non-negative integer");
    std::vector<IssuedPurchaseId> ids;
    if (!database_.RecentPurchaseIds(limit, ids)) return Reply(res, 500, database_.LastError());
    std::string json = "[";
    for (size_t i = 0; i < ids.size(); ++i) {
        json += std::string(i ? "," : "") + "{\"purchaseId\":" + JsonWriter::Quote(ids[i].purchaseId) +
                ",\"duid\":" + JsonWriter::Quote(ids[i].duid) + ",\"itemId\":" + JsonWriter::Quote(ids[i].itemId) +
                ",\"timeStamp\":" + JsonWriter::Quote(ids[i].timeStamp) +
                ",\"issuedAt\":" + JsonWriter::Quote(ids[i].issuedAt) +
                ",\"usedAt\":" + JsonWriter::Quote(ids[i].usedAt) + "}";
    }
    res.set_content(json + "]\n", kJson);
}

void AdminApi::AddPackage(const Req& req, Res& res) {
    if (!Require(req, res, {"id", "version", "path"})) return;
    const Package package{req.get_param_value("id"), req.get_param_value("version"), req.get_param_value("path")};
    if (!PackageVersion::IsValid(package.version))
        return Reply(res, 400, "version must be dotted numbers such as 1.2.0, not \"" + package.version + "\"");
    std::error_code ec;
    if (!std::filesystem::is_regular_file(package.path, ec))
        return Reply(res, 400, "no readable file at " + package.path + "; give an absolute path to the package file");
    if (!database_.RegisterPackage(package)) return Reply(res, 500, database_.LastError());
    res.set_content("{\"id\":" + JsonWriter::Quote(package.id) + ",\"version\":" + JsonWriter::Quote(package.version) +
                        ",\"url\":" + JsonWriter::Quote(baseUrl_ + "/packages/" + package.FileName()) + "}\n",
                    kJson);
}

void AdminApi::ListPackages(const Req&, Res& res) {
    std::vector<Package> packages;
    if (!database_.Packages(packages)) return Reply(res, 500, database_.LastError());
    std::string json = "[";
    for (size_t i = 0; i < packages.size(); ++i) {
        json += std::string(i ? "," : "") + "{\"id\":" + JsonWriter::Quote(packages[i].id) +
                ",\"version\":" + JsonWriter::Quote(packages[i].version) +
                ",\"path\":" + JsonWriter::Quote(packages[i].path) +
                ",\"url\":" + JsonWriter::Quote(baseUrl_ + "/packages/" + packages[i].FileName()) + "}";
    }
    res.set_content(json + "]\n", kJson);
}

void AdminApi::ListRequests(const Req& req, Res& res) {
    int limit = 100;
    if (req.has_param("limit") && (!TextUtil::ParseInt(req.get_param_value("limit"), limit) || limit < 0))
        return Reply(res, 400, "limit must be a non-negative integer");
    const std::vector<RequestLogEntry> entries = log_.Recent(static_cast<size_t>(limit));
    std::string json = "[";
    for (size_t i = 0; i < entries.size(); ++i)
        json += (i ? "," : "") + EntryJson(entries[i]);
    res.set_content(json + "]\n", kJson);
}

void AdminApi::ClearRequests(const Req&, Res& res) {
    log_.Clear();
    Reply(res, 200, "cleared the request log");
}

}  // namespace Sandbox
