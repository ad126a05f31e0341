#include "service/BuyService.h"

#include <new>

#include "lib/device/IapLibBogusSystemInfo.h"
#include "lib/device/IapSystemInfo.h"
#include "lib/records/IapAppControlSerialization.h"
#include "lib/records/IapHashMapUtils.h"
#include "platform/base/HashMap.h"
#include "platform/base/Number.h"
#include "platform/base/PlatformHome.h"
#include "service/BuyServiceHttpSession.h"

using namespace Vx;
using namespace Vx::Base;
using namespace Vx::Base::Collection;

namespace {

const String kOperationItemList = String(kPlatformIdPrefix) + String(L"/appcontrol/operation/iap/get_item_list");
const String kOperationPurchasedList =
    String(kPlatformIdPrefix) + String(L"/appcontrol/operation/iap/get_purchased_item_list");
const String kOperationCountryList = String(kPlatformIdPrefix) + String(L"/appcontrol/operation/iap/get_country_list");

const wchar_t kMethodItemList[] = L"OnItemInformationListReceived";
const wchar_t kMethodPurchasedList[] = L"OnPurchasedItemInformationListReceived";
const wchar_t kMethodCountryList[] = L"OnCountryListReceived";

// Adds a key and value that the answer map owns.
result AddEntry(HashMap& map, const String& key, const String& value) {
    auto* ownedKey = new (std::nothrow) String(key);
    auto* ownedValue = new (std::nothrow) String(value);
    result r = ownedKey && ownedValue ? map.Add(ownedKey, ownedValue) : E_OUT_OF_MEMORY;
    if (r != E_SUCCESS) {
        delete ownedKey;
        delete ownedValue;
    }
    return r;
}

String ReadString(const IMap* extraData, const wchar_t* key) {
    String value;
    IapHashMapUtils::GetStringValue(extraData, String(key), value);
    return value;
}

IapLib::StatusCode AccountResultToStatus(int accountResult) {
    switch (accountResult) {
    case OblinAccountResult::RESULT_CANCELED:
        return IapLib::STATUS_CANCELED;
    case OblinAccountResult::RESULT_NETWORK_FAILURE:
        return IapLib::STATUS_NETWORK_FAILURE;
    default:
        return IapLib::STATUS_GENERAL_FAILURE;
    }
}

}  // namespace

Vx::App::ServiceApp* BuyServiceApp::CreateInstance() { return new (std::nothrow) BuyServiceApp(); }

BuyServiceApp::BuyServiceApp() : account_(*this) {}

BuyServiceApp::~BuyServiceApp() {
    delete session_;
    delete updater_;
}

bool BuyServiceApp::OnAppInitializing(Vx::App::AppRegistry&) {
    updater_ = new (std::nothrow) AppUpdater(this);
    session_ = new (std::nothrow) BuyServiceHttpSession();
    if (!session_ || !updater_) return false;
    if (session_->Construct(this) != E_SUCCESS) return false;
    Vx::App::AppControlProviderManager* manager = Vx::App::AppControlProviderManager::GetInstance();
    if (!manager) return true;
    return manager->SetAppControlProviderEventListener(this) == E_SUCCESS;
}

bool BuyServiceApp::OnAppInitialized() { return true; }
bool BuyServiceApp::OnAppWillTerminate() { return true; }
bool BuyServiceApp::OnAppTerminating(Vx::App::AppRegistry&, bool) { return true; }
void BuyServiceApp::OnLowMemory() {}
void BuyServiceApp::OnBatteryLevelChanged(Vx::App::BatteryLevel) {}

bool BuyServiceApp::MatchOperation(const String& operationId, IapCommonHttp::FunctionId& function) const {
    if (operationId == kOperationItemList) {
        function = IapCommonHttp::FUNCTION_GET_APPS_ITEM_LIST;
    } else if (operationId == kOperationPurchasedList) {
        function = IapCommonHttp::FUNCTION_GET_PURCHASED_APPS_ITEM_LIST;
    } else if (operationId == kOperationCountryList) {
        function = IapCommonHttp::FUNCTION_GET_COUNTRY_LIST;
    } else {
        return false;
    }
    return true;
}

