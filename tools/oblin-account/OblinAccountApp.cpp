// a7qd02lm9x.OblinAccount: the sign-in window of the platform account service.
// Asks for e-mail and password, checks them with the store, keeps the account
// on the device and answers the caller (docs/account-service.md).
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "platform/account/AccountStore.h"
#include "platform/app/AppControlProviderManager.h"
#include "platform/app/IAppControlProviderEventListener.h"
#include "platform/app/UiApp.h"
#include "platform/base/ArrayList.h"
#include "platform/system/SimInfo.h"
#include "tools/oblin-account-service/AccountServiceProtocol.h"
#include "tools/oblin-account/SignInFrame.h"
#include "tools/oblin-account/SignInStoreClient.h"

using namespace Vx;
using namespace Vx::App;
using namespace OblinAccountService;
using Vx::Base::String;
using Vx::Base::Collection::IMap;

namespace OblinSignIn {
namespace {

const char kHelp[] = R"(Usage: oblin-account [--help]

The sign-in application of the platform account service
(a7qd02lm9x.OblinAccount). Other applications start it by application control
with the operation http://vexmora.com/appcontrol/operation/view and the extra
data client_id and client_secret of a known client. It asks for an e-mail
address and a password, checks them with the store (a country search at
$IAP_COUNTRY_SEARCH_URL, default http://127.0.0.1:8640/ods.as, then
"checkPassword" at the store it names), adds the account to the device and
answers "resultCode": 0 signed in, 2 cancelled, 3 store unreachable,
5 unknown client, 6 account not stored, 7 request refused.
With IAP_UI_AUTOMATION=1 its window can be driven by iap-ui.
)";

DeviceIdentity ReadDevice() {
    DeviceIdentity device;
    device.networkType = "wifi";
    device.deviceModel = "vexmora-phone";
    Telephony::SimInfo sim;
    if (sim.Construct() == E_SUCCESS) {
        int mcc = sim.GetMobileCountryCode();
        int mnc = sim.GetMobileNetworkCode();
        char text[16];
        if (mcc >= 0) {
            std::snprintf(text, sizeof text, "%03d", mcc);
            device.mcc = text;
        }
        if (mnc >= 0) {
            std::snprintf(text, sizeof text, "%02d", mnc);
            device.mnc = text;
        }
    }
    return device;
}

class OblinAccountApp : public UiApp, public IAppControlProviderEventListener, public ISignInFrameListener {
public:
    static UiApp* CreateInstance() { return new OblinAccountApp(); }

    bool OnAppInitializing(AppRegistry&) override {
        store_ = std::make_unique<SignInStoreClient>(SignInStoreClient::GetDefaultCountrySearchUrl(), device_);
        return AppControlProviderManager::GetInstance()->SetAppControlProviderEventListener(this) == E_SUCCESS;
    }

    bool OnAppInitialized() override {
        auto frame = std::make_unique<SignInFrame>(*this);
        if (frame->Construct() != E_SUCCESS) return false;
        frame_ = frame.get();
        if (AddFrame(*frame) != E_SUCCESS) {
            frame_ = nullptr;
            return false;
        }
        frame.release();
        return true;
    }

    bool OnAppTerminating(AppRegistry&, bool) override {
        // Closing the window ends the application; an owed answer goes out first.
        Answer(APP_CTRL_RESULT_SUCCEEDED, kCancelled, L"the sign-in window was closed");
        AppControlProviderManager::GetInstance()->SetAppControlProviderEventListener(nullptr);
        return true;
    }

    void OnAppControlRequestReceived(RequestId reqId, const String& operationId, const String*, const String*,
                                     const IMap* extraData) override {
        if (operationId != GetViewOperationId()) {
            Refuse(reqId, kRequestRefused, L"unsupported operation: " + operationId);
        } else if (!IsKnownClient(extraData)) {
            Refuse(reqId, kClientRefused, L"unknown client or wrong client secret");
        } else if (request_ != INVALID_REQUEST_ID || finished_) {
            SendAnswer(reqId, APP_CTRL_RESULT_FAILED, kRequestRefused, L"a sign-in is already in progress");
        } else {
            request_ = reqId;
        }
    }

