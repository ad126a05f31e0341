#include "platform/package/PackageInstallation.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <system_error>
#include <vector>

#include "platform/app/AppManifest.h"
#include "platform/base/PlatformHome.h"
#include "platform/content/FileSink.h"
#include "platform/package/PackageSigningKey.h"
#include "platform/package/PackageTrustStore.h"

namespace fs = std::filesystem;

namespace Vx::App::Package {
namespace {

constexpr std::uintmax_t kMaxPackageSize = 1ull << 30;
// The device's state is its owner's alone: a package file keeps only its owner's permission bits.
constexpr unsigned int kOwnerBits = 0700;

result FromErrorCode(const std::error_code& ec) { return Content::ResultFromErrno(ec.value()); }

// Creates folder and its missing parents owner-only; the error names the folder.
result CreateFolders(const fs::path& folder, std::string& error) {
    if (Base::CreatePrivateFolders(folder.string())) return E_SUCCESS;
    int failure = errno;
    error = "cannot create " + folder.string() + ": " + std::strerror(failure);
    return Content::ResultFromErrno(failure);
}

std::map<std::string, std::string> ReadKeyValues(const fs::path& path) {
    std::map<std::string, std::string> values;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::size_t eq = line.find('=');
        if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

// The manifests in apps/ that name packageId.
std::vector<fs::path> ManifestsOf(const std::string& packageId, const fs::path& appsFolder) {
    std::vector<fs::path> found;
    std::error_code ec;
    for (fs::directory_iterator it(appsFolder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().extension() != ".manifest") continue;
        if (ReadKeyValues(it->path())["packageId"] == packageId) found.push_back(it->path());
    }
    return found;
}

// The package that comes with the device with this application, when it is another one.
bool IsPreinstalledElsewhere(const std::string& appId, const std::string& packageId, std::string& owner) {
    App::AppManifest preinstalled;
    if (IsFailed(App::AppManifestRegistry::FindPreinstalled(appId, preinstalled))) return false;
    owner = preinstalled.packageId;
    return owner != packageId;
}

bool IsHidden(const fs::path& path) { return path.filename().string().rfind('.', 0) == 0; }

// Swaps two folders atomically; false when the file system cannot.
bool Exchange(const std::string& a, const std::string& b) {
    return ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0;
}

}  // namespace

PackageInstallation::PackageInstallation(std::string packageId, std::string packagePath, std::string home)
    : packageId_(std::move(packageId)), packagePath_(std::move(packagePath)), home_(std::move(home)) {
    packageFolder_ = home_ + "/packages/" + packageId_;
}

PackageInstallation::~PackageInstallation() { Abort(); }

PackageInstallationResult PackageInstallation::ToInstallationResult(result r) {
    switch (r) {
    case E_SUCCESS:
        return PACKAGE_INSTALLATION_RESULT_SUCCESS;
    case E_INVALID_FORMAT:
    case E_INVALID_ARG:
        return PACKAGE_INSTALLATION_RESULT_INVALID_PACKAGE;
    case E_STORAGE_FULL:
        return PACKAGE_INSTALLATION_RESULT_STORAGE_FULL;
    default:
        return PACKAGE_INSTALLATION_RESULT_FAILURE;
    }
}

int PackageInstallation::GetProgress() const {
    if (committed_) return 100;
    if (!verified_) return 0;
    std::size_t count = contents_.files.size();
    return 10 + static_cast<int>(count ? 80 * nextFile_ / count : 80);
}

result PackageInstallation::Verify() {
    std::error_code ec;
    std::uintmax_t size = fs::file_size(packagePath_, ec);
    if (ec) {
        error_ = "cannot read " + packagePath_ + ": " + ec.message();
        return FromErrorCode(ec);
    }
    if (size > kMaxPackageSize) {
        error_ = "the package is larger than 1 GiB";
        return E_INVALID_FORMAT;
    }
    std::ifstream in(packagePath_, std::ios::binary);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!in.read(bytes.data(), static_cast<std::streamsize>(size))) {
        error_ = "cannot read " + packagePath_;
        return E_IO;
    }
    result r = PackageFile::Parse(bytes, contents_, &error_);
    if (IsFailed(r)) return r;
    if (contents_.packageId != packageId_) {
        error_ = "the file holds package '" + contents_.packageId + "', not '" + packageId_ + "'";
        return E_INVALID_FORMAT;
    }
    if (contents_.signerKey.empty()) {
        error_ = "the package is not signed (format 1); sign it with 'iap-package sign FILE' and install it again";
        return E_INVALID_FORMAT;
    }
    if (!PackageTrustStore::IsTrusted(home_, contents_.signerKey)) {
        error_ = "the package is signed by key " + PackageSigningKey::Fingerprint(contents_.signerKey) +
                 ", which this device does not trust; trust its public key with 'iap-package trust KEY.pub' "
                 "or sign the package with a trusted key";
        return E_INVALID_FORMAT;
    }
    for (const auto& app : contents_.applications) {
        std::string owner;
        if (IsPreinstalledElsewhere(app.appId, packageId_, owner)) {
            error_ = "application '" + app.appId + "' comes with the device in package '" + owner + "'";
            return E_OBJ_ALREADY_EXIST;
        }
    }
    verified_ = true;
    return E_SUCCESS;
}

result PackageInstallation::PrepareStaging() {
    result r = CreateFolders(packageFolder_, error_);
    if (IsFailed(r)) return r;
    std::string pattern = packageFolder_ + "/.staging-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        error_ = "cannot create a staging folder in " + packageFolder_;
        return Content::ResultFromErrno(errno);
    }
    stagingFolder_ = pattern;
    return E_SUCCESS;
}

