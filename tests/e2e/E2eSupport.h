#pragma once
// Whole-system tests: real buyservice, appctl, account applications and a
// sandbox store, each test in a fresh platform home.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/Json.h"
#include "tests/support/SandboxProcess.h"
#include "tests/tools/ToolTestSupport.h"

namespace E2e {

using ToolTest::Bin;
using ToolTest::PlatformHome;
using ToolTest::Process;
using ToolTest::RunProgram;
using ToolTest::RunResult;

inline const char* const kBuyService = "buyservice.BuyService";
inline const char* const kItemList = "/appcontrol/operation/iap/get_item_list";
inline const char* const kPurchasedList = "/appcontrol/operation/iap/get_purchased_item_list";
inline const char* const kCountryList = "/appcontrol/operation/iap/get_country_list";
inline const char* const kSignInApp = "a7qd02lm9x.OblinAccount";
inline const char* const kAccountServiceApp = "a7qd02lm9x.OblinAccountService";

inline const char* const kGemGroup = "100000000001";        // 25 items
inline const char* const kCharacterGroup = "100000000002";  // 3 items
inline const char* const kEmptyGroup = "100000000003";

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// What appctl --json printed: {"result": N, "extra": {...} or null}.
struct AppctlAnswer {
    int exitCode = -1;
    std::string output;   // everything appctl printed, for failure messages
    bool parsed = false;  // a JSON answer was found
    int result = -1;      // 0 succeeded, 1 failed, 2 canceled
    bool hasExtra = false;
    std::map<std::string, std::string> extra;

    std::string Get(const std::string& key) const {
        auto it = extra.find(key);
        return it == extra.end() ? std::string("<absent>") : it->second;
    }
    bool Has(const std::string& key) const { return extra.count(key) != 0; }
    // Keys like "12_itemId": how many records of that field the answer holds.
    int CountRecords(const std::string& field = "_itemId") const {
        int count = 0;
        for (const auto& [key, value] : extra) {
            std::size_t underscore = key.find('_');
            if (underscore > 0 && underscore != std::string::npos && key.substr(underscore) == field &&
                key.find_first_not_of("0123456789") == underscore) {
                ++count;
            }
        }
        return count;
    }
};

inline AppctlAnswer ParseAppctl(int exitCode, const std::string& output) {
    AppctlAnswer answer;
    answer.exitCode = exitCode;
    answer.output = output;
    // appctl's JSON is its only line starting with '{'; anything else is a message.
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] != '{') continue;
        Json::Value root;
        if (!Json::Parse(line, root) || !root.IsObject()) continue;
        const Json::Value* result = root.Find("result");
        const Json::Value* extra = root.Find("extra");
        if (!result || !result->IsNumber() || !extra) continue;
        answer.parsed = true;
        answer.result = static_cast<int>(result->number);
        answer.hasExtra = extra->IsObject();
        if (answer.hasExtra) {
            for (const auto& [key, value] : extra->object)
                answer.extra[key] = value.text;
        }
    }
    return answer;
}

// One entry of the sandbox's request log.
struct StoreRequest {
    std::string function;
    int transactionId = -1;
    std::map<std::string, std::string> params;
    int httpStatus = 0;
    std::string outcome;
};

inline std::vector<StoreRequest> ParseRequestLog(const std::string& json) {
    std::vector<StoreRequest> requests;
    Json::Value root;
    if (!Json::Parse(json, root) || !root.IsArray()) return requests;
    for (const Json::Value& entry : root.array) {
        StoreRequest request;
        if (const Json::Value* v = entry.Find("function")) request.function = v->text;
        if (const Json::Value* v = entry.Find("path"); v && v->text.rfind("/packages/", 0) == 0) {
            request.function = "download";
        }
        if (const Json::Value* v = entry.Find("transactionId")) request.transactionId = static_cast<int>(v->number);
        if (const Json::Value* v = entry.Find("httpStatus")) request.httpStatus = static_cast<int>(v->number);
        if (const Json::Value* v = entry.Find("outcome")) request.outcome = v->text;
        if (const Json::Value* v = entry.Find("params")) {
            for (const auto& [key, value] : v->object)
                request.params[key] = value.text;
        }
        requests.push_back(request);
    }
    return requests;
}

