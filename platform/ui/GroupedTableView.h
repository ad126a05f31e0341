#pragma once
// A scrolling table of groups, each a head row followed by its items, all of
// which may hold controls. The rows come from an item provider; items may
// also be added one by one later (RefreshItem). A group's items show while the
// group is expanded. Taps go to the item event listeners; the view keeps the
// check state of items with a mark, and a tap turns it over.
#include <memory>

#include "platform/ui/Control.h"
#include "platform/ui/GroupedTableViewTypes.h"
#include "platform/ui/IGroupedTableViewItemEventListener.h"
#include "platform/ui/IGroupedTableViewItemProvider.h"

namespace Vx::Ui::Controls {

class GroupedTableViewImpl;

class GroupedTableView : public Control {
public:
    GroupedTableView();
    // Deletes the rows left without asking the provider, which may be gone by then.
    ~GroupedTableView() override;

    // E_INVALID_ARG for a negative size or an unknown scroll bar style; E_INVALID_STATE when called twice.
    result Construct(const Graphics::Rectangle& rect, bool itemDivider = true,
                     TableViewScrollBarStyle scrollStyle = TABLE_VIEW_SCROLL_BAR_STYLE_DEFAULT);

    // Not owned; it must outlive the view's use of it. Builds the rows at once.
    result SetItemProvider(IGroupedTableViewItemProvider& provider);
    result AddGroupedTableViewItemEventListener(IGroupedTableViewItemEventListener& listener);
    result RemoveGroupedTableViewItemEventListener(IGroupedTableViewItemEventListener& listener);

    // Asks the provider for the counts again. Rows that exist are kept (with
    // what their controls hold); a group whose provider count changed gets its
    // items rebuilt; new groups are built, vanished ones deleted. Items added
    // with RefreshItem stay while the provider's count for the group is unchanged.
    result UpdateTableView();
    // ADD creates the item at `itemIndex` (0 to the group's item count) through
    // the provider and shifts the following ones; REMOVE deletes it; MODIFY asks
    // the provider to update it, or the group item when `itemIndex` is -1.
    // E_OUT_OF_RANGE for a position that does not exist; E_INVALID_STATE without a provider.
    result RefreshItem(int groupIndex, int itemIndex, TableViewRefreshType type);

    int GetGroupCount() const;
    // -1 for a group that does not exist.
    int GetItemCountAt(int groupIndex) const;
    // E_OUT_OF_RANGE for an item that does not exist; E_INVALID_OPERATION for an item without a mark.
    result SetItemChecked(int groupIndex, int itemIndex, bool check);
    bool IsItemChecked(int groupIndex, int itemIndex) const;
    TableViewItem* GetItemAt(int groupIndex, int itemIndex) const;
    TableViewGroupItem* GetGroupItemAt(int groupIndex) const;

    // Groups start expanded. E_OUT_OF_RANGE for a group that does not exist.
    result ExpandGroup(int groupIndex);
    result CollapseGroup(int groupIndex);
    bool IsGroupExpanded(int groupIndex) const;

    bool HasItemDivider() const { return divider_; }
    TableViewScrollBarStyle GetScrollBarStyle() const { return scrollStyle_; }

    const char* GetTypeName() const override { return "GroupedTableView"; }

private:
    friend class GroupedTableViewImpl;
    bool divider_ = true;
    TableViewScrollBarStyle scrollStyle_ = TABLE_VIEW_SCROLL_BAR_STYLE_DEFAULT;
    std::unique_ptr<GroupedTableViewImpl> impl_;
};

}  // namespace Vx::Ui::Controls
