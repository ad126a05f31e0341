#pragma once
// The application-control exchange of the platform account service, shared by
// its two applications (docs/account-service.md):
//
//   a7qd02lm9x.OblinAccountService  view  client_id, client_secret, additional
//       => "resultCode" 0 + "additionalValues" user_id:..,email_id:..,mcc:..,server_url:..
//          "resultCode" 1 when no account of the service is signed in
//   a7qd02lm9x.OblinAccount         view  client_id, client_secret, service_category
//       => "resultCode" 0 signed in, 2 cancelled, 3 store unreachable
//
// Every refusal answers APP_CTRL_RESULT_FAILED with a "resultCode" below and an "errorMessage".
#include "platform/account/Account.h"
#include "platform/app/AppTypes.h"
#include "platform/base/IMap.h"
#include "platform/base/String.h"

namespace OblinAccountService {

enum ResultCode : int {
    kSuccess = 0,
    kNotSignedIn = 1,
    kCancelled = 2,
    kNetworkFailure = 3,
    // 4 is left out: callers use it for an answer they cannot read.
    kClientRefused = 5,       // unknown client id or wrong secret
    kDeviceStoreFailure = 6,  // the device's account store cannot be read or written
    kRequestRefused = 7,      // not the view operation, or a sign-in already in progress
};

extern const wchar_t* const kClientIdKey;          // "client_id"
extern const wchar_t* const kClientSecretKey;      // "client_secret"
extern const wchar_t* const kResultCodeKey;        // "resultCode"
extern const wchar_t* const kErrorMessageKey;      // "errorMessage"
extern const wchar_t* const kAdditionalValuesKey;  // "additionalValues"
extern const wchar_t* const kServiceAppId;         // "a7qd02lm9x.OblinAccountService"
extern const wchar_t* const kSignInAppId;          // "a7qd02lm9x.OblinAccount", also the accounts' provider

// The platform prefix followed by "/appcontrol/operation/view".
Vx::Base::String GetViewOperationId();

// True when the request names a known client with its secret.
bool IsKnownClient(const Vx::Base::Collection::IMap* extraData);

// The signed-in account: the first one of the service's provider with a user
// name. E_OBJ_NOT_FOUND when there is none; E_IO when the store cannot be read.
Vx::result FindSignedInAccount(Vx::Account::Account& account);

// "user_id:U,email_id:E,mcc:M,server_url:S". Each value has '%', ',' and ':'
// written as %25, %2C and %3A, so that splitting at ',' and ':' keeps it whole.
Vx::Base::String BuildAdditionalValues(const Vx::Account::Account& account);
Vx::Base::String EncodeValue(const Vx::Base::String& value);

// Sends the answer: "resultCode", plus "errorMessage" and "additionalValues" when not empty.
Vx::result SendAnswer(Vx::App::RequestId requestId, Vx::App::AppCtrlResult appControlResult, int resultCode,
                      const Vx::Base::String& errorMessage = Vx::Base::String(),
                      const Vx::Base::String& additionalValues = Vx::Base::String());

}  // namespace OblinAccountService
