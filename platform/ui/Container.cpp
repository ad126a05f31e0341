#include "platform/ui/Container.h"

#include <algorithm>
#include <new>
#include <string_view>

#include "platform/ui/ControlPrivate.h"

namespace Vx::Ui {

Container::~Container() { RemoveAllControls(); }

result Container::AddControl(Control* control) {
    if (!control || control == this) return E_INVALID_ARG;
    if (!IsConstructed() || !control->IsConstructed()) return E_INVALID_STATE;
    if (control->GetPrivate().parent) return E_OBJ_ALREADY_EXIST;
    // A frame is a window of its own and never a child.
    if (std::string_view(control->GetTypeName()) == "Frame") return E_INVALID_ARG;
    ControlPrivate& child = control->GetPrivate();
    try {
        children_.push_back(control);
    } catch (const std::bad_alloc&) {
        return E_OUT_OF_MEMORY;
    }
    QWidget* host = GetPrivate().childHost ? GetPrivate().childHost.data() : GetPrivate().widget.data();
    bool hidden = child.widget->isHidden() && child.widget->testAttribute(Qt::WA_WState_ExplicitShowHide);
    child.widget->setParent(host);
    if (!hidden) child.widget->show();
    child.parent = this;
    result r = control->OnInitializing();
    if (r != E_SUCCESS) {
        children_.pop_back();
        child.parent = nullptr;
        child.widget->hide();
        child.widget->setParent(nullptr);
        return r;
    }
    return E_SUCCESS;
}

result Container::RemoveControl(Control* control) {
    auto it = std::find(children_.begin(), children_.end(), control);
    if (it == children_.end()) return E_OBJ_NOT_FOUND;
    children_.erase(it);
    control->OnTerminating();
    control->GetPrivate().parent = nullptr;
    delete control;
    return E_SUCCESS;
}

void Container::RemoveAllControls() {
    // Last added first, like a stack of windows being taken down.
    while (!children_.empty())
        RemoveControl(children_.back());
}

int Container::GetControlCount() const { return static_cast<int>(children_.size()); }

Control* Container::GetControl(int index) const {
    if (index < 0 || index >= GetControlCount()) return nullptr;
    return children_[static_cast<std::size_t>(index)];
}

Control* Container::GetControl(const Base::String& name, bool recursive) const {
    for (Control* child : children_) {
        if (child->GetName() == name) return child;
    }
    if (!recursive) return nullptr;
    for (Control* child : children_) {
        if (auto* nested = dynamic_cast<Container*>(child)) {
            if (Control* found = nested->GetControl(name, true)) return found;
        }
    }
    return nullptr;
}

bool Container::IsAncestorOf(const Control& control) const {
    for (Container* p = control.GetParent(); p; p = p->GetParent()) {
        if (p == this) return true;
    }
    return false;
}

}  // namespace Vx::Ui