    void OnAppControlRequestAbandoned(RequestId reqId) override {
        if (reqId != request_ || finished_) return;
        // Whoever asked has gone: a sign-in nobody waits for is not left on the screen.
        request_ = INVALID_REQUEST_ID;
        finished_ = true;
        store_->Cancel();
        Terminate();
    }

    void OnSignInRequested(const String& email, const String& password) override {
        email_ = email;
        bool started = store_->CheckPassword(email.ToUtf8(), password.ToUtf8(),
                                             [this](const SignInOutcome& outcome) { OnChecked(outcome); });
        if (!started && frame_) frame_->ShowMessage(L"A sign-in is already running.");
    }

    void OnSignInCancelled() override {
        store_->Cancel();
        Finish(APP_CTRL_RESULT_SUCCEEDED, kCancelled, L"the user cancelled the sign-in");
    }

private:
    void OnChecked(const SignInOutcome& outcome) {
        switch (outcome.kind) {
        case SignInOutcome::Kind::Valid:
            return Store(outcome);
        case SignInOutcome::Kind::Invalid:
            return frame_->ShowMessage(L"The e-mail address or password is incorrect. Try again.");
        case SignInOutcome::Kind::StoreError:
            return frame_->ShowMessage(L"The store could not check your password: " + String::FromUtf8(outcome.detail) +
                                       L". Try again.");
        case SignInOutcome::Kind::Unreachable:
            return Finish(APP_CTRL_RESULT_SUCCEEDED, kNetworkFailure,
                          L"the store cannot be reached: " + String::FromUtf8(outcome.detail));
        }
    }

    void Store(const SignInOutcome& outcome) {
        Account::Account account(Account::AccountProvider(kSignInAppId), email_);
        account.SetExtendedData(Account::Account::USER_ID_KEY, String::FromUtf8(outcome.userId));
        account.SetExtendedData(Account::Account::MCC_KEY, String::FromUtf8(device_.mcc));
        account.SetExtendedData(Account::Account::SERVER_URL_KEY, String::FromUtf8(outcome.serverUrl));
        Account::AccountStore store;
        result r = store.Construct();
        if (r == E_SUCCESS) r = store.AddAccount(account);
        if (r != E_SUCCESS) {
            return Finish(APP_CTRL_RESULT_FAILED, kDeviceStoreFailure,
                          String(L"the account could not be kept on the device: ") + String(GetErrorMessage(r)));
        }
        Finish(APP_CTRL_RESULT_SUCCEEDED, kSuccess, String());
    }

    void Finish(AppCtrlResult appControlResult, int code, const String& message) {
        if (finished_) return;
        finished_ = true;
        Answer(appControlResult, code, message);
        Terminate();
    }

    void Answer(AppCtrlResult appControlResult, int code, const String& message) {
        if (request_ == INVALID_REQUEST_ID) return;
        SendAnswer(request_, appControlResult, code, message);
        request_ = INVALID_REQUEST_ID;
    }

    void Refuse(RequestId reqId, int code, const String& message) {
        SendAnswer(reqId, APP_CTRL_RESULT_FAILED, code, message);
        // Started only for this refused request: nothing left to show.
        if (request_ == INVALID_REQUEST_ID && AppControlProviderManager::GetInstance()->GetPendingRequestCount() == 0 &&
            !frame_) {
            finished_ = true;
            Terminate();
        }
    }

    DeviceIdentity device_ = ReadDevice();
    std::unique_ptr<SignInStoreClient> store_;
    SignInFrame* frame_ = nullptr;  // owned by the application once added
    RequestId request_ = INVALID_REQUEST_ID;
    String email_;
    bool finished_ = false;
};

}  // namespace
}  // namespace OblinSignIn

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(OblinSignIn::kHelp, stdout);
            return 0;
        }
    }
    Base::Collection::ArrayList args(Base::Collection::ElementOwnership::Owned);
    args.Construct(argc);
    for (int i = 0; i < argc; ++i)
        args.Add(new String(argv[i]));
    result r = UiApp::Execute(OblinSignIn::OblinAccountApp::CreateInstance, &args);
    return r == E_SUCCESS ? 0 : 1;
}
