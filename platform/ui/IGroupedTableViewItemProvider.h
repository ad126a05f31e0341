#pragma once
// Supplies a grouped table view with its groups and items. The view asks for
// the counts, then for each group item and item; it hands every item back to
// Delete... when it no longer needs it, and to Update... when asked to redraw it.
#include "platform/ui/TableViewGroupItem.h"
#include "platform/ui/TableViewItem.h"

namespace Vx::Ui::Controls {

class IGroupedTableViewItemProvider {
public:
    virtual ~IGroupedTableViewItemProvider() = default;

    virtual int GetGroupCount() = 0;
    virtual int GetItemCount(int groupIndex) = 0;
    // A new item of the given width, or null for none (the view then shows no row).
    virtual TableViewGroupItem* CreateGroupItem(int groupIndex, int itemWidth) = 0;
    virtual TableViewItem* CreateItem(int groupIndex, int itemIndex, int itemWidth) = 0;
    // True when the provider deleted the item itself; false lets the view delete it.
    virtual bool DeleteGroupItem(int groupIndex, TableViewGroupItem* groupItem) = 0;
    virtual bool DeleteItem(int groupIndex, int itemIndex, TableViewItem* item) = 0;
    virtual void UpdateGroupItem(int groupIndex, TableViewGroupItem* groupItem) = 0;
    virtual void UpdateItem(int groupIndex, int itemIndex, TableViewItem* item) = 0;
    virtual int GetDefaultGroupItemHeight() = 0;
    virtual int GetDefaultItemHeight() = 0;
};

}  // namespace Vx::Ui::Controls
