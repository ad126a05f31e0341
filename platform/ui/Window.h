#pragma once
// A window of its own over the frame: the base of popups and message boxes.
// Shown windows are modal to the application: the form underneath takes no
// input until they are hidden. Window event listeners hear when it comes up
// (OnWindowActivated) and when it goes (OnWindowDeactivated).
#include <memory>

#include "platform/ui/Container.h"
#include "platform/ui/IWindowEventListener.h"
#include "platform/ui/ListenerList.h"

namespace Vx::Ui::Controls {

class Window : public Container {
public:
    ~Window() override;

    // Not owned. E_OBJ_ALREADY_EXIST / E_OBJ_NOT_FOUND as for other listeners.
    result AddWindowEventListener(Vx::Ui::IWindowEventListener& listener);
    result RemoveWindowEventListener(Vx::Ui::IWindowEventListener& listener);

    // For the platform: the window came up or went.
    void NotifyShown(bool shown);

protected:
    Window() = default;

private:
    ListenerList<Vx::Ui::IWindowEventListener> windowListeners_;
    bool shown_ = false;
};

}  // namespace Vx::Ui::Controls
