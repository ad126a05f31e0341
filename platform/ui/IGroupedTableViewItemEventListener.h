#pragma once
// Told what the user does to the rows of a grouped table view.
#include "platform/ui/GroupedTableViewTypes.h"
#include "platform/ui/TableViewGroupItem.h"
#include "platform/ui/TableViewItem.h"

namespace Vx::Ui::Controls {

class GroupedTableView;

class IGroupedTableViewItemEventListener {
public:
    virtual ~IGroupedTableViewItemEventListener() = default;

    // A tap on a group item: TABLE_VIEW_ITEM_STATUS_SELECTED. The view does not
    // expand or collapse the group on its own.
    virtual void OnGroupedTableViewGroupItemStateChanged(GroupedTableView& tableView, int groupIndex,
                                                         TableViewGroupItem* groupItem, TableViewItemStatus status) = 0;
    // A tap on an item: _CHECKED or _UNCHECKED for an item with a mark (the view
    // has already turned its check state over), _SELECTED otherwise.
    virtual void OnGroupedTableViewItemStateChanged(GroupedTableView& tableView, int groupIndex, int itemIndex,
                                                    TableViewItem* item, TableViewItemStatus status) = 0;
};

}  // namespace Vx::Ui::Controls
