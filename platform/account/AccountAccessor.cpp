#include "platform/account/AccountAccessor.h"

#include <memory>
#include <new>

#include "platform/account/AccountStore.h"

namespace Vx::Account {

using Base::Collection::ArrayListT;

AccountAccessor* AccountAccessor::GetInstance() {
    static AccountAccessor instance;
    return &instance;
}

ArrayListT<Account>* AccountAccessor::GetAllAccountsN() const {
    AccountStore store;
    result r = store.Construct(AccountStore::OpenMode::ReadOnly);
    if (r == E_OBJ_NOT_FOUND) {
        // No store yet simply means no account has ever been added.
        auto* empty = new (std::nothrow) ArrayListT<Account>();
        if (empty) empty->Construct(0);
        return empty;
    }
    if (r != E_SUCCESS) return nullptr;
    return store.GetAllAccountsN();
}

ArrayListT<Account>* AccountAccessor::GetAccountsByProviderN(const Base::String& providerAppId) const {
    std::unique_ptr<ArrayListT<Account>> all(GetAllAccountsN());
    if (!all) return nullptr;
    std::unique_ptr<ArrayListT<Account>> matching(new (std::nothrow) ArrayListT<Account>());
    if (!matching) return nullptr;
    for (int i = 0; i < all->GetCount(); ++i) {
        if (all->At(i).GetAccountProvider().GetAppId() == providerAppId && matching->Add(all->At(i)) != E_SUCCESS) {
            return nullptr;
        }
    }
    return matching.release();
}

}  // namespace Vx::Account
