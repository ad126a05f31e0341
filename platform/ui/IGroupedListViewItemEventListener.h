#pragma once
// Told what the user does to the items of a grouped list view.
#include "platform/ui/GroupedListViewTypes.h"

namespace Vx::Ui::Controls {

class GroupedListView;

class IGroupedListViewItemEventListener {
public:
    virtual ~IGroupedListViewItemEventListener() = default;

    virtual void OnGroupedListViewContextItemStateChanged(GroupedListView& listView, int groupIndex, int itemIndex,
                                                          int elementId, ListContextItemStatus status) = 0;
    virtual void OnGroupedListViewItemSwept(GroupedListView& listView, int groupIndex, int itemIndex,
                                            SweepDirection direction) = 0;
    // A tap on an item: LIST_ITEM_STATUS_CHECKED or _UNCHECKED for an item
    // with a mark (the view has already turned its check state over),
    // LIST_ITEM_STATUS_SELECTED otherwise. `elementId` is -1: taps are told per row.
    virtual void OnGroupedListViewItemStateChanged(GroupedListView& listView, int groupIndex, int itemIndex,
                                                   int elementId, ListItemStatus status) = 0;
};

}  // namespace Vx::Ui::Controls
