#include "sandbox/SandboxOptions.h"

#include "sandbox/PackageVersion.h"
#include "sandbox/TextUtil.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace Sandbox {
namespace {

bool ReadFile(const std::string& path, std::string& text, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read the seed file " + path + "; check the path";
        return false;
    }
    std::ostringstream content;
    content << file.rdbuf();
    text = content.str();
    if (TextUtil::Trim(text).empty()) {
        error = "the seed file " + path + " is empty; give SQL INSERT statements (see sandbox/demo-catalogue.sql)";
        return false;
    }
    return true;
}

bool ApplyOption(const std::string& name, const std::string& value, SandboxConfig& config, std::string& error) {
    if (name == "--host") {
        config.host = value;
    } else if (name == "--port") {
        if (!TextUtil::ParseInt(value, config.port) || config.port < 0 || config.port > 65535) {
            error = "--port needs a number from 0 to 65535 (0 picks a free port), not \"" + value + "\"";
            return false;
        }
    } else if (name == "--idle-timeout" || name == "--request-timeout") {
        int ms = 0;
        if (!TextUtil::ParseInt(value, ms) || ms < 1 || ms > 3600000) {
            error = name + " needs milliseconds from 1 to 3600000, not \"" + value + "\"";
            return false;
        }
        (name == "--idle-timeout" ? config.limits.idleTimeoutMs : config.limits.requestTimeoutMs) = ms;
    } else if (name == "--db") {
        config.dbPath = value;
    } else if (name == "--seed") {
        return ReadFile(value, config.seedSql, error);
    } else if (name == "--fault") {
        FaultRule rule;
        if (!FaultRule::Parse(value, rule, error)) {
            error = "--fault " + value + ": " + error;
            return false;
        }
        config.faults.push_back(rule);
    } else if (name == "--package") {
        Package package;
        if (!SandboxOptions::ParsePackage(value, package, error)) {
            error = "--package " + value + ": " + error;
            return false;
        }
        config.packages.push_back(package);
    } else {
        error = "unknown option " + name + "; see iap-sandbox --help";
        return false;
    }
    return true;
}

}  // namespace

SandboxOptions::Outcome SandboxOptions::Parse(const std::vector<std::string>& args, SandboxConfig& config,
                                              std::string& error) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") return Outcome::Help;
        if (arg.rfind("--", 0) != 0) {
            error = "unexpected argument \"" + arg + "\"; see iap-sandbox --help";
            return Outcome::Error;
        }
        const size_t eq = arg.find('=');
        std::string name = arg.substr(0, eq);
        std::string value;
        if (eq != std::string::npos) {
            value = arg.substr(eq + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error = "option " + name + " needs a value; see iap-sandbox --help";
            return Outcome::Error;
        }
        if (!ApplyOption(name, value, config, error)) return Outcome::Error;
    }
    return Outcome::Run;
}

bool SandboxOptions::ParsePackage(const std::string& text, Package& package, std::string& error) {
    const size_t eq = text.find('=');
    const size_t colon = eq == std::string::npos ? std::string::npos : text.find(':', eq + 1);
    if (eq == 0 || colon == std::string::npos || colon + 1 == text.size()) {
        error = "write ID=VERSION:PATH, e.g. buyclient=1.2.0:/tmp/buyclient.vpk";
        return false;
    }
    package.id = text.substr(0, eq);
    package.version = text.substr(eq + 1, colon - eq - 1);
    if (!PackageVersion::IsValid(package.version)) {
        error = "the version must be dotted numbers such as 1.2.0, not \"" + package.version + "\"";
        return false;
    }
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::absolute(text.substr(colon + 1), ec);
    if (ec || !std::filesystem::is_regular_file(path, ec)) {
        error = "no package file at " + text.substr(colon + 1) + "; make one first (see docs/sandbox.md)";
        return false;
    }
    package.path = path.string();
    return true;
}

std::string SandboxOptions::HelpText() {
    return R"(Usage: iap-sandbox [OPTIONS]

A local store server for the in-app purchase system: it answers the store
protocol (XML over HTTP) from an SQLite catalogue, serves package files and
can inject faults. The first line on standard output is the base URL, e.g.
http://127.0.0.1:8640; every request is logged on standard error.

Options:
  --host ADDRESS        address to listen on (default 127.0.0.1)
  --port N              port to listen on (default 8640; 0 picks a free one)
  --db FILE             keep the data in this SQLite file; a new file is
                        seeded, an existing one is used as it is; the
                        file is made owner-only (0600), folders it needs
                        are created 0700 (default: a fresh in-memory
                        database)
  --idle-timeout MS     close a connection that starts no request for MS
                        milliseconds (default 5000)
  --request-timeout MS  a request's line, headers and body must arrive
                        within MS milliseconds (default 10000); bodies
                        may not exceed 4 MiB, chunked or not
  --seed FILE           SQL INSERTs that replace the demo catalogue when a
                        database is created (see sandbox/demo-catalogue.sql)
  --fault RULE          inject a fault; repeatable. RULE is
                        FUNCTION:KIND[=VALUE][:COUNT]
                          FUNCTION  name (getAppsItemList), id (6005), "*" for
                                    every store request, "download" for
                                    GET /packages/
                          KIND      error=CODE  reply with that errorCode
                                    status=N    answer HTTP N (default 500)
                                    malformed   answer a broken document
                                    delay=MS    wait, then answer as usual
                                    drop        close without answering
                          COUNT     affect only the next COUNT requests
                        e.g. --fault getAppsItemList:error=9105:1
  --package ID=VERSION:PATH
                        register a package file; checkAppUpgrade offers the
                        newest "buyclient" package newer than the device's,
                        and GET /packages/ID-VERSION.EXT serves it
  -h, --help            show this text

Endpoints:
  POST /ods.as          countrySearch, countrySearchEx, getCountryList
  POST /store           the functions above and checkAppUpgrade,
                        getAppsItemList, getPurchasedAppsItemList,
                        checkPassword, getPaymentMethodSearch, getPurchaseID
  GET  /packages/FILE   registered package files
  GET  /purchases/ID    the verify URL of a purchase ticket: whether that
                        purchase id was issued and whether it is spent
  /admin/...            loopback peers only; parameters in the query string
                        or a form body:
    GET    /admin/status                 base URL, faults, request count
    GET    /admin/faults                 active faults
    POST   /admin/faults    rule=RULE    add a fault (RULE as for --fault)
    DELETE /admin/faults    [function=F] clear all faults, or those of F
    POST   /admin/accounts  email password userId [mcc]
    POST   /admin/purchases userId itemGroupId itemId paymentId [purchaseDate]
    POST   /admin/offers    country itemGroupId itemId paymentMethod
                            [paymentTypeId company list price position]
    DELETE /admin/offers    itemGroupId itemId   remove the item's offers
    GET    /admin/purchaseIds [limit=N]  issued purchase ids, newest first
    GET    /admin/packages               registered packages
    POST   /admin/packages  id version path
    GET    /admin/requests  [limit=N]    recent requests as JSON
    DELETE /admin/requests               forget the recent requests

Stops cleanly on SIGINT or SIGTERM. Error codes and the demo catalogue are
described in docs/sandbox.md.
)";
}

}  // namespace Sandbox
