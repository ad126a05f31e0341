#include "sandbox/PrivateFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

namespace Sandbox::PrivateFile {
namespace {

std::string Reason() { return std::strerror(errno); }

bool MakeFolders(const std::filesystem::path& folder, std::string& error) {
    std::vector<std::filesystem::path> missing;
    std::error_code ec;
    for (std::filesystem::path p = folder; !p.empty() && !std::filesystem::exists(p, ec); p = p.parent_path()) {
        missing.push_back(p);
        if (p == p.parent_path()) break;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (::mkdir(it->c_str(), 0700) != 0 && errno != EEXIST) {
            error =
                "cannot create the folder " + it->string() + " (" + Reason() + "); create it or choose another --db";
            return false;
        }
    }
    return true;
}

}  // namespace

bool Prepare(const std::string& path, std::string& error) {
    const std::filesystem::path file(path);
    if (file.has_parent_path() && !MakeFolders(file.parent_path(), error)) return false;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = "cannot open " + path + " (" + Reason() + "); check the path and its permissions";
        return false;
    }
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0;
    if (ok && !S_ISREG(info.st_mode)) {
        ::close(fd);
        error = path + " is not a regular file; give --db a file name";
        return false;
    }
    if (ok && (info.st_mode & 077) != 0) ok = ::fchmod(fd, info.st_mode & 0700) == 0;
    if (!ok) error = "cannot make " + path + " owner-only (" + Reason() + "); it must belong to this user";
    ::close(fd);
    return ok;
}

}  // namespace Sandbox::PrivateFile
