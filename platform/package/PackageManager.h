#pragma once
// Installs package files (see PackageFile) into
// $IAP_PLATFORM_HOME/packages/<packageId>/<version>/ and registers their
// applications as $IAP_PLATFORM_HOME/apps/<appId>.manifest. An installation
// either completes or leaves the previously installed version as it was.
// Needs a running Qt application event loop.
#include <memory>

#include "platform/base/Result.h"
#include "platform/package/IPackageInstallationEventListener.h"
#include "platform/package/IPackageInstallationResponseListener.h"
#include "platform/package/PackageTypes.h"

namespace Vx::App::Package {

class PackageManagerPrivate;

class PackageManager {
public:
    // The process's package manager; null when the platform cannot provide one.
    static PackageManager* GetInstance();

    PackageManager(const PackageManager&) = delete;
    PackageManager& operator=(const PackageManager&) = delete;

    // Adding a listener twice gives E_OBJ_ALREADY_EXIST and changes nothing.
    result AddPackageInstallationEventListener(IPackageInstallationEventListener& listener);
    result RemovePackageInstallationEventListener(IPackageInstallationEventListener& listener);

    // Starts installing; the outcome arrives later as installation events.
    // E_INVALID_ARG for a malformed id or path, E_OBJ_NOT_FOUND when there is
    // no such file, E_IN_PROGRESS while the same package is being installed,
    // E_INVALID_STATE without an application event loop.
    result InstallPackage(const PackageId& packageId, const Base::String& packagePath,
                          IPackageInstallationResponseListener* listener = nullptr);
    // Removes the package's files and applications; the uninstallation event
    // follows. E_OBJ_NOT_FOUND when it is not installed.
    result UninstallPackage(const PackageId& packageId);

    bool IsPackageInstalled(const PackageId& packageId) const;
    // E_OBJ_NOT_FOUND when the package is not installed.
    result GetPackageVersion(const PackageId& packageId, Base::String& version) const;

private:
    PackageManager();
    ~PackageManager();
    std::unique_ptr<PackageManagerPrivate> d_;
};

}  // namespace Vx::App::Package
