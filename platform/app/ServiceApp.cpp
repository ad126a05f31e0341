#include "platform/app/ServiceApp.h"

#include <QCoreApplication>

#include "platform/app/AppRuntimePrivate.h"
#include "platform/base/StartupTrace.h"

namespace Vx::App {

result ServiceApp::Execute(ServiceAppInstanceFactory factory, const Vx::Base::Collection::ArrayList* arguments) {
    Vx::Base::StartupTrace::Mark("service: main");
    if (!factory) return E_INVALID_ARG;
    if (App::GetInstance()) return E_INVALID_STATE;
    if (!QCoreApplication::instance()) {
        int* argc = nullptr;
        char** argv = nullptr;
        AppRuntime::PrepareArguments(arguments, argc, argv);
        // Kept to the end of the process, like every platform singleton that may use it.
        new QCoreApplication(*argc, argv);
        Vx::Base::StartupTrace::Mark("service: core application");
    }
    ServiceApp* app = factory();
    if (!app) return E_OUT_OF_MEMORY;
    return AppRuntime::Run(app, AppRuntime::Kind::Service);
}

}  // namespace Vx::App
