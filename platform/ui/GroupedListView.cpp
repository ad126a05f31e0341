#include "platform/ui/GroupedListView.h"

#include <QScrollArea>
#include <QScrollBar>
#include <functional>
#include <vector>

#include "platform/ui/ControlPrivate.h"
#include "platform/ui/ItemWidgetPrivate.h"
#include "platform/ui/ListenerList.h"

namespace Vx::Ui::Controls {

namespace {

struct Row {
    ListItemBase* item = nullptr;
    bool checked = false;
    bool autoNamed = false;
};

struct Group {
    Row header;
    std::vector<Row> rows;
    int providerCount = 0;
};

}  // namespace

class GroupedListViewImpl {
public:
    explicit GroupedListViewImpl(GroupedListView& view) : view(view) {}
    // The provider may be gone when the view is destroyed: the view deletes what is left itself.
    ~GroupedListViewImpl() {
        provider = nullptr;
        DeleteAll();
    }

    GroupedListView& view;
    QScrollArea* area = nullptr;
    QWidget* content = nullptr;
    QColor background = QColor(255, 255, 255);
    IGroupedListViewItemProvider* provider = nullptr;
    ListenerList<IGroupedListViewItemEventListener> listeners;
    std::vector<Group> groups;
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);

    int ItemWidth() const { return area ? area->width() : 0; }

    static int Count(int value) { return value < 0 ? 0 : value; }

    void Adopt(Row& row, ListItemBase* item) {
        row.item = item;
        if (!item || !item->IsConstructed()) return;
        row.autoNamed = item->GetName().IsEmpty();
        QWidget* widget = item->GetPrivate().widget;
        widget->setParent(content);
        if (ItemWidget* itemWidget = ItemWidget::Of(*item)) {
            itemWidget->divider = view.divider_;
            itemWidget->onTapped = [this, item, token = std::weak_ptr<bool>(alive)] {
                if (token.lock()) OnTapped(item);
            };
        }
        widget->show();
    }

    void BuildHeader(int g) { Adopt(groups[g].header, provider->CreateGroupItem(g, ItemWidth())); }

    void BuildRows(int g, const std::vector<bool>& oldChecks) {
        Group& group = groups[g];
        group.rows.resize(static_cast<std::size_t>(group.providerCount));
        for (int i = 0; i < group.providerCount; ++i) {
            Adopt(group.rows[i], provider->CreateItem(g, i, ItemWidth()));
            group.rows[i].checked = i < static_cast<int>(oldChecks.size()) && oldChecks[i] && Checkable(group.rows[i]);
        }
    }

    static bool Checkable(const Row& row) {
        return row.item && row.item->IsConstructed() && row.item->GetAnnexStyle() != LIST_ANNEX_STYLE_NORMAL;
    }

    void DeleteHeader(int g) {
        Row& row = groups[g].header;
        if (row.item && !(provider && provider->DeleteGroupItem(g, static_cast<GroupItem*>(row.item), ItemWidth()))) {
            delete row.item;
        }
        row = Row();
    }

    std::vector<bool> DeleteRows(int g) {
        std::vector<bool> checks;
        Group& group = groups[g];
        for (int i = 0; i < static_cast<int>(group.rows.size()); ++i) {
            checks.push_back(group.rows[i].checked);
            ListItemBase* item = group.rows[i].item;
            if (item && !(provider && provider->DeleteItem(g, i, item, ItemWidth()))) delete item;
        }
        group.rows.clear();
        return checks;
    }

    void DeleteAll() {
        for (int g = static_cast<int>(groups.size()) - 1; g >= 0; --g) {
            DeleteRows(g);
            DeleteHeader(g);
        }
        groups.clear();
    }

