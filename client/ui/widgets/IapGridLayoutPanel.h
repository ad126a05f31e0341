#pragma once
// A panel laid out by an IapGridLayout, able to take the height its content needs.
#include <memory>

#include "client/ui/widgets/IapGridLayout.h"
#include "platform/ui/Panel.h"

class IapGridLayoutPanel : public Vx::Ui::Controls::Panel {
public:
    IapGridLayoutPanel() = default;
    ~IapGridLayoutPanel() override;

    // E_INVALID_STATE when already constructed.
    Vx::result Construct(int rows, int columns, const Vx::Graphics::Rectangle& bounds,
                         Vx::Ui::Controls::GroupStyle groupStyle = Vx::Ui::Controls::GROUP_STYLE_NONE);
    using Panel::AddControl;
    // Adds to the panel, then places in the grid; on failure the caller keeps the control.
    Vx::result AddControl(Vx::Ui::Control* control, int row, int column, int rowSpan = 1, int columnSpan = 1);
    // Height = the grid's calculated height; width kept.
    Vx::result AdjustHeight();
    // E_INVALID_STATE before Construct.
    Vx::result SetAllColumnsStretchable(bool stretchable);
    Vx::result SetColumnStretchable(int column, bool stretchable);
    IapGridLayout* GetGridLayout() const { return grid_.get(); }

private:
    std::unique_ptr<IapGridLayout> grid_;
};
