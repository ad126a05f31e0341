#pragma once
// A row of a grouped table view that holds controls the caller adds.
#include "platform/ui/TableViewItemBase.h"

namespace Vx::Ui::Controls {

class TableViewItem : public TableViewItemBase {
public:
    TableViewItem() = default;
    ~TableViewItem() override = default;

    result Construct(const Graphics::Dimension& size, TableViewAnnexStyle annex = TABLE_VIEW_ANNEX_STYLE_NORMAL) {
        return ConstructItem(size, annex);
    }

    const char* GetTypeName() const override { return "TableViewItem"; }
};

}  // namespace Vx::Ui::Controls
