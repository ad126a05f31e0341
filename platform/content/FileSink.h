#pragma once
// Writes a file under a hidden temporary name in its final folder and gives it
// its final name only when it is complete, so that a reader never sees half a
// file. Used by downloads and package installation.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/base/Result.h"

namespace Vx::Content {

// E_STORAGE_FULL for ENOSPC and EDQUOT, E_PERMISSION_DENIED for EACCES/EPERM,
// E_OBJ_NOT_FOUND for ENOENT, E_IO otherwise.
result ResultFromErrno(int error);

// True when $IAP_PLATFORM_FAULTS (a comma-separated list) names the fault.
// Faults: "storage-full" (file writes fail as on a full disk),
// "no-download-manager", "no-package-manager".
bool IsPlatformFaultSet(std::string_view fault);

enum class CommitMode {
    Replace,    // an existing file of the final name is replaced
    NoReplace,  // E_OBJ_ALREADY_EXIST when the final name exists
};

class FileSink {
public:
    FileSink() = default;
    ~FileSink();  // discards an uncommitted file
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;

    // Creates the temporary file in directory (which must exist).
    result Open(const std::string& directory, unsigned int mode = 0644);
    result Write(const char* data, std::size_t size);
    result Write(std::string_view data) { return Write(data.data(), data.size()); }
    // Empties the file to start over.
    result Reset();
    // Flushes to disk and gives the file its final name. On failure the
    // temporary file is kept for another Commit, or removed by Discard.
    result Commit(const std::string& finalPath, CommitMode mode);
    void Discard();

    bool IsOpen() const { return fd_ >= 0; }
    std::uint64_t GetSize() const { return size_; }
    const std::string& GetTemporaryPath() const { return tempPath_; }

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::string tempPath_;
};

}  // namespace Vx::Content