    void Update(bool reload) {
        int groupCount = Count(provider->GetGroupCount());
        while (static_cast<int>(groups.size()) > groupCount) {
            DeleteRows(static_cast<int>(groups.size()) - 1);
            DeleteHeader(static_cast<int>(groups.size()) - 1);
            groups.pop_back();
        }
        int kept = static_cast<int>(groups.size());
        groups.resize(static_cast<std::size_t>(groupCount));
        for (int g = 0; g < groupCount; ++g) {
            int count = Count(provider->GetItemCount(g));
            bool isNew = g >= kept;
            if (!isNew && !reload && count == groups[g].providerCount) continue;
            std::vector<bool> checks = DeleteRows(g);
            if (reload && !isNew) DeleteHeader(g);
            if (isNew || reload) BuildHeader(g);
            groups[g].providerCount = count;
            BuildRows(g, checks);
        }
        Layout();
    }

    QString BaseName() const {
        QString name = ToQString(view.GetName());
        return name.isEmpty() ? QStringLiteral("groupedListView") : name;
    }

    void Place(Row& row, int& y, const QString& name) {
        if (!row.item || !row.item->IsConstructed()) return;
        if (row.autoNamed) row.item->SetName(FromQString(name));
        QWidget* widget = row.item->GetPrivate().widget;
        if (ItemWidget* itemWidget = ItemWidget::Of(*row.item)) {
            itemWidget->checked = row.checked;
            itemWidget->update();
        }
        widget->setGeometry(0, y, ItemWidth(), widget->height());
        y += widget->height();
    }

    void Layout() {
        if (!content) return;
        int y = 0;
        QString base = BaseName();
        for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
            Place(groups[g].header, y, QStringLiteral("%1/%2").arg(base).arg(g));
            for (int i = 0; i < static_cast<int>(groups[g].rows.size()); ++i) {
                Place(groups[g].rows[i], y, QStringLiteral("%1/%2/%3").arg(base).arg(g).arg(i));
            }
        }
        content->resize(ItemWidth(), y);
    }

    bool Find(const ListItemBase* item, int& group, int& index) const {
        for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
            for (int i = 0; i < static_cast<int>(groups[g].rows.size()); ++i) {
                if (groups[g].rows[i].item == item) {
                    group = g;
                    index = i;
                    return true;
                }
            }
        }
        return false;
    }

    void OnTapped(ListItemBase* item) {
        int g = -1;
        int i = -1;
        if (!Find(item, g, i)) return;  // a title row: nothing to select
        Row& row = groups[g].rows[i];
        ListItemStatus status = LIST_ITEM_STATUS_SELECTED;
        if (Checkable(row)) {
            row.checked = !row.checked;
            status = row.checked ? LIST_ITEM_STATUS_CHECKED : LIST_ITEM_STATUS_UNCHECKED;
            Layout();
        }
        std::weak_ptr<bool> token = alive;
        listeners.ForEach(
            [&](IGroupedListViewItemEventListener& l) { l.OnGroupedListViewItemStateChanged(view, g, i, -1, status); },
            [&] { return !token.expired(); });
    }

    const Row* RowAt(int g, int i) const {
        if (g < 0 || g >= static_cast<int>(groups.size())) return nullptr;
        if (i < 0 || i >= static_cast<int>(groups[g].rows.size())) return nullptr;
        return &groups[g].rows[i];
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
    auto* area = new RowsScrollArea();
    area->onResize = [this] { impl_->Layout(); };
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setGeometry(rect.x, rect.y, rect.width, rect.height);
    auto* content = new QWidget();
    content->setAutoFillBackground(true);
    area->setWidget(content);
    area->setWidgetResizable(false);
    impl_->area = area;
    impl_->content = content;
    GetPrivate().Attach(area, content);
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
    const Row* row = impl_->RowAt(groupIndex, itemIndex);
    if (!row) return E_OUT_OF_RANGE;
    if (!GroupedListViewImpl::Checkable(*row)) return E_INVALID_OPERATION;
    const_cast<Row*>(row)->checked = check;
    impl_->Layout();
    return E_SUCCESS;
}

bool GroupedListView::IsItemChecked(int groupIndex, int itemIndex) const {
    const Row* row = impl_->RowAt(groupIndex, itemIndex);
    return row && row->checked;
}

ListItemBase* GroupedListView::GetItemAt(int groupIndex, int itemIndex) const {
    const Row* row = impl_->RowAt(groupIndex, itemIndex);
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
