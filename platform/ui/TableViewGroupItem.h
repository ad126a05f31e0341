#pragma once
// The head row of a group in a grouped table view. It holds controls the
// caller adds; a tap on it is told to the item event listeners, which decide
// whether the group expands or collapses.
#include "platform/ui/TableViewItemBase.h"

namespace Vx::Ui::Controls {

class TableViewGroupItem : public TableViewItemBase {
public:
    TableViewGroupItem() = default;
    ~TableViewGroupItem() override = default;

    result Construct(const Graphics::Dimension& size) { return ConstructItem(size, TABLE_VIEW_ANNEX_STYLE_NORMAL); }

    const char* GetTypeName() const override { return "TableViewGroupItem"; }
};

}  // namespace Vx::Ui::Controls
