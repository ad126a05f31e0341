// Stands in for the account service's background application when a test
// needs answers the real one never gives. Each request is answered from
// $IAP_PLATFORM_HOME/fake-account-answer.txt: "key=value" lines become the
// extra data; a line "!no-map" sends no map at all; "!result=N" sets the
// application-control result (default 0). Every request is appended to
// $IAP_PLATFORM_HOME/fake-account-requests.txt.
#include <fstream>
#include <sstream>
#include <string>

#include "platform/app/AppControlProviderManager.h"
#include "platform/app/IAppControlProviderEventListener.h"
#include "platform/app/ServiceApp.h"
#include "platform/base/ArrayList.h"
#include "platform/base/HashMap.h"
#include "platform/base/PlatformHome.h"

using namespace Vx;
using namespace Vx::App;
using Vx::Base::String;
using Vx::Base::Collection::ElementOwnership;
using Vx::Base::Collection::HashMap;
using Vx::Base::Collection::IMap;

namespace {

class FakeAccountService : public ServiceApp, public IAppControlProviderEventListener {
public:
    static ServiceApp* CreateInstance() { return new FakeAccountService(); }

    bool OnAppInitializing(AppRegistry&) override {
        return AppControlProviderManager::GetInstance()->SetAppControlProviderEventListener(this) == E_SUCCESS;
    }

    void OnAppControlRequestReceived(RequestId requestId, const String& operationId, const String*, const String*,
                                     const IMap*) override {
        std::ofstream(Vx::Base::GetPlatformPath("fake-account-requests.txt"), std::ios::app)
            << operationId.ToUtf8() << "\n";
        HashMap answer(ElementOwnership::Owned);
        answer.Construct();
        bool withMap = true;
        int appControlResult = APP_CTRL_RESULT_SUCCEEDED;
        std::istringstream lines(ReadAnswerFile());
        for (std::string line; std::getline(lines, line);) {
            if (line == "!no-map") {
                withMap = false;
            } else if (line.rfind("!result=", 0) == 0) {
                appControlResult = std::stoi(line.substr(8));
            } else if (std::size_t eq = line.find('='); eq != std::string::npos) {
                answer.Add(new String(String::FromUtf8(line.substr(0, eq))),
                           new String(String::FromUtf8(line.substr(eq + 1))));
            }
        }
        AppControlProviderManager::GetInstance()->SendAppControlResult(
            requestId, static_cast<AppCtrlResult>(appControlResult), withMap ? &answer : nullptr);
        Terminate();
    }

private:
    static std::string ReadAnswerFile() {
        std::ifstream in(Vx::Base::GetPlatformPath("fake-account-answer.txt"));
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

}  // namespace

int main(int argc, char** argv) {
    Vx::Base::Collection::ArrayList args(ElementOwnership::Owned);
    args.Construct(argc);
    for (int i = 0; i < argc; ++i)
        args.Add(new String(argv[i]));
    return ServiceApp::Execute(FakeAccountService::CreateInstance, &args) == E_SUCCESS ? 0 : 1;
}
