#pragma once
// Supplies a grouped list view with its groups and items. The view asks for
// the counts, then for each group item and item; it hands every item back to
// Delete... when it no longer needs it.
#include "platform/ui/GroupItem.h"
#include "platform/ui/ListItemBase.h"

namespace Vx::Ui::Controls {

class IGroupedListViewItemProvider {
public:
    virtual ~IGroupedListViewItemProvider() = default;

    virtual int GetGroupCount() = 0;
    virtual int GetItemCount(int groupIndex) = 0;
    // A new item of the given width, or null for none (the view then shows no row).
    virtual GroupItem* CreateGroupItem(int groupIndex, int itemWidth) = 0;
    virtual ListItemBase* CreateItem(int groupIndex, int itemIndex, int itemWidth) = 0;
    // True when the provider deleted the item itself; false lets the view delete it.
    virtual bool DeleteGroupItem(int groupIndex, GroupItem* groupItem, int itemWidth) = 0;
    virtual bool DeleteItem(int groupIndex, int itemIndex, ListItemBase* item, int itemWidth) = 0;
};

}  // namespace Vx::Ui::Controls
