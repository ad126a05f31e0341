#include "platform/package/PackageManager.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <map>
#include <vector>

#include "platform/base/PlatformHome.h"
#include "platform/content/FileSink.h"
#include "platform/package/PackageFile.h"
#include "platform/package/PackageInstallation.h"

namespace Vx::App::Package {

struct InstallJob {
    PackageId packageId;
    std::unique_ptr<PackageInstallation> installation;
    IPackageInstallationResponseListener* responder = nullptr;
};

class PackageManagerPrivate {
public:
    void Schedule(const std::string& key);
    void RunStep(const std::string& key);
    void ReportProgress(InstallJob& job);
    void Finish(const std::string& key, PackageInstallationResult installationResult);
    // Listeners may be removed while events are delivered.
    template <typename Call>
    void ForEachListener(Call call);

    std::vector<IPackageInstallationEventListener*> listeners;
    std::map<std::string, std::unique_ptr<InstallJob>> jobs;
};

PackageManager::PackageManager() : d_(std::make_unique<PackageManagerPrivate>()) {}
PackageManager::~PackageManager() = default;

PackageManager* PackageManager::GetInstance() {
    if (Content::IsPlatformFaultSet("no-package-manager")) return nullptr;
    static PackageManager* instance = new PackageManager();
    return instance;
}

result PackageManager::AddPackageInstallationEventListener(IPackageInstallationEventListener& listener) {
    if (std::find(d_->listeners.begin(), d_->listeners.end(), &listener) != d_->listeners.end()) {
        return E_OBJ_ALREADY_EXIST;
    }
    d_->listeners.push_back(&listener);
    return E_SUCCESS;
}

result PackageManager::RemovePackageInstallationEventListener(IPackageInstallationEventListener& listener) {
    auto it = std::find(d_->listeners.begin(), d_->listeners.end(), &listener);
    if (it == d_->listeners.end()) return E_OBJ_NOT_FOUND;
    d_->listeners.erase(it);
    return E_SUCCESS;
}

result PackageManager::InstallPackage(const PackageId& packageId, const Base::String& packagePath,
                                      IPackageInstallationResponseListener* listener) {
    std::string id = packageId.ToUtf8();
    if (!PackageFile::IsValidId(id) || packagePath.IsEmpty()) return E_INVALID_ARG;
    std::error_code ec;
    std::filesystem::file_status status = std::filesystem::status(packagePath.ToUtf8(), ec);
    if (status.type() == std::filesystem::file_type::not_found) return E_OBJ_NOT_FOUND;
    if (ec) return Content::ResultFromErrno(ec.value());
    if (status.type() != std::filesystem::file_type::regular) return E_INVALID_ARG;
    if (!QCoreApplication::instance()) return E_INVALID_STATE;
    if (d_->jobs.count(id)) return E_IN_PROGRESS;

    auto job = std::make_unique<InstallJob>();
    job->packageId = packageId;
    job->installation = std::make_unique<PackageInstallation>(id, packagePath.ToUtf8(), Base::GetPlatformHome());
    job->responder = listener;
    d_->jobs[id] = std::move(job);
    d_->Schedule(id);
    return E_SUCCESS;
}

result PackageManager::UninstallPackage(const PackageId& packageId) {
    std::string id = packageId.ToUtf8();
    if (!PackageFile::IsValidId(id)) return E_INVALID_ARG;
    if (d_->jobs.count(id)) return E_IN_PROGRESS;
    if (!QCoreApplication::instance()) return E_INVALID_STATE;
    result r = PackageInstallation::Uninstall(id, Base::GetPlatformHome());
    if (r == E_OBJ_NOT_FOUND) return r;
    bool removed = !IsFailed(r);
    QTimer::singleShot(0, QCoreApplication::instance(), [d = d_.get(), packageId, removed] {
        d->ForEachListener(
            [&](IPackageInstallationEventListener& l) { l.OnPackageUninstallationCompleted(packageId, removed); });
    });
    return E_SUCCESS;
}

bool PackageManager::IsPackageInstalled(const PackageId& packageId) const {
    Base::String version;
    return !IsFailed(GetPackageVersion(packageId, version));
}

result PackageManager::GetPackageVersion(const PackageId& packageId, Base::String& version) const {
    std::string id = packageId.ToUtf8();
    if (!PackageFile::IsValidId(id)) return E_INVALID_ARG;
    std::string found;
    result r = PackageInstallation::FindInstalledVersion(id, Base::GetPlatformHome(), found);
    if (!IsFailed(r)) version = Base::String::FromUtf8(found);
    return r;
}

void PackageManagerPrivate::Schedule(const std::string& key) {
    QTimer::singleShot(0, QCoreApplication::instance(), [this, key] { RunStep(key); });
}

// One step per turn of the event loop, each followed by a progress event.
void PackageManagerPrivate::RunStep(const std::string& key) {
    auto it = jobs.find(key);
    if (it == jobs.end()) return;
    PackageInstallation& installation = *it->second->installation;
    result r = E_SUCCESS;
    bool finished = false;
    if (installation.GetProgress() == 0) {
        r = installation.Verify();
    } else {
        bool written = false;
        r = installation.WriteNext(written);
        if (!IsFailed(r) && written) {
            r = installation.Commit();
            finished = !IsFailed(r);
        }
    }
    if (IsFailed(r)) {
        qWarning("package %s: %s", key.c_str(), installation.GetError().c_str());
        Finish(key, PackageInstallation::ToInstallationResult(r));
        return;
    }
    ReportProgress(*it->second);
    if (finished) {
        Finish(key, PACKAGE_INSTALLATION_RESULT_SUCCESS);
    } else {
        Schedule(key);
    }
}

void PackageManagerPrivate::ReportProgress(InstallJob& job) {
    int progress = job.installation->GetProgress();
    PackageId packageId = job.packageId;
    if (job.responder) job.responder->OnPackageInstallationInProgressResponseReceived(packageId, progress);
    ForEachListener(
        [&](IPackageInstallationEventListener& l) { l.OnPackageInstallationInProgress(packageId, progress); });
}

void PackageManagerPrivate::Finish(const std::string& key, PackageInstallationResult installationResult) {
    auto it = jobs.find(key);
    if (it == jobs.end()) return;
    // The job ends before anyone hears of it, so a listener may install again.
    std::unique_ptr<InstallJob> job = std::move(it->second);
    jobs.erase(it);
    job->installation.reset();
    if (job->responder) job->responder->OnPackageInstallationResponseReceived(job->packageId, installationResult);
    ForEachListener([&](IPackageInstallationEventListener& l) {
        l.OnPackageInstallationCompleted(job->packageId, installationResult);
    });
}

template <typename Call>
void PackageManagerPrivate::ForEachListener(Call call) {
    std::vector<IPackageInstallationEventListener*> snapshot = listeners;
    for (IPackageInstallationEventListener* listener : snapshot) {
        if (std::find(listeners.begin(), listeners.end(), listener) != listeners.end()) call(*listener);
    }
}

}  // namespace Vx::App::Package
