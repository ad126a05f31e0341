#include "client/ui/widgets/IapGridLayoutPanel.h"

#include <new>

using namespace Vx;

IapGridLayoutPanel::~IapGridLayoutPanel() {
    // The children go before the layout that places them.
    RemoveAllControls();
}

result IapGridLayoutPanel::Construct(int rows, int columns, const Graphics::Rectangle& bounds,
                                     Ui::Controls::GroupStyle groupStyle) {
    if (grid_ || IsConstructed()) return E_INVALID_STATE;
    std::unique_ptr<IapGridLayout> grid(new (std::nothrow) IapGridLayout());
    if (!grid) return E_OUT_OF_MEMORY;
    result r = grid->Construct(rows, columns);
    if (r != E_SUCCESS) return r;
    for (int row = 0; row < rows; ++row) {
        grid->SetRowShrinkable(row, false);
        grid->SetRowStretchable(row, false);
    }
    r = Panel::Construct(*grid, bounds, groupStyle);
    if (r != E_SUCCESS) return r;
    grid_ = std::move(grid);
    return E_SUCCESS;
}

result IapGridLayoutPanel::AddControl(Ui::Control* control, int row, int column, int rowSpan, int columnSpan) {
    if (!control) return E_INVALID_ARG;
    if (!grid_) return E_INVALID_STATE;
    result r = Panel::AddControl(control);
    if (r != E_SUCCESS) return r;
    return grid_->AddControl(*control, row, column, rowSpan, columnSpan);
}

result IapGridLayoutPanel::AdjustHeight() {
    if (!grid_) return E_INVALID_STATE;
    return SetSize(GetSize().width, grid_->GetCalculatedHeight());
}

result IapGridLayoutPanel::SetAllColumnsStretchable(bool stretchable) {
    if (!grid_) return E_INVALID_STATE;
    for (int column = 0; column < grid_->GetColumnCount(); ++column) {
        result r = grid_->SetColumnStretchable(column, stretchable);
        if (r != E_SUCCESS) return r;
    }
    return E_SUCCESS;
}

result IapGridLayoutPanel::SetColumnStretchable(int column, bool stretchable) {
    if (!grid_) return E_INVALID_STATE;
    return grid_->SetColumnStretchable(column, stretchable);
}
