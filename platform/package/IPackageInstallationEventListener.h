#pragma once
// Installation events of every package, delivered on the main event loop to
// each listener added to the package manager.
#include "platform/package/PackageTypes.h"

namespace Vx::App::Package {

class IPackageInstallationEventListener {
public:
    virtual ~IPackageInstallationEventListener() = default;

    virtual void OnPackageInstallationCompleted(const PackageId& packageId,
                                                PackageInstallationResult installationResult) = 0;
    // progress: 0 to 100; always followed by a completed event.
    virtual void OnPackageInstallationInProgress(const PackageId& packageId, int progress) = 0;
    virtual void OnPackageUninstallationCompleted(const PackageId& packageId, bool uninstallationResult) = 0;
};

}  // namespace Vx::App::Package
