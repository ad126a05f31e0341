// Program entry of buyclient.
#include <new>

#include "client/IapClientApp.h"
#include "platform/base/ArrayList.h"
#include "platform/base/String.h"

using namespace Vx;
using namespace Vx::Base;
using namespace Vx::Base::Collection;

int OspMain(int argc, char* argv[]) {
    ArrayList arguments(ElementOwnership::Owned);
    result r = arguments.Construct(argc);
    if (r != E_SUCCESS) return static_cast<int>(r);
    for (int i = 0; i < argc; ++i) {
        auto* argument = new (std::nothrow) String(argv[i]);
        if (!argument || arguments.Add(argument) != E_SUCCESS) {
            delete argument;
            return static_cast<int>(E_OUT_OF_MEMORY);
        }
    }
    return static_cast<int>(App::UiApp::Execute(IapClientApp::CreateInstance, &arguments));
}

// A result such as 0x80000000 would read as exit status 0: map it to 1.
int main(int argc, char* argv[]) { return OspMain(argc, argv) == 0 ? 0 : 1; }
