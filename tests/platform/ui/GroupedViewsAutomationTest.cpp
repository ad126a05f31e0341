// Grouped list and table views driven through the automation channel of this
// process: rows listed by name with their check and expand state, pressed to
// check, uncheck and expand, and a control inside a row pressed by its name.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/app/AppContextPrivate.h"
#include "platform/app/EventLoop.h"
#include "platform/ui/Button.h"
#include "platform/ui/CustomItem.h"
#include "platform/ui/Form.h"
#include "platform/ui/Frame.h"
#include "platform/ui/GroupedListView.h"
#include "platform/ui/GroupedTableView.h"
#include "platform/ui/UiAutomationClient.h"
#include "platform/ui/UiAutomationProtocol.h"
#include "platform/ui/UiEnvironment.h"

using namespace Vx;
using namespace Vx::Ui;
using namespace Vx::Ui::Controls;
using Vx::Graphics::Color;
using Vx::Ui::Automation::ControlInfo;
using Vx::Ui::Automation::UiAutomationClient;

namespace {

class PlatformHome : public ::testing::Environment {
public:
    void SetUp() override {
        char pattern[] = "/tmp/grouped-automation-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        home_ = pattern;
        setenv("IAP_PLATFORM_HOME", home_.c_str(), 1);
        setenv(Automation::kEnableEnv, "1", 1);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(home_, ignored);
    }

private:
    std::string home_;
};

[[maybe_unused]] ::testing::Environment* const kHome = ::testing::AddGlobalTestEnvironment(new PlatformHome());

// A payment-method list with one group of radio items.
struct Methods : IGroupedListViewItemProvider, IGroupedListViewItemEventListener {
    int GetGroupCount() override { return 1; }
    int GetItemCount(int) override { return 2; }
    GroupItem* CreateGroupItem(int, int width) override {
        auto* item = new GroupItem();
        item->Construct({width, 52});
        item->SetElement(L"Select payment method");
        return item;
    }
    ListItemBase* CreateItem(int, int index, int width) override {
        auto* item = new CustomItem();
        item->Construct({width, 112}, LIST_ANNEX_STYLE_RADIO);
        item->AddElement({10, 0, width - 60, 112}, 2000 + index, index == 0 ? L"Credit card" : L"Phone bill", 36,
                         Color(0, 0, 0), Color(0, 0, 0), Color(0, 0, 0));
        return item;
    }
    bool DeleteGroupItem(int, GroupItem* item, int) override {
        delete item;
        return true;
    }
    bool DeleteItem(int, int, ListItemBase* item, int) override {
        delete item;
        return true;
    }
    void OnGroupedListViewContextItemStateChanged(GroupedListView&, int, int, int, ListContextItemStatus) override {}
    void OnGroupedListViewItemSwept(GroupedListView&, int, int, SweepDirection) override {}
    void OnGroupedListViewItemStateChanged(GroupedListView&, int, int index, int, ListItemStatus status) override {
        changes.push_back(std::to_string(index) + ":" + std::to_string(status));
    }
    std::vector<std::string> changes;
};

// A card table: group 0 is a title, group 1 fills its companies on the first tap and toggles after.
struct Cards : IGroupedTableViewItemProvider, IGroupedTableViewItemEventListener, IActionEventListener {
    int GetGroupCount() override { return 2; }
    int GetItemCount(int) override { return 0; }
    TableViewGroupItem* CreateGroupItem(int group, int width) override {
        auto* item = new TableViewGroupItem();
        item->Construct({width, group == 0 ? 78 : 140});
        if (group == 1) {
            auto* help = new Button();
            help->Construct({width - 108, 31, 72, 72}, L"?");
            help->SetName(L"CVC");
            help->SetActionId(1);
            help->AddActionEventListener(*this);
            item->AddControl(help);
            EXPECT_EQ(item->SetIndividualSelectionEnabled(help, true), E_SUCCESS);
            EXPECT_TRUE(item->IsIndividualSelectionEnabled(help));
            EXPECT_EQ(item->SetIndividualSelectionEnabled(item, true), E_OBJ_NOT_FOUND);
        }
        return item;
    }
    TableViewItem* CreateItem(int, int, int width) override {
        auto* item = new TableViewItem();
        item->Construct({width, 112}, TABLE_VIEW_ANNEX_STYLE_RADIO);
        return item;
    }
    bool DeleteGroupItem(int, TableViewGroupItem*) override { return false; }
    bool DeleteItem(int, int, TableViewItem*) override { return false; }
    void UpdateGroupItem(int, TableViewGroupItem*) override {}
    void UpdateItem(int, int, TableViewItem*) override {}
    int GetDefaultGroupItemHeight() override { return 100; }
    int GetDefaultItemHeight() override { return 100; }
    void OnGroupedTableViewGroupItemStateChanged(GroupedTableView& view, int group, TableViewGroupItem*,
                                                 TableViewItemStatus) override {
        if (group != 1) return;
        if (view.GetItemCountAt(1) != 2) {
            for (int i = 0; i < 2; ++i)
                view.RefreshItem(1, i, TABLE_VIEW_REFRESH_TYPE_ITEM_ADD);
            view.SetItemChecked(1, 0, true);
        } else if (view.IsGroupExpanded(1)) {
            view.CollapseGroup(1);
        } else {
            view.ExpandGroup(1);
        }
    }
    void OnGroupedTableViewItemStateChanged(GroupedTableView& view, int group, int index, TableViewItem*,
                                            TableViewItemStatus status) override {
        if (status == TABLE_VIEW_ITEM_STATUS_UNCHECKED) view.SetItemChecked(group, index, true);
        for (int i = 0; i < view.GetItemCountAt(group); ++i) {
            if (i != index) view.SetItemChecked(group, i, false);
        }
    }
    void OnActionPerformed(const Control&, int actionId) override { actions.push_back(actionId); }
    std::vector<int> actions;
};

class GroupedViewsAutomationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureUiApplication());
        ASSERT_EQ(frame_.Construct(), E_SUCCESS);
        frame_.SetName(L"main");
        auto* form = new Form();
        ASSERT_EQ(form->Construct(FORM_STYLE_NORMAL), E_SUCCESS);
        form->SetName(L"views");
        auto* list = new GroupedListView();
        ASSERT_EQ(list->Construct({0, 0, 720, 300}, GROUPED_LIST_VIEW_STYLE_SECTION), E_SUCCESS);
        list->SetName(L"paymentMethods");
        list->SetItemProvider(methods_);
        list->AddGroupedListViewItemEventListener(methods_);
        form->AddControl(list);
        auto* table = new GroupedTableView();
        ASSERT_EQ(table->Construct({0, 300, 720, 700}, false, TABLE_VIEW_SCROLL_BAR_STYLE_NONE), E_SUCCESS);
        table->SetName(L"cardTable");
        table->SetItemProvider(cards_);
        table->AddGroupedTableViewItemEventListener(cards_);
        form->AddControl(table);
        list_ = list;
        table_ = table;
        ASSERT_EQ(frame_.AddControl(form), E_SUCCESS);
        ASSERT_EQ(frame_.Activate(), E_SUCCESS);
        ASSERT_EQ(client_.Connect(App::AppContext::GetCurrent().appId, 3000), E_SUCCESS) << client_.GetLastError();
    }
    void TearDown() override { client_.Disconnect(); }

    const ControlInfo Get(const std::string& name) {
        std::vector<ControlInfo> controls;
        EXPECT_EQ(client_.List(controls), E_SUCCESS) << client_.GetLastError();
        const ControlInfo* info = UiAutomationClient::Find(controls, name);
        return info ? *info : ControlInfo{};
    }
    void PressAndSettle(const std::string& name, const std::function<bool()>& done) {
        ASSERT_EQ(client_.Press(name), E_SUCCESS) << client_.GetLastError();
        ASSERT_TRUE(App::EventLoop::RunUntil(done, 3000)) << "pressing " << name << " had no effect";
    }

    Methods methods_;
    Cards cards_;
    Frame frame_;
    GroupedListView* list_ = nullptr;
    GroupedTableView* table_ = nullptr;
    UiAutomationClient client_;
};

