#include "platform/content/FileSink.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace Vx::Content {

result ResultFromErrno(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return E_STORAGE_FULL;
    case EACCES:
    case EPERM:
    case EROFS:
        return E_PERMISSION_DENIED;
    case ENOENT:
    case ENOTDIR:
        return E_OBJ_NOT_FOUND;
    default:
        return E_IO;
    }
}

bool IsPlatformFaultSet(std::string_view fault) {
    const char* faults = std::getenv("IAP_PLATFORM_FAULTS");
    if (!faults) return false;
    std::string_view list(faults);
    while (!list.empty()) {
        std::size_t comma = list.find(',');
        std::string_view item = list.substr(0, comma);
        while (!item.empty() && item.front() == ' ')
            item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ')
            item.remove_suffix(1);
        if (item == fault) return true;
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    return false;
}

FileSink::~FileSink() { Discard(); }

result FileSink::Open(const std::string& directory, unsigned int mode) {
    if (fd_ >= 0) return E_INVALID_STATE;
    std::string pattern = directory + "/.part-XXXXXX";
    int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return ResultFromErrno(errno);
    // mkostemp creates 0600; give the file the mode the caller asked for.
    if (::fchmod(fd, static_cast<mode_t>(mode & 07777)) != 0) {
        int error = errno;
        ::close(fd);
        ::unlink(pattern.c_str());
        return ResultFromErrno(error);
    }
    fd_ = fd;
    size_ = 0;
    tempPath_ = pattern;
    return E_SUCCESS;
}

result FileSink::Write(const char* data, std::size_t size) {
    if (fd_ < 0) return E_INVALID_STATE;
    if (size > 0 && IsPlatformFaultSet("storage-full")) return E_STORAGE_FULL;
    std::size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(fd_, data + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return ResultFromErrno(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    size_ += size;
    return E_SUCCESS;
}

result FileSink::Reset() {
    if (fd_ < 0) return E_INVALID_STATE;
    if (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0) return ResultFromErrno(errno);
    size_ = 0;
    return E_SUCCESS;
}

result FileSink::Commit(const std::string& finalPath, CommitMode mode) {
    if (fd_ < 0) return E_INVALID_STATE;
    // Delayed allocation can report a full disk only here.
    if (::fsync(fd_) != 0) return ResultFromErrno(errno);
    if (mode == CommitMode::Replace) {
        if (::rename(tempPath_.c_str(), finalPath.c_str()) != 0) return ResultFromErrno(errno);
    } else {
        int rc = ::renameat2(AT_FDCWD, tempPath_.c_str(), AT_FDCWD, finalPath.c_str(), RENAME_NOREPLACE);
        if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A file system without RENAME_NOREPLACE: link() never replaces either.
            rc = ::link(tempPath_.c_str(), finalPath.c_str());
            if (rc == 0) ::unlink(tempPath_.c_str());
        }
        if (rc != 0) return errno == EEXIST ? E_OBJ_ALREADY_EXIST : ResultFromErrno(errno);
    }
    ::close(fd_);
    fd_ = -1;
    tempPath_.clear();
    return E_SUCCESS;
}

void FileSink::Discard() {
    if (fd_ < 0) return;
    ::close(fd_);
    ::unlink(tempPath_.c_str());
    fd_ = -1;
    size_ = 0;
    tempPath_.clear();
}

}  // namespace Vx::Content