// Everything under `root` that the group or others may read, write or enter.
inline std::vector<std::string> OpenToOthers(const std::string& root) {
    std::vector<std::string> open;
    std::error_code ec;
    auto check = [&open](const std::filesystem::path& path) {
        std::error_code ignored;
        auto status = std::filesystem::symlink_status(path, ignored);
        using std::filesystem::perms;
        if ((status.permissions() & (perms::group_all | perms::others_all)) != perms::none) open.push_back(path);
    };
    check(root);
    for (std::filesystem::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
        check(it->path());
    return open;
}

// The base of the end-to-end suites: a platform home, a sandbox store that the
// device finds through its country search, and appctl to play the caller.
class BuyServiceE2eTest : public ::testing::Test {
protected:
    static constexpr int kAnswerTimeoutMs = 90000;

    explicit BuyServiceE2eTest(const std::vector<std::string>& sandboxArgs = {}) : sandbox_(sandboxArgs) {}

    void SetUp() override {
        ASSERT_FALSE(home_.Path().empty()) << "cannot create a temporary platform home";
        ASSERT_TRUE(sandbox_.IsRunning()) << sandbox_.Error();
        setenv("IAP_COUNTRY_SEARCH_URL", sandbox_.CountrySearchUrl().c_str(), 1);
        unsetenv("IAP_HTTP_TIMEOUT_MS");
        unsetenv("IAP_UI_AUTOMATION");
        unsetenv("IAP_PLATFORM_FAULTS");
        unsetenv("IAP_APPS_DIR");
        // A buyservice that a test leaves behind ends soon instead of lingering.
        setenv("IAP_SERVICE_IDLE_EXIT_MS", "5000", 1);
    }

    static std::vector<std::string> AppctlArgs(const std::string& operation, const std::vector<std::string>& extra) {
        std::vector<std::string> args{Bin("appctl"), "--json", "--timeout", "80", kBuyService, operation};
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }

    // Sends one request to buyservice as another application would.
    AppctlAnswer Ask(const std::string& operation, const std::vector<std::string>& extra = {}) {
        RunResult run = RunProgram(AppctlArgs(operation, extra), kAnswerTimeoutMs);
        return ParseAppctl(run.exitCode, run.output);
    }

    std::vector<StoreRequest> StoreRequests() const { return ParseRequestLog(sandbox_.RecentRequests()); }
    std::vector<std::string> StoreFunctions() const {
        std::vector<std::string> names;
        for (const StoreRequest& request : StoreRequests())
            names.push_back(request.function);
        return names;
    }
    // How many requests of that function the store has logged.
    int Requests(const std::string& function) const {
        int count = 0;
        for (const std::string& name : StoreFunctions())
            count += name == function;
        return count;
    }
    // How many times the store charged the purchase id, from the admin's list.
    int Charges(const std::string& purchaseId) const {
        const std::string body = sandbox_.Admin("GET", "/admin/charges?purchaseId=" + purchaseId).body;
        int count = 0;
        for (std::size_t at = body.find("\"purchaseId\""); at != std::string::npos;
             at = body.find("\"purchaseId\"", at + 1))
            ++count;
        return count;
    }
    // Waits until the store has logged a request of that function.
    bool WaitForStoreRequest(const std::string& function, int timeoutMs) const {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < deadline) {
            for (const std::string& name : StoreFunctions()) {
                if (name == function) return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    std::string ServiceLog() const { return home_.Log(kBuyService); }
    // Whether an application was launched here: the launcher opens its log.
    bool WasLaunched(const std::string& appId) const {
        return std::filesystem::exists(home_.Path() + "/logs/" + appId + ".log");
    }
    // Everything worth seeing when an expectation fails.
    std::string Diagnose(const AppctlAnswer& answer) const {
        return "appctl exit " + std::to_string(answer.exitCode) + ", output:\n" + answer.output +
               "\nbuyservice log:\n" + ServiceLog() + "\nstore requests:\n" + sandbox_.RecentRequests();
    }

    PlatformHome home_;
    IapTest::SandboxProcess sandbox_;
};

}  // namespace E2e
