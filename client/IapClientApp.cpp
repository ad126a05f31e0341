#include "client/IapClientApp.h"

#include <new>

#include "client/IapClientFrame.h"

using namespace Vx;

Vx::App::UiApp* IapClientApp::CreateInstance() { return new (std::nothrow) IapClientApp(); }

IapClientApp::~IapClientApp() {
    if (!frameAdded_) delete frame_;
}

bool IapClientApp::OnAppInitializing(Vx::App::AppRegistry&) {
    frame_ = new (std::nothrow) IapClientFrame();
    if (!frame_) return false;
    return frame_->Construct() == E_SUCCESS;
}

bool IapClientApp::OnAppInitialized() {
    if (!frame_) return false;
    frame_->SetName(L"client");
    frameAdded_ = AddFrame(*frame_) == E_SUCCESS;
    // A frame that could not open its first scene never ends as a frame does:
    // a caller it accepted is answered here.
    if (!frameAdded_) frame_->OnTerminating();
    return frameAdded_;
}

bool IapClientApp::OnAppWillTerminate() { return true; }
bool IapClientApp::OnAppTerminating(Vx::App::AppRegistry&, bool) { return true; }
void IapClientApp::OnForeground() {}
void IapClientApp::OnBackground() {}
void IapClientApp::OnLowMemory() {}
void IapClientApp::OnBatteryLevelChanged(Vx::App::BatteryLevel) {}
void IapClientApp::OnScreenOn() {}
void IapClientApp::OnScreenOff() {}
