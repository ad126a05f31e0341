#include "lib/device/OblinAccount.h"

#include <cstdlib>
#include <memory>

#include "lib/records/IapHashMapUtils.h"
#include "platform/account/AccountAccessor.h"
#include "platform/app/AppControl.h"
#include "platform/app/AppManager.h"
#include "platform/base/HashMap.h"
#include "platform/base/Number.h"
#include "platform/base/PlatformHome.h"
#include "platform/base/StringTokenizer.h"

using namespace Vx;
using namespace Vx::Base;
using namespace Vx::Base::Collection;

const String OblinAccount::APP_ID(L"client_id");
const String OblinAccount::APP_SECRET(L"client_secret");
const String OblinAccount::ADDITIONAL(L"additional");
const String OblinAccount::ADDITIONAL_VALUES(L"additionalValues");
const String OblinAccount::RESULT_CODE(L"resultCode");
const String OblinAccount::ERROR_MESSAGE(L"errorMessage");
const String OblinAccount::SERVICE_CATEGORY(L"service_category");
const String OblinAccount::appId(L"zq83pd0w5r");
const String OblinAccount::appSecretVal(L"3C9F0B6E1D7A4E22B5C8D0F94A6E17B3");
const String OblinAccount::oblinAccountServiceAppId(L"a7qd02lm9x.OblinAccountService");
const String OblinAccount::oblinAccountAppId(L"a7qd02lm9x.OblinAccount");
const String OblinAccount::accessTokenAdditionalValues(L"user_id,email_id,mcc,server_url");
const String OblinAccount::serviceCategory(L"from_applications");
const String OblinAccount::oblinAccountOperationView(String(kPlatformIdPrefix) + String(L"/appcontrol/operation/view"));

namespace {

// The account service writes '%', ',' and ':' inside values as %25, %2C and
// %3A, so that the separators of the pair list stay unambiguous.
void DecodeReservedCharacters(String& value) {
    if (!value.Contains(String(L"%"))) return;
    value.Replace(String(L"%2C"), String(L","));
    value.Replace(String(L"%2c"), String(L","));
    value.Replace(String(L"%3A"), String(L":"));
    value.Replace(String(L"%3a"), String(L":"));
    value.Replace(String(L"%25"), String(L"%"));
}

}  // namespace

OblinAccount::OblinAccount(IOblinAccountListener& listener) : listener_(listener) {}

bool OblinAccount::CheckSignInStatus() const {
    Account::AccountAccessor* accessor = Account::AccountAccessor::GetInstance();
    if (!accessor) return false;
    std::unique_ptr<ArrayListT<Account::Account>> accounts(accessor->GetAllAccountsN());
    if (!accounts) return false;
    for (int i = 0; i < accounts->GetCount(); ++i) {
        const Account::Account& account = accounts->At(i);
        if (account.GetAccountProvider().GetAppId() == oblinAccountAppId && !account.GetUserName().IsEmpty()) {
            return true;
        }
    }
    return false;
}

Vx::result OblinAccount::RequestSignIn() {
    return StartAccountApp(oblinAccountAppId, SERVICE_CATEGORY, serviceCategory, REQUEST_SIGN_IN);
}

Vx::result OblinAccount::RequestAccessToken() {
    return StartAccountApp(oblinAccountServiceAppId, ADDITIONAL, accessTokenAdditionalValues, REQUEST_ACCESS_TOKEN);
}

Vx::result OblinAccount::StartAccountApp(const String& targetAppId, const String& thirdKey, const String& thirdValue,
                                         RequestType request) {
    // The map does not own its entries: they are the constants above.
    HashMap extraData(ElementOwnership::NotOwned);
    Vx::result r = extraData.Construct(16, 0.75f);
    if (r != E_SUCCESS) return r;
    r = extraData.Add(const_cast<String*>(&APP_ID), const_cast<String*>(&appId));
    if (r == E_SUCCESS) r = extraData.Add(const_cast<String*>(&APP_SECRET), const_cast<String*>(&appSecretVal));
    if (r == E_SUCCESS) r = extraData.Add(const_cast<String*>(&thirdKey), const_cast<String*>(&thirdValue));
    if (r != E_SUCCESS) return r;

    if (!App::AppManager::GetInstance()) return E_FAILURE;
    std::unique_ptr<App::AppControl> control(App::AppManager::FindAppControlN(targetAppId, oblinAccountOperationView));
    if (!control) return E_FAILURE;
    SetLastRequest(request);
    StartTimeLimit();
    return control->Start(nullptr, nullptr, &extraData, this);
}

int OblinAccount::GetTimeLimitMs() {
    if (const char* text = std::getenv("IAP_SIGN_IN_TIMEOUT_MS")) {
        int value = std::atoi(text);
        if (value > 0) return value;
    }
    return 5 * 60 * 1000;
}

