#pragma once
// Base of every application. The platform creates the one instance through
// the factory given to ServiceApp::Execute or UiApp::Execute and calls its
// life cycle on the main event loop:
//   OnAppInitializing -> (the launching request, if any) -> OnAppInitialized
//   -> events ... -> Terminate() -> OnAppWillTerminate -> frames end
//   -> OnAppTerminating -> answers flushed -> the instance is deleted.
#include "platform/app/AppRegistry.h"
#include "platform/app/AppTypes.h"

namespace Vx::App {

class AppResource;

enum AppState {
    APP_STATE_INITIALIZING,  // OnAppInitializing / OnAppInitialized not yet through
    APP_STATE_RUNNING,       // the event loop runs and no termination was asked for
    APP_STATE_TERMINATING,   // Terminate() was asked for, or the life-cycle end is under way
    APP_STATE_TERMINATED,    // not (or no longer) the running application
};

class App {
public:
    App(const App&) = delete;
    App& operator=(const App&) = delete;
    virtual ~App();

    // Null outside Execute.
    static App* GetInstance();
    // Ends the event loop once the current callback has returned. The answers
    // already sent reach their callers first; requests left unanswered are
    // reported to their callers as terminated. E_INVALID_STATE without an application.
    static result Terminate();

    AppState GetAppState() const;
    AppId GetAppId() const;
    Vx::Base::String GetAppVersion() const;
    Vx::Base::String GetAppName() const;
    static AppResource* GetAppResource();

    // False ends the application before its event loop starts.
    virtual bool OnAppInitializing(AppRegistry& appRegistry) = 0;
    // False ends the application.
    virtual bool OnAppInitialized() { return true; }
    virtual bool OnAppWillTerminate() { return true; }
    // `urgentTermination` is true when the platform stops the application
    // (a signal) rather than the application itself.
    virtual bool OnAppTerminating(AppRegistry& /*appRegistry*/, bool /*urgentTermination*/ = false) { return true; }
    virtual void OnLowMemory() {}
    virtual void OnBatteryLevelChanged(BatteryLevel /*batteryLevel*/) {}

protected:
    App();

private:
    friend class AppRuntime;
    // Ends the application's windows before OnAppTerminating.
    virtual void ReleaseFrames() {}
};

}  // namespace Vx::App
