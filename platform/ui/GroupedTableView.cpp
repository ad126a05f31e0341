#include "platform/ui/GroupedTableView.h"

#include <QScrollArea>
#include <functional>
#include <vector>

#include "platform/ui/ControlPrivate.h"
#include "platform/ui/ItemWidgetPrivate.h"
#include "platform/ui/ListenerList.h"

namespace Vx::Ui::Controls {

namespace {

struct Row {
    TableViewItemBase* item = nullptr;
    bool checked = false;
    bool autoNamed = false;
};

struct Group {
    Row header;
    std::vector<Row> rows;
    int providerCount = 0;
    bool expanded = true;
};

}  // namespace

class GroupedTableViewImpl {
public:
    explicit GroupedTableViewImpl(GroupedTableView& view) : view(view) {}
    ~GroupedTableViewImpl() {
        provider = nullptr;
        DeleteAll();
    }

    GroupedTableView& view;
    RowsScrollArea* area = nullptr;
    QWidget* content = nullptr;
    IGroupedTableViewItemProvider* provider = nullptr;
    ListenerList<IGroupedTableViewItemEventListener> listeners;
    std::vector<Group> groups;
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);

    int ItemWidth() const { return area ? area->width() : 0; }
    static int Count(int value) { return value < 0 ? 0 : value; }

    static bool Checkable(const Row& row) {
        return row.item && row.item->IsConstructed() && row.item->GetAnnexStyle() != TABLE_VIEW_ANNEX_STYLE_NORMAL;
    }

    Row Adopt(TableViewItemBase* item) {
        Row row;
        row.item = item;
        if (!item || !item->IsConstructed()) return row;
        row.autoNamed = item->GetName().IsEmpty();
        item->GetPrivate().widget->setParent(content);
        if (ItemWidget* widget = ItemWidget::Of(*item)) {
            widget->divider = view.divider_;
            widget->onTapped = [this, item, token = std::weak_ptr<bool>(alive)] {
                if (token.lock()) OnTapped(item);
            };
        }
        return row;
    }

    void DeleteHeader(int g) {
        Row& row = groups[g].header;
        auto* item = static_cast<TableViewGroupItem*>(row.item);
        if (item && !(provider && provider->DeleteGroupItem(g, item))) delete item;
        row = Row();
    }

    void DeleteRow(int g, int i) {
        auto* item = static_cast<TableViewItem*>(groups[g].rows[i].item);
        if (item && !(provider && provider->DeleteItem(g, i, item))) delete item;
    }

    std::vector<bool> DeleteRows(int g) {
        std::vector<bool> checks;
        for (int i = 0; i < static_cast<int>(groups[g].rows.size()); ++i) {
            checks.push_back(groups[g].rows[i].checked);
            DeleteRow(g, i);
        }
        groups[g].rows.clear();
        return checks;
    }

    void DeleteAll() {
        for (int g = static_cast<int>(groups.size()) - 1; g >= 0; --g) {
            DeleteRows(g);
            DeleteHeader(g);
        }
        groups.clear();
    }

    void BuildRows(int g, const std::vector<bool>& oldChecks) {
        Group& group = groups[g];
        for (int i = 0; i < group.providerCount; ++i) {
            group.rows.push_back(Adopt(provider->CreateItem(g, i, ItemWidth())));
            group.rows.back().checked =
                i < static_cast<int>(oldChecks.size()) && oldChecks[i] && Checkable(group.rows.back());
        }
    }

    void Update() {
        int groupCount = Count(provider->GetGroupCount());
        while (static_cast<int>(groups.size()) > groupCount) {
            int last = static_cast<int>(groups.size()) - 1;
            DeleteRows(last);
            DeleteHeader(last);
            groups.pop_back();
        }
        int kept = static_cast<int>(groups.size());
        groups.resize(static_cast<std::size_t>(groupCount));
        for (int g = 0; g < groupCount; ++g) {
            int count = Count(provider->GetItemCount(g));
            bool isNew = g >= kept;
            if (isNew) groups[g].header = Adopt(provider->CreateGroupItem(g, ItemWidth()));
            if (!isNew && count == groups[g].providerCount) continue;
            std::vector<bool> checks = DeleteRows(g);
            groups[g].providerCount = count;
            BuildRows(g, checks);
        }
        Layout();
    }

    QString BaseName() const {
        QString name = ToQString(view.GetName());
        return name.isEmpty() ? QStringLiteral("groupedTableView") : name;
    }