void BuyServiceApp::OnAppControlRequestReceived(Vx::App::RequestId requestId, const String& operationId, const String*,
                                                const String*, const IMap* extraData) {
    Vx::App::AppControlProviderManager* manager = Vx::App::AppControlProviderManager::GetInstance();
    IapCommonHttp::FunctionId function = IapCommonHttp::FUNCTION_NONE;
    if (!MatchOperation(operationId, function)) {
        // Ending now would leave the caller being served without an answer.
        if (pendingRequestId_ != -1) {
            if (manager) manager->SendAppControlResult(requestId, Vx::App::APP_CTRL_RESULT_FAILED, nullptr);
            return;
        }
        Vx::App::App::Terminate();
        return;
    }
    if (pendingRequestId_ != -1) {
        // The request being served goes on; the newcomer is told it was not served.
        // Its developer overrides are not applied: they would change the identity
        // that the pending request is being sent with.
        if (manager) manager->SendAppControlResult(requestId, Vx::App::APP_CTRL_RESULT_CANCELED, nullptr);
        return;
    }
    ApplyDeveloperOverrides(extraData);
    pendingRequestId_ = requestId;
    requestedFunction_ = function;
    ReadRequest(extraData);

    if (function == IapCommonHttp::FUNCTION_GET_COUNTRY_LIST) {
        if (session_->RequestCountryList(transactionId_, function) != E_SUCCESS) {
            ArrayList none;
            OnCountryListReceived(transactionId_, IapLib::STATUS_GENERAL_FAILURE, none);
        }
        return;
    }
    if (session_->RequestCheckAppUpgrade(transactionId_, String()) != E_SUCCESS) {
        AnswerFailedList(IapLib::STATUS_GENERAL_FAILURE);
    }
}

void BuyServiceApp::OnAppControlRequestAbandoned(Vx::App::RequestId requestId) {
    // An update under way is let finish; it ends the service itself.
    if (requestId != pendingRequestId_ || updating_) return;
    // Nobody waits for the answer any more: stop, and leave the next caller
    // to a fresh instance. Ending also closes a sign-in window opened for it.
    pendingRequestId_ = -1;
    Vx::App::App::Terminate();
}

void BuyServiceApp::ApplyDeveloperOverrides(const IMap* extraData) {
    IapLibBogusSystemInfo bogus;
    bogus.mcc = ReadString(extraData, L"_mcc");
    bogus.mnc = ReadString(extraData, L"_mnc");
    bogus.phoneNumber = ReadString(extraData, L"_phoneNumber");
    bogus.deviceModel = ReadString(extraData, L"_deviceModel");
    bogus.Set();
    String mode = ReadString(extraData, L"_mode");
    if (!mode.IsEmpty()) IapSystemInfo::GetInstance().mode = mode;
}

void BuyServiceApp::ReadRequest(const IMap* extraData) {
    transactionId_ = -1;
    startNumber_ = 0;
    endNumber_ = 0;
    itemGroupId_.Clear();
    IapHashMapUtils::GetIntegerValue(extraData, String(L"_transactionId"), transactionId_);
    IapHashMapUtils::GetIntegerValue(extraData, String(L"_startNumber"), startNumber_);
    IapHashMapUtils::GetIntegerValue(extraData, String(L"_endNumber"), endNumber_);
    IapHashMapUtils::GetStringValue(extraData, String(L"_itemGroupId"), itemGroupId_);
}

void BuyServiceApp::OnCheckAppUpgradeReceived(int, const String& downloadUrl, IapLib::StatusCode status) {
    if (pendingRequestId_ == -1) return;
    if (status == IapLib::STATUS_SUCCESS && !downloadUrl.IsEmpty()) {
        startingUpdate_ = true;
        result r = updater_->Update(downloadUrl, session_->GetOfferedUpgradeVersion());
        startingUpdate_ = false;
        if (r == E_SUCCESS) {
            updating_ = true;
            return;
        }
    }
    ContinueAfterUpgradeCheck();
}

