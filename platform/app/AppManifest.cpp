#include "platform/app/AppManifest.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/app/AppLog.h"
#include "platform/base/PlatformHome.h"

namespace fs = std::filesystem;

namespace Vx::App {
namespace {

constexpr std::uintmax_t kMaxManifestBytes = 64 * 1024;

std::string Trim(const std::string& text) {
    const char* spaces = " \t\r";
    std::size_t first = text.find_first_not_of(spaces);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(spaces) - first + 1);
}

std::string Resolve(const fs::path& base, const std::string& path) {
    fs::path p(path);
    if (p.is_relative()) p = base / p;
    return p.lexically_normal().string();
}

std::string Canonical(const std::string& path) {
    std::error_code ec;
    fs::path canonical = fs::canonical(path, ec);
    return ec ? fs::path(path).lexically_normal().string() : canonical.string();
}

}  // namespace

bool IsValidAppId(const std::string& appId) {
    if (appId.empty() || appId.size() > 128 || appId[0] == '.') return false;
    for (char c : appId) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
                  c == '-';
        if (!ok) return false;
    }
    return true;
}

std::string GetCurrentExecutablePath() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

std::vector<std::string> AppManifestRegistry::GetSearchDirectories() {
    std::vector<std::string> dirs;
    dirs.push_back(Vx::Base::GetPlatformHome() + "/apps");
    std::string exe = GetCurrentExecutablePath();
    if (!exe.empty()) dirs.push_back((fs::path(exe).parent_path() / "apps").string());
    if (const char* extra = std::getenv("IAP_APPS_DIR"); extra && *extra) dirs.emplace_back(extra);
    return dirs;
}

result AppManifestRegistry::Parse(const std::string& path, AppManifest& out, std::string& error) {
    std::error_code ec;
    auto size = fs::file_size(path, ec);
    if (ec) {
        error = "cannot read " + path + ": " + ec.message();
        return E_OBJ_NOT_FOUND;
    }
    if (size > kMaxManifestBytes) {
        error = path + " is larger than " + std::to_string(kMaxManifestBytes) + " bytes";
        return E_INVALID_FORMAT;
    }
    std::ifstream in(path);
    if (!in) {
        error = "cannot open " + path;
        return E_OBJ_NOT_FOUND;
    }
    AppManifest m;
    std::string line, resources;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        line = Trim(line);
        if (line.empty() || line[0] == '#') continue;
        std::size_t eq = line.find('=');
        if (eq == std::string::npos) {
            error = path + ":" + std::to_string(number) + ": expected key=value";
            return E_INVALID_FORMAT;
        }
        std::string key = Trim(line.substr(0, eq)), value = Trim(line.substr(eq + 1));
        if (key == "appId")
            m.appId = value;
        else if (key == "packageId")
            m.packageId = value;
        else if (key == "version")
            m.version = value;
        else if (key == "executable")
            m.executable = value;
        else if (key == "name")
            m.name = value;
        else if (key == "resources")
            resources = value;
        // Unknown keys are left for newer writers.
    }
    const char* missing = !IsValidAppId(m.appId) ? "a valid appId"
                          : m.executable.empty() ? "executable"
                          : m.packageId.empty()  ? "packageId"
                          : m.version.empty()    ? "version"
                                                 : nullptr;
    if (missing) {
        error = path + ": no " + missing;
        return E_INVALID_FORMAT;
    }
    fs::path folder = fs::absolute(fs::path(path), ec).parent_path();
    m.executable = Resolve(folder, m.executable);
    if (m.name.empty()) m.name = m.appId;
    m.resourceDir = resources.empty() ? (fs::path(m.executable).parent_path() / "res" / m.appId).string()
                                      : Resolve(folder, resources);
    m.manifestPath = path;
    out = std::move(m);
    return E_SUCCESS;
}

namespace {

// The usable manifests of appId in these folders, in their order.
std::vector<AppManifest> ManifestsOf(const std::string& appId, const std::vector<std::string>& dirs) {
    std::vector<AppManifest> found;
    for (const std::string& dir : dirs) {
        std::string path = dir + "/" + appId + ".manifest";
        std::error_code ec;
        if (!fs::is_regular_file(path, ec)) continue;
        AppManifest m;
        std::string error;
        if (AppManifestRegistry::Parse(path, m, error) != E_SUCCESS) {
            LogAppWarning("ignoring manifest: " + error);
            continue;
        }
        if (m.appId != appId) {
            LogAppWarning("ignoring manifest " + path + ": it names the application " + m.appId);
            continue;
        }
        found.push_back(std::move(m));
    }
    return found;
}

// The first manifest that no later one contradicts about the package.
result PickManifest(const std::vector<AppManifest>& manifests, AppManifest& out) {
    for (std::size_t i = 0; i < manifests.size(); ++i) {
        bool sameOwner = true;
        for (std::size_t j = i + 1; j < manifests.size() && sameOwner; ++j)
            sameOwner = manifests[j].packageId == manifests[i].packageId;
        if (sameOwner) {
            out = manifests[i];
            return E_SUCCESS;
        }
        LogAppWarning("ignoring manifest " + manifests[i].manifestPath + ": package " + manifests[i].packageId +
                      " may not take over an application of another package");
    }
    return E_OBJ_NOT_FOUND;
}

}  // namespace

result AppManifestRegistry::Find(const std::string& appId, AppManifest& out) {
    if (!IsValidAppId(appId)) return E_INVALID_ARG;
    return PickManifest(ManifestsOf(appId, GetSearchDirectories()), out);
}

result AppManifestRegistry::FindPreinstalled(const std::string& appId, AppManifest& out) {
    if (!IsValidAppId(appId)) return E_INVALID_ARG;
    std::vector<std::string> dirs = GetSearchDirectories();
    dirs.erase(dirs.begin());
    return PickManifest(ManifestsOf(appId, dirs), out);
}

result AppManifestRegistry::FindPackageVersion(const std::string& packageId, std::string& version) {
    for (const std::string& dir : GetSearchDirectories()) {
        std::error_code ec;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            if (it->path().extension() != ".manifest") continue;
            AppManifest m;
            std::string error;
            if (Parse(it->path().string(), m, error) != E_SUCCESS || m.packageId != packageId) continue;
            version = m.version;
            return E_SUCCESS;
        }
    }
    return E_OBJ_NOT_FOUND;
}

result AppManifestRegistry::FindByExecutable(const std::string& executable, AppManifest& out) {
    std::string wanted = Canonical(executable);
    for (const std::string& dir : GetSearchDirectories()) {
        std::error_code ec;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            if (it->path().extension() != ".manifest") continue;
            AppManifest m;
            std::string error;
            if (Parse(it->path().string(), m, error) != E_SUCCESS) continue;
            if (Canonical(m.executable) != wanted) continue;
            // Only the manifest that Find would use gives the program its identity.
            AppManifest chosen;
            if (Find(m.appId, chosen) != E_SUCCESS || chosen.manifestPath != m.manifestPath) continue;
            out = std::move(m);
            return E_SUCCESS;
        }
    }
    return E_OBJ_NOT_FOUND;
}

}  // namespace Vx::App
