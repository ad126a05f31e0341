// The grouped table view: provider calls, items added on demand, expand and
// collapse, check state, events, and per-state nine-patch backgrounds.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QImage>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Bitmap.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/ControlPrivate.h"
#include "platform/ui/EditField.h"
#include "platform/ui/GroupedTableView.h"
#include "platform/ui/ItemWidgetPrivate.h"
#include "platform/ui/UiEnvironment.h"

using namespace Vx;
using namespace Vx::Ui;
using namespace Vx::Ui::Controls;
using Vx::Base::String;
using Vx::Graphics::Bitmap;
using Vx::Graphics::Color;

namespace {

// Group items of height 140 holding an edit field; items of height 112 with a radio mark.
class Provider : public IGroupedTableViewItemProvider {
public:
    explicit Provider(std::vector<int> counts) : counts(std::move(counts)) {}

    int GetGroupCount() override { return static_cast<int>(counts.size()); }
    int GetItemCount(int group) override { return counts[group]; }
    TableViewGroupItem* CreateGroupItem(int group, int width) override {
        calls.push_back("group " + std::to_string(group));
        auto* item = new TableViewGroupItem();
        EXPECT_EQ(item->Construct({width, 140}), E_SUCCESS);
        auto* field = new EditField();
        EXPECT_EQ(field->Construct({36, 76, width - 160, 42}), E_SUCCESS);
        item->AddControl(field);
        return item;
    }
    TableViewItem* CreateItem(int group, int index, int width) override {
        calls.push_back("item " + std::to_string(group) + "." + std::to_string(index));
        auto* item = new TableViewItem();
        EXPECT_EQ(item->Construct({width, 112}, TABLE_VIEW_ANNEX_STYLE_RADIO), E_SUCCESS);
        return item;
    }
    bool DeleteGroupItem(int group, TableViewGroupItem*) override {
        calls.push_back("delete group " + std::to_string(group));
        return false;
    }
    bool DeleteItem(int group, int index, TableViewItem*) override {
        calls.push_back("delete item " + std::to_string(group) + "." + std::to_string(index));
        return false;
    }
    void UpdateGroupItem(int group, TableViewGroupItem*) override {
        calls.push_back("update group " + std::to_string(group));
    }
    void UpdateItem(int group, int index, TableViewItem*) override {
        calls.push_back("update item " + std::to_string(group) + "." + std::to_string(index));
    }
    int GetDefaultGroupItemHeight() override { return 100; }
    int GetDefaultItemHeight() override { return 100; }

    std::vector<int> counts;
    std::vector<std::string> calls;
};

struct Listener : IGroupedTableViewItemEventListener {
    void OnGroupedTableViewGroupItemStateChanged(GroupedTableView& view, int group, TableViewGroupItem* item,
                                                 TableViewItemStatus status) override {
        events.push_back("group " + std::to_string(group) + " " + std::to_string(status));
        EXPECT_EQ(item, view.GetGroupItemAt(group));
        if (onGroup) onGroup(view, group);
    }
    void OnGroupedTableViewItemStateChanged(GroupedTableView& view, int group, int index, TableViewItem* item,
                                            TableViewItemStatus status) override {
        events.push_back("item " + std::to_string(group) + "." + std::to_string(index) + " " + std::to_string(status));
        EXPECT_EQ(item, view.GetItemAt(group, index));
        if (onItem) onItem(view, group, index, status);
    }
    std::vector<std::string> events;
    std::function<void(GroupedTableView&, int)> onGroup;
    std::function<void(GroupedTableView&, int, int, TableViewItemStatus)> onItem;
};

class GroupedTableViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureUiApplication());
        view_ = std::make_unique<GroupedTableView>();
        ASSERT_EQ(view_->Construct({0, 0, 720, 1000}, false, TABLE_VIEW_SCROLL_BAR_STYLE_NONE), E_SUCCESS);
        view_->AddGroupedTableViewItemEventListener(listener_);
    }
    static void Tap(TableViewItemBase* item) {
        ASSERT_NE(item, nullptr);
        ItemWidget::Of(*item)->click();
    }
    std::unique_ptr<GroupedTableView> view_;
    Listener listener_;
};

