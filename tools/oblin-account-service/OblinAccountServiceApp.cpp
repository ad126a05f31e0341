// a7qd02lm9x.OblinAccountService: hands the signed-in user's data to the
// known client, then ends.
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/app/AppControlProviderManager.h"
#include "platform/app/IAppControlProviderEventListener.h"
#include "platform/app/ServiceApp.h"
#include "platform/base/ArrayList.h"
#include "tools/oblin-account-service/AccountServiceProtocol.h"

using namespace Vx;
using namespace Vx::App;
using Vx::Base::String;
using Vx::Base::Collection::IMap;

namespace {

const char kHelp[] = R"(Usage: oblin-account-service [--help]

The background application of the platform account service
(a7qd02lm9x.OblinAccountService). Other applications ask it by application
control, operation http://vexmora.com/appcontrol/operation/view, with the
client_id and client_secret of a known client. It answers "resultCode" 0 and
"additionalValues" user_id:..,email_id:..,mcc:..,server_url:.. for the signed-in
account (values with '%', ',' and ':' percent-encoded), 1 when none is signed
in, 5 for an unknown client, 6 when the device's account store cannot be read,
7 for another operation; then it ends. Accounts: appctl account list.
)";

class OblinAccountServiceApp : public ServiceApp, public IAppControlProviderEventListener {
public:
    static ServiceApp* CreateInstance() { return new OblinAccountServiceApp(); }

    bool OnAppInitializing(AppRegistry&) override {
        return AppControlProviderManager::GetInstance()->SetAppControlProviderEventListener(this) == E_SUCCESS;
    }

    bool OnAppTerminating(AppRegistry&, bool) override {
        AppControlProviderManager::GetInstance()->SetAppControlProviderEventListener(nullptr);
        return true;
    }

    void OnAppControlRequestReceived(RequestId reqId, const String& operationId, const String*, const String*,
                                     const IMap* extraData) override {
        Answer(reqId, operationId, extraData);
        // Callers that came meanwhile are served before the service ends.
        if (AppControlProviderManager::GetInstance()->GetPendingRequestCount() == 0) Terminate();
    }

private:
    static void Answer(RequestId reqId, const String& operationId, const IMap* extraData) {
        using namespace OblinAccountService;
        if (operationId != GetViewOperationId()) {
            SendAnswer(reqId, APP_CTRL_RESULT_FAILED, kRequestRefused, L"unsupported operation: " + operationId);
            return;
        }
        if (!IsKnownClient(extraData)) {
            SendAnswer(reqId, APP_CTRL_RESULT_FAILED, kClientRefused, L"unknown client or wrong client secret");
            return;
        }
        Account::Account account;
        result r = FindSignedInAccount(account);
        if (r == E_OBJ_NOT_FOUND) {
            SendAnswer(reqId, APP_CTRL_RESULT_SUCCEEDED, kNotSignedIn, L"no account is signed in");
        } else if (r != E_SUCCESS) {
            SendAnswer(reqId, APP_CTRL_RESULT_FAILED, kDeviceStoreFailure,
                       L"the device's account store cannot be read");
        } else {
            SendAnswer(reqId, APP_CTRL_RESULT_SUCCEEDED, kSuccess, String(), BuildAdditionalValues(account));
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelp, stdout);
            return 0;
        }
    }
    Base::Collection::ArrayList args(Base::Collection::ElementOwnership::Owned);
    args.Construct(argc);
    for (int i = 0; i < argc; ++i)
        args.Add(new String(argv[i]));
    result r = ServiceApp::Execute(OblinAccountServiceApp::CreateInstance, &args);
    return r == E_SUCCESS ? 0 : 1;
}
