#pragma once
// The newest version of a package whose update failed for a reason that
// downloading it again would not mend (the store served another package or
// version, or the package could not be installed). Kept in the device's state,
// $IAP_PLATFORM_HOME/updates/<packageId>.failed, so that the version is not
// downloaded again until the store offers a newer one.
#include <string>

#include "platform/base/Result.h"

class FailedUpdateRecord {
public:
    explicit FailedUpdateRecord(std::string packageId);

    // False when no failure is recorded (or the record is unreadable).
    bool Load();
    // Replaces the record. E_INVALID_ARG for a version that is not a valid one.
    Vx::result Save(const std::string& version, const std::string& url, const std::string& reason);
    void Clear();

    // True when a failure is loaded and offeredVersion is not newer than it.
    bool Covers(const std::string& offeredVersion) const;
    const std::string& GetVersion() const { return version_; }
    const std::string& GetReason() const { return reason_; }
    std::string GetPath() const;

private:
    std::string packageId_;
    std::string version_;
    std::string reason_;
};