TEST_F(GroupedTableViewTest, GroupsComeFromTheProviderAndItemsAreAddedOnDemand) {
    Provider provider({0, 0, 0});
    ASSERT_EQ(view_->SetItemProvider(provider), E_SUCCESS);
    EXPECT_EQ(provider.calls, (std::vector<std::string>{"group 0", "group 1", "group 2"}));
    EXPECT_EQ(view_->GetItemCountAt(1), 0);

    provider.calls.clear();
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(view_->RefreshItem(1, i, TABLE_VIEW_REFRESH_TYPE_ITEM_ADD), E_SUCCESS);
    EXPECT_EQ(provider.calls, (std::vector<std::string>{"item 1.0", "item 1.1", "item 1.2"}));
    EXPECT_EQ(view_->GetItemCountAt(1), 3);
    EXPECT_EQ(view_->GetItemAt(1, 2)->GetBounds().y, 140 + 140 + 2 * 112);
    EXPECT_EQ(view_->GetGroupItemAt(2)->GetBounds().y, 140 + 140 + 3 * 112);
    EXPECT_EQ(view_->GetItemAt(1, 0)->GetName(), String(L"groupedTableView/1/0"));

    provider.calls.clear();
    EXPECT_EQ(view_->RefreshItem(1, 5, TABLE_VIEW_REFRESH_TYPE_ITEM_ADD), E_OUT_OF_RANGE);
    EXPECT_EQ(view_->RefreshItem(7, 0, TABLE_VIEW_REFRESH_TYPE_ITEM_ADD), E_OUT_OF_RANGE);
    EXPECT_EQ(view_->RefreshItem(1, 3, TABLE_VIEW_REFRESH_TYPE_ITEM_REMOVE), E_OUT_OF_RANGE);
    ASSERT_EQ(view_->RefreshItem(1, -1, TABLE_VIEW_REFRESH_TYPE_ITEM_MODIFY), E_SUCCESS);
    ASSERT_EQ(view_->RefreshItem(1, 1, TABLE_VIEW_REFRESH_TYPE_ITEM_MODIFY), E_SUCCESS);
    ASSERT_EQ(view_->RefreshItem(1, 0, TABLE_VIEW_REFRESH_TYPE_ITEM_REMOVE), E_SUCCESS);
    EXPECT_EQ(provider.calls, (std::vector<std::string>{"update group 1", "update item 1.1", "delete item 1.0"}));
    EXPECT_EQ(view_->GetItemCountAt(1), 2);

    GroupedTableView unbuilt;
    EXPECT_EQ(unbuilt.RefreshItem(0, 0, TABLE_VIEW_REFRESH_TYPE_ITEM_ADD), E_INVALID_STATE);
    EXPECT_EQ(unbuilt.UpdateTableView(), E_INVALID_STATE);
}

// Returning to a screen refreshes its table: what was typed and the items added meanwhile stay.
TEST_F(GroupedTableViewTest, UpdateKeepsGroupItemsWithTheirControlsAndItemsAddedOnDemand) {
    Provider provider({0, 0});
    view_->SetItemProvider(provider);
    auto* field = static_cast<EditField*>(view_->GetGroupItemAt(0)->GetControl(0));
    field->SetText(L"4111");
    view_->RefreshItem(1, 0, TABLE_VIEW_REFRESH_TYPE_ITEM_ADD);
    provider.calls.clear();
    ASSERT_EQ(view_->UpdateTableView(), E_SUCCESS);
    EXPECT_TRUE(provider.calls.empty());
    EXPECT_EQ(static_cast<EditField*>(view_->GetGroupItemAt(0)->GetControl(0))->GetText(), String(L"4111"));
    EXPECT_EQ(view_->GetItemCountAt(1), 1);

    provider.counts = {2};
    view_->UpdateTableView();
    EXPECT_EQ(provider.calls, (std::vector<std::string>{"delete item 1.0", "delete group 1", "item 0.0", "item 0.1"}));
    EXPECT_EQ(view_->GetGroupCount(), 1);
    EXPECT_EQ(view_->GetItemCountAt(0), 2);
}

