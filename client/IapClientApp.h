#pragma once
// buyclient's application object: creates the frame and adds it.
#include "platform/app/UiApp.h"
#include "platform/system/IScreenEventListener.h"

class IapClientFrame;

class IapClientApp : public Vx::App::UiApp, public Vx::System::IScreenEventListener {
public:
    static Vx::App::UiApp* CreateInstance();

    ~IapClientApp() override;

    bool OnAppInitializing(Vx::App::AppRegistry& appRegistry) override;
    bool OnAppInitialized() override;
    bool OnAppWillTerminate() override;
    bool OnAppTerminating(Vx::App::AppRegistry& appRegistry, bool urgentTermination) override;
    void OnForeground() override;
    void OnBackground() override;
    void OnLowMemory() override;
    void OnBatteryLevelChanged(Vx::App::BatteryLevel batteryLevel) override;
    void OnScreenOn() override;
    void OnScreenOff() override;

private:
    IapClientApp() = default;

    IapClientFrame* frame_ = nullptr;
    bool frameAdded_ = false;  // once added, the application owns the frame
};
