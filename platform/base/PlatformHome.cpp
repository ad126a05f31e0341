#include "platform/base/PlatformHome.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace Vx::Base {
namespace {

bool MakePrivateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) == 0) return true;
    if (errno != EEXIST) return false;
    RestrictToOwner(path);
    return true;
}

}  // namespace

std::string GetPlatformHome() {
    std::filesystem::path home;
    if (const char* configured = std::getenv("IAP_PLATFORM_HOME"); configured && *configured) {
        home = configured;
    } else if (const char* user = std::getenv("HOME"); user && *user) {
        home = std::filesystem::path(user) / ".local/share/vexmora-device";
    } else {
        home = std::filesystem::temp_directory_path() / "vexmora-device";
    }
    std::error_code ignored;
    home = std::filesystem::absolute(home, ignored).lexically_normal();
    if (home.has_relative_path() && home.filename().empty()) home = home.parent_path();
    // The folders above the home are not the device's: they keep the usual modes.
    std::filesystem::create_directories(home.parent_path(), ignored);
    MakePrivateFolder(home.string());
    return home.string();
}

std::string GetPlatformPath(const std::string& relative) {
    std::filesystem::path path = std::filesystem::path(GetPlatformHome()) / relative;
    CreatePrivateFolders(path.parent_path().string());
    return path.string();
}

bool CreatePrivateFolders(const std::string& path) {
    std::filesystem::path target = std::filesystem::path(path).lexically_normal();
    std::filesystem::path home(GetPlatformHome());
    std::filesystem::path inside = target.lexically_relative(home);
    if (inside.empty() || *inside.begin() == "..") {
        std::error_code ec;
        std::filesystem::create_directories(target, ec);
        if (ec) errno = ec.value();
        return !ec;
    }
    std::filesystem::path current = home;
    for (const auto& part : inside) {
        if (part == ".") continue;
        current /= part;
        if (!MakePrivateFolder(current.string())) return false;
    }
    return true;
}

void RestrictToOwner(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || S_ISLNK(st.st_mode) || st.st_uid != ::geteuid()) return;
    if ((st.st_mode & 077) != 0) ::chmod(path.c_str(), st.st_mode & 07700);
}

}  // namespace Vx::Base