TEST_F(GroupedTableViewTest, CollapsedGroupsHideTheirItemsAndTheViewNeverTogglesOnItsOwn) {
    Provider provider({2, 0});
    view_->SetItemProvider(provider);
    EXPECT_TRUE(view_->IsGroupExpanded(0));
    Tap(view_->GetGroupItemAt(0));
    EXPECT_EQ(listener_.events, std::vector<std::string>{"group 0 0"});
    EXPECT_TRUE(view_->IsGroupExpanded(0));

    listener_.onGroup = [](GroupedTableView& view, int group) {
        if (view.IsGroupExpanded(group)) {
            view.CollapseGroup(group);
        } else {
            view.ExpandGroup(group);
        }
    };
    Tap(view_->GetGroupItemAt(0));
    EXPECT_FALSE(view_->IsGroupExpanded(0));
    EXPECT_FALSE(view_->GetItemAt(0, 0)->GetShowState());
    EXPECT_EQ(view_->GetGroupItemAt(1)->GetBounds().y, 140);
    EXPECT_EQ(ItemWidget::Of(*view_->GetGroupItemAt(0))->expansion, ItemWidget::Expansion::Collapsed);
    Tap(view_->GetGroupItemAt(0));
    EXPECT_TRUE(view_->GetItemAt(0, 1)->GetShowState());
    EXPECT_EQ(view_->GetGroupItemAt(1)->GetBounds().y, 140 + 2 * 112);
    EXPECT_EQ(view_->ExpandGroup(2), E_OUT_OF_RANGE);
    EXPECT_EQ(view_->CollapseGroup(-1), E_OUT_OF_RANGE);
    EXPECT_FALSE(view_->IsGroupExpanded(9));
}

// A list of choices where exactly one stays checked: the listener checks an unchecked item again.
TEST_F(GroupedTableViewTest, ATapTurnsTheCheckOverAndTheListenerMayKeepOneChecked) {
    Provider provider({3});
    view_->SetItemProvider(provider);
    listener_.onItem = [](GroupedTableView& view, int group, int index, TableViewItemStatus status) {
        if (status == TABLE_VIEW_ITEM_STATUS_UNCHECKED) {
            view.SetItemChecked(group, index, true);
            return;
        }
        for (int i = 0; i < view.GetItemCountAt(group); ++i) {
            if (i != index && view.IsItemChecked(group, i)) view.SetItemChecked(group, i, false);
        }
        view.RefreshItem(group, -1, TABLE_VIEW_REFRESH_TYPE_ITEM_MODIFY);
    };
    Tap(view_->GetItemAt(0, 1));
    Tap(view_->GetItemAt(0, 2));
    Tap(view_->GetItemAt(0, 2));
    EXPECT_EQ(listener_.events, (std::vector<std::string>{"item 0.1 2", "item 0.2 2", "item 0.2 3"}));
    EXPECT_FALSE(view_->IsItemChecked(0, 1));
    EXPECT_TRUE(view_->IsItemChecked(0, 2));
    EXPECT_TRUE(ItemWidget::Of(*view_->GetItemAt(0, 2))->checked);
    EXPECT_EQ(view_->SetItemChecked(0, 3, true), E_OUT_OF_RANGE);
}

