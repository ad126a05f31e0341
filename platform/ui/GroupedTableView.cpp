#include "platform/ui/GroupedTableView.h"

#include "platform/ui/GroupedRowsPrivate.h"
#include "platform/ui/ListenerList.h"

namespace Vx::Ui::Controls {

class GroupedTableViewImpl : public GroupedRows<TableViewItemBase> {
public:
    explicit GroupedTableViewImpl(GroupedTableView& view)
        : GroupedRows(view, view.divider_, QStringLiteral("groupedTableView"), true), view(view) {}
    ~GroupedTableViewImpl() override {
        provider = nullptr;
        DeleteAll();
    }

    GroupedTableView& view;
    IGroupedTableViewItemProvider* provider = nullptr;
    ListenerList<IGroupedTableViewItemEventListener> listeners;

    result Refresh(int g, int i, TableViewRefreshType type) {
        if (!GroupAt(g)) return E_OUT_OF_RANGE;
        std::vector<Row>& rows = groups[g].rows;
        int count = static_cast<int>(rows.size());
        switch (type) {
        case TABLE_VIEW_REFRESH_TYPE_ITEM_ADD:
            if (i < 0 || i > count) return E_OUT_OF_RANGE;
            rows.insert(rows.begin() + i, Adopt(provider->CreateItem(g, i, ItemWidth())));
            break;
        case TABLE_VIEW_REFRESH_TYPE_ITEM_REMOVE:
            if (i < 0 || i >= count) return E_OUT_OF_RANGE;
            DeleteRow(g, i);
            rows.erase(rows.begin() + i);
            break;
        case TABLE_VIEW_REFRESH_TYPE_ITEM_MODIFY:
            if (i == -1) {
                provider->UpdateGroupItem(g, static_cast<TableViewGroupItem*>(groups[g].header.item));
            } else {
                if (i < 0 || i >= count) return E_OUT_OF_RANGE;
                provider->UpdateItem(g, i, static_cast<TableViewItem*>(rows[i].item));
            }
            break;
        default:
            return E_INVALID_ARG;
        }
        Layout();
        return E_SUCCESS;
    }

protected:
    int GroupCount() override { return provider->GetGroupCount(); }
    int ItemCount(int g) override { return provider->GetItemCount(g); }
    TableViewItemBase* CreateGroupItem(int g) override { return provider->CreateGroupItem(g, ItemWidth()); }
    TableViewItemBase* CreateItem(int g, int i) override { return provider->CreateItem(g, i, ItemWidth()); }
    bool ProviderDeletesGroupItem(int g, TableViewItemBase* item) override {
        return provider && provider->DeleteGroupItem(g, static_cast<TableViewGroupItem*>(item));
    }
    bool ProviderDeletesItem(int g, int i, TableViewItemBase* item) override {
        return provider && provider->DeleteItem(g, i, static_cast<TableViewItem*>(item));
    }
    bool HasMark(const TableViewItemBase& item) const override {
        return item.GetAnnexStyle() != TABLE_VIEW_ANNEX_STYLE_NORMAL;
    }

    void OnTapped(TableViewItemBase* item) override {
        int g = -1;
        int i = -1;
        if (!Find(item, g, i)) return;
        std::weak_ptr<bool> token = AliveToken();
        auto stillAlive = [&] { return !token.expired(); };
        if (i < 0) {
            auto* groupItem = static_cast<TableViewGroupItem*>(item);
            listeners.ForEach(
                [&](IGroupedTableViewItemEventListener& l) {
                    l.OnGroupedTableViewGroupItemStateChanged(view, g, groupItem, TABLE_VIEW_ITEM_STATUS_SELECTED);
                },
                stillAlive);
            return;
        }
        TableViewItemStatus status = TABLE_VIEW_ITEM_STATUS_SELECTED;
        Row& row = groups[g].rows[i];
        if (ToggleCheck(row)) status = row.checked ? TABLE_VIEW_ITEM_STATUS_CHECKED : TABLE_VIEW_ITEM_STATUS_UNCHECKED;
        auto* tableItem = static_cast<TableViewItem*>(item);
        listeners.ForEach(
            [&](IGroupedTableViewItemEventListener& l) {
                l.OnGroupedTableViewItemStateChanged(view, g, i, tableItem, status);
            },
            stillAlive);
    }
};

GroupedTableView::GroupedTableView() : impl_(std::make_unique<GroupedTableViewImpl>(*this)) {}

GroupedTableView::~GroupedTableView() = default;

result GroupedTableView::Construct(const Graphics::Rectangle& rect, bool itemDivider,
                                   TableViewScrollBarStyle scrollStyle) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (rect.width < 0 || rect.height < 0) return E_INVALID_ARG;
    if (scrollStyle != TABLE_VIEW_SCROLL_BAR_STYLE_NONE && scrollStyle != TABLE_VIEW_SCROLL_BAR_STYLE_DEFAULT) {
        return E_INVALID_ARG;
    }
    divider_ = itemDivider;
    scrollStyle_ = scrollStyle;
    impl_->MakeArea(rect);
    GetPrivate().Attach(impl_->area, impl_->content);
    return E_SUCCESS;
}

