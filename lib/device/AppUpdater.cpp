#include "lib/device/AppUpdater.h"

#include <cctype>
#include <filesystem>

#include "lib/device/FailedUpdateRecord.h"
#include "lib/device/IAppUpdateListener.h"
#include "platform/app/AppLog.h"
#include "platform/app/AppManifest.h"
#include "platform/content/DownloadManager.h"
#include "platform/package/PackageFile.h"
#include "platform/package/PackageManager.h"

using namespace Vx;
using Vx::Base::String;

namespace {

const wchar_t* const kPackageId = L"buyclient";
const char* const kPackageIdUtf8 = "buyclient";

using Vx::App::Package::PackageFile;

// The client version on the device: installed, or else the one it came with.
std::string InstalledVersion() {
    std::string version;
    if (IsFailed(App::AppManifestRegistry::FindPackageVersion(kPackageIdUtf8, version))) version.clear();
    return version;
}

}  // namespace

AppUpdater::AppUpdater(IAppUpdateListener* listener) : listener_(listener) { notificationManager_.Construct(); }

AppUpdater::~AppUpdater() {
    removeNotification();
    // The platform managers outlive this object: they must not call it later.
    if (Content::DownloadManager* downloads = Content::DownloadManager::GetInstance();
        downloads && downloads->GetDownloadListener() == this) {
        downloads->SetDownloadListener(nullptr);
    }
    if (App::Package::PackageManager* packages = App::Package::PackageManager::GetInstance()) {
        packages->RemovePackageInstallationEventListener(*this);
    }
}

result AppUpdater::Update(const String& url) { return Update(url, String()); }

result AppUpdater::Update(const String& url, const String& offeredVersion) {
    lastResult_ = E_SUCCESS;
    if (url.IsEmpty()) return E_INVALID_ARG;

    std::string offered = offeredVersion.ToUtf8();
    if (!PackageFile::IsValidVersion(offered)) offered = GetOfferedVersion(url.ToUtf8(), kPackageIdUtf8);
    if (!offered.empty()) {
        std::string installed = InstalledVersion();
        if (!installed.empty() && PackageFile::CompareVersions(offered, installed) <= 0) return E_OBJ_ALREADY_EXIST;
        FailedUpdateRecord failed(kPackageIdUtf8);
        if (failed.Load() && failed.Covers(offered)) {
            App::LogAppWarning("update to " + offered + " skipped: " + failed.GetVersion() + " failed before (" +
                               failed.GetReason() + ")");
            return E_OBJ_ALREADY_EXIST;
        }
    }

    Content::DownloadRequest request(url);
    Content::RequestId requestId = 1;
    Content::DownloadManager* downloads = Content::DownloadManager::GetInstance();
    if (!downloads) {
        Report(UPDATE_ERROR_NO_DOWNLOAD_MANAGER);
        return E_FAILURE;
    }
    if (downloads->GetState(requestId) != Content::DOWNLOAD_STATE_NONE) {
        Report(UPDATE_ERROR_DOWNLOAD_MANAGER_STATE);
        return E_FAILURE;
    }
    downloads->SetDownloadListener(this);
    result r = downloads->Start(request, requestId);
    if (!IsFailed(r)) {
        requestId_ = requestId;
        url_ = url.ToUtf8();
        offeredVersion_ = offered;
    }
    return r;
}

String AppUpdater::GetResultMessage(UpdateResult updateResult) const {
    String failure = IsFailed(lastResult_) ? String(GetErrorMessage(lastResult_)) : String();
    switch (updateResult) {
    case UPDATE_SUCCESS:
        return String();
    case UPDATE_ERROR_NO_DOWNLOAD_MANAGER:
        return L"Failed to get download manager.";
    case UPDATE_ERROR_DOWNLOAD_MANAGER_STATE:
        return L"Invalid download manager state.";
    case UPDATE_ERROR_DOWNLOAD_FAILED:
        return String(L"Download failed. ") + failure;
    case UPDATE_DOWNLOAD_PAUSED:
        return L"Download paused.";
    case UPDATE_DOWNLOAD_CANCELED:
        return L"Download canceled.";
    case UPDATE_ERROR_NO_PACKAGE_MANAGER:
        return L"Failed to get package manager.";
    case UPDATE_ERROR_INSTALL_FAILED:
        return String(L"Package manager install failed. ") + failure;
    case UPDATE_ERROR_INVALID_PACKAGE:
        return L"Package manager: Invalid package.";
    case UPDATE_ERROR_STORAGE_FULL:
        return L"Package manager: Storage full.";
    case UPDATE_ERROR_UNKNOWN:
        return L"Unknown error.";
    }
    return String();
}

