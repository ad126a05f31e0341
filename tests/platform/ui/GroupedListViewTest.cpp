// The grouped list view: what it asks its provider, the check state it keeps,
// and what it tells its listeners when rows are tapped.
#include <gtest/gtest.h>

#include <QImage>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ControlPrivate.h"
#include "platform/ui/CustomItem.h"
#include "platform/ui/GroupedListView.h"
#include "platform/ui/ItemWidgetPrivate.h"
#include "platform/ui/UiEnvironment.h"

using namespace Vx;
using namespace Vx::Ui;
using namespace Vx::Ui::Controls;
using Vx::Base::String;
using Vx::Graphics::Color;

namespace {

// Builds titled groups of radio items from `counts` and records every call.
class Provider : public IGroupedListViewItemProvider {
public:
    explicit Provider(std::vector<int> counts) : counts(std::move(counts)) {}

    int GetGroupCount() override { return static_cast<int>(counts.size()); }
    int GetItemCount(int group) override { return group < GetGroupCount() ? counts[group] : 0; }
    GroupItem* CreateGroupItem(int group, int width) override {
        calls.push_back("group " + std::to_string(group) + " w" + std::to_string(width));
        auto* item = new GroupItem();
        EXPECT_EQ(item->Construct({width, 52}), E_SUCCESS);
        item->SetElement(L"Group");
        return item;
    }
    ListItemBase* CreateItem(int group, int index, int width) override {
        calls.push_back("item " + std::to_string(group) + "." + std::to_string(index));
        if (nullItems) return nullptr;
        auto* item = new CustomItem();
        EXPECT_EQ(item->Construct({width, 112}, annex), E_SUCCESS);
        item->AddElement({10, 0, width - 60, 112}, 2000 + index, L"Method", 36, Color(0, 0, 0), Color(0, 0, 0),
                         Color(0, 0, 0));
        return item;
    }
    bool DeleteGroupItem(int group, GroupItem* item, int) override {
        calls.push_back("delete group " + std::to_string(group));
        delete item;
        return true;
    }
    bool DeleteItem(int group, int index, ListItemBase* item, int) override {
        calls.push_back("delete item " + std::to_string(group) + "." + std::to_string(index));
        if (!deleteItself) return false;
        delete item;
        return true;
    }

    std::vector<int> counts;
    std::vector<std::string> calls;
    ListAnnexStyle annex = LIST_ANNEX_STYLE_RADIO;
    bool nullItems = false;
    bool deleteItself = true;
};

struct Listener : IGroupedListViewItemEventListener {
    void OnGroupedListViewContextItemStateChanged(GroupedListView&, int, int, int, ListContextItemStatus) override {}
    void OnGroupedListViewItemSwept(GroupedListView&, int, int, SweepDirection) override {}
    void OnGroupedListViewItemStateChanged(GroupedListView& view, int group, int index, int elementId,
                                           ListItemStatus status) override {
        events.push_back(std::to_string(group) + "." + std::to_string(index) + " " + std::to_string(elementId) + " " +
                         std::to_string(status));
        if (onEvent) onEvent(view, group, index, status);
    }
    std::vector<std::string> events;
    std::function<void(GroupedListView&, int, int, ListItemStatus)> onEvent;
};

class GroupedListViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureUiApplication());
        view_ = std::make_unique<GroupedListView>();
        ASSERT_EQ(view_->Construct({0, 232, 720, 800}, GROUPED_LIST_VIEW_STYLE_SECTION, true, false), E_SUCCESS);
        view_->AddGroupedListViewItemEventListener(listener_);
    }
    void Tap(int group, int index) {
        ListItemBase* item = index < 0 ? view_->GetGroupItemAt(group) : view_->GetItemAt(group, index);
        ASSERT_NE(item, nullptr);
        ItemWidget::Of(*item)->click();
    }
    std::unique_ptr<GroupedListView> view_;
    Listener listener_;
};

TEST_F(GroupedListViewTest, BuildsEveryRowThroughTheProviderAtTheViewsWidth) {
    Provider provider({3, 0});
    ASSERT_EQ(view_->SetItemProvider(provider), E_SUCCESS);
    EXPECT_EQ(provider.calls,
              (std::vector<std::string>{"group 0 w720", "item 0.0", "item 0.1", "item 0.2", "group 1 w720"}));
    EXPECT_EQ(view_->GetGroupCount(), 2);
    EXPECT_EQ(view_->GetItemCountAt(0), 3);
    EXPECT_EQ(view_->GetItemCountAt(1), 0);
    EXPECT_EQ(view_->GetItemCountAt(2), -1);
    EXPECT_EQ(view_->GetItemAt(0, 3), nullptr);
    // Rows lie one below the other and are named after their place for automation.
    EXPECT_EQ(view_->GetItemAt(0, 1)->GetBounds().y, 52 + 112);
    EXPECT_EQ(view_->GetItemAt(0, 1)->GetName(), String(L"groupedListView/0/1"));
    EXPECT_EQ(view_->GetGroupItemAt(0)->GetName(), String(L"groupedListView/0"));
    EXPECT_EQ(view_->GetItemAt(0, 2)->GetText(), String(L"Method"));
}

