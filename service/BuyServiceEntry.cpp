// Program entry of buyservice.
#include <cstdio>

#include "platform/app/AppCommandLine.h"
#include "platform/base/ArrayList.h"
#include "service/BuyService.h"

using namespace Vx;
using namespace Vx::Base::Collection;

namespace {

const char kHelp[] = R"(Usage: buyservice [--help]

The in-app purchase service of the device (application buyservice.BuyService):
a program without windows that answers other applications' requests for the
store's country list, an item list and the signed-in user's purchased items.
It finds the store by a country search, asks it, answers, and ends once idle;
when the store offers a newer buyclient it installs that first.

It is not run by hand: application control starts it for a caller, e.g.
  appctl buyservice.BuyService /appcontrol/operation/iap/get_country_list _transactionId=1
  appctl buyservice.BuyService /appcontrol/operation/iap/get_item_list \
      _transactionId=2 _itemGroupId=100000000001 _startNumber=1 _endNumber=5
  appctl buyservice.BuyService /appcontrol/operation/iap/get_purchased_item_list \
      _transactionId=3 _itemGroupId=100000000001 _startNumber=1 _endNumber=10
(see README.md and docs/application-control.md).

Environment:
  IAP_PLATFORM_HOME        the device's state folder (apps, accounts, device
                           profile, logs); default ~/.local/share/vexmora-device
  IAP_COUNTRY_SEARCH_URL   the country search that names the store; default
                           http://127.0.0.1:8640/ods.as (iap-sandbox's default)
  IAP_SERVICE_IDLE_EXIT_MS ends after this long without a request (default 30000)
  IAP_APPCONTROL_IDLE_TIMEOUT_MS  how long a caller's connection may stay
                           silent mid-message (default 10000)
  IAP_SIGN_IN_TIMEOUT_MS   how long the account service may leave a request
                           unanswered (default 300000)
  IAP_HTTP_TIMEOUT_MS      tests only: replaces every HTTP time-out
  IAP_PLATFORM_FAULTS      simulated failures of downloads and installations
                           (docs/packages.md)
  IAP_TRACE_STARTUP=1      time stamps of the start-up steps on standard error

Options:
  -h, --help  print this text and exit 0 (nothing else is done)
Any other argument is refused with exit status 2.
)";

}  // namespace

int OspMain(int argc, char* argv[]) {
    ArrayList arguments(ElementOwnership::Owned);
    result r = App::AppCommandLine::Collect(argc, argv, arguments);
    if (r != E_SUCCESS) return static_cast<int>(r);
    return static_cast<int>(App::ServiceApp::Execute(BuyServiceApp::CreateInstance, &arguments));
}

int main(int argc, char* argv[]) {
    // Before anything of the application runs: no lock, nothing in the home.
    const int early = App::AppCommandLine::Check(argc, argv, kHelp, stdout, stderr);
    if (early != App::AppCommandLine::kRun) return early;
    // A result such as 0x80000000 would read as exit status 0: map it to 1.
    return OspMain(argc, argv) == 0 ? 0 : 1;
}