void AppUpdater::removeNotification() {
    notificationManager_.RemoveOngoingActivityNotification();
    delete progressNotification_;
    progressNotification_ = nullptr;
}

int AppUpdater::ToPercent(unsigned long long receivedSize, unsigned long long totalSize) {
    if (totalSize == 0) return 0;
    double percent = static_cast<double>(receivedSize) * 100.0 / static_cast<double>(totalSize);
    // A server may send more than it announced; a double past int is undefined to convert.
    if (percent >= 100.0) return 100;
    return static_cast<int>(percent);
}

void AppUpdater::OnDownloadInProgress(Content::RequestId requestId, unsigned long long receivedSize,
                                      unsigned long long totalSize) {
    if (!IsOwnDownload(requestId)) return;
    int percent = ToPercent(receivedSize, totalSize);
    if (!progressNotification_) {
        progressNotification_ = new Shell::NotificationRequest(true);
        progressNotification_->SetBadgeNumber(notificationManager_.GetBadgeNumber() + 1);
        progressNotification_->SetNotificationStyle(Shell::NOTIFICATION_STYLE_NORMAL);
        progressNotification_->SetOngoingActivityType(Shell::ONGOING_ACTIVITY_TYPE_PROGRESS_PERCENTAGE);
        progressNotification_->SetOngoingActivityProgress(percent);
        notificationManager_.NotifyOngoingActivity(*progressNotification_);
        notificationManager_.Notify(L"Downloading new InApp version");
    } else if (progressNotification_->GetOngoingActivityProgress() != percent) {
        progressNotification_->SetOngoingActivityProgress(percent);
        notificationManager_.NotifyOngoingActivity(*progressNotification_);
    }
    if (listener_) listener_->OnDownloadProgressChanged(percent);
}

void AppUpdater::OnDownloadCompleted(Content::RequestId requestId, const String& path) {
    if (!IsOwnDownload(requestId)) return;
    requestId_ = 0;
    removeNotification();
    notificationManager_.Notify(L"Download finished");

    downloadedPath_ = path.ToUtf8();
    std::string reason;
    if (!IsOfferedPackage(downloadedPath_, reason)) {
        App::LogAppWarning("update refused: " + reason);
        RememberFailure(reason);
        RemoveDownloadedFile();
        Report(UPDATE_ERROR_INVALID_PACKAGE);
        return;
    }

    App::Package::PackageManager* packages = App::Package::PackageManager::GetInstance();
    if (!packages) {
        RemoveDownloadedFile();
        Report(UPDATE_ERROR_NO_PACKAGE_MANAGER);
        return;
    }
    packages->AddPackageInstallationEventListener(*this);
    lastResult_ = packages->InstallPackage(kPackageId, path, nullptr);
    if (IsFailed(lastResult_)) {
        RemoveDownloadedFile();
        Report(UPDATE_ERROR_INSTALL_FAILED);
        return;
    }
    installing_ = true;
}

bool AppUpdater::IsOfferedPackage(const std::string& path, std::string& reason) const {
    std::string packageId, version, error;
    // A file that is no package at all is left to the installation to tell.
    if (IsFailed(PackageFile::ReadIdentity(path, packageId, version, &error))) return true;
    if (packageId != kPackageIdUtf8) {
        reason = "the download holds package '" + packageId + "', not '" + kPackageIdUtf8 + "'";
        return false;
    }
    if (!offeredVersion_.empty() && PackageFile::CompareVersions(version, offeredVersion_) != 0) {
        reason = "the download holds version " + version + ", not the " + offeredVersion_ + " offered";
        return false;
    }
    std::string installed = InstalledVersion();
    if (!installed.empty() && PackageFile::CompareVersions(version, installed) <= 0) {
        reason = "the download holds version " + version + ", not newer than the installed " + installed;
        return false;
    }
    return true;
}