result PackageInstallation::WriteNext(bool& done) {
    done = false;
    if (!verified_ || committed_) return E_INVALID_STATE;
    if (stagingFolder_.empty()) {
        result r = PrepareStaging();
        if (IsFailed(r)) return r;
    }
    if (nextFile_ < contents_.files.size()) {
        const PackageEntry& entry = contents_.files[nextFile_];
        fs::path target = fs::path(stagingFolder_) / entry.path;
        result r = CreateFolders(target.parent_path(), error_);
        if (IsFailed(r)) return r;
        Content::FileSink sink;
        r = sink.Open(target.parent_path().string(), entry.mode & kOwnerBits);
        if (!IsFailed(r)) r = sink.Write(entry.data);
        if (!IsFailed(r)) r = sink.Commit(target.string(), Content::CommitMode::Replace);
        if (IsFailed(r)) {
            error_ = "cannot write " + entry.path + ": " + GetErrorMessage(r);
            return r;
        }
        ++nextFile_;
    }
    done = nextFile_ == contents_.files.size();
    return E_SUCCESS;
}

result PackageInstallation::Commit() {
    if (!verified_ || committed_ || stagingFolder_.empty() || nextFile_ != contents_.files.size()) {
        return E_INVALID_STATE;
    }
    std::string destination = packageFolder_ + "/" + contents_.version;
    std::error_code ec;
    bool replacing = fs::exists(destination, ec);
    if (replacing && Exchange(stagingFolder_, destination)) {
        backupFolder_ = stagingFolder_;
    } else if (replacing) {
        std::string pattern = packageFolder_ + "/.previous-XXXXXX";
        if (!::mkdtemp(pattern.data()) || ::rename(destination.c_str(), pattern.c_str()) != 0) {
            error_ = "cannot move the installed version aside";
            return Content::ResultFromErrno(errno);
        }
        backupFolder_ = pattern;
        if (::rename(stagingFolder_.c_str(), destination.c_str()) != 0) {
            int error = errno;
            ::rename(backupFolder_.c_str(), destination.c_str());
            backupFolder_.clear();
            error_ = "cannot move the new version into place";
            return Content::ResultFromErrno(error);
        }
    } else if (::rename(stagingFolder_.c_str(), destination.c_str()) != 0) {
        error_ = "cannot move the new version into place";
        return Content::ResultFromErrno(errno);
    }
    stagingFolder_.clear();

    result r = WriteManifests(destination);
    if (IsFailed(r)) {
        // Put back exactly what was there before.
        if (backupFolder_.empty()) {
            fs::remove_all(destination, ec);
        } else if (Exchange(backupFolder_, destination)) {
            fs::remove_all(backupFolder_, ec);
        } else {
            fs::remove_all(destination, ec);
            ::rename(backupFolder_.c_str(), destination.c_str());
        }
        backupFolder_.clear();
        return r;
    }
    committed_ = true;
    RemoveOtherVersions();
    return E_SUCCESS;
}

