#pragma once
// One account on the device: a user name under a provider, plus extended
// data (string pairs) that the provider keeps with it. A value type.
#include <utility>
#include <vector>

#include "platform/account/AccountProvider.h"
#include "platform/base/HashMap.h"
#include "platform/base/String.h"

namespace Vx::Account {

using AccountId = long long;
constexpr AccountId INVALID_ACCOUNT_ID = -1;

class Account {
public:
    // Extended data keys used by the platform's own account service.
    static const wchar_t* const USER_ID_KEY;     // "user_id"
    static const wchar_t* const MCC_KEY;         // "mcc"
    static const wchar_t* const SERVER_URL_KEY;  // "server_url"

    Account() = default;
    Account(const AccountProvider& provider, const Base::String& userName) : provider_(provider), userName_(userName) {}

    AccountId GetId() const { return id_; }
    void SetId(AccountId id) { id_ = id; }
    const AccountProvider& GetAccountProvider() const { return provider_; }
    void SetAccountProvider(const AccountProvider& provider) { provider_ = provider; }
    const Base::String& GetUserName() const { return userName_; }
    void SetUserName(const Base::String& userName) { userName_ = userName; }

    // Adds or replaces one entry. E_INVALID_ARG for an empty key.
    result SetExtendedData(const Base::String& key, const Base::String& value);
    // E_OBJ_NOT_FOUND when the key is absent.
    result GetExtendedData(const Base::String& key, Base::String& value) const;
    // The value, or an empty string when absent.
    Base::String GetExtendedData(const Base::String& key) const;
    // A new map of new String keys and values that the map owns; null when out of memory.
    Base::Collection::HashMap* GetExtendedDataN() const;
    // Entries in the order they were first set.
    const std::vector<std::pair<Base::String, Base::String>>& GetExtendedDataEntries() const { return data_; }

    bool operator==(const Account& other) const;

private:
    AccountId id_ = INVALID_ACCOUNT_ID;
    AccountProvider provider_;
    Base::String userName_;
    std::vector<std::pair<Base::String, Base::String>> data_;
};

}  // namespace Vx::Account
