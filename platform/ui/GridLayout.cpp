#include "platform/ui/GridLayout.h"

#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "platform/ui/Container.h"
#include "platform/ui/ControlPrivate.h"

namespace Vx::Ui {

namespace {

// One direction of the grid: columns (widths) or rows (heights).
struct Axis {
    std::vector<bool> stretchable;
    std::vector<bool> shrinkable;
    std::vector<int> spacing;  // after each line
    std::vector<int> size;
    std::vector<int> start;

    void Resize(int count) {
        stretchable.assign(static_cast<std::size_t>(count), false);
        shrinkable.assign(static_cast<std::size_t>(count), false);
        spacing.assign(static_cast<std::size_t>(count), 0);
    }
    int Count() const { return static_cast<int>(stretchable.size()); }

    // Sizes from the natural ones, fitted to `available`, then the starts.
    void Fit(std::vector<int> natural, int available) {
        int count = Count();
        int total = 0;
        for (int i = 0; i < count; ++i)
            total += natural[i] + (i + 1 < count ? spacing[i] : 0);
        int extra = available - total;
        Share(natural, extra > 0 ? stretchable : shrinkable, extra);
        size = natural;
        start.assign(natural.size(), 0);
        for (int i = 1; i < count; ++i)
            start[i] = start[i - 1] + size[i - 1] + spacing[i - 1];
    }

    // Adds (or, when negative, takes) `extra` in equal parts to the lines marked in `which`.
    static void Share(std::vector<int>& sizes, const std::vector<bool>& which, int extra) {
        while (extra != 0) {
            std::vector<int> open;
            for (std::size_t i = 0; i < sizes.size(); ++i) {
                if (which[i] && (extra > 0 || sizes[i] > 0)) open.push_back(static_cast<int>(i));
            }
            if (open.empty()) return;
            int n = static_cast<int>(open.size());
            int part = extra / n;
            int rest = extra % n;
            int given = 0;
            for (int k = 0; k < n; ++k) {
                int& line = sizes[static_cast<std::size_t>(open[static_cast<std::size_t>(k)])];
                int change = part + (k == n - 1 ? rest : 0);
                if (line + change < 0) change = -line;
                line += change;
                given += change;
            }
            if (given == 0) return;
            extra -= given;
        }
    }

