#pragma once
// Every application-control operation and extra-data key of the in-app
// purchase applications, one line each. Operations are the platform's id
// prefix followed by the path below (see Operation()).
#include "platform/base/PlatformHome.h"
#include "platform/base/String.h"

namespace IapAppControlKeys {

// Operations (after the platform prefix).
inline constexpr const wchar_t* kOperationPurchasePath = L"/appcontrol/operation/iap/purchase";
inline constexpr const wchar_t* kOperationItemListPath = L"/appcontrol/operation/iap/get_item_list";
inline constexpr const wchar_t* kOperationPurchasedListPath = L"/appcontrol/operation/iap/get_purchased_item_list";
inline constexpr const wchar_t* kOperationCountryListPath = L"/appcontrol/operation/iap/get_country_list";

// Request keys.
inline constexpr const wchar_t* kTransactionId = L"_transactionId";    // int, echoed in every answer
inline constexpr const wchar_t* kPurchaseResume = L"_purchaseResume";  // int: 0 new purchase, 1 resume
inline constexpr const wchar_t* kItemId = L"_itemId";                  // string
inline constexpr const wchar_t* kItemGroupId = L"_itemGroupId";        // string
inline constexpr const wchar_t* kStartNumber = L"_startNumber";        // int
inline constexpr const wchar_t* kEndNumber = L"_endNumber";            // int
// Developer overrides of the device identity.
inline constexpr const wchar_t* kMcc = L"_mcc";
inline constexpr const wchar_t* kMnc = L"_mnc";
inline constexpr const wchar_t* kImei = L"_imei";
inline constexpr const wchar_t* kPhoneNumber = L"_phoneNumber";
inline constexpr const wchar_t* kDeviceModel = L"_deviceModel";
inline constexpr const wchar_t* kMode = L"_mode";

// Answer keys and the methods named in "_method".
inline constexpr const wchar_t* kMethod = L"_method";
inline constexpr const wchar_t* kResult = L"_result";
inline constexpr const wchar_t* kMethodPurchaseItemInitialized = L"OnPurchaseItemInitialized";
inline constexpr const wchar_t* kMethodPurchaseItemFinished = L"OnPurchaseItemFinished";

// The full operation id of a path above.
inline Vx::Base::String Operation(const wchar_t* path) {
    return Vx::Base::String(Vx::Base::kPlatformIdPrefix) + Vx::Base::String(path);
}

}  // namespace IapAppControlKeys
