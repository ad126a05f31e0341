#pragma once

namespace Vx::Ui {

namespace Controls {
class Window;
}

// Told when a window (a popup, a message box) comes up on screen and when it goes.
class IWindowEventListener {
public:
    virtual ~IWindowEventListener() = default;
    virtual void OnWindowActivated(const Controls::Window& source) = 0;
    virtual void OnWindowDeactivated(const Controls::Window& source) = 0;
};

}  // namespace Vx::Ui
