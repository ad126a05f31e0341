#pragma once
// The device's account database (<platform home>/accounts.db). Platform
// internal: the account service and appctl write it, AccountAccessor reads it.
// Each object holds one connection; several processes may use the file at once.
#include <memory>
#include <string>

#include "platform/account/Account.h"
#include "platform/base/ArrayListT.h"

namespace Vx::Account {

class AccountStorePrivate;

class AccountStore {
public:
    enum class OpenMode {
        ReadOnly,   // never creates or changes the file; E_OBJ_NOT_FOUND when there is none
        ReadWrite,  // creates the file and its tables when needed
    };

    AccountStore();
    ~AccountStore();
    AccountStore(const AccountStore&) = delete;
    AccountStore& operator=(const AccountStore&) = delete;

    static std::string GetDefaultPath();

    // E_INVALID_STATE when already constructed; E_IO when the file cannot be
    // opened; E_INVALID_FORMAT when it is not an account database; E_SYSTEM
    // when the SQLite library cannot be loaded.
    result Construct(OpenMode mode = OpenMode::ReadWrite);
    result Construct(const std::string& path, OpenMode mode = OpenMode::ReadWrite);

    // Adds the account, or replaces the one with the same provider and user
    // name (its extended data included); sets the account's id. E_INVALID_ARG
    // for an empty user name or provider id; E_STORAGE_FULL when the disk is full.
    result AddAccount(Account& account);
    // E_OBJ_NOT_FOUND when no account matched. An empty provider id matches any provider.
    result RemoveAccount(const Base::String& userName, const Base::String& providerAppId = Base::String());
    result RemoveAccount(AccountId id);
    // Caps the size of the database file (a quota); writes past it fail with
    // E_STORAGE_FULL and change nothing, as on a full disk.
    result SetMaxSize(long long bytes);
    // A new list in the order the accounts were added; null when the store cannot be read.
    Base::Collection::ArrayListT<Account>* GetAllAccountsN() const;

private:
    std::unique_ptr<AccountStorePrivate> d_;
};

}  // namespace Vx::Account