TEST_F(GroupedListViewTest, UpdateRebuildsOnlyGroupsWhoseCountChangedAndKeepsCheckStates) {
    Provider provider({0, 2});
    view_->SetItemProvider(provider);
    ASSERT_EQ(view_->SetItemChecked(1, 1, true), E_SUCCESS);
    ListItemBase* kept = view_->GetItemAt(1, 0);
    provider.calls.clear();
    provider.counts = {2, 2};
    ASSERT_EQ(view_->UpdateList(), E_SUCCESS);
    EXPECT_EQ(provider.calls, (std::vector<std::string>{"item 0.0", "item 0.1"}));
    EXPECT_EQ(view_->GetItemAt(1, 0), kept);
    EXPECT_TRUE(view_->IsItemChecked(1, 1));

    provider.calls.clear();
    provider.counts = {2, 1};
    view_->UpdateList();
    EXPECT_EQ(provider.calls, (std::vector<std::string>{"delete item 1.0", "delete item 1.1", "item 1.0"}));
    EXPECT_FALSE(view_->IsItemChecked(1, 1));

    provider.calls.clear();
    provider.counts = {2};
    view_->UpdateList();
    EXPECT_EQ(provider.calls, (std::vector<std::string>{"delete item 1.0", "delete group 1"}));
    EXPECT_EQ(view_->GetGroupCount(), 1);
}

TEST_F(GroupedListViewTest, ReloadBuildsEveryRowAnewAndKeepsCheckStatesByIndex) {
    Provider provider({2});
    view_->SetItemProvider(provider);
    view_->SetItemChecked(0, 0, true);
    provider.calls.clear();
    ASSERT_EQ(view_->ReloadList(), E_SUCCESS);
    EXPECT_EQ(provider.calls, (std::vector<std::string>{"delete item 0.0", "delete item 0.1", "delete group 0",
                                                        "group 0 w720", "item 0.0", "item 0.1"}));
    EXPECT_TRUE(view_->IsItemChecked(0, 0));
    EXPECT_FALSE(view_->IsItemChecked(0, 1));
}

TEST_F(GroupedListViewTest, ATapTurnsTheCheckStateOverAndTellsTheListener) {
    Provider provider({2});
    view_->SetItemProvider(provider);
    Tap(0, 1);
    EXPECT_TRUE(view_->IsItemChecked(0, 1));
    EXPECT_TRUE(ItemWidget::Of(*view_->GetItemAt(0, 1))->checked);  // drawn with its mark
    Tap(0, 1);
    EXPECT_FALSE(view_->IsItemChecked(0, 1));
    Tap(0, -1);  // a title row is not selectable
    EXPECT_EQ(listener_.events, (std::vector<std::string>{"0.1 -1 2", "0.1 -1 3"}));
}

TEST_F(GroupedListViewTest, ItemsWithoutAMarkAreSelectedNeverChecked) {
    Provider provider({1});
    provider.annex = LIST_ANNEX_STYLE_NORMAL;
    view_->SetItemProvider(provider);
    Tap(0, 0);
    EXPECT_EQ(listener_.events, std::vector<std::string>{"0.0 -1 0"});
    EXPECT_FALSE(view_->IsItemChecked(0, 0));
    EXPECT_EQ(view_->SetItemChecked(0, 0, true), E_INVALID_OPERATION);
    EXPECT_EQ(view_->SetItemChecked(0, 1, true), E_OUT_OF_RANGE);
    EXPECT_EQ(view_->SetItemChecked(-1, 0, true), E_OUT_OF_RANGE);
}

// A screen keeps one choice: it unchecks the others and refreshes the list from inside the event.
TEST_F(GroupedListViewTest, AListenerMayChangeChecksAndRebuildTheListDuringTheTap) {
    Provider provider({3});
    view_->SetItemProvider(provider);
    listener_.onEvent = [](GroupedListView& view, int group, int index, ListItemStatus) {
        for (int i = 0; i < view.GetItemCountAt(group); ++i) {
            if (i != index) view.SetItemChecked(group, i, false);
        }
        view.ReloadList();
    };
    Tap(0, 0);
    Tap(0, 2);
    EXPECT_FALSE(view_->IsItemChecked(0, 0));
    EXPECT_TRUE(view_->IsItemChecked(0, 2));
}