TEST_F(GroupedViewsAutomationTest, ListItemsAreListedByPlaceAndCheckedOrUncheckedByAPress) {
    ControlInfo title = Get("paymentMethods/0");
    EXPECT_EQ(title.type, "GroupItem");
    EXPECT_EQ(title.text, "Select payment method");
    EXPECT_FALSE(title.checkable);
    ControlInfo phone = Get("paymentMethods/0/1");
    EXPECT_EQ(phone.type, "CustomItem");
    EXPECT_EQ(phone.text, "Phone bill");
    EXPECT_TRUE(phone.checkable);
    EXPECT_FALSE(phone.checked);

    PressAndSettle("paymentMethods/0/1", [&] { return list_->IsItemChecked(0, 1); });
    EXPECT_TRUE(Get("paymentMethods/0/1").checked);
    PressAndSettle("paymentMethods/0/1", [&] { return !list_->IsItemChecked(0, 1); });
    EXPECT_FALSE(Get("paymentMethods/0/1").checked);
    EXPECT_EQ(methods_.changes, (std::vector<std::string>{"1:2", "1:3"}));
}

TEST_F(GroupedViewsAutomationTest, TableGroupsExpandByAPressAndAChildControlIsPressedByName) {
    ControlInfo group = Get("cardTable/1");
    EXPECT_EQ(group.type, "TableViewGroupItem");
    EXPECT_TRUE(group.expandable);
    EXPECT_EQ(Get("cardTable/1/0").name, "");  // no companies until the first tap

    PressAndSettle("cardTable/1", [&] { return table_->GetItemCountAt(1) == 2; });
    ControlInfo first = Get("cardTable/1/0");
    EXPECT_EQ(first.type, "TableViewItem");
    EXPECT_TRUE(first.checked);
    PressAndSettle("cardTable/1/1", [&] { return table_->IsItemChecked(1, 1); });
    EXPECT_FALSE(Get("cardTable/1/0").checked);

    PressAndSettle("cardTable/1", [&] { return !table_->IsGroupExpanded(1); });
    EXPECT_FALSE(Get("cardTable/1").expanded);
    EXPECT_EQ(client_.Press("cardTable/1/0"), E_OBJ_NOT_FOUND);  // hidden while collapsed
    PressAndSettle("cardTable/1", [&] { return table_->IsGroupExpanded(1); });
    EXPECT_TRUE(Get("cardTable/1").expanded);

    PressAndSettle("CVC", [&] { return !cards_.actions.empty(); });
    EXPECT_EQ(cards_.actions, std::vector<int>{1});
    EXPECT_TRUE(table_->IsGroupExpanded(1));  // the button's press is not a tap on its row
}

}  // namespace