    void Place(Row& row, int& y, const QString& name, bool shown, ItemWidget::Expansion expansion) {
        if (!row.item || !row.item->IsConstructed()) return;
        if (row.autoNamed) row.item->SetName(FromQString(name));
        QWidget* widget = row.item->GetPrivate().widget;
        if (ItemWidget* itemWidget = ItemWidget::Of(*row.item)) {
            itemWidget->checked = row.checked;
            itemWidget->expansion = expansion;
            itemWidget->update();
        }
        widget->setVisible(shown);
        if (!shown) return;
        widget->setGeometry(0, y, ItemWidth(), widget->height());
        y += widget->height();
    }

    void Layout() {
        if (!content) return;
        int y = 0;
        QString base = BaseName();
        for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
            Group& group = groups[g];
            Place(group.header, y, QStringLiteral("%1/%2").arg(base).arg(g), true,
                  group.expanded ? ItemWidget::Expansion::Expanded : ItemWidget::Expansion::Collapsed);
            for (int i = 0; i < static_cast<int>(group.rows.size()); ++i) {
                Place(group.rows[i], y, QStringLiteral("%1/%2/%3").arg(base).arg(g).arg(i), group.expanded,
                      ItemWidget::Expansion::None);
            }
        }
        content->resize(ItemWidth(), y);
    }

    void OnTapped(TableViewItemBase* item) {
        std::weak_ptr<bool> token = alive;
        auto stillAlive = [&] { return !token.expired(); };
        for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
            if (groups[g].header.item == item) {
                auto* groupItem = static_cast<TableViewGroupItem*>(item);
                listeners.ForEach(
                    [&](IGroupedTableViewItemEventListener& l) {
                        l.OnGroupedTableViewGroupItemStateChanged(view, g, groupItem, TABLE_VIEW_ITEM_STATUS_SELECTED);
                    },
                    stillAlive);
                return;
            }
            for (int i = 0; i < static_cast<int>(groups[g].rows.size()); ++i) {
                Row& row = groups[g].rows[i];
                if (row.item != item) continue;
                TableViewItemStatus status = TABLE_VIEW_ITEM_STATUS_SELECTED;
                if (Checkable(row)) {
                    row.checked = !row.checked;
                    status = row.checked ? TABLE_VIEW_ITEM_STATUS_CHECKED : TABLE_VIEW_ITEM_STATUS_UNCHECKED;
                    Layout();
                }
                auto* tableItem = static_cast<TableViewItem*>(item);
                listeners.ForEach(
                    [&](IGroupedTableViewItemEventListener& l) {
                        l.OnGroupedTableViewItemStateChanged(view, g, i, tableItem, status);
                    },
                    stillAlive);
                return;
            }
        }
    }

    Row* RowAt(int g, int i) {
        if (g < 0 || g >= static_cast<int>(groups.size())) return nullptr;
        if (i < 0 || i >= static_cast<int>(groups[g].rows.size())) return nullptr;
        return &groups[g].rows[i];
    }

    result Refresh(int g, int i, TableViewRefreshType type) {
        if (g < 0 || g >= static_cast<int>(groups.size())) return E_OUT_OF_RANGE;
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
    auto* area = new RowsScrollArea();
    area->onResize = [this] { impl_->Layout(); };
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The rows take the full width: a scroll bar, when wanted, lies over them.
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setGeometry(rect.x, rect.y, rect.width, rect.height);
    auto* content = new QWidget();
    area->setWidget(content);
    area->setWidgetResizable(false);
    impl_->area = area;
    impl_->content = content;
    GetPrivate().Attach(area, content);
    return E_SUCCESS;
}

result GroupedTableView::SetItemProvider(IGroupedTableViewItemProvider& provider) {
    if (!IsConstructed()) return E_INVALID_STATE;
    if (impl_->provider) impl_->DeleteAll();
    impl_->provider = &provider;
    impl_->Update();
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
    impl_->Update();
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
    Row* row = impl_->RowAt(groupIndex, itemIndex);
    if (!row) return E_OUT_OF_RANGE;
    if (!GroupedTableViewImpl::Checkable(*row)) return E_INVALID_OPERATION;
    row->checked = check;
    impl_->Layout();
    return E_SUCCESS;
}

bool GroupedTableView::IsItemChecked(int groupIndex, int itemIndex) const {
    Row* row = impl_->RowAt(groupIndex, itemIndex);
    return row && row->checked;
}

TableViewItem* GroupedTableView::GetItemAt(int groupIndex, int itemIndex) const {
    Row* row = impl_->RowAt(groupIndex, itemIndex);
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
