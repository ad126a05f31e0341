#include "platform/ui/GroupedListView.h"

#include "platform/ui/GroupedRowsPrivate.h"
#include "platform/ui/ListenerList.h"

namespace Vx::Ui::Controls {

class GroupedListViewImpl : public GroupedRows<ListItemBase> {
public:
    explicit GroupedListViewImpl(GroupedListView& view)
        : GroupedRows(view, view.divider_, QStringLiteral("groupedListView"), false), view(view) {}
    // The provider may be gone when the view is destroyed: the view deletes what is left itself.
    ~GroupedListViewImpl() override {
        provider = nullptr;
        DeleteAll();
    }

    GroupedListView& view;
    QColor background = QColor(255, 255, 255);
    IGroupedListViewItemProvider* provider = nullptr;
    ListenerList<IGroupedListViewItemEventListener> listeners;

protected:
    int GroupCount() override { return provider->GetGroupCount(); }
    int ItemCount(int g) override { return provider->GetItemCount(g); }
    ListItemBase* CreateGroupItem(int g) override { return provider->CreateGroupItem(g, ItemWidth()); }
    ListItemBase* CreateItem(int g, int i) override { return provider->CreateItem(g, i, ItemWidth()); }
    bool ProviderDeletesGroupItem(int g, ListItemBase* item) override {
        return provider && provider->DeleteGroupItem(g, static_cast<GroupItem*>(item), ItemWidth());
    }
    bool ProviderDeletesItem(int g, int i, ListItemBase* item) override {
        return provider && provider->DeleteItem(g, i, item, ItemWidth());
    }
    bool HasMark(const ListItemBase& item) const override { return item.GetAnnexStyle() != LIST_ANNEX_STYLE_NORMAL; }

    void OnTapped(ListItemBase* item) override {
        int g = -1;
        int i = -1;
        if (!Find(item, g, i) || i < 0) return;  // a title row: nothing to select
        ListItemStatus status = LIST_ITEM_STATUS_SELECTED;
        Row& row = groups[g].rows[i];
        if (ToggleCheck(row)) status = row.checked ? LIST_ITEM_STATUS_CHECKED : LIST_ITEM_STATUS_UNCHECKED;
        std::weak_ptr<bool> token = AliveToken();
        listeners.ForEach(
            [&](IGroupedListViewItemEventListener& l) { l.OnGroupedListViewItemStateChanged(view, g, i, -1, status); },
            [&] { return !token.expired(); });
    }
};

GroupedListView::GroupedListView() : impl_(std::make_unique<GroupedListViewImpl>(*this)) {}

GroupedListView::~GroupedListView() = default;

result GroupedListView::Construct(const Graphics::Rectangle& rect, GroupedListViewStyle style, bool itemDivider,
                                  bool fastScroll) {
    if (IsConstructed()) return E_INVALID_STATE;
    if (rect.width < 0 || rect.height < 0) return E_INVALID_ARG;
    if (style != GROUPED_LIST_VIEW_STYLE_INDEXED && style != GROUPED_LIST_VIEW_STYLE_SECTION) return E_INVALID_ARG;
    style_ = style;
    divider_ = itemDivider;
    fastScroll_ = fastScroll;
    impl_->MakeArea(rect);
    impl_->content->setAutoFillBackground(true);
    GetPrivate().Attach(impl_->area, impl_->content);
    SetBackgroundColor(Graphics::Color(255, 255, 255));
    return E_SUCCESS;
}

result GroupedListView::SetItemProvider(IGroupedListViewItemProvider& provider) {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (impl_->provider) impl_->DeleteAll();
    impl_->provider = &provider;
    impl_->Update(true);
    return E_SUCCESS;
}

result GroupedListView::AddGroupedListViewItemEventListener(IGroupedListViewItemEventListener& listener) {
    return impl_->listeners.Add(listener);
}

result GroupedListView::RemoveGroupedListViewItemEventListener(IGroupedListViewItemEventListener& listener) {
    return impl_->listeners.Remove(listener);
}

result GroupedListView::UpdateList() {
    if (!IsConstructed() || !impl_->provider) return E_INVALID_STATE;
    impl_->Update(false);
    return E_SUCCESS;
}

result GroupedListView::ReloadList() {
    if (!IsConstructed() || !impl_->provider) return E_INVALID_STATE;
    impl_->Update(true);
    return E_SUCCESS;
}

int GroupedListView::GetGroupCount() const { return static_cast<int>(impl_->groups.size()); }

int GroupedListView::GetItemCountAt(int groupIndex) const {
    if (groupIndex < 0 || groupIndex >= GetGroupCount()) return -1;
    return static_cast<int>(impl_->groups[groupIndex].rows.size());
}

result GroupedListView::SetItemChecked(int groupIndex, int itemIndex, bool check) {
    GroupedListViewImpl::Row* row = impl_->RowAt(groupIndex, itemIndex);
    if (!row) return E_OUT_OF_RANGE;
    if (!impl_->Checkable(*row)) return E_INVALID_OPERATION;
    row->checked = check;
    impl_->Layout();
    return E_SUCCESS;
}

bool GroupedListView::IsItemChecked(int groupIndex, int itemIndex) const {
    const GroupedListViewImpl::Row* row = impl_->RowAt(groupIndex, itemIndex);
    return row && row->checked;
}

ListItemBase* GroupedListView::GetItemAt(int groupIndex, int itemIndex) const {
    const GroupedListViewImpl::Row* row = impl_->RowAt(groupIndex, itemIndex);
    return row ? row->item : nullptr;
}

GroupItem* GroupedListView::GetGroupItemAt(int groupIndex) const {
    if (groupIndex < 0 || groupIndex >= GetGroupCount()) return nullptr;
    return static_cast<GroupItem*>(impl_->groups[groupIndex].header.item);
}

result GroupedListView::SetBackgroundColor(const Graphics::Color& color) {
    if (!IsConstructed()) return E_INVALID_STATE;
    impl_->background = ToQColor(color);
    QPalette palette = impl_->content->palette();
    palette.setColor(QPalette::Window, impl_->background);
    impl_->content->setPalette(palette);
    impl_->area->viewport()->setPalette(palette);
    return E_SUCCESS;
}

Graphics::Color GroupedListView::GetBackgroundColor() const { return FromQColor(impl_->background); }

}  // namespace Vx::Ui::Controls
