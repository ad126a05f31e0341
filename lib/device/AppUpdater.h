#pragma once
// Downloads a newer client package, shows the download as an ongoing-activity
// notification, installs the file under the package id "buyclient", and
// reports the outcome to an IAppUpdateListener.
//
// The version offered is the one the store named with the address, or else
// the one in the download's file name ("buyclient-2.1.0.vxp"). An offer that is not newer than the installed
// client, or not newer than a version whose update failed before (see
// FailedUpdateRecord), is not downloaded: Update returns E_OBJ_ALREADY_EXIST
// and reports nothing. A downloaded file must hold the package and version
// offered; it is removed once installed or refused.
#include <string>

#include "platform/base/Result.h"
#include "platform/base/String.h"
#include "platform/content/IDownloadListener.h"
#include "platform/notification/NotificationManager.h"
#include "platform/notification/NotificationRequest.h"
#include "platform/package/IPackageInstallationEventListener.h"

class IAppUpdateListener;

class AppUpdater : public Vx::Content::IDownloadListener, public Vx::App::Package::IPackageInstallationEventListener {
public:
    enum UpdateResult : int {
        UPDATE_SUCCESS = 0,
        UPDATE_ERROR_NO_DOWNLOAD_MANAGER = 1,
        UPDATE_ERROR_DOWNLOAD_MANAGER_STATE = 2,
        UPDATE_ERROR_DOWNLOAD_FAILED = 3,
        UPDATE_DOWNLOAD_PAUSED = 4,
        UPDATE_DOWNLOAD_CANCELED = 5,
        UPDATE_ERROR_NO_PACKAGE_MANAGER = 6,
        UPDATE_ERROR_INSTALL_FAILED = 7,
        UPDATE_ERROR_INVALID_PACKAGE = 8,
        UPDATE_ERROR_STORAGE_FULL = 9,
        UPDATE_ERROR_UNKNOWN = 10,
    };

    // listener may be null; it is not owned.
    explicit AppUpdater(IAppUpdateListener* listener);
    ~AppUpdater() override;
    AppUpdater(const AppUpdater&) = delete;
    AppUpdater& operator=(const AppUpdater&) = delete;

    // Starts downloading the package at url. E_INVALID_ARG for an empty url and
    // E_OBJ_ALREADY_EXIST for an offer not worth downloading (nothing is
    // reported); E_FAILURE when the download manager is missing or busy
    // (reported as 1 or 2); otherwise the download manager's result.
    Vx::result Update(const Vx::Base::String& url);
    // The same for an offer whose version the store named beside the address
    // (an empty or malformed version: as Update(url)). Only an offer known by
    // its version can be remembered as failed and skipped later.
    Vx::result Update(const Vx::Base::String& url, const Vx::Base::String& offeredVersion);
    // The text for an outcome; 3 and 7 add the platform's text for the failure.
    Vx::Base::String GetResultMessage(UpdateResult updateResult) const;
    // Removes the download notification.
    void removeNotification();

    void OnDownloadCanceled(Vx::Content::RequestId requestId) override;
    void OnDownloadCompleted(Vx::Content::RequestId requestId, const Vx::Base::String& path) override;
    void OnDownloadFailed(Vx::Content::RequestId requestId, Vx::result r, const Vx::Base::String& errorCode) override;
    void OnDownloadPaused(Vx::Content::RequestId requestId) override;
    void OnDownloadInProgress(Vx::Content::RequestId requestId, unsigned long long receivedSize,
                              unsigned long long totalSize) override;

    void OnPackageInstallationCompleted(const Vx::App::Package::PackageId& packageId,
                                        Vx::App::Package::PackageInstallationResult installationResult) override;
    void OnPackageInstallationInProgress(const Vx::App::Package::PackageId& packageId, int progress) override;
    void OnPackageUninstallationCompleted(const Vx::App::Package::PackageId& packageId,
                                          bool uninstallationResult) override;

    // Download percentage: received * 100 / total, truncated, kept within
    // 0..100; 0 when the total size is unknown (0).
    static int ToPercent(unsigned long long receivedSize, unsigned long long totalSize);
    // The version in a download address whose last segment is
    // "<packageId>-<version>[.<extension>]"; empty when it names none.
    static std::string GetOfferedVersion(const std::string& url, const std::string& packageId);

private:
    bool IsOwnDownload(Vx::Content::RequestId requestId) const;
    void Report(UpdateResult updateResult);
    // False, with the reason, when the downloaded file is not the package offered.
    bool IsOfferedPackage(const std::string& path, std::string& reason) const;
    // Remembers that the offered version cannot be installed.
    void RememberFailure(const std::string& reason);
    void RemoveDownloadedFile();

    IAppUpdateListener* listener_;
    Vx::result lastResult_ = Vx::E_SUCCESS;
    Vx::Shell::NotificationManager notificationManager_;
    Vx::Shell::NotificationRequest* progressNotification_ = nullptr;
    Vx::Content::RequestId requestId_ = 0;  // 0: no download of ours runs
    bool installing_ = false;
    std::string url_;             // of the update running
    std::string offeredVersion_;  // empty when the url names none
    std::string downloadedPath_;  // removed once installed or refused
};