result PackageInstallation::WriteManifests(const std::string& versionFolder) {
    fs::path appsFolder = fs::path(home_) / "apps";
    result created = CreateFolders(appsFolder, error_);
    if (IsFailed(created)) return created;
    std::error_code ec;
    // Everything is written before anything is renamed, so that a full disk
    // leaves every existing manifest as it was.
    std::vector<std::unique_ptr<Content::FileSink>> sinks;
    std::set<std::string> appIds;
    for (const auto& app : contents_.applications) {
        fs::path manifest = appsFolder / (app.appId + ".manifest");
        std::string owner;
        if (fs::exists(manifest, ec)) owner = ReadKeyValues(manifest)["packageId"];
        if ((!owner.empty() && owner != packageId_) || IsPreinstalledElsewhere(app.appId, packageId_, owner)) {
            error_ = "application '" + app.appId + "' belongs to package '" + owner + "'";
            return E_OBJ_ALREADY_EXIST;
        }
        std::string text = "appId=" + app.appId + "\npackageId=" + packageId_ + "\nversion=" + contents_.version +
                           "\nexecutable=" + versionFolder + "/" + app.executable + "\n";
        auto sink = std::make_unique<Content::FileSink>();
        result r = sink->Open(appsFolder.string(), 0600);
        if (!IsFailed(r)) r = sink->Write(text);
        if (IsFailed(r)) {
            error_ = "cannot write the manifest of '" + app.appId + "': " + GetErrorMessage(r);
            return r;
        }
        sinks.push_back(std::move(sink));
        appIds.insert(app.appId);
    }
    for (std::size_t i = 0; i < sinks.size(); ++i) {
        const std::string& appId = contents_.applications[i].appId;
        result r = sinks[i]->Commit((appsFolder / (appId + ".manifest")).string(), Content::CommitMode::Replace);
        if (IsFailed(r)) {
            error_ = "cannot register '" + appId + "': " + GetErrorMessage(r);
            return r;
        }
    }
    for (const auto& manifest : ManifestsOf(packageId_, appsFolder)) {
        if (!appIds.count(manifest.stem().string())) fs::remove(manifest, ec);
    }
    return E_SUCCESS;
}

void PackageInstallation::RemoveOtherVersions() {
    std::error_code ec;
    if (!backupFolder_.empty()) fs::remove_all(backupFolder_, ec);
    backupFolder_.clear();
    std::vector<fs::path> stale;
    for (fs::directory_iterator it(packageFolder_, ec), end; !ec && it != end; it.increment(ec)) {
        // Hidden folders may be another installation's staging area.
        if (!IsHidden(it->path()) && it->path().filename() != contents_.version) stale.push_back(it->path());
    }
    for (const auto& path : stale)
        fs::remove_all(path, ec);
}

void PackageInstallation::Abort() {
    if (committed_) return;
    std::error_code ec;
    if (!stagingFolder_.empty()) fs::remove_all(stagingFolder_, ec);
    stagingFolder_.clear();
}

result PackageInstallation::Uninstall(const std::string& packageId, const std::string& home) {
    std::error_code ec;
    fs::path folder = fs::path(home) / "packages" / packageId;
    std::vector<fs::path> manifests = ManifestsOf(packageId, fs::path(home) / "apps");
    if (manifests.empty() && !fs::exists(folder, ec)) return E_OBJ_NOT_FOUND;
    for (const auto& manifest : manifests)
        fs::remove(manifest, ec);
    fs::remove_all(folder, ec);
    return ec ? FromErrorCode(ec) : E_SUCCESS;
}

result PackageInstallation::FindInstalledVersion(const std::string& packageId, const std::string& home,
                                                 std::string& version) {
    std::error_code ec;
    fs::path folder = fs::path(home) / "packages" / packageId;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!IsHidden(it->path()) && it->is_directory(ec)) {
            version = it->path().filename().string();
            return E_SUCCESS;
        }
    }
    return E_OBJ_NOT_FOUND;
}

}  // namespace Vx::App::Package
