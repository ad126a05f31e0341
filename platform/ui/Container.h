#pragma once
// A control that holds other controls and owns them.
#include <vector>

#include "platform/ui/Control.h"

namespace Vx::Ui {

class Container : public Control {
public:
    ~Container() override;

    // Takes the control, which must be constructed and must not belong to
    // another container. E_INVALID_ARG for null or this container itself;
    // E_INVALID_STATE when either side is not constructed; E_OBJ_ALREADY_EXIST
    // when the control already has a parent. On failure the caller keeps it.
    virtual result AddControl(Control* control);
    // Detaches and deletes the control. E_OBJ_NOT_FOUND when it is not a child.
    virtual result RemoveControl(Control* control);
    void RemoveAllControls();

    int GetControlCount() const;
    Control* GetControl(int index) const;
    // The first control with this name; with `recursive` also inside nested containers.
    Control* GetControl(const Base::String& name, bool recursive = false) const;
    bool IsAncestorOf(const Control& control) const;

protected:
    Container() = default;

private:
    std::vector<Control*> children_;
};

namespace Controls {
using Container = Vx::Ui::Container;
}

}  // namespace Vx::Ui
