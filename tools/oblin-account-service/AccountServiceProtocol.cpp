#include "tools/oblin-account-service/AccountServiceProtocol.h"

#include <memory>

#include "platform/account/AccountAccessor.h"
#include "platform/app/AppControlProviderManager.h"
#include "platform/base/HashMap.h"
#include "platform/base/PlatformHome.h"

namespace OblinAccountService {

using Vx::Base::String;
using Vx::Base::Collection::ElementOwnership;
using Vx::Base::Collection::HashMap;
using Vx::Base::Collection::IMap;

const wchar_t* const kClientIdKey = L"client_id";
const wchar_t* const kClientSecretKey = L"client_secret";
const wchar_t* const kResultCodeKey = L"resultCode";
const wchar_t* const kErrorMessageKey = L"errorMessage";
const wchar_t* const kAdditionalValuesKey = L"additionalValues";
const wchar_t* const kServiceAppId = L"a7qd02lm9x.OblinAccountService";
const wchar_t* const kSignInAppId = L"a7qd02lm9x.OblinAccount";

namespace {

// The one client this service knows: the in-app purchase system.
const wchar_t* const kKnownClientId = L"zq83pd0w5r";
const wchar_t* const kKnownClientSecret = L"3C9F0B6E1D7A4E22B5C8D0F94A6E17B3";

bool ValueEquals(const IMap* map, const wchar_t* key, const wchar_t* expected) {
    const auto* value = dynamic_cast<const String*>(map->GetValue(String(key)));
    return value && *value == String(expected);
}

Vx::result AddEntry(HashMap& map, const wchar_t* key, const String& value) {
    auto ownedKey = std::make_unique<String>(key);
    auto ownedValue = std::make_unique<String>(value);
    Vx::result r = map.Add(ownedKey.get(), ownedValue.get());
    if (r == Vx::E_SUCCESS) {
        ownedKey.release();
        ownedValue.release();
    }
    return r;
}

}  // namespace

String GetViewOperationId() { return String(Vx::Base::kPlatformIdPrefix) + String(L"/appcontrol/operation/view"); }

bool IsKnownClient(const IMap* extraData) {
    return extraData && ValueEquals(extraData, kClientIdKey, kKnownClientId) &&
           ValueEquals(extraData, kClientSecretKey, kKnownClientSecret);
}

Vx::result FindSignedInAccount(Vx::Account::Account& account) {
    std::unique_ptr<Vx::Base::Collection::ArrayListT<Vx::Account::Account>> accounts(
        Vx::Account::AccountAccessor::GetInstance()->GetAllAccountsN());
    if (!accounts) return Vx::E_IO;
    for (int i = 0; i < accounts->GetCount(); ++i) {
        const Vx::Account::Account& candidate = accounts->At(i);
        if (candidate.GetAccountProvider().GetAppId() == String(kSignInAppId) && !candidate.GetUserName().IsEmpty()) {
            account = candidate;
            return Vx::E_SUCCESS;
        }
    }
    return Vx::E_OBJ_NOT_FOUND;
}

String EncodeValue(const String& value) {
    String out;
    for (wchar_t c : value.ToStdWString()) {
        if (c == L'%') {
            out.Append(L"%25");
        } else if (c == L',') {
            out.Append(L"%2C");
        } else if (c == L':') {
            out.Append(L"%3A");
        } else {
            out.Append(c);
        }
    }
    return out;
}

String BuildAdditionalValues(const Vx::Account::Account& account) {
    String text(L"user_id:");
    text.Append(EncodeValue(account.GetExtendedData(Vx::Account::Account::USER_ID_KEY)));
    text.Append(L",email_id:");
    text.Append(EncodeValue(account.GetUserName()));
    text.Append(L",mcc:");
    text.Append(EncodeValue(account.GetExtendedData(Vx::Account::Account::MCC_KEY)));
    text.Append(L",server_url:");
    text.Append(EncodeValue(account.GetExtendedData(Vx::Account::Account::SERVER_URL_KEY)));
    return text;
}

Vx::result SendAnswer(Vx::App::RequestId requestId, Vx::App::AppCtrlResult appControlResult, int resultCode,
                      const String& errorMessage, const String& additionalValues) {
    HashMap answer(ElementOwnership::Owned);
    Vx::result r = answer.Construct(4);
    if (r == Vx::E_SUCCESS) r = AddEntry(answer, kResultCodeKey, String(std::to_wstring(resultCode)));
    if (r == Vx::E_SUCCESS && !errorMessage.IsEmpty()) r = AddEntry(answer, kErrorMessageKey, errorMessage);
    if (r == Vx::E_SUCCESS && !additionalValues.IsEmpty()) {
        r = AddEntry(answer, kAdditionalValuesKey, additionalValues);
    }
    if (r != Vx::E_SUCCESS) return r;
    return Vx::App::AppControlProviderManager::GetInstance()->SendAppControlResult(requestId, appControlResult,
                                                                                   &answer);
}

}  // namespace OblinAccountService
