#pragma once
// The file-system side of installing one package, in steps so that the
// package manager can report progress between them:
//   Verify      read the file, check its digest, structure and package id
//   WriteNext   write one file into a hidden staging folder (repeat)
//   Commit      move the staging folder into place and register the applications
// Abort (or destruction before Commit) removes what was staged.
#include <cstddef>
#include <string>

#include "platform/base/Result.h"
#include "platform/package/PackageFile.h"
#include "platform/package/PackageTypes.h"

namespace Vx::App::Package {

class PackageInstallation {
public:
    // home: the platform home folder.
    PackageInstallation(std::string packageId, std::string packagePath, std::string home);
    ~PackageInstallation();
    PackageInstallation(const PackageInstallation&) = delete;
    PackageInstallation& operator=(const PackageInstallation&) = delete;

    result Verify();
    // Sets done once every file is written.
    result WriteNext(bool& done);
    result Commit();
    void Abort();

    // 0 to 100 after the last successful step.
    int GetProgress() const;
    const std::string& GetError() const { return error_; }
    const PackageContents& GetContents() const { return contents_; }

    // The installation result for a failed step's result.
    static PackageInstallationResult ToInstallationResult(result r);
    // The app manifests of the package in apps/, and its folder.
    static result Uninstall(const std::string& packageId, const std::string& home);
    static result FindInstalledVersion(const std::string& packageId, const std::string& home, std::string& version);

private:
    result PrepareStaging();
    result WriteManifests(const std::string& versionFolder);
    void RemoveOtherVersions();

    std::string packageId_;
    std::string packagePath_;
    std::string home_;
    std::string packageFolder_;
    std::string stagingFolder_;
    std::string backupFolder_;  // a replaced install of the same version, until Commit succeeds
    PackageContents contents_;
    std::size_t nextFile_ = 0;
    bool verified_ = false;
    bool committed_ = false;
    std::string error_;
};

}  // namespace Vx::App::Package
