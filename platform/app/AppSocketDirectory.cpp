#include "platform/app/AppSocketDirectory.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

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

enum class Create { Yes, No };

result EnsurePrivateDirectory(const std::string& path, Create create, std::string& error) {
    if (create == Create::Yes && ::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot create " + path + ": " + std::strerror(errno);
        return E_IO;
    }
    struct stat st {};
    if (create == Create::No && ::lstat(path.c_str(), &st) != 0 && errno == ENOENT) return E_SUCCESS;
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

result Locate(Create create, std::string& dir, std::string& error) {
    std::string root = "/tmp/vx-" + std::to_string(::geteuid());
    result r = EnsurePrivateDirectory(root, create, error);
    if (r != E_SUCCESS) return r;
    std::string home = root + "/" + Fnv1a64Hex(Vx::Base::GetPlatformHome());
    r = EnsurePrivateDirectory(home, create, error);
    if (r == E_SUCCESS) dir = home;
    return r;
}

}  // namespace

result AppSocketDirectory::Get(std::string& dir, std::string& error) { return Locate(Create::Yes, dir, error); }

result AppSocketDirectory::Find(std::string& dir, std::string& error) { return Locate(Create::No, dir, error); }

void AppSocketDirectory::RemoveIfEmpty(const std::string& dir) {
    // rmdir fails while anything is left, so a running application keeps the
    // folder. Its UI automation folder goes too, once it is all that is left:
    // every application of the home has its lock file beside it until it ends.
    std::error_code ec;
    bool onlyUi = true;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().filename() != "ui") onlyUi = false;
    }
    if (ec) return;
    if (onlyUi) ::rmdir((dir + "/ui").c_str());
    ::rmdir(dir.c_str());
}

std::string AppSocketDirectory::GetSocketPath(const std::string& dir, const std::string& appId) {
    std::string path = dir + "/" + appId;
    if (path.size() < sizeof(sockaddr_un::sun_path)) return path;
    return dir + "/h-" + Fnv1a64Hex(appId);
}

int AppSocketDirectory::Connect(const std::string& socketPath) {
    sockaddr_un address{};
    if (socketPath.size() >= sizeof address.sun_path) return -1;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return -1;
    // A local connect either succeeds at once or fails at once (no listener,
    // no socket file, or a full backlog, which the caller retries).
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string AppSocketDirectory::GetLockPath(const std::string& dir, const std::string& appId) {
    return GetSocketPath(dir, appId) + ".lock";
}

}  // namespace Vx::App