result GroupedTableView::SetItemProvider(IGroupedTableViewItemProvider& provider) {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (impl_->provider) impl_->DeleteAll();
    impl_->provider = &provider;
    impl_->Update(false);
    return E_SUCCESS;
}

result GroupedTableView::AddGroupedTableViewItemEventListener(IGroupedTableViewItemEventListener& listener) {
    return impl_->listeners.Add(listener);
}

result GroupedTableView::RemoveGroupedTableViewItemEventListener(IGroupedTableViewItemEventListener& listener) {
    return impl_->listeners.Remove(listener);
}

result GroupedTableView::UpdateTableView() {
    if (!IsConstructed() || !impl_->provider) return E_INVALID_STATE;
    impl_->Update(false);
    return E_SUCCESS;
}

result GroupedTableView::RefreshItem(int groupIndex, int itemIndex, TableViewRefreshType type) {
    if (!IsConstructed() || !impl_->provider) return E_INVALID_STATE;
    return impl_->Refresh(groupIndex, itemIndex, type);
}

int GroupedTableView::GetGroupCount() const { return static_cast<int>(impl_->groups.size()); }

int GroupedTableView::GetItemCountAt(int groupIndex) const {
    if (groupIndex < 0 || groupIndex >= GetGroupCount()) return -1;
    return static_cast<int>(impl_->groups[groupIndex].rows.size());
}

result GroupedTableView::SetItemChecked(int groupIndex, int itemIndex, bool check) {
    GroupedTableViewImpl::Row* row = impl_->RowAt(groupIndex, itemIndex);
    if (!row) return E_OUT_OF_RANGE;
    if (!impl_->Checkable(*row)) return E_INVALID_OPERATION;
    row->checked = check;
    impl_->Layout();
    return E_SUCCESS;
}

bool GroupedTableView::IsItemChecked(int groupIndex, int itemIndex) const {
    GroupedTableViewImpl::Row* row = impl_->RowAt(groupIndex, itemIndex);
    return row && row->checked;
}

TableViewItem* GroupedTableView::GetItemAt(int groupIndex, int itemIndex) const {
    GroupedTableViewImpl::Row* row = impl_->RowAt(groupIndex, itemIndex);
    return row ? static_cast<TableViewItem*>(row->item) : nullptr;
}

TableViewGroupItem* GroupedTableView::GetGroupItemAt(int groupIndex) const {
    if (groupIndex < 0 || groupIndex >= GetGroupCount()) return nullptr;
    return static_cast<TableViewGroupItem*>(impl_->groups[groupIndex].header.item);
}

result GroupedTableView::ExpandGroup(int groupIndex) {
    if (groupIndex < 0 || groupIndex >= GetGroupCount()) return E_OUT_OF_RANGE;
    impl_->groups[groupIndex].expanded = true;
    impl_->Layout();
    return E_SUCCESS;
}

result GroupedTableView::CollapseGroup(int groupIndex) {
    if (groupIndex < 0 || groupIndex >= GetGroupCount()) return E_OUT_OF_RANGE;
    impl_->groups[groupIndex].expanded = false;
    impl_->Layout();
    return E_SUCCESS;
}

bool GroupedTableView::IsGroupExpanded(int groupIndex) const {
    return groupIndex >= 0 && groupIndex < GetGroupCount() && impl_->groups[groupIndex].expanded;
}

}  // namespace Vx::Ui::Controls
