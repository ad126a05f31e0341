#include "lib/device/FailedUpdateRecord.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/base/PlatformHome.h"
#include "platform/content/FileSink.h"
#include "platform/package/PackageFile.h"

namespace fs = std::filesystem;
using Vx::App::Package::PackageFile;

namespace {

constexpr std::uintmax_t kMaxRecordSize = 16 * 1024;

// Keeps a value on its own line.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

}  // namespace

FailedUpdateRecord::FailedUpdateRecord(std::string packageId) : packageId_(std::move(packageId)) {}

std::string FailedUpdateRecord::GetPath() const {
    return Vx::Base::GetPlatformHome() + "/updates/" + packageId_ + ".failed";
}

bool FailedUpdateRecord::Load() {
    version_.clear();
    reason_.clear();
    std::error_code ec;
    std::string path = GetPath();
    if (!fs::is_regular_file(path, ec) || fs::file_size(path, ec) > kMaxRecordSize) return false;
    std::ifstream in(path);
    std::string line, version, reason;
    int attempts = kDamagedAttempts;
    while (std::getline(in, line)) {
        if (line.rfind("version=", 0) == 0) version = line.substr(8);
        if (line.rfind("reason=", 0) == 0) reason = line.substr(7);
        if (line.rfind("attempts=", 0) == 0) attempts = std::atoi(line.c_str() + 9);
    }
    if (!PackageFile::IsValidVersion(version)) return false;
    version_ = version;
    reason_ = reason;
    attempts_ = std::clamp(attempts, 1, kDamagedAttempts);
    return true;
}

Vx::result FailedUpdateRecord::Save(const std::string& version, const std::string& url, const std::string& reason) {
    return Write(version, url, reason, kDamagedAttempts);
}

Vx::result FailedUpdateRecord::SaveDamaged(const std::string& version, const std::string& url) {
    int attempts = Load() && version_ == version ? attempts_ + 1 : 1;
    return Write(version, url, "damaged download", std::min(attempts, kDamagedAttempts));
}

Vx::result FailedUpdateRecord::Write(const std::string& version, const std::string& url, const std::string& reason,
                                     int attempts) {
    if (!PackageFile::IsValidVersion(version)) return Vx::E_INVALID_ARG;
    fs::path folder = fs::path(GetPath()).parent_path();
    Vx::Base::CreatePrivateFolders(folder.string());
    std::string text = "version=" + version + "\nurl=" + OneLine(url) + "\nreason=" + OneLine(reason) +
                       "\nattempts=" + std::to_string(attempts) + "\n";
    Vx::Content::FileSink sink;
    Vx::result r = sink.Open(folder.string(), 0600);
    if (!Vx::IsFailed(r)) r = sink.Write(text);
    if (!Vx::IsFailed(r)) r = sink.Commit(GetPath(), Vx::Content::CommitMode::Replace);
    if (Vx::IsFailed(r)) return r;
    version_ = version;
    reason_ = OneLine(reason);
    attempts_ = attempts;
    return Vx::E_SUCCESS;
}

void FailedUpdateRecord::Clear() {
    std::error_code ec;
    fs::remove(GetPath(), ec);
    version_.clear();
    reason_.clear();
    attempts_ = 0;
}

bool FailedUpdateRecord::Covers(const std::string& offeredVersion) const {
    return !version_.empty() && attempts_ >= kDamagedAttempts &&
           PackageFile::CompareVersions(offeredVersion, version_) <= 0;
}
