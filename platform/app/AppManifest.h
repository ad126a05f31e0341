#pragma once
// The application registry: one `<appId>.manifest` file per installed
// application, `key=value` lines: appId, packageId, version, executable
// (absolute, or relative to the manifest's folder), optional name and
// resources. Folders searched in order (the first match wins):
//   $IAP_PLATFORM_HOME/apps          installed packages
//   <folder of this executable>/apps the build tree
//   $IAP_APPS_DIR                    when set
// A manifest is passed over when a later folder registers the same
// application for another package: an installed package updates the
// applications of its own package, it never takes over another's.
#include <string>
#include <vector>

#include "platform/base/Result.h"

namespace Vx::App {

struct AppManifest {
    std::string appId;
    std::string packageId;
    std::string version;
    std::string executable;   // absolute
    std::string name;         // the app id when the manifest names none
    std::string resourceDir;  // absolute; <executable folder>/res/<appId> unless given
    std::string manifestPath;
};

class AppManifestRegistry {
public:
    static std::vector<std::string> GetSearchDirectories();
    // E_INVALID_ARG for an id that is not a valid application id,
    // E_OBJ_NOT_FOUND when no folder holds a usable manifest for it.
    static result Find(const std::string& appId, AppManifest& out);
    // Like Find, but only the folders after the platform home's (the
    // applications that come with the device).
    static result FindPreinstalled(const std::string& appId, AppManifest& out);
    // The version of the package that the first manifest naming packageId
    // carries (installed before preinstalled). E_OBJ_NOT_FOUND when none does.
    static result FindPackageVersion(const std::string& packageId, std::string& version);
    // The manifest whose executable is this file (after resolving links), of
    // the manifests that Find would use.
    static result FindByExecutable(const std::string& executable, AppManifest& out);
    // E_INVALID_FORMAT with `error` set when a key is missing or a line is not key=value.
    static result Parse(const std::string& path, AppManifest& out, std::string& error);
};

// Letters, digits, '.', '_' and '-', 1 to 128 characters, not starting with '.'.
bool IsValidAppId(const std::string& appId);

// Absolute path of the running executable; empty when unknown.
std::string GetCurrentExecutablePath();

}  // namespace Vx::App
