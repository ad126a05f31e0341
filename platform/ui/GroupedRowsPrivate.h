#pragma once
// What the grouped list and table views share: groups of a head row and item
// rows made by a provider, their check marks, their automation names and
// their layout in a scrolling area. A view adds what its provider and
// listeners take, which differ between the two.
#include <QScrollArea>
#include <QString>
#include <memory>
#include <vector>

#include "platform/ui/ControlPrivate.h"
#include "platform/ui/ItemWidgetPrivate.h"

namespace Vx::Ui::Controls {

template <class ItemBase>
class GroupedRows {
public:
    struct Row {
        ItemBase* item = nullptr;
        bool checked = false;
        bool autoNamed = false;
    };

    struct Group {
        Row header;
        std::vector<Row> rows;
        int providerCount = 0;
        bool expanded = true;
    };

    // `expandable`: head rows show whether their group is open.
    GroupedRows(Control& view, bool& divider, QString defaultName, bool expandable)
        : view_(view), divider_(divider), defaultName_(std::move(defaultName)), expandable_(expandable) {}
    // A view's destructor calls DeleteAll itself, while its provider hooks still exist.
    virtual ~GroupedRows() = default;

    RowsScrollArea* area = nullptr;
    QWidget* content = nullptr;
    std::vector<Group> groups;

    // The scrolling area and the widget the rows lie on, with the rows laid out again on a resize.
    void MakeArea(const Graphics::Rectangle& rect) {
        area = new RowsScrollArea();
        area->onResize = [this] { Layout(); };
        area->setFrameShape(QFrame::NoFrame);
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        // The rows take the full width: a scroll bar, when wanted, lies over them.
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area->setGeometry(rect.x, rect.y, rect.width, rect.height);
        content = new QWidget();
        area->setWidget(content);
        area->setWidgetResizable(false);
    }

    int ItemWidth() const { return area ? area->width() : 0; }

    bool Checkable(const Row& row) const { return row.item && row.item->IsConstructed() && HasMark(*row.item); }

    Row* RowAt(int g, int i) {
        if (g < 0 || g >= static_cast<int>(groups.size())) return nullptr;
        if (i < 0 || i >= static_cast<int>(groups[g].rows.size())) return nullptr;
        return &groups[g].rows[i];
    }

    Group* GroupAt(int g) { return g >= 0 && g < static_cast<int>(groups.size()) ? &groups[g] : nullptr; }

    // Takes an item the provider made: on the rows' widget, named for automation when it has no name, tappable.
    Row Adopt(ItemBase* item) {
        Row row;
        row.item = item;
        if (!item || !item->IsConstructed()) return row;
        row.autoNamed = item->GetName().IsEmpty();
        item->GetPrivate().widget->setParent(content);
        if (ItemWidget* widget = ItemWidget::Of(*item)) {
            widget->divider = divider_;
            widget->onTapped = [this, item, token = std::weak_ptr<bool>(alive_)] {
                if (token.lock()) OnTapped(item);
            };
        }
        return row;
    }

    void DeleteRow(int g, int i) {
        ItemBase* item = groups[g].rows[i].item;
        if (item && !ProviderDeletesItem(g, i, item)) delete item;
    }

    void DeleteAll() {
        for (int g = static_cast<int>(groups.size()) - 1; g >= 0; --g) {
            DeleteRows(g);
            DeleteHeader(g);
        }
        groups.clear();
    }

    // Asks the provider for the counts again. Existing rows stay unless their group's count changed (their
    // check marks survive a rebuild); `reload` rebuilds every row and head row.
    void Update(bool reload) {
        const int groupCount = Count(GroupCount());
        while (static_cast<int>(groups.size()) > groupCount) {
            const int last = static_cast<int>(groups.size()) - 1;
            DeleteRows(last);
            DeleteHeader(last);
            groups.pop_back();
        }
        const int kept = static_cast<int>(groups.size());
        groups.resize(static_cast<std::size_t>(groupCount));
        for (int g = 0; g < groupCount; ++g) {
            const int count = Count(ItemCount(g));
            const bool isNew = g >= kept;
            if (!isNew && !reload && count == groups[g].providerCount) continue;
            std::vector<bool> checks = DeleteRows(g);
            if (reload && !isNew) DeleteHeader(g);
            if (isNew || reload) groups[g].header = Adopt(CreateGroupItem(g));
            groups[g].providerCount = count;
            for (int i = 0; i < count; ++i) {
                Row row = Adopt(CreateItem(g, i));
                row.checked = i < static_cast<int>(checks.size()) && checks[i] && Checkable(row);
                groups[g].rows.push_back(row);
            }
        }
        Layout();
    }

    void Layout() {
        if (!content) return;
        int y = 0;
        QString base = ToQString(view_.GetName());
        if (base.isEmpty()) base = defaultName_;
        for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
            Group& group = groups[g];
            ItemWidget::Expansion expansion = ItemWidget::Expansion::None;
            if (expandable_)
                expansion = group.expanded ? ItemWidget::Expansion::Expanded : ItemWidget::Expansion::Collapsed;
            Place(group.header, y, QStringLiteral("%1/%2").arg(base).arg(g), true, expansion);
            for (int i = 0; i < static_cast<int>(group.rows.size()); ++i) {
                Place(group.rows[i], y, QStringLiteral("%1/%2/%3").arg(base).arg(g).arg(i), group.expanded,
                      ItemWidget::Expansion::None);
            }
        }
        content->resize(ItemWidth(), y);
    }

    // The group and row of a tapped item; the row is -1 for a head row.
    bool Find(const ItemBase* item, int& group, int& index) const {
        for (int g = 0; g < static_cast<int>(groups.size()); ++g) {
            if (groups[g].header.item == item) {
                group = g;
                index = -1;
                return true;
            }
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

    // Turns a tapped row's mark over; true when it has one.
    bool ToggleCheck(Row& row) {
        if (!Checkable(row)) return false;
        row.checked = !row.checked;
        Layout();
        return true;
    }

    // Tells whether the view (and so these rows) still exists after a listener ran.
    std::weak_ptr<bool> AliveToken() const { return alive_; }

protected:
    virtual int GroupCount() = 0;
    virtual int ItemCount(int g) = 0;
    virtual ItemBase* CreateGroupItem(int g) = 0;
    virtual ItemBase* CreateItem(int g, int i) = 0;
    // False when there is no provider or it leaves the deleting to the view.
    virtual bool ProviderDeletesGroupItem(int g, ItemBase* item) = 0;
    virtual bool ProviderDeletesItem(int g, int i, ItemBase* item) = 0;
    virtual bool HasMark(const ItemBase& item) const = 0;
    virtual void OnTapped(ItemBase* item) = 0;

private:
    static int Count(int value) { return value < 0 ? 0 : value; }

    void DeleteHeader(int g) {
        Row& row = groups[g].header;
        if (row.item && !ProviderDeletesGroupItem(g, row.item)) delete row.item;
        row = Row();
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

    Control& view_;
    bool& divider_;
    QString defaultName_;
    bool expandable_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace Vx::Ui::Controls
