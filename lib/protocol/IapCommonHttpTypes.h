#pragma once
// The store protocol's vocabulary: function numbers and names, reply error
// codes and their translation into caller statuses, and parameter lists.
#include "lib/records/IapAtomic.h"
#include "lib/records/IapLibUtils.h"
#include "platform/base/ArrayListT.h"
#include "platform/base/IEnumerator.h"
#include "platform/base/String.h"

namespace IapCommonHttp {

enum FunctionId : int {
    FUNCTION_NONE = 0,
    FUNCTION_COUNTRY_SEARCH = 2200,                    // "countrySearch"
    FUNCTION_SEARCH_CARD = 2230,                       // "searchCard"
    FUNCTION_GET_COUNTRY_LIST = 2250,                  // "getCountryList"
    FUNCTION_COUNTRY_SEARCH_EX = 2300,                 // "countrySearchEx"
    FUNCTION_CHECK_APP_UPGRADE = 2306,                 // "checkAppUpgrade"
    FUNCTION_CHECK_PASSWORD = 5012,                    // "checkPassword"
    FUNCTION_EASYBUY_PURCHASE_ITEM = 6001,             // "easybuyPurchaseItem"
    FUNCTION_GET_PURCHASED_APPS_ITEM_LIST = 6003,      // "getPurchasedAppsItemList"
    FUNCTION_GET_APPS_ITEM_LIST = 6005,                // "getAppsItemList"
    FUNCTION_APP_ITEM_PURCHASE_CYBER_CASH = 6006,      // "appItemPurchaseCyberCash"
    FUNCTION_GET_PAYMENT_METHOD_SEARCH = 6007,         // "getPaymentMethodSearch"
    FUNCTION_APP_ITEM_PURCHASE_PREPAID = 6009,         // "appItemPurchasePrepaid"
    FUNCTION_MICRO_PURCHASE_ITEM = 6012,               // "MicroPurchaseItem"
    FUNCTION_MICRO_PURCHASE_ITEM_AUTH_CODE = 6013,     // "MicroPurchaseItemAuthCode"
    FUNCTION_REGISTER_CREDIT_CARD_FOR_IAP = 6014,      // "registerCreditCardForIAP"
    FUNCTION_REGISTER_PREPAID_CARD_FOR_IAP = 6015,     // "registerPrepaidCardForIap"
    FUNCTION_CHECK_PURCHASED_ITEM = 6016,              // "checkPurchasedItem"
    FUNCTION_IAP_PSMS_BILLING = 6017,                  // "IAPPSMSBilling"
    FUNCTION_IAP_PSMS_MO_DELIVERY_RESULT = 6018,       // "IAPPSMSMODeliveryResult"
    FUNCTION_IAP_PSMS_CONFIRM_SMS_PURCHASE_NS = 6019,  // "IAPPSMSConfirmSMSPurchaseNS"
    FUNCTION_GET_PURCHASE_ID = 6020,                   // "getPurchaseID"
};

// The server name written into a request; null for any value not in the table.
const char* GetFunctionName(FunctionId id);
// True for the 21 functions of the table (not for FUNCTION_NONE).
bool IsKnownFunction(int id);

// A reply's error code. 0-3 and 9000 are also made locally; a code outside the
// recognised set is stored as ERROR_UNKNOWN (-1).
enum ErrorCode : int {
    ERROR_UNKNOWN = -1,
    ERROR_NONE = 0,
    ERROR_CANCELED = 1,
    ERROR_TRANSACTION_ABORTED = 2,
    ERROR_HTTP_STATUS = 3,
    ERROR_GENERAL = 9000,
};

// The code itself when recognised (0-3, 1000, 3013, 4002, 9000, 9001,
// 9100-9114, 9200-9215, 9219), ERROR_UNKNOWN otherwise.
ErrorCode ValidateErrorCode(int rawCode);
// Translation of an error code into the status reported to callers.
IapLib::StatusCode StatusToIapLibStatus(ErrorCode code);

class ParamsPrivate;

// Ordered name/value parameters with shared copy-on-write storage. Equality is
// identity of the shared list, not equal contents.
class Params {
public:
    struct Entry {
        Vx::Base::String name;
        Vx::Base::String value;
        bool operator==(const Entry& other) const { return name == other.name && value == other.value; }
    };

    Params();
    Params(const Params& other);
    Params& operator=(const Params& other);
    ~Params();

    bool operator==(const Params& other) const;
    bool operator!=(const Params& other) const { return !(*this == other); }

    // E_INVALID_ARG for a negative capacity.
    Vx::result Construct(int capacity);
    Vx::result Add(const Vx::Base::String& name, const Vx::Base::String& value);
    void RemoveAll();
    // The caller deletes the enumerator. It sees the entries as they were when
    // it was made, whatever happens to this handle afterwards.
    Vx::Base::Collection::IEnumeratorT<Entry>* GetEnumeratorN() const;
    int GetCount() const;

private:
    void Detach();
    ParamsPrivate* d_;
};

}  // namespace IapCommonHttp
