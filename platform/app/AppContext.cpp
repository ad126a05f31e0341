#include "platform/app/AppContextPrivate.h"

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/app/AppLog.h"

namespace Vx::App {
namespace {

std::optional<AppManifest> g_current;
std::optional<bool> g_launched;

std::string SanitizedFileName(const std::string& path) {
    std::string name = std::filesystem::path(path).filename().string();
    for (char& c : name) {
        if (!IsValidAppId(std::string(1, c))) c = '_';
    }
    if (name.empty() || name[0] == '.') name = "app" + name;
    return name.substr(0, 128);
}

AppManifest Resolve() {
    AppManifest m;
    std::string exe = GetCurrentExecutablePath();
    // Read once and drop, so that programs this one starts by other means do not inherit it.
    std::string fromLauncher;
    if (const char* id = std::getenv(kAppIdEnv); id && *id) fromLauncher = id;
    ::unsetenv(kAppIdEnv);
    if (!fromLauncher.empty()) {
        if (AppManifestRegistry::Find(fromLauncher, m) == E_SUCCESS) return m;
        if (IsValidAppId(fromLauncher)) {
            m.appId = fromLauncher;
        } else {
            LogAppWarning("ignoring invalid " + std::string(kAppIdEnv) + " '" + fromLauncher + "'");
        }
    }
    if (m.appId.empty() && !exe.empty() && AppManifestRegistry::FindByExecutable(exe, m) == E_SUCCESS) return m;
    if (m.appId.empty()) m.appId = SanitizedFileName(exe.empty() ? "app" : exe);
    m.packageId = m.appId;
    m.version = "1.0.0";
    m.name = m.appId;
    m.executable = exe;
    m.resourceDir = (std::filesystem::path(exe).parent_path() / "res" / m.appId).string();
    return m;
}

}  // namespace

const AppManifest& AppContext::GetCurrent() {
    if (!g_current) {
        IsLaunchedByAppControl();
        g_current = Resolve();
    }
    return *g_current;
}

bool AppContext::IsLaunchedByAppControl() {
    if (!g_launched) {
        const char* flag = std::getenv(kLaunchedEnv);
        g_launched = flag && std::string(flag) == "1";
        ::unsetenv(kLaunchedEnv);
    }
    return *g_launched;
}

std::string AppContext::GetLogName() {
    if (g_current) return g_current->appId;
    std::string exe = GetCurrentExecutablePath();
    return exe.empty() ? "app" : std::filesystem::path(exe).filename().string();
}

void AppContext::Reset() {
    g_current.reset();
    g_launched.reset();
}

}  // namespace Vx::App
