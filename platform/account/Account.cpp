#include "platform/account/Account.h"

#include <memory>
#include <new>

namespace Vx::Account {

const wchar_t* const Account::USER_ID_KEY = L"user_id";
const wchar_t* const Account::MCC_KEY = L"mcc";
const wchar_t* const Account::SERVER_URL_KEY = L"server_url";

result Account::SetExtendedData(const Base::String& key, const Base::String& value) {
    if (key.IsEmpty()) return E_INVALID_ARG;
    for (auto& entry : data_) {
        if (entry.first == key) {
            entry.second = value;
            return E_SUCCESS;
        }
    }
    try {
        data_.emplace_back(key, value);
    } catch (const std::bad_alloc&) {
        return E_OUT_OF_MEMORY;
    }
    return E_SUCCESS;
}

result Account::GetExtendedData(const Base::String& key, Base::String& value) const {
    for (const auto& entry : data_) {
        if (entry.first == key) {
            value = entry.second;
            return E_SUCCESS;
        }
    }
    return E_OBJ_NOT_FOUND;
}

Base::String Account::GetExtendedData(const Base::String& key) const {
    Base::String value;
    GetExtendedData(key, value);
    return value;
}

Base::Collection::HashMap* Account::GetExtendedDataN() const {
    std::unique_ptr<Base::Collection::HashMap> map(
        new (std::nothrow) Base::Collection::HashMap(Base::Collection::ElementOwnership::Owned));
    if (!map || map->Construct(static_cast<int>(data_.size()) + 1) != E_SUCCESS) return nullptr;
    for (const auto& entry : data_) {
        std::unique_ptr<Base::String> key(new (std::nothrow) Base::String(entry.first));
        std::unique_ptr<Base::String> value(new (std::nothrow) Base::String(entry.second));
        if (!key || !value || map->Add(key.get(), value.get()) != E_SUCCESS) return nullptr;
        key.release();
        value.release();
    }
    return map.release();
}

bool Account::operator==(const Account& other) const {
    return id_ == other.id_ && provider_ == other.provider_ && userName_ == other.userName_ && data_ == other.data_;
}

}  // namespace Vx::Account
