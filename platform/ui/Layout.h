#pragma once
// Places the controls of one container. A container built with a layout
// (Form::Construct(Layout&, style)) lays its controls out again whenever it
// is resized; the layout is not owned and must live as long as the container.
#include "platform/base/Result.h"

namespace Vx::Ui {

class Container;

class Layout {
public:
    Layout() = default;
    Layout(const Layout&) = delete;
    Layout& operator=(const Layout&) = delete;
    virtual ~Layout() = default;

    // Places the controls again, for instance after they changed their size.
    // E_INVALID_STATE while no container uses the layout.
    virtual result Update() = 0;

    Container* GetContainer() const { return container_; }
    // For the platform: the container that the layout places controls in.
    void SetContainer(Container* container) { container_ = container; }

private:
    Container* container_ = nullptr;
};

}  // namespace Vx::Ui
