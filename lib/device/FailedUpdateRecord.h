#pragma once
// The newest version of a package whose update failed for a reason that
// downloading it again would not mend (the store served another package or
// version, or the package could not be installed). Kept in the device's state,
// $IAP_PLATFORM_HOME/updates/<packageId>.failed, so that the version is not
// downloaded again until the store offers a newer one. A download damaged on
// its way may arrive whole next time: that version is given up only after
// kDamagedAttempts damaged copies.
#include <string>

#include "platform/base/Result.h"

class FailedUpdateRecord {
public:
    static constexpr int kDamagedAttempts = 3;

    explicit FailedUpdateRecord(std::string packageId);

    // False when no failure is recorded (or the record is unreadable).
    bool Load();
    // Replaces the record: the version is given up. E_INVALID_ARG for a
    // version that is not a valid one.
    Vx::result Save(const std::string& version, const std::string& url, const std::string& reason);
    // Counts one more damaged copy of the version (the first, when the record
    // is about another version); the version is given up at kDamagedAttempts.
    Vx::result SaveDamaged(const std::string& version, const std::string& url);
    void Clear();

    // True when a version was given up and offeredVersion is not newer than it.
    bool Covers(const std::string& offeredVersion) const;
    const std::string& GetVersion() const { return version_; }
    const std::string& GetReason() const { return reason_; }
    std::string GetPath() const;

private:
    std::string packageId_;
    std::string version_;
    std::string reason_;
    int attempts_ = 0;  // kDamagedAttempts once given up
    Vx::result Write(const std::string& version, const std::string& url, const std::string& reason, int attempts);
};
