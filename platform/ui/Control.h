#pragma once
// Base of every element of the user interface: a named rectangle with text,
// an enabled state and a show state. Controls are built in two phases (the
// derived class's Construct creates the native widget); a control added to a
// container belongs to it.
#include <memory>

#include "platform/base/Result.h"
#include "platform/base/String.h"
#include "platform/ui/Geometry.h"

namespace Vx::Ui {

class Container;
class ControlPrivate;

class Control {
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    // The name finds the control in its container and through the UI automation channel.
    void SetName(const Base::String& name);
    Base::String GetName() const;

    virtual result SetText(const Base::String& text);
    virtual Base::String GetText() const;

    result SetEnabled(bool enable);
    // False also while an ancestor is disabled.
    bool IsEnabled() const;
    // The control's own show state.
    result SetShowState(bool state);
    bool GetShowState() const;
    // Shown on screen: its own show state, its ancestors' and its window's.
    bool IsVisible() const;

    result SetBounds(const Graphics::Rectangle& rect);
    result SetBounds(int x, int y, int width, int height);
    Graphics::Rectangle GetBounds() const;
    result SetPosition(int x, int y);
    result SetSize(int width, int height);
    Graphics::Dimension GetSize() const;

    // The font face the control's text is drawn in (an installed face such as
    // "DejaVu Sans"); E_INVALID_STATE before Construct. Empty: the default face.
    result SetFont(const Base::String& faceName);
    Base::String GetFont() const;

    result SetFocus();
    bool HasFocus() const;
    result Show();
    result Invalidate(bool recursive = true);

    Container* GetParent() const;
    bool IsConstructed() const;
    // "Label", "Button", "EditField", "Form", "Frame", ...
    virtual const char* GetTypeName() const = 0;

    // Called after the control joins a container, and before it leaves it or is destroyed.
    virtual result OnInitializing() { return E_SUCCESS; }
    virtual result OnTerminating() { return E_SUCCESS; }

    // For the platform's own UI code.
    ControlPrivate& GetPrivate() const { return *d_; }

protected:
    Control();

private:
    friend class Container;
    std::unique_ptr<ControlPrivate> d_;
};

namespace Controls {
using Control = Vx::Ui::Control;
}

}  // namespace Vx::Ui
