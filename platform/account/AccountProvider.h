#pragma once
// The application that owns a kind of account (its sign-in application).
#include "platform/base/String.h"

namespace Vx::Account {

class AccountProvider {
public:
    AccountProvider() = default;
    explicit AccountProvider(const Base::String& appId, const Base::String& displayName = Base::String())
        : appId_(appId), displayName_(displayName) {}

    const Base::String& GetAppId() const { return appId_; }
    const Base::String& GetDisplayName() const { return displayName_; }

    bool operator==(const AccountProvider& other) const { return appId_ == other.appId_; }

private:
    Base::String appId_;
    Base::String displayName_;
};

}  // namespace Vx::Account
