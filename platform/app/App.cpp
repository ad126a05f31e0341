#include "platform/app/App.h"

#include <QCoreApplication>

#include "platform/app/AppContextPrivate.h"
#include "platform/app/AppResource.h"
#include "platform/app/AppRuntimePrivate.h"

namespace Vx::App {

using Vx::Base::String;

namespace {

// Set when the main loop has ended, also when it ended without Terminate (the last window closed).
bool g_loopEnded = false;
QCoreApplication* g_watched = nullptr;

}  // namespace

App::App() {
    g_loopEnded = false;
    if (QCoreApplication* core = QCoreApplication::instance(); core && core != g_watched) {
        g_watched = core;
        QObject::connect(core, &QCoreApplication::aboutToQuit, [] { g_loopEnded = true; });
    }
}

App::~App() = default;

App* App::GetInstance() { return AppRuntime::GetApp(); }

result App::Terminate() { return AppRuntime::RequestTerminate(false); }

AppState App::GetAppState() const {
    if (AppRuntime::GetApp() != this) return APP_STATE_TERMINATED;
    if (AppRuntime::IsTerminateRequested() || g_loopEnded) return APP_STATE_TERMINATING;
    return AppRuntime::IsInMainLoop() ? APP_STATE_RUNNING : APP_STATE_INITIALIZING;
}

AppId App::GetAppId() const { return String::FromUtf8(AppContext::GetCurrent().appId); }

String App::GetAppVersion() const { return String::FromUtf8(AppContext::GetCurrent().version); }

String App::GetAppName() const { return String::FromUtf8(AppContext::GetCurrent().name); }

AppResource* App::GetAppResource() { return AppResource::GetInstance(); }

}  // namespace Vx::App
