#pragma once
// A grid of rows and columns. Each row is as high as its highest control and
// each column as wide as its widest (controls spanning several cells do not
// count); the room left over goes in equal parts to the stretchable columns
// (rows), and missing room is taken from the shrinkable ones. A control in a
// stretchable column (row) fills its cell's width (height); otherwise it
// keeps its own size, at the cell's top left corner. Controls the grid was
// not given a cell for keep their bounds.
#include <memory>

#include "platform/ui/Control.h"
#include "platform/ui/Layout.h"

namespace Vx::Ui {

class GridLayoutPrivate;

class GridLayout : public Layout {
public:
    GridLayout();
    ~GridLayout() override;

    // E_INVALID_STATE when called twice; E_INVALID_ARG for fewer than 1 row or column.
    result Construct(int rowCount, int columnCount);
    int GetRowCount() const;
    int GetColumnCount() const;

    // Gives a control of the layout's container its cell (again). E_INVALID_STATE
    // before Construct or while no container uses the layout; E_INVALID_ARG for
    // a control not in that container; E_OUT_OF_RANGE for cells outside the grid.
    result SetPosition(Control& childControl, int row, int column, int rowSpan = 1, int columnSpan = 1);

    // E_OUT_OF_RANGE for an index outside the grid.
    result SetColumnStretchable(int columnIndex, bool stretchable);
    result SetRowStretchable(int rowIndex, bool stretchable);
    result SetColumnShrinkable(int columnIndex, bool shrinkable);
    result SetRowShrinkable(int rowIndex, bool shrinkable);
    // The space after a column (row), between it and the next one; E_INVALID_ARG below 0.
    result SetColumnSpacing(int columnIndex, int space);
    result SetRowSpacing(int rowIndex, int space);

    result Update() override;

private:
    std::unique_ptr<GridLayoutPrivate> d_;
};

namespace Controls {
using GridLayout = Vx::Ui::GridLayout;
}

}  // namespace Vx::Ui
