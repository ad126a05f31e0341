#pragma once
// The life cycle shared by service and UI applications: instance lock and
// request server, life-cycle callbacks, the launching request, termination
// and the flushing of answers. The caller creates the Qt application object.
#include <functional>

#include "platform/base/ArrayList.h"
#include "platform/base/Result.h"

namespace Vx::App {

class App;
class AppControlProviderManagerPrivate;

class AppRuntime {
public:
    enum class Kind { Service, Ui };

    // argc/argv for the Qt application object, kept for the process's life.
    static void PrepareArguments(const Vx::Base::Collection::ArrayList* arguments, int*& argc, char**& argv);
    // Takes `app` and deletes it before returning.
    static result Run(App* app, Kind kind);
    static App* GetApp();
    static result RequestTerminate(bool urgent);
    // For App::GetAppState.
    static bool IsTerminateRequested();
    static bool IsInMainLoop();
    // Nested loops that must end when termination is asked, also before the main
    // loop runs (where no application exit reaches them). The hook runs once, at
    // the request; it must only ask its loop to end. Returns an id for removal.
    static int AddTerminationHook(std::function<void()> hook);
    static void RemoveTerminationHook(int id);

private:
    static void End(App* app, AppControlProviderManagerPrivate& provider);
};

}  // namespace Vx::App
