#include "platform/app/AppRuntimePrivate.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/app/App.h"
#include "platform/app/AppContextPrivate.h"
#include "platform/app/AppControlClientPrivate.h"
#include "platform/app/AppControlProviderManager.h"
#include "platform/app/AppControlProviderManagerPrivate.h"
#include "platform/app/AppLauncher.h"
#include "platform/app/AppLog.h"
#include "platform/app/AppManager.h"
#include "platform/app/EventLoop.h"
#include "platform/base/String.h"

namespace Vx::App {
namespace {

constexpr int kFirstRequestWaitMs = 5000;
constexpr int kFlushTimeoutMs = 2000;

App* g_app = nullptr;
bool g_terminateRequested = false;
bool g_urgent = false;
bool g_inMainLoop = false;
int g_signalPipe[2] = {-1, -1};
std::map<int, std::function<void()>> g_terminationHooks;
int g_nextHookId = 1;

int IdleExitMs() {
    if (const char* text = std::getenv("IAP_SERVICE_IDLE_EXIT_MS")) {
        int value = std::atoi(text);
        if (value > 0) return value;
    }
    return 30000;
}

void OnSignal(int) {
    char byte = 1;
    [[maybe_unused]] auto ignored = ::write(g_signalPipe[1], &byte, 1);
}

// SIGTERM and SIGINT end the application through its normal termination.
class SignalGuard {
public:
    SignalGuard() {
        if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
        notifier_ = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [] {
            char buffer[16];
            while (::read(g_signalPipe[0], buffer, sizeof buffer) > 0) {
            }
            AppRuntime::RequestTerminate(true);
        });
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGTERM, &action, &oldTerm_);
        ::sigaction(SIGINT, &action, &oldInt_);
        installed_ = true;
    }
    ~SignalGuard() {
        if (!installed_) return;
        ::sigaction(SIGTERM, &oldTerm_, nullptr);
        ::sigaction(SIGINT, &oldInt_, nullptr);
        notifier_.reset();
        ::close(g_signalPipe[0]);
        ::close(g_signalPipe[1]);
        g_signalPipe[0] = g_signalPipe[1] = -1;
    }

private:
    std::unique_ptr<QSocketNotifier> notifier_;
    struct sigaction oldTerm_ {};
    struct sigaction oldInt_ {};
    bool installed_ = false;
};

// A launched service with nothing owed and no call of its own open ends itself
// after a while. Connections that carry no request do not keep it: they are
// closed when idle anyway.
class IdleExit {
public:
    IdleExit(AppControlProviderManagerPrivate& provider) : provider_(provider) {
        timer_.setSingleShot(true);
        timer_.setInterval(IdleExitMs());
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (IsIdle()) {
                AppRuntime::RequestTerminate(false);
            } else {
                timer_.start();
            }
        });
        provider_.SetIdleHandler([this] { timer_.start(); });
        timer_.start();
    }
    ~IdleExit() { provider_.SetIdleHandler(nullptr); }

private:
    bool IsIdle() const { return provider_.GetOwedCount() == 0 && AppControlClient::GetOpenCallCount() == 0; }
    AppControlProviderManagerPrivate& provider_;
    QTimer timer_;
};

}  // namespace