void AppUpdater::RememberFailure(const std::string& reason) {
    // Without a version the store named, a later offer could not be told apart.
    if (offeredVersion_.empty()) return;
    FailedUpdateRecord(kPackageIdUtf8).Save(offeredVersion_, url_, reason);
}

void AppUpdater::RemoveDownloadedFile() {
    if (downloadedPath_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove(downloadedPath_, ignored);
    downloadedPath_.clear();
}

std::string AppUpdater::GetOfferedVersion(const std::string& url, const std::string& packageId) {
    std::string name = url.substr(0, url.find_first_of("?#"));
    name = name.substr(name.find_last_of('/') + 1);
    std::string prefix = packageId + "-";
    if (name.rfind(prefix, 0) != 0) return {};
    std::string version = name.substr(prefix.size());
    std::size_t dot = version.find_last_of('.');
    if (dot != std::string::npos && dot + 1 < version.size() &&
        std::isalpha(static_cast<unsigned char>(version[dot + 1])))
        version.erase(dot);
    return PackageFile::IsValidVersion(version) ? version : std::string();
}

void AppUpdater::OnDownloadFailed(Content::RequestId requestId, result r, const String& errorCode) {
    (void)errorCode;
    if (!IsOwnDownload(requestId)) return;
    requestId_ = 0;
    removeNotification();
    lastResult_ = r;
    Report(UPDATE_ERROR_DOWNLOAD_FAILED);
}

void AppUpdater::OnDownloadCanceled(Content::RequestId requestId) {
    if (!IsOwnDownload(requestId)) return;
    requestId_ = 0;
    removeNotification();
    Report(UPDATE_DOWNLOAD_CANCELED);
}

void AppUpdater::OnDownloadPaused(Content::RequestId requestId) {
    if (!IsOwnDownload(requestId)) return;
    Report(UPDATE_DOWNLOAD_PAUSED);
}

void AppUpdater::OnPackageInstallationInProgress(const App::Package::PackageId& packageId, int progress) {
    if (!installing_ || packageId != kPackageId) return;
    if (listener_) listener_->OnInstallProgressChanged(progress);
}

void AppUpdater::OnPackageInstallationCompleted(const App::Package::PackageId& packageId,
                                                App::Package::PackageInstallationResult installationResult) {
    if (!installing_ || packageId != kPackageId) return;
    installing_ = false;
    removeNotification();
    // A full disk may be freed and a copy damaged on its way may arrive whole;
    // anything else would fail again with the same file.
    if (installationResult == App::Package::PACKAGE_INSTALLATION_RESULT_INVALID_PACKAGE &&
        !PackageFile::IsIntact(downloadedPath_)) {
        if (!offeredVersion_.empty()) FailedUpdateRecord(kPackageIdUtf8).SaveDamaged(offeredVersion_, url_);
    } else if (installationResult != App::Package::PACKAGE_INSTALLATION_RESULT_SUCCESS &&
               installationResult != App::Package::PACKAGE_INSTALLATION_RESULT_STORAGE_FULL) {
        RememberFailure(installationResult == App::Package::PACKAGE_INSTALLATION_RESULT_INVALID_PACKAGE
                            ? "the package manager found the package invalid, unsigned or not trusted"
                            : "the package manager could not install it");
    }
    RemoveDownloadedFile();
    switch (installationResult) {
    case App::Package::PACKAGE_INSTALLATION_RESULT_SUCCESS:
        FailedUpdateRecord(kPackageIdUtf8).Clear();
        Report(UPDATE_SUCCESS);
        break;
    case App::Package::PACKAGE_INSTALLATION_RESULT_INVALID_PACKAGE:
        Report(UPDATE_ERROR_INVALID_PACKAGE);
        break;
    case App::Package::PACKAGE_INSTALLATION_RESULT_STORAGE_FULL:
        Report(UPDATE_ERROR_STORAGE_FULL);
        break;
    default:
        Report(UPDATE_ERROR_UNKNOWN);
        break;
    }
}

void AppUpdater::OnPackageUninstallationCompleted(const App::Package::PackageId& packageId, bool uninstallationResult) {
    (void)packageId;
    (void)uninstallationResult;
}

bool AppUpdater::IsOwnDownload(Content::RequestId requestId) const {
    return requestId_ != 0 && requestId == requestId_;
}

void AppUpdater::Report(UpdateResult updateResult) {
    if (listener_) listener_->OnUpdateCompleted(updateResult);
}