class NinePatchTest : public GroupedTableViewTest {
protected:
    void SetUp() override {
        GroupedTableViewTest::SetUp();
        char pattern[] = "/tmp/table-bitmaps-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    // 10 × 10 picture inside the marks: green corners of 3 pixels, red middle that stretches.
    std::string WriteNinePatch() {
        QImage image(12, 12, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        for (int y = 1; y <= 10; ++y) {
            for (int x = 1; x <= 10; ++x) {
                bool corner = (x <= 3 || x >= 8) && (y <= 3 || y >= 8);
                image.setPixelColor(x, y, corner ? QColor(0, 255, 0) : QColor(255, 0, 0));
            }
        }
        for (int i = 4; i <= 7; ++i) {
            image.setPixelColor(i, 0, Qt::black);
            image.setPixelColor(0, i, Qt::black);
        }
        std::string path = dir_ + "/bg_9.png";
        EXPECT_TRUE(image.save(QString::fromStdString(path), "PNG"));
        return path;
    }
    std::string dir_;
};

TEST_F(NinePatchTest, EachStateDrawsItsOwnBackgroundStretchedByItsMarks) {
    Bitmap normal;
    ASSERT_EQ(normal.Construct(String::FromUtf8(WriteNinePatch())), E_SUCCESS);
    ASSERT_TRUE(normal.IsNinePatchedBitmap());
    Graphics::Canvas canvas;
    ASSERT_EQ(canvas.Construct({0, 0, 4, 4}), E_SUCCESS);
    canvas.FillRectangle(Color(0, 0, 255), {0, 0, 4, 4});
    Bitmap pressed;
    ASSERT_EQ(pressed.Construct(canvas, {0, 0, 4, 4}), E_SUCCESS);

    TableViewGroupItem item;
    Bitmap unbuilt;
    EXPECT_EQ(item.SetBackgroundBitmap(normal), E_INVALID_STATE);
    ASSERT_EQ(item.Construct({720, 140}), E_SUCCESS);
    EXPECT_EQ(item.SetBackgroundBitmap(unbuilt), E_INVALID_ARG);
    EXPECT_EQ(item.SetBackgroundBitmap(normal, static_cast<TableViewItemDrawingStatus>(5)), E_INVALID_ARG);
    ASSERT_EQ(item.SetBackgroundBitmap(normal, TABLE_VIEW_ITEM_DRAWING_STATUS_NORMAL), E_SUCCESS);
    ASSERT_EQ(item.SetBackgroundBitmap(pressed, TABLE_VIEW_ITEM_DRAWING_STATUS_PRESSED), E_SUCCESS);
    EXPECT_TRUE(item.HasBackgroundBitmap(TABLE_VIEW_ITEM_DRAWING_STATUS_PRESSED));
    EXPECT_FALSE(item.HasBackgroundBitmap(TABLE_VIEW_ITEM_DRAWING_STATUS_HIGHLIGHTED));

    ItemWidget* widget = ItemWidget::Of(item);
    QImage shown = widget->grab().toImage();
    EXPECT_EQ(shown.pixelColor(1, 1), QColor(0, 255, 0));      // a corner keeps its size
    EXPECT_EQ(shown.pixelColor(718, 138), QColor(0, 255, 0));  // at every corner
    EXPECT_EQ(shown.pixelColor(360, 70), QColor(255, 0, 0));   // the middle stretches
    EXPECT_EQ(shown.pixelColor(360, 1), QColor(255, 0, 0));
    widget->setDown(true);
    EXPECT_EQ(widget->grab().toImage().pixelColor(360, 70), QColor(0, 0, 255));

    // Equal pressed and normal colours: a tap on a title shows nothing.
    TableViewGroupItem title;
    ASSERT_EQ(title.Construct({720, 78}), E_SUCCESS);
    title.SetBackgroundColor(Color(220, 218, 211), TABLE_VIEW_ITEM_DRAWING_STATUS_NORMAL);
    title.SetBackgroundColor(title.GetBackgroundColor(), TABLE_VIEW_ITEM_DRAWING_STATUS_PRESSED);
    ItemWidget::Of(title)->setDown(true);
    EXPECT_EQ(ItemWidget::Of(title)->grab().toImage().pixelColor(10, 10), QColor(220, 218, 211));
}

}  // namespace
