#include "platform/app/UiApp.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/app/AppLog.h"
#include "platform/app/AppRuntimePrivate.h"
#include "platform/app/IAppFrame.h"
#include "platform/ui/scenes/SceneManagerPrivate.h"

namespace Vx::App {
namespace {

// Without a display the windows render offscreen; Qt also wants a private runtime folder.
void PrepareEnvironment() {
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!display || !*display) && (!wayland || !*wayland)) ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        std::string dir = "/tmp/vx-" + std::to_string(::geteuid());
        ::mkdir(dir.c_str(), 0700);
        dir += "/runtime";
        ::mkdir(dir.c_str(), 0700);
        ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 0);
    }
}

}  // namespace

UiApp::~UiApp() {
    ReleaseFrames();
    // Its scenes were forms of the frames just ended.
    Vx::Ui::Scenes::SceneManagerPrivate::DestroyInstance();
}

result UiApp::Execute(UiAppInstanceFactory factory, const Vx::Base::Collection::ArrayList* arguments) {
    if (!factory) return E_INVALID_ARG;
    if (App::GetInstance()) return E_INVALID_STATE;
    if (!QCoreApplication::instance()) {
        PrepareEnvironment();
        int* argc = nullptr;
        char** argv = nullptr;
        AppRuntime::PrepareArguments(arguments, argc, argv);
        new QApplication(*argc, argv);
    } else if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        LogAppWarning("a UI application needs a QApplication, and this process already has a core application");
        return E_INVALID_STATE;
    }
    UiApp* app = factory();
    if (!app) return E_OUT_OF_MEMORY;
    return AppRuntime::Run(app, AppRuntime::Kind::Ui);
}

UiApp* UiApp::GetInstance() { return dynamic_cast<UiApp*>(App::GetInstance()); }

result UiApp::AddFrame(IAppFrame& frame) {
    if (std::find(frames_.begin(), frames_.end(), &frame) != frames_.end()) return E_OBJ_ALREADY_EXIST;
    frames_.push_back(&frame);
    result r = frame.OnAppFrameAdded();
    if (r != E_SUCCESS) frames_.erase(std::find(frames_.begin(), frames_.end(), &frame));
    return r;
}

IAppFrame* UiApp::GetAppFrame() const { return frames_.empty() ? nullptr : frames_.front(); }

void UiApp::ReleaseFrames() {
    // Last added ends first; a frame may still send an owed answer here.
    while (!frames_.empty()) {
        IAppFrame* frame = frames_.back();
        frame->OnAppFrameRemoving();
        frames_.pop_back();
        delete frame;
    }
}

}  // namespace Vx::App
