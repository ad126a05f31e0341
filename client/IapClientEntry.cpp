// Program entry of buyclient.
#include <cstdio>

#include "client/IapClientApp.h"
#include "platform/app/AppCommandLine.h"
#include "platform/base/ArrayList.h"

using namespace Vx;
using namespace Vx::Base::Collection;

namespace {

const char kHelp[] = R"(Usage: buyclient [--help]

The purchase application of the device (application buyclient.BuyClient): it
signs the user in (or asks the password of the signed-in account), shows the
item with the payment methods the store offers, hands the caller a ticket,
and once the caller resumes buys the item with the registered credit card
(after registering one when the store knows none) and answers with the
purchased item.

It is not run by hand: application control starts it for a calling
application, e.g.
  appctl buyclient.BuyClient /appcontrol/operation/iap/purchase \
      _transactionId=4 _itemId=000000001003 _itemGroupId=100000000001
then, with the ticket, the same request with _purchaseResume=1
(see docs/buyclient.md and docs/application-control.md).

Environment:
  IAP_PLATFORM_HOME        the device's state folder (apps, accounts, device
                           profile, logs); default ~/.local/share/vexmora-device
  IAP_COUNTRY_SEARCH_URL   the country search that names the store; default
                           http://127.0.0.1:8640/ods.as (iap-sandbox's default)
  IAP_UI_AUTOMATION=1      opens the UI automation channel (iap-ui,
                           docs/ui-automation.md)
  IAP_CLIENT_TEST_HOOKS=1  tests only: extra buttons on the purchase screen
  IAP_APPCONTROL_IDLE_TIMEOUT_MS  how long a caller's connection may stay
                           silent mid-message (default 10000)
  IAP_SIGN_IN_TIMEOUT_MS   how long the account service may leave a request
                           unanswered (default 300000)
  IAP_HTTP_TIMEOUT_MS      tests only: replaces every HTTP time-out
  IAP_PLATFORM_FAULTS      simulated failures of downloads and installations
                           (docs/packages.md)
  IAP_TRACE_STARTUP=1      time stamps of the start-up steps on standard error
  DISPLAY, WAYLAND_DISPLAY without either, the windows are drawn offscreen
                           (QT_QPA_PLATFORM=offscreen unless it is set)

Options:
  -h, --help  print this text and exit 0 (nothing else is done)
Any other argument is refused with exit status 2.
)";

}  // namespace

int OspMain(int argc, char* argv[]) {
    ArrayList arguments(ElementOwnership::Owned);
    result r = App::AppCommandLine::Collect(argc, argv, arguments);
    if (r != E_SUCCESS) return static_cast<int>(r);
    return static_cast<int>(App::UiApp::Execute(IapClientApp::CreateInstance, &arguments));
}

int main(int argc, char* argv[]) {
    // Before anything of the application runs: no lock, no window, nothing in the home.
    const int early = App::AppCommandLine::Check(argc, argv, kHelp, stdout, stderr);
    if (early != App::AppCommandLine::kRun) return early;
    // A result such as 0x80000000 would read as exit status 0: map it to 1.
    return OspMain(argc, argv) == 0 ? 0 : 1;
}