TEST_F(GroupedListViewTest, OddProvidersAreTolerated) {
    Provider provider({-4, 2});
    provider.nullItems = true;
    ASSERT_EQ(view_->SetItemProvider(provider), E_SUCCESS);
    EXPECT_EQ(view_->GetItemCountAt(0), 0);
    EXPECT_EQ(view_->GetItemCountAt(1), 2);
    EXPECT_EQ(view_->GetItemAt(1, 0), nullptr);
    EXPECT_FALSE(view_->IsItemChecked(1, 0));
    EXPECT_EQ(view_->SetItemChecked(1, 0, true), E_INVALID_OPERATION);
    GroupedListView unbuilt;
    EXPECT_EQ(unbuilt.UpdateList(), E_INVALID_STATE);
    EXPECT_EQ(unbuilt.SetItemProvider(provider), E_INVALID_STATE);
    EXPECT_EQ(unbuilt.Construct({0, 0, 10, 10}, static_cast<GroupedListViewStyle>(7)), E_INVALID_ARG);
    EXPECT_EQ(view_->UpdateList(), E_SUCCESS);
}

// The view deletes what the provider hands back, and outlives a provider without touching it.
TEST_F(GroupedListViewTest, RowsAreDeletedOnceWhoeverDeletesThem) {
    auto provider = std::make_unique<Provider>(std::vector<int>{2});
    provider->deleteItself = false;
    view_->SetItemProvider(*provider);
    provider->counts = {1};
    view_->UpdateList();  // the view deletes the rows the provider declined to delete
    provider.reset();
    view_.reset();  // no call reaches the provider that is gone
}

TEST_F(GroupedListViewTest, CustomItemElementsAreKnownById) {
    CustomItem item;
    EXPECT_EQ(item.AddElement({0, 0, 1, 1}, 1, L"a", 20, Color(), Color(), Color()), E_INVALID_STATE);
    ASSERT_EQ(item.Construct({720, 112}, LIST_ANNEX_STYLE_RADIO), E_SUCCESS);
    EXPECT_EQ(item.AddElement({10, 0, 600, 112}, 2000, L"Credit card", 36, Color(), Color(), Color()), E_SUCCESS);
    EXPECT_EQ(item.AddElement({10, 0, 600, 112}, 2000, L"again", 36, Color(), Color(), Color()), E_OBJ_ALREADY_EXIST);
    EXPECT_EQ(item.AddElement({10, 0, 600, 112}, 2001, L"bad", 0, Color(), Color(), Color()), E_INVALID_ARG);
    EXPECT_EQ(item.AddElement({10, 0, 600, 112}, 2001, L"Visa", 24, Color(), Color(), Color()), E_SUCCESS);
    EXPECT_EQ(item.GetElementText(2000), String(L"Credit card"));
    EXPECT_EQ(item.GetElementText(5), String());
    EXPECT_EQ(item.GetElementCount(), 2);
    EXPECT_EQ(item.GetText(), String(L"Credit card Visa"));
    EXPECT_EQ(item.GetAnnexStyle(), LIST_ANNEX_STYLE_RADIO);
    EXPECT_EQ(item.SetBackgroundColor(Color(1, 2, 3), static_cast<ListItemDrawingStatus>(9)), E_INVALID_ARG);
    EXPECT_EQ(item.SetBackgroundColor(Color(1, 2, 3), LIST_ITEM_DRAWING_STATUS_PRESSED), E_SUCCESS);
    EXPECT_EQ(item.GetBackgroundColor(LIST_ITEM_DRAWING_STATUS_PRESSED), Color(1, 2, 3));
    GroupItem group;
    EXPECT_EQ(group.Construct({0, 52}), E_INVALID_ARG);
    ASSERT_EQ(group.Construct({720, 52}), E_SUCCESS);
    EXPECT_EQ(group.SetTextSize(0), E_INVALID_ARG);
    EXPECT_EQ(group.SetTextSize(32), E_SUCCESS);
    EXPECT_EQ(group.GetTextSize(), 32);
}

}  // namespace

namespace {

// The radio mark shows the view's check state: a filled dot only while checked.
TEST_F(GroupedListViewTest, TheRadioMarkIsDrawnFromTheCheckState) {
    Provider provider({1});
    view_->SetItemProvider(provider);
    QWidget* row = ItemWidget::Of(*view_->GetItemAt(0, 0));
    const QPoint dot(720 - 24 - 20, 56);
    EXPECT_EQ(row->grab().toImage().pixelColor(dot), QColor(255, 255, 255));
    view_->SetItemChecked(0, 0, true);
    EXPECT_EQ(row->grab().toImage().pixelColor(dot), QColor(59, 115, 182));
}

}  // namespace
