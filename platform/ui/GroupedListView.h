#pragma once
// A scrolling list of groups, each a title row followed by its items. The
// rows come from an item provider; taps go to the item event listeners. The
// view keeps the check state of items with a mark: a tap turns it over.
#include <memory>

#include "platform/ui/Color.h"
#include "platform/ui/Control.h"
#include "platform/ui/GroupedListViewTypes.h"
#include "platform/ui/IGroupedListViewItemEventListener.h"
#include "platform/ui/IGroupedListViewItemProvider.h"

namespace Vx::Ui::Controls {

class GroupedListViewImpl;

class GroupedListView : public Control {
public:
    GroupedListView();
    ~GroupedListView() override;

    // E_INVALID_ARG for a negative size or an unknown style; E_INVALID_STATE when called twice.
    result Construct(const Graphics::Rectangle& rect, GroupedListViewStyle style, bool itemDivider = true,
                     bool fastScroll = false);

    // Not owned; it must outlive the view. Builds the rows at once.
    result SetItemProvider(IGroupedListViewItemProvider& provider);
    result AddGroupedListViewItemEventListener(IGroupedListViewItemEventListener& listener);
    result RemoveGroupedListViewItemEventListener(IGroupedListViewItemEventListener& listener);

    // Asks the provider for the counts again. Rows that exist are kept; a
    // group whose item count changed gets its items rebuilt (check states of
    // indices that remain are kept); new groups are built, vanished ones deleted.
    result UpdateList();
    // Builds every row anew through the provider; check states are kept by index.
    result ReloadList();

    int GetGroupCount() const;
    // -1 for a group that does not exist.
    int GetItemCountAt(int groupIndex) const;
    // E_OUT_OF_RANGE for an item that does not exist; E_INVALID_OPERATION for an item without a mark.
    result SetItemChecked(int groupIndex, int itemIndex, bool check);
    bool IsItemChecked(int groupIndex, int itemIndex) const;
    // Null for an item that does not exist.
    ListItemBase* GetItemAt(int groupIndex, int itemIndex) const;
    GroupItem* GetGroupItemAt(int groupIndex) const;

    result SetBackgroundColor(const Graphics::Color& color);
    Graphics::Color GetBackgroundColor() const;
    GroupedListViewStyle GetStyle() const { return style_; }
    bool HasItemDivider() const { return divider_; }
    bool HasFastScroll() const { return fastScroll_; }

    const char* GetTypeName() const override { return "GroupedListView"; }

private:
    friend class GroupedListViewImpl;
    GroupedListViewStyle style_ = GROUPED_LIST_VIEW_STYLE_INDEXED;
    bool divider_ = true;
    bool fastScroll_ = false;
    std::unique_ptr<GroupedListViewImpl> impl_;
};

}  // namespace Vx::Ui::Controls
