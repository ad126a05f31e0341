#pragma once
// Read access to the accounts on the device, for any application.
#include "platform/account/Account.h"
#include "platform/base/ArrayListT.h"

namespace Vx::Account {

class AccountAccessor {
public:
    // The process-wide accessor; never null.
    static AccountAccessor* GetInstance();

    // A new list that the caller deletes: empty when there are no accounts,
    // null only when the account store exists but cannot be read.
    Base::Collection::ArrayListT<Account>* GetAllAccountsN() const;
    // The accounts of one provider, in the same terms.
    Base::Collection::ArrayListT<Account>* GetAccountsByProviderN(const Base::String& providerAppId) const;

private:
    AccountAccessor() = default;
};

}  // namespace Vx::Account
