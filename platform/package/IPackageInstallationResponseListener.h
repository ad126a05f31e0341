#pragma once
// Answers to one InstallPackage call, delivered on the main event loop.
#include "platform/package/PackageTypes.h"

namespace Vx::App::Package {

class IPackageInstallationResponseListener {
public:
    virtual ~IPackageInstallationResponseListener() = default;

    virtual void OnPackageInstallationResponseReceived(const PackageId& packageId,
                                                       PackageInstallationResult installationResult) = 0;
    virtual void OnPackageInstallationInProgressResponseReceived(const PackageId& packageId, int progress) {
        (void)packageId;
        (void)progress;
    }
};

}  // namespace Vx::App::Package