void AppRuntime::End(App* app, AppControlProviderManagerPrivate& provider) {
    provider.SetListener(nullptr);
    delete app;
    g_app = nullptr;
    AppManager::GetInstance()->activeAppListeners_.clear();
    // Callers still waiting learn that no answer will come.
    provider.Shutdown();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void AppRuntime::PrepareArguments(const Vx::Base::Collection::ArrayList* arguments, int*& argc, char**& argv) {
    static std::vector<std::string> storage;
    static std::vector<char*> pointers;
    static int count = 0;
    storage.clear();
    if (arguments) {
        for (int i = 0; i < arguments->GetCount(); ++i) {
            if (auto* text = dynamic_cast<const Vx::Base::String*>(arguments->GetAt(i)))
                storage.push_back(text->ToUtf8());
        }
    }
    if (storage.empty()) storage.push_back(AppContext::GetLogName());
    pointers.clear();
    for (std::string& s : storage)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    count = static_cast<int>(storage.size());
    argc = &count;
    argv = pointers.data();
}

App* AppRuntime::GetApp() { return g_app; }

result AppRuntime::RequestTerminate(bool urgent) {
    if (!g_app) return E_INVALID_STATE;
    if (urgent) g_urgent = true;
    if (g_terminateRequested) return E_SUCCESS;
    g_terminateRequested = true;
    AppControlProviderManager::GetInstance()->GetPrivate().StopListening();
    // A copy: a hook may end a loop whose owner then removes its hook.
    std::map<int, std::function<void()>> hooks = g_terminationHooks;
    for (auto& [id, hook] : hooks) {
        if (g_terminationHooks.count(id)) hook();
    }
    // Before the main loop runs, the flag alone keeps it from starting. Once it
    // runs, the exit is queued so that the callback that asked returns first.
    if (g_inMainLoop) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [] {
                if (g_inMainLoop) QCoreApplication::exit(0);
            },
            Qt::QueuedConnection);
    }
    return E_SUCCESS;
}

result AppRuntime::Run(App* app, Kind kind) {
    const AppManifest& self = AppContext::GetCurrent();
    bool launched = AppContext::IsLaunchedByAppControl();
    AppControlProviderManagerPrivate& provider = AppControlProviderManager::GetInstance()->GetPrivate();
    std::string error;
    switch (provider.Listen(self.appId, error)) {
    case AppControlProviderManagerPrivate::ListenStatus::AlreadyRunning:
        LogAppWarning(error + "; this one ends");
        delete app;
        return E_OBJ_ALREADY_EXIST;
    case AppControlProviderManagerPrivate::ListenStatus::Failed:
        LogAppWarning("application control requests cannot reach this application: " + error);
        if (launched) {
            delete app;
            return E_IO;
        }
        break;
    case AppControlProviderManagerPrivate::ListenStatus::Listening:
        // The caller that launched us connects now rather than looking for the socket.
        AppLauncher::SignalListening();
        break;
    }
    g_app = app;
    g_terminateRequested = false;
    g_urgent = false;
    SignalGuard signalGuard;
    AppRegistry registry;
    if (!app->OnAppInitializing(registry)) {
        LogAppWarning("initialisation failed; the application ends");
        End(app, provider);
        return E_FAILURE;
    }
    // The launching request reaches the application before OnAppInitialized,
    // so that the first screen can depend on it.
    if (launched && provider.GetListener()) {
        EventLoop::RunUntil([&] { return provider.GetDeliveredCount() > 0 || g_terminateRequested; },
                            kFirstRequestWaitMs);
    }
    if (!g_terminateRequested && !app->OnAppInitialized()) RequestTerminate(false);
    if (!g_terminateRequested && kind == Kind::Ui)
        AppManager::AnnounceActiveApp(Vx::Base::String::FromUtf8(self.appId));
    std::unique_ptr<IdleExit> idle;
    if (kind == Kind::Service && launched) idle = std::make_unique<IdleExit>(provider);
    if (!g_terminateRequested) {
        g_inMainLoop = true;
        QCoreApplication::exec();
        g_inMainLoop = false;
    }
    idle.reset();
    app->OnAppWillTerminate();
    app->ReleaseFrames();
    app->OnAppTerminating(registry, g_urgent);
    provider.FlushAll(kFlushTimeoutMs);
    End(app, provider);
    return E_SUCCESS;
}

bool AppRuntime::IsTerminateRequested() { return g_terminateRequested; }

bool AppRuntime::IsInMainLoop() { return g_inMainLoop; }

int AppRuntime::AddTerminationHook(std::function<void()> hook) {
    int id = g_nextHookId++;
    g_terminationHooks.emplace(id, std::move(hook));
    return id;
}

void AppRuntime::RemoveTerminationHook(int id) { g_terminationHooks.erase(id); }

}  // namespace Vx::App