    int Span(int first, int count) const {
        int length = 0;
        for (int i = first; i < first + count; ++i)
            length +=
                size[static_cast<std::size_t>(i)] + (i + 1 < first + count ? spacing[static_cast<std::size_t>(i)] : 0);
        return length;
    }
    bool AnyStretchable(int first, int count) const {
        for (int i = first; i < first + count; ++i) {
            if (stretchable[static_cast<std::size_t>(i)]) return true;
        }
        return false;
    }
};

// A control fills stretchable lines, is cut down by shrunken ones, and otherwise keeps its own length.
int FitLength(const Axis& axis, int first, int count, int natural) {
    int span = axis.Span(first, count);
    if (axis.AnyStretchable(first, count)) return span;
    for (int i = first; i < first + count; ++i) {
        if (axis.shrinkable[static_cast<std::size_t>(i)]) return std::min(natural, span);
    }
    return natural;
}

struct Cell {
    Control* control = nullptr;
    QPointer<QWidget> widget;  // gone once the control is deleted
    int row = 0;
    int column = 0;
    int rowSpan = 1;
    int columnSpan = 1;
    // The control's own size, and the size the grid gave it last (to tell the two apart).
    int naturalWidth = 0;
    int naturalHeight = 0;
    int givenWidth = -1;
    int givenHeight = -1;
};

}  // namespace

class GridLayoutPrivate {
public:
    bool constructed = false;
    Axis columns;
    Axis rows;
    std::vector<Cell> cells;
    bool updating = false;
};

GridLayout::GridLayout() : d_(std::make_unique<GridLayoutPrivate>()) {}

GridLayout::~GridLayout() = default;

result GridLayout::Construct(int rowCount, int columnCount) {
    if (d_->constructed) return E_INVALID_STATE;
    if (rowCount < 1 || columnCount < 1) return E_INVALID_ARG;
    d_->rows.Resize(rowCount);
    d_->columns.Resize(columnCount);
    d_->constructed = true;
    return E_SUCCESS;
}

int GridLayout::GetRowCount() const { return d_->rows.Count(); }

int GridLayout::GetColumnCount() const { return d_->columns.Count(); }

result GridLayout::SetPosition(Control& childControl, int row, int column, int rowSpan, int columnSpan) {
    if (!d_->constructed || !GetContainer()) return E_INVALID_STATE;
    if (childControl.GetParent() != GetContainer()) return E_INVALID_ARG;
    if (row < 0 || column < 0 || rowSpan < 1 || columnSpan < 1 || row + rowSpan > GetRowCount() ||
        column + columnSpan > GetColumnCount()) {
        return E_OUT_OF_RANGE;
    }
    auto it = std::find_if(d_->cells.begin(), d_->cells.end(),
                           [&](const Cell& c) { return c.control == &childControl && c.widget; });
    if (it == d_->cells.end()) it = d_->cells.insert(d_->cells.end(), Cell{});
    Graphics::Dimension size = childControl.GetSize();
    *it = Cell{&childControl, childControl.GetPrivate().widget, row, column, rowSpan, columnSpan, size.width,
               size.height};
    return Update();
}

result GridLayout::SetColumnStretchable(int columnIndex, bool stretchable) {
    if (columnIndex < 0 || columnIndex >= GetColumnCount()) return E_OUT_OF_RANGE;
    d_->columns.stretchable[static_cast<std::size_t>(columnIndex)] = stretchable;
    return E_SUCCESS;
}

result GridLayout::SetRowStretchable(int rowIndex, bool stretchable) {
    if (rowIndex < 0 || rowIndex >= GetRowCount()) return E_OUT_OF_RANGE;
    d_->rows.stretchable[static_cast<std::size_t>(rowIndex)] = stretchable;
    return E_SUCCESS;
}

result GridLayout::SetColumnShrinkable(int columnIndex, bool shrinkable) {
    if (columnIndex < 0 || columnIndex >= GetColumnCount()) return E_OUT_OF_RANGE;
    d_->columns.shrinkable[static_cast<std::size_t>(columnIndex)] = shrinkable;
    return E_SUCCESS;
}

result GridLayout::SetRowShrinkable(int rowIndex, bool shrinkable) {
    if (rowIndex < 0 || rowIndex >= GetRowCount()) return E_OUT_OF_RANGE;
    d_->rows.shrinkable[static_cast<std::size_t>(rowIndex)] = shrinkable;
    return E_SUCCESS;
}

result GridLayout::SetColumnSpacing(int columnIndex, int space) {
    if (columnIndex < 0 || columnIndex >= GetColumnCount()) return E_OUT_OF_RANGE;
    if (space < 0) return E_INVALID_ARG;
    d_->columns.spacing[static_cast<std::size_t>(columnIndex)] = space;
    return E_SUCCESS;
}

result GridLayout::SetRowSpacing(int rowIndex, int space) {
    if (rowIndex < 0 || rowIndex >= GetRowCount()) return E_OUT_OF_RANGE;
    if (space < 0) return E_INVALID_ARG;
    d_->rows.spacing[static_cast<std::size_t>(rowIndex)] = space;
    return E_SUCCESS;
}

result GridLayout::Update() {
    Container* container = GetContainer();
    if (!d_->constructed || !container) return E_INVALID_STATE;
    QWidget* host = container->GetPrivate().childHost;
    if (!host) return E_INVALID_STATE;
    // Moving controls may resize the container, which asks for this again.
    if (d_->updating) return E_SUCCESS;
    d_->updating = true;
    auto& cells = d_->cells;
    cells.erase(std::remove_if(cells.begin(), cells.end(), [](const Cell& c) { return !c.widget; }), cells.end());
    std::vector<int> widths(static_cast<std::size_t>(GetColumnCount()), 0);
    std::vector<int> heights(static_cast<std::size_t>(GetRowCount()), 0);
    for (Cell& cell : cells) {
        // A control that changed its own size since the last layout has a new natural size.
        Graphics::Dimension now = cell.control->GetSize();
        if (now.width != cell.givenWidth) cell.naturalWidth = now.width;
        if (now.height != cell.givenHeight) cell.naturalHeight = now.height;
        if (cell.columnSpan == 1) {
            int& w = widths[static_cast<std::size_t>(cell.column)];
            w = std::max(w, cell.naturalWidth);
        }
        if (cell.rowSpan == 1) {
            int& h = heights[static_cast<std::size_t>(cell.row)];
            h = std::max(h, cell.naturalHeight);
        }
    }
    d_->columns.Fit(widths, host->width());
    d_->rows.Fit(heights, host->height());
    for (Cell& cell : cells) {
        const Axis& cols = d_->columns;
        const Axis& rws = d_->rows;
        int width = FitLength(cols, cell.column, cell.columnSpan, cell.naturalWidth);
        int height = FitLength(rws, cell.row, cell.rowSpan, cell.naturalHeight);
        cell.control->SetBounds(cols.start[static_cast<std::size_t>(cell.column)],
                                rws.start[static_cast<std::size_t>(cell.row)], width, height);
        cell.givenWidth = width;
        cell.givenHeight = height;
    }
    d_->updating = false;
    return E_SUCCESS;
}

}  // namespace Vx::Ui