void BuyServiceApp::ContinueAfterUpgradeCheck() {
    if (requestedFunction_ == IapCommonHttp::FUNCTION_GET_APPS_ITEM_LIST) {
        if (session_->RequestItemList(itemGroupId_, transactionId_, startNumber_, endNumber_,
                                      IapCommonHttp::FUNCTION_GET_APPS_ITEM_LIST) != E_SUCCESS) {
            AnswerFailedList(IapLib::STATUS_GENERAL_FAILURE);
        }
        return;
    }
    if (account_.RequestAccessToken() != E_SUCCESS) AnswerFailedList(IapLib::STATUS_GENERAL_FAILURE);
}

void BuyServiceApp::OnUpdateCompleted(AppUpdater::UpdateResult) {
    // Failures reported from inside Update() are handled by its return value.
    if (startingUpdate_ || !updating_ || pendingRequestId_ == -1) return;
    updating_ = false;
    // The caller asks again and reaches the updated application. No token
    // request is started: its answer would go to a request already answered.
    AnswerAndEnd(Vx::App::APP_CTRL_RESULT_CANCELED, nullptr);
}

void BuyServiceApp::OnAccessTokenReply(OblinAccountResult::ResultCode result, const String& userId, const String&,
                                       const String&, const String&) {
    if (pendingRequestId_ == -1 || requestedFunction_ != IapCommonHttp::FUNCTION_GET_PURCHASED_APPS_ITEM_LIST) return;
    if (result == OblinAccountResult::RESULT_SUCCESS) {
        userId_ = userId;
        RequestPurchasedItems();
        return;
    }
    if (result < 0) {
        OnSignInTokenReply(result);
        return;
    }
    userId_.Clear();
    if (result == OblinAccountResult::RESULT_NOT_SIGNED_IN && !signedIn_) {
        if (account_.RequestSignIn() != E_SUCCESS) AnswerFailedList(IapLib::STATUS_GENERAL_FAILURE);
        return;
    }
    AnswerAccountFailure(result);
}

void BuyServiceApp::OnSignInTokenReply(OblinAccountResult::ResultCode result) {
    if (pendingRequestId_ == -1 || requestedFunction_ != IapCommonHttp::FUNCTION_GET_PURCHASED_APPS_ITEM_LIST) return;
    if (result == OblinAccountResult::RESULT_SUCCESS) {
        signedIn_ = true;
        if (account_.RequestAccessToken() != E_SUCCESS) AnswerFailedList(IapLib::STATUS_GENERAL_FAILURE);
        return;
    }
    AnswerAccountFailure(result);
}

void BuyServiceApp::RequestPurchasedItems() {
    if (session_->RequestPurchasedItemList(userId_, itemGroupId_, transactionId_, startNumber_, endNumber_,
                                           IapCommonHttp::FUNCTION_GET_PURCHASED_APPS_ITEM_LIST) != E_SUCCESS) {
        AnswerFailedList(IapLib::STATUS_GENERAL_FAILURE);
    }
}

void BuyServiceApp::AnswerAccountFailure(int accountResult) { AnswerFailedList(AccountResultToStatus(accountResult)); }

void BuyServiceApp::AnswerFailedList(IapLib::StatusCode status) {
    // Answered in the form of the list that was asked for.
    if (requestedFunction_ == IapCommonHttp::FUNCTION_GET_APPS_ITEM_LIST) {
        OnItemInformationListReceived(transactionId_, status, IapItemList<IapItemInformation>());
    } else if (requestedFunction_ == IapCommonHttp::FUNCTION_GET_PURCHASED_APPS_ITEM_LIST) {
        OnPurchasedItemInformationListReceived(transactionId_, status, IapItemList<IapPurchasedItemInformation>());
    } else if (requestedFunction_ == IapCommonHttp::FUNCTION_GET_COUNTRY_LIST) {
        ArrayList none;
        OnCountryListReceived(transactionId_, status, none);
    }
}

