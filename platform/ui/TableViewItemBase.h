#pragma once
// Base of the rows of a grouped table view: a container of controls of a
// given size with an annex (nothing, a check mark or a radio mark) and a
// background colour and picture per state (a nine-patch picture is stretched
// by its marks). The view owns the items its provider hands it.
#include <vector>

#include "platform/ui/Color.h"
#include "platform/ui/Container.h"
#include "platform/ui/GroupedTableViewTypes.h"

namespace Vx::Graphics {
class Bitmap;
}

namespace Vx::Ui::Controls {

class TableViewItemBase : public Container {
public:
    ~TableViewItemBase() override;

    TableViewAnnexStyle GetAnnexStyle() const { return annex_; }
    // E_INVALID_ARG for an unknown status; E_INVALID_STATE before Construct.
    result SetBackgroundColor(const Graphics::Color& color,
                              TableViewItemDrawingStatus status = TABLE_VIEW_ITEM_DRAWING_STATUS_NORMAL);
    Graphics::Color GetBackgroundColor(TableViewItemDrawingStatus status = TABLE_VIEW_ITEM_DRAWING_STATUS_NORMAL) const;
    // The item keeps a copy. E_INVALID_ARG for a bitmap never constructed or an unknown status.
    result SetBackgroundBitmap(const Graphics::Bitmap& bitmap,
                               TableViewItemDrawingStatus status = TABLE_VIEW_ITEM_DRAWING_STATUS_NORMAL);
    bool HasBackgroundBitmap(TableViewItemDrawingStatus status = TABLE_VIEW_ITEM_DRAWING_STATUS_NORMAL) const;

    // Marks a control of this row as pressable on its own rather than as part
    // of a tap on the row. Here buttons and fields inside a row always take
    // their own presses; the mark is kept for screens that state it.
    // E_OBJ_NOT_FOUND when the control is not in this row.
    result SetIndividualSelectionEnabled(const Control* control, bool enable);
    bool IsIndividualSelectionEnabled(const Control* control) const;

protected:
    TableViewItemBase() = default;
    // E_INVALID_ARG for a size below 1 or an unknown annex; E_INVALID_STATE when called twice.
    result ConstructItem(const Graphics::Dimension& size, TableViewAnnexStyle annex);

private:
    TableViewAnnexStyle annex_ = TABLE_VIEW_ANNEX_STYLE_NORMAL;
    std::vector<const Control*> individual_;
};

}  // namespace Vx::Ui::Controls
