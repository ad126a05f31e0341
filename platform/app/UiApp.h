#pragma once
#include <vector>

#include "platform/app/App.h"
#include "platform/base/ArrayList.h"

namespace Vx::App {

class IAppFrame;
class UiApp;
using UiAppInstanceFactory = UiApp* (*)();

// An application with windows. Without DISPLAY or WAYLAND_DISPLAY (and no
// QT_QPA_PLATFORM of its own) it renders offscreen. When it starts it tells
// the running applications that it came to the foreground.
class UiApp : public App {
public:
    ~UiApp() override;

    // As ServiceApp::Execute, for an application with windows.
    static result Execute(UiAppInstanceFactory factory, const Vx::Base::Collection::ArrayList* arguments);
    static UiApp* GetInstance();

    // Takes the frame, then calls its OnAppFrameAdded; on failure the frame
    // is given back (not deleted) and the failure returned.
    result AddFrame(IAppFrame& frame);
    // The first frame added; null when none.
    IAppFrame* GetAppFrame() const;
    int GetFrameCount() const { return static_cast<int>(frames_.size()); }

    virtual void OnForeground() {}
    virtual void OnBackground() {}

protected:
    UiApp() = default;

private:
    void ReleaseFrames() override;
    std::vector<IAppFrame*> frames_;
};

}  // namespace Vx::App
