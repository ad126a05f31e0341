#pragma once
#include "platform/base/String.h"

namespace Vx::App::Package {

using PackageId = Base::String;

enum PackageInstallationResult {
    PACKAGE_INSTALLATION_RESULT_SUCCESS = 0,
    PACKAGE_INSTALLATION_RESULT_INVALID_PACKAGE = 1,  // damaged, malformed, or another package's id
    PACKAGE_INSTALLATION_RESULT_STORAGE_FULL = 2,
    PACKAGE_INSTALLATION_RESULT_FAILURE = 3,
};

}  // namespace Vx::App::Package