template <typename List>
void BuyServiceApp::AnswerList(const List& list, Vx::result (*writer)(const List&, HashMap*), int transactionId,
                               const wchar_t* method, IapLib::StatusCode status) {
    if (pendingRequestId_ == -1) return;
    HashMap map(ElementOwnership::Owned);
    bool built = map.Construct(3, 0.75f) == E_SUCCESS && writer(list, &map) == E_SUCCESS &&
                 AddEntry(map, String(L"_transactionId"), Integer::ToString(transactionId)) == E_SUCCESS &&
                 AddEntry(map, String(L"_method"), String(method)) == E_SUCCESS &&
                 AddEntry(map, String(L"_result"), Integer::ToString(status)) == E_SUCCESS;
    // A list that cannot be written is answered as failed, without a map.
    if (built) {
        AnswerAndEnd(Vx::App::APP_CTRL_RESULT_SUCCEEDED, &map);
    } else {
        AnswerAndEnd(Vx::App::APP_CTRL_RESULT_FAILED, nullptr);
    }
}

void BuyServiceApp::OnItemInformationListReceived(int transactionId, IapLib::StatusCode status,
                                                  const IapItemList<IapItemInformation>& list) {
    AnswerList(list, &IapAppControlSerialization::ItemInformationList::ToHashMap, transactionId, kMethodItemList,
               status);
}

void BuyServiceApp::OnPurchasedItemInformationListReceived(int transactionId, IapLib::StatusCode status,
                                                           const IapItemList<IapPurchasedItemInformation>& list) {
    AnswerList(list, &IapAppControlSerialization::PurchasedItemInformationList::ToHashMap, transactionId,
               kMethodPurchasedList, status);
}

void BuyServiceApp::OnCountryListReceived(int transactionId, IapLib::StatusCode status, const ArrayList& countries) {
    if (pendingRequestId_ == -1) return;
    int count = countries.GetCount();
    HashMap map(ElementOwnership::Owned);
    result r = map.Construct(count + 3, 0.75f);
    for (int n = 1; r == E_SUCCESS && n <= count; ++n) {
        const auto* record = dynamic_cast<const IMap*>(countries.GetAt(n - 1));
        if (!record || record->GetCount() != 2) continue;  // keeps its number, adds nothing
        IMapEnumerator* entries = record->GetMapEnumeratorN();
        while (entries && r == E_SUCCESS && entries->MoveNext() == E_SUCCESS) {
            const auto* name = dynamic_cast<const String*>(entries->GetKey());
            const auto* value = dynamic_cast<const String*>(entries->GetValue());
            if (!name || !value) continue;
            String key = Integer::ToString(n);
            key.Append(L'_');
            key.Append(*name);
            r = AddEntry(map, key, *value);
        }
        delete entries;
    }
    if (r == E_SUCCESS) r = AddEntry(map, String(L"_result"), Integer::ToString(status));
    if (r == E_SUCCESS) r = AddEntry(map, String(L"_method"), String(kMethodCountryList));
    if (r == E_SUCCESS) r = AddEntry(map, String(L"_transactionId"), Integer::ToString(transactionId));
    if (r == E_SUCCESS) r = AddEntry(map, String(L"_startNumber"), String(L"1"));
    if (r == E_SUCCESS) r = AddEntry(map, String(L"_endNumber"), Integer::ToString(count));
    if (r == E_SUCCESS) r = AddEntry(map, String(L"_totalCount"), Integer::ToString(count));
    if (r != E_SUCCESS) {
        AnswerAndEnd(Vx::App::APP_CTRL_RESULT_FAILED, nullptr);
        return;
    }
    AnswerAndEnd(Vx::App::APP_CTRL_RESULT_SUCCEEDED, &map);
}

void BuyServiceApp::OnPurchaseItemInitialized(int, IapLib::StatusCode, const IapPurchaseTicket&) {}

void BuyServiceApp::OnPurchaseItemFinished(int, IapLib::StatusCode, const IapPurchasedItemInformation&) {}

void BuyServiceApp::AnswerAndEnd(Vx::App::AppCtrlResult result, const IMap* extraData) {
    Vx::App::AppControlProviderManager* manager = Vx::App::AppControlProviderManager::GetInstance();
    if (manager) manager->SendAppControlResult(pendingRequestId_, result, extraData);
    pendingRequestId_ = -1;
    Vx::App::App::Terminate();
}
