#include "platform/app/AppSocketDirectory.h"

#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/base/PlatformHome.h"

namespace Vx::App {
namespace {

std::string Fnv1a64Hex(const std::string& text) {
    std::uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    char out[17];
    std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(hash));
    return out;
}

result EnsurePrivateDirectory(const std::string& path, std::string& error) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot create " + path + ": " + std::strerror(errno);
        return E_IO;
    }
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        error = path + " is not a directory";
        return E_IO;
    }
    if (st.st_uid != ::geteuid()) {
        error = path + " belongs to another user; remove it or set IAP_PLATFORM_HOME differently";
        return E_PERMISSION_DENIED;
    }
    if ((st.st_mode & 077) != 0 && ::chmod(path.c_str(), 0700) != 0) {
        error = "cannot restrict " + path + " to its owner: " + std::strerror(errno);
        return E_PERMISSION_DENIED;
    }
    return E_SUCCESS;
}

}  // namespace

result AppSocketDirectory::Get(std::string& dir, std::string& error) {
    std::string root = "/tmp/vx-" + std::to_string(::geteuid());
    result r = EnsurePrivateDirectory(root, error);
    if (r != E_SUCCESS) return r;
    std::string home = root + "/" + Fnv1a64Hex(Vx::Base::GetPlatformHome());
    r = EnsurePrivateDirectory(home, error);
    if (r == E_SUCCESS) dir = home;
    return r;
}

std::string AppSocketDirectory::GetSocketPath(const std::string& dir, const std::string& appId) {
    std::string path = dir + "/" + appId;
    if (path.size() < sizeof(sockaddr_un::sun_path)) return path;
    return dir + "/h-" + Fnv1a64Hex(appId);
}

std::string AppSocketDirectory::GetLockPath(const std::string& dir, const std::string& appId) {
    return GetSocketPath(dir, appId) + ".lock";
}

}  // namespace Vx::App
