#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "platform/app/AppContextPrivate.h"
#include "platform/app/AppControlSyncClient.h"
#include "platform/app/AppManifest.h"
#include "platform/app/AppTypes.h"
#include "platform/base/PlatformHome.h"
#include "tools/appctl/AppctlCommands.h"
#include "tools/appctl/AppctlOutput.h"

namespace Appctl {
namespace {

constexpr double kDefaultTimeoutSec = 60;

struct RequestOptions {
    bool json = false;
    double timeoutSec = kDefaultTimeoutSec;
    std::string appId;
    std::string operation;
    Entries extra;
};

// Returns false (after printing why) on a usage error.
bool ParseRequest(const Arguments& args, RequestOptions& options) {
    std::size_t i = 0;
    for (; i < args.size() && args[i].rfind("--", 0) == 0; ++i) {
        if (args[i] == "--json") {
            options.json = true;
        } else if (args[i] == "--timeout") {
            if (++i == args.size()) return PrintError("--timeout needs a number of seconds"), false;
            char* end = nullptr;
            options.timeoutSec = std::strtod(args[i].c_str(), &end);
            if (*end != '\0' || !(options.timeoutSec > 0) || !std::isfinite(options.timeoutSec)) {
                PrintError("--timeout wants a positive number of seconds, not '" + args[i] + "'");
                return false;
            }
        } else {
            PrintError("unknown option '" + args[i] + "' (see appctl --help)");
            return false;
        }
    }
    if (args.size() - i < 2) {
        PrintError("APP_ID and OPERATION are required (see appctl --help)");
        return false;
    }
    options.appId = args[i++];
    options.operation = args[i++];
    if (!options.operation.empty() && options.operation[0] == '/')
        options.operation = "http://vexmora.com" + options.operation;
    for (; i < args.size(); ++i) {
        std::size_t eq = args[i].find('=');
        if (eq == std::string::npos || eq == 0) {
            PrintError("extra data must be KEY=VALUE, not '" + args[i] + "'");
            return false;
        }
        std::string key = args[i].substr(0, eq);
        if (options.extra.count(key)) {
            PrintError("the key '" + key + "' is given twice");
            return false;
        }
        options.extra[key] = args[i].substr(eq + 1);
    }
    return true;
}

// Shows on a terminal that appctl is still waiting; clears the line when done.
class WaitIndicator {
public:
    explicit WaitIndicator(std::string appId) : appId_(std::move(appId)), tty_(::isatty(STDERR_FILENO) == 1) {}
    ~WaitIndicator() { Clear(); }
    void Clear() {
        if (shown_) std::fprintf(stderr, "\r\033[K");
        shown_ = false;
    }
    void Update(double waitedSec) {
        if (!tty_ || waitedSec < 1.0) return;
        shown_ = true;
        std::fprintf(stderr, "\rappctl: waiting for %s ... %.0f s", appId_.c_str(), std::floor(waitedSec));
        std::fflush(stderr);
    }

private:
    std::string appId_;
    bool tty_;
    bool shown_ = false;
};

}  // namespace

// appctl waits in place, without an event loop: it starts in a fraction of
// the time a Qt program needs, which every cold request pays for.
int RunRequest(const Arguments& args) {
    RequestOptions options;
    if (!ParseRequest(args, options)) return kExitUsage;
    if (!Vx::App::IsValidAppId(options.appId)) {
        PrintError("'" + options.appId + "' is not a valid application id (letters, digits, '.', '_', '-')");
        return kExitUsage;
    }
    Vx::App::AppManifest provider;
    if (Vx::App::AppManifestRegistry::Find(options.appId, provider) != Vx::E_SUCCESS) {
        std::string searched;
        for (const std::string& dir : Vx::App::AppManifestRegistry::GetSearchDirectories())
            searched += "\n  " + dir;
        PrintError("no application '" + options.appId + "' is installed; looked for " + options.appId +
                   ".manifest in:" + searched + "\nInstall its package or set IAP_APPS_DIR.");
        return kExitUsage;
    }
    Vx::App::Ipc::RequestMessage request;
    request.callerAppId = Vx::App::AppContext::GetCurrent().appId;
    request.operationId = options.operation;
    if (!options.extra.empty()) request.extra.emplace(options.extra.begin(), options.extra.end());
    WaitIndicator indicator(options.appId);
    Vx::App::AppControlSyncClient::Answer answer;
    double timeoutMs = std::min(options.timeoutSec * 1000.0, 2e9);
    Vx::result r = Vx::App::AppControlSyncClient::Call(
        provider, std::move(request), static_cast<int>(std::ceil(timeoutMs)),
        [&indicator](double waited) { indicator.Update(waited); }, answer);
    indicator.Clear();
    if (r == Vx::E_TIMEOUT) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%g", options.timeoutSec);
        PrintError("no answer from " + options.appId + " within " + seconds + " s (raise --timeout, or see " +
                   Vx::Base::GetPlatformHome() + "/logs/" + options.appId + ".log)");
        return kExitTimeout;
    }
    if (r != Vx::E_SUCCESS) {
        PrintError("cannot send the request to " + options.appId + ": " + Vx::GetResultName(r) + " (" +
                   Vx::GetErrorMessage(r) + ")");
        return kExitNotDelivered;
    }
    if (answer.appControlResult == Vx::App::APP_CTRL_RESULT_TERMINATED) {
        PrintError(options.appId + " ended without answering (see " + Vx::Base::GetPlatformHome() + "/logs/" +
                   options.appId + ".log)");
        return kExitTerminated;
    }
    if (answer.appControlResult == Vx::App::APP_CTRL_RESULT_ABORTED) {
        PrintError("the request could not be delivered to " + options.appId + " (see " + Vx::Base::GetPlatformHome() +
                   "/logs/" + options.appId + ".log)");
        return kExitNotDelivered;
    }
    std::optional<Entries> extra;
    if (answer.extra) {
        extra.emplace();
        // A repeated key keeps its first value, as a map would.
        for (const auto& [key, value] : *answer.extra)
            extra->emplace(key, value);
    }
    std::string out = options.json ? FormatJson(answer.appControlResult, extra) + "\n"
                                   : FormatReadable(answer.appControlResult, extra);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return kExitAnswered;
}

int RunForeground(const Arguments& args) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::puts(
            "Usage: appctl foreground APP_ID\n\nTells every running application of this platform home that "
            "APP_ID came to the\nforeground (as a UI application does when it starts). Exit 0 when sent.");
        return kExitAnswered;
    }
    if (args.size() != 1 || !Vx::App::IsValidAppId(args[0])) {
        PrintError("usage: appctl foreground APP_ID");
        return kExitUsage;
    }
    Vx::result r = Vx::App::AppControlSyncClient::Broadcast(Vx::App::Ipc::ActiveAppChangedMessage{args[0]},
                                                            Vx::App::AppContext::GetCurrent().appId);
    if (r != Vx::E_SUCCESS) {
        PrintError(std::string("cannot reach the running applications: ") + Vx::GetErrorMessage(r));
        return kExitNotDelivered;
    }
    return kExitAnswered;
}

}  // namespace Appctl
