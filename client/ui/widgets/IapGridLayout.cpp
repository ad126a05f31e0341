#include "client/ui/widgets/IapGridLayout.h"

#include <algorithm>

using namespace Vx;

result IapGridLayout::Construct(int rows, int columns) {
    result r = GridLayout::Construct(rows, columns);
    if (r != E_SUCCESS) return r;
    cells_.clear();
    cells_.reserve(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns));
    for (int column = 0; column + 1 < columns; ++column)
        SetColumnSpacing(column, kSpacing);
    for (int row = 0; row + 1 < rows; ++row)
        SetRowSpacing(row, kSpacing);
    return E_SUCCESS;
}

result IapGridLayout::AddControl(Ui::Control& control, int row, int column, int rowSpan, int columnSpan) {
    result r = GridLayout::SetPosition(control, row, column, rowSpan, columnSpan);
    if (r == E_SUCCESS) cells_.push_back(Cell{row, column, &control});
    return r;
}

result IapGridLayout::SetPosition(Ui::Control& control, int row, int column, int rowSpan, int columnSpan) {
    return GridLayout::SetPosition(control, row, column, rowSpan, columnSpan);
}

int IapGridLayout::GetCalculatedHeight() const {
    const int rows = GetRowCount();
    if (rows <= 0) return 0;
    std::vector<int> heights(static_cast<std::size_t>(rows), 0);
    for (const Cell& cell : cells_) {
        if (cell.row < 0 || cell.row >= rows || !cell.control) continue;
        int& height = heights[static_cast<std::size_t>(cell.row)];
        height = std::max(height, cell.control->GetSize().height);
    }
    int sum = 0;
    for (int height : heights)
        sum += height;
    return rows >= 2 ? sum + kSpacing * (rows - 1) : sum;
}

void IapGridLayout::ForgetControl(const Ui::Control& control) {
    std::erase_if(cells_, [&](const Cell& cell) { return cell.control == &control; });
}
