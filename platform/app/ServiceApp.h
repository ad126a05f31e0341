#pragma once
#include "platform/app/App.h"
#include "platform/base/ArrayList.h"

namespace Vx::App {

class ServiceApp;
using ServiceAppInstanceFactory = ServiceApp* (*)();

// A headless application. When started by application control and left
// without callers and without requests owed for a while
// (IAP_SERVICE_IDLE_EXIT_MS, default 30000), it ends itself.
class ServiceApp : public App {
public:
    // Runs the application to its end. `arguments` (Strings, may be null)
    // become the process's argument list. E_SUCCESS after a normal end;
    // E_OUT_OF_MEMORY when the factory gives null; E_FAILURE when
    // OnAppInitializing refuses; E_OBJ_ALREADY_EXIST when an instance of the
    // application is already running; E_INVALID_STATE when another application runs in this process.
    static result Execute(ServiceAppInstanceFactory factory, const Vx::Base::Collection::ArrayList* arguments);

protected:
    ServiceApp() = default;
};

}  // namespace Vx::App