void OblinAccount::StartTimeLimit() {
    if (!timeLimitReady_) timeLimitReady_ = timeLimit_.Construct(*this) == E_SUCCESS;
    if (!timeLimitReady_) return;
    timeLimit_.Cancel();
    timeLimit_.Start(GetTimeLimitMs());
}

// Nobody answered: a sign-in window left open, or an account application
// that hangs. The listener is told, so that its own caller is not kept waiting.
void OblinAccount::OnTimerExpired(Vx::Base::Runtime::Timer&) {
    RequestType pending = lastRequest_;
    if (pending == REQUEST_NONE) return;
    lastRequest_ = REQUEST_NONE;
    resultCode_ = OblinAccountResult::RESULT_TIMED_OUT;
    lastError_ = String(L"no answer from the account service within ") + Integer::ToString(GetTimeLimitMs() / 1000) +
                 String(L" s");
    if (pending == REQUEST_SIGN_IN) {
        listener_.OnSignInTokenReply(OblinAccountResult::RESULT_TIMED_OUT);
    } else {
        listener_.OnAccessTokenReply(OblinAccountResult::RESULT_TIMED_OUT, String(), String(), String(), String());
    }
}

void OblinAccount::SetLastRequest(RequestType request) {
    RequestType previous = lastRequest_;
    lastRequest_ = REQUEST_NONE;
    if (previous == REQUEST_ACCESS_TOKEN) {
        listener_.OnAccessTokenReply(OblinAccountResult::RESULT_NOT_SIGNED_IN, String(), String(), String(), String());
    }
    lastRequest_ = request;
}

bool OblinAccount::ReadResultCode(const IMap* extraData) {
    // An answer without a readable result code is a failure: keeping the
    // previous code could turn a broken answer into a stale success.
    int code = 0;
    if (!extraData || IapHashMapUtils::GetIntegerValue(extraData, RESULT_CODE, code) != E_SUCCESS) {
        resultCode_ = OblinAccountResult::RESULT_INVALID_ANSWER;
        return false;
    }
    resultCode_ = code;
    return true;
}

void OblinAccount::OnAppControlCompleteResponseReceived(const String& answeringAppId, const String& operationId,
                                                        App::AppCtrlResult, const IMap* extraData) {
    // Only the answer awaited consumes the pending request; a stray answer from
    // another application must not make the awaited one go unheard.
    bool isView = operationId == oblinAccountOperationView;
    bool signInAnswer = lastRequest_ == REQUEST_SIGN_IN && answeringAppId == oblinAccountAppId && isView;
    bool tokenAnswer = lastRequest_ == REQUEST_ACCESS_TOKEN && answeringAppId == oblinAccountServiceAppId && isView;
    if (!signInAnswer && !tokenAnswer) return;
    lastRequest_ = REQUEST_NONE;
    timeLimit_.Cancel();

    ReadResultCode(extraData);
    String errorMessage;
    if (extraData && IapHashMapUtils::GetStringValue(extraData, ERROR_MESSAGE, errorMessage) == E_SUCCESS) {
        lastError_ = errorMessage;
    }
    if (signInAnswer) {
        listener_.OnSignInTokenReply(static_cast<ResultCode>(resultCode_));
    } else {
        ReportAccessToken(extraData);
    }
}

void OblinAccount::ReportAccessToken(const IMap* extraData) {
    String values[4];  // user id, email id, mcc, server url
    String additional;
    if (resultCode_ == OblinAccountResult::RESULT_SUCCESS &&
        IapHashMapUtils::GetStringValue(extraData, ADDITIONAL_VALUES, additional) == E_SUCCESS) {
        // Pairs "name:value" in a fixed order; only the first colon of a pair
        // separates, so that a server URL keeps its scheme and port.
        Utility::StringTokenizer pairs(additional, String(L","));
        String pair;
        for (auto& value : values) {
            if (pairs.GetNextToken(pair) != E_SUCCESS) break;
            int colon = -1;
            if (pair.IndexOf(L':', 0, colon) != E_SUCCESS) break;
            pair.SubString(colon + 1, value);
            DecodeReservedCharacters(value);
        }
    }
    if (resultCode_ == OblinAccountResult::RESULT_SUCCESS && values[0].IsEmpty()) {
        // Success without a user id cannot be used for any store request.
        resultCode_ = OblinAccountResult::RESULT_INVALID_ANSWER;
        for (auto& value : values)
            value.Clear();
    }
    listener_.OnAccessTokenReply(static_cast<ResultCode>(resultCode_), values[0], values[1], values[2], values[3]);
}
