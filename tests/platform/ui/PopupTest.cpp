// Popups, message boxes and context menus: geometry, modal loops and what may
// happen while one runs.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <vector>

#include "platform/app/ITimerEventListener.h"
#include "platform/app/Timer.h"
#include "platform/ui/Button.h"
#include "platform/ui/ContextMenu.h"
#include "platform/ui/ControlPrivate.h"
#include "platform/ui/Form.h"
#include "platform/ui/Frame.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Popup.h"
#include "platform/ui/UiEnvironment.h"

using namespace Vx;
using namespace Vx::Ui;
using namespace Vx::Ui::Controls;

namespace {

class Ticker : public Base::Runtime::ITimerEventListener {
public:
    void OnTimerExpired(Base::Runtime::Timer&) override { ++ticks; }
    int ticks = 0;
};

class Recorder : public IActionEventListener, public IWindowEventListener, public IOrientationEventListener {
public:
    void OnActionPerformed(const Control&, int actionId) override { actions.push_back(actionId); }
    void OnWindowActivated(const Window&) override { events.push_back("activated"); }
    void OnWindowDeactivated(const Window&) override { events.push_back("deactivated"); }
    void OnOrientationChanged(const Control&, OrientationStatus status) override { orientations.push_back(status); }
    std::vector<int> actions;
    std::vector<std::string> events;
    std::vector<OrientationStatus> orientations;
};

void Later(int ms, std::function<void()> what) { QTimer::singleShot(ms, what); }

void Click(Container& owner, const wchar_t* name) {
    Control* control = owner.GetControl(name, true);
    ASSERT_NE(control, nullptr);
    static_cast<QAbstractButton*>(control->GetPrivate().widget.data())->click();
}

class PopupTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EnsureUiApplication()); }
};

TEST_F(PopupTest, ClientAreaLiesBelowTheTitleAndZeroSizesDoNotBreakIt) {
    Popup titled;
    ASSERT_EQ(titled.Construct(true, {600, 450}), E_SUCCESS);
    EXPECT_EQ(titled.GetClientAreaBounds(), (Graphics::Rectangle{0, 100, 600, 330}));
    EXPECT_EQ(titled.Construct(true, {600, 450}), E_INVALID_STATE);
    Popup plain;
    ASSERT_EQ(plain.Construct(false, {600, 300}), E_SUCCESS);
    EXPECT_EQ(plain.GetClientAreaBounds(), (Graphics::Rectangle{0, 20, 600, 260}));

    // Built before any frame exists, and with no size at all.
    Popup empty;
    ASSERT_EQ(empty.Construct(true, {0, 0}), E_SUCCESS);
    EXPECT_EQ(empty.GetClientAreaBounds().width, 0);
    EXPECT_EQ(empty.GetClientAreaBounds().height, 0);
    ASSERT_EQ(empty.SetShowState(true), E_SUCCESS);
    ASSERT_EQ(empty.Show(), E_SUCCESS);
    empty.SetShowState(false);
    Popup negative;
    EXPECT_EQ(negative.Construct(false, {-1, 10}), E_INVALID_ARG);

    ASSERT_EQ(plain.SetShowState(true), E_SUCCESS);
    plain.Show();
    QWidget* window = plain.GetPrivate().widget;
    EXPECT_EQ(window->pos(), QPoint((720 - 600) / 2, (1280 - 300) / 2)) << "centred on the phone screen";
    plain.SetShowState(false);
}

TEST_F(PopupTest, DoModalReturnsTheEndModalResultAndHidesThePopup) {
    Popup popup;
    int result = -1;
    EXPECT_EQ(popup.DoModal(result), E_INVALID_STATE) << "not constructed";
    ASSERT_EQ(popup.Construct(false, {400, 200}), E_SUCCESS);
    EXPECT_EQ(popup.EndModal(3), E_INVALID_STATE) << "no loop runs";
    Recorder recorder;
    popup.AddWindowEventListener(recorder);
    Later(0, [&] {
        EXPECT_TRUE(popup.IsInModalLoop());
        EXPECT_TRUE(popup.IsVisible());
        int again = 0;
        EXPECT_EQ(popup.DoModal(again), E_INVALID_STATE) << "one loop per popup";
        popup.EndModal(7);
    });
    ASSERT_EQ(popup.DoModal(result), E_SUCCESS);
    EXPECT_EQ(result, 7);
    EXPECT_FALSE(popup.IsInModalLoop());
    EXPECT_FALSE(popup.IsVisible());
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"activated", "deactivated"}));
}

TEST_F(PopupTest, TimersAndANestedModalPopupRunWhileTheLoopWaits) {
    Popup outer, inner;
    ASSERT_EQ(outer.Construct(true, {600, 400}), E_SUCCESS);
    ASSERT_EQ(inner.Construct(false, {400, 200}), E_SUCCESS);
    Ticker ticker;
    Base::Runtime::Timer timer;
    ASSERT_EQ(timer.Construct(ticker), E_SUCCESS);
    ASSERT_EQ(timer.StartAsRepeatable(2), E_SUCCESS);
    std::vector<std::string> order;
    Later(0, [&] {
        Later(30, [&] { inner.EndModal(2); });
        int innerResult = -1;
        EXPECT_EQ(inner.DoModal(innerResult), E_SUCCESS);
        order.push_back("inner " + std::to_string(innerResult));
        outer.EndModal(1);
    });
    int outerResult = -1;
    ASSERT_EQ(outer.DoModal(outerResult), E_SUCCESS);
    order.push_back("outer " + std::to_string(outerResult));
    EXPECT_EQ(order, (std::vector<std::string>{"inner 2", "outer 1"}));
    EXPECT_GT(ticker.ticks, 0);
}

TEST_F(PopupTest, PopupDeletedDuringItsOwnLoopReturnsWithoutTouchingIt) {
    auto* popup = new Popup();
    ASSERT_EQ(popup->Construct(true, {600, 300}), E_SUCCESS);
    Later(0, [&] { delete popup; });
    int result = -1;
    EXPECT_EQ(popup->DoModal(result), E_INVALID_STATE);
    EXPECT_EQ(result, -1);
}

TEST_F(PopupTest, ClosingThePopupEndsTheLoopWithoutAResult) {
    Popup popup;
    ASSERT_EQ(popup.Construct(false, {400, 200}), E_SUCCESS);
    Later(0, [&] { popup.GetPrivate().widget->close(); });
    int result = -1;
    ASSERT_EQ(popup.DoModal(result), E_SUCCESS);
    EXPECT_EQ(result, -1);
    EXPECT_FALSE(popup.IsVisible());
}

TEST_F(PopupTest, MessageBoxButtonsGiveTheirResult) {
    MessageBox invalid;
    EXPECT_EQ(invalid.Construct(L"t", L"x", static_cast<MessageBoxStyle>(42), 0), E_INVALID_ARG);
    MessageBox box;
    ASSERT_EQ(box.Construct(L"Question", L"Go on?", MSGBOX_STYLE_YESNO, 0), E_SUCCESS);
    EXPECT_EQ(box.GetControl(L"messageBoxOk", true), nullptr);
    EXPECT_EQ(box.GetControl(L"messageBoxText", true)->GetText(), Base::String(L"Go on?"));
    Later(0, [&] { Click(box, L"messageBoxNo"); });
    int result = -1;
    ASSERT_EQ(box.ShowAndWait(result), E_SUCCESS);
    EXPECT_EQ(result, MSGBOX_RESULT_NO);
    Later(0, [&] { Click(box, L"messageBoxYes"); });
    ASSERT_EQ(box.ShowAndWait(result), E_SUCCESS) << "a box can be shown again";
    EXPECT_EQ(result, MSGBOX_RESULT_YES);
}

TEST_F(PopupTest, MessageBoxClosesByItselfAfterItsTimeout) {
    MessageBox box;
    ASSERT_EQ(box.Construct(L"", L"Wait a moment", MSGBOX_STYLE_NONE, 40), E_SUCCESS);
    int result = -1;
    ASSERT_EQ(box.ShowAndWait(result), E_SUCCESS);
    EXPECT_EQ(result, MSGBOX_RESULT_CLOSE);
    EXPECT_FALSE(box.IsVisible());
}

TEST_F(PopupTest, ContextMenuStaysOnScreenWhateverItsAnchor) {
    ContextMenu menu;
    ASSERT_EQ(menu.Construct({90, (1280 - 100 * 20) / 2}), E_SUCCESS);
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(menu.AddItem(Base::String(L"Item ") + Base::String(std::to_wstring(i)), 1101 + i), E_SUCCESS);
    Graphics::Rectangle bounds = menu.GetMenuBounds();
    EXPECT_EQ(bounds.y, 0) << "a top above the screen is moved down";
    EXPECT_LE(bounds.y + bounds.height, 1280) << "a menu taller than the screen scrolls";
    EXPECT_EQ(bounds.x, 90);

    ASSERT_EQ(menu.SetAnchorPosition({700, 1250}), E_SUCCESS);
    menu.RemoveAllItems();
    menu.AddItem(L"One", 1);
    menu.AddItem(L"Two", 2);
    bounds = menu.GetMenuBounds();
    EXPECT_EQ(bounds.x + bounds.width, 720);
    EXPECT_EQ(bounds.y + bounds.height, 1280);
    EXPECT_EQ(menu.AddItem(L"", 3), E_INVALID_ARG);
    EXPECT_EQ(menu.GetItemCount(), 2);
    EXPECT_EQ(menu.GetItemActionIdAt(1), 2);
    EXPECT_EQ(menu.GetItemActionIdAt(2), -1);
}

TEST_F(PopupTest, ChoosingAMenuItemHidesTheMenuAndReportsItsActionId) {
    ContextMenu menu;
    ASSERT_EQ(menu.Construct({10, 10}), E_SUCCESS);
    menu.AddItem(L"One", 1101);
    menu.AddItem(L"Two", 1102);
    Recorder recorder;
    ASSERT_EQ(menu.AddActionEventListener(recorder), E_SUCCESS);
    EXPECT_EQ(menu.AddActionEventListener(recorder), E_OBJ_ALREADY_EXIST);
    menu.SetShowState(true);
    menu.Show();
    EXPECT_TRUE(menu.IsVisible());
    QWidget* window = menu.GetPrivate().widget;
    auto* second = window->findChild<QAbstractButton*>(QStringLiteral("contextMenuItem1"));
    ASSERT_NE(second, nullptr);
    second->click();
    EXPECT_EQ(recorder.actions, std::vector<int>{1102});
    EXPECT_FALSE(menu.IsVisible());
}

TEST_F(PopupTest, MenuDeletedByItsListenerIsNotTouchedAfterwards) {
    auto* menu = new ContextMenu();
    ASSERT_EQ(menu->Construct({10, 10}), E_SUCCESS);
    menu->AddItem(L"One", 1);
    struct Deleter : IActionEventListener {
        ContextMenu* menu;
        void OnActionPerformed(const Control&, int) override {
            delete menu;
            menu = nullptr;
        }
    } deleter;
    deleter.menu = menu;
    menu->AddActionEventListener(deleter);
    menu->SetShowState(true);
    menu->Show();
    menu->GetPrivate().widget->findChild<QAbstractButton*>(QStringLiteral("contextMenuItem0"))->click();
    EXPECT_EQ(deleter.menu, nullptr);
}

TEST_F(PopupTest, FormOrientationChangesAreHeardOnce) {
    Form form;
    ASSERT_EQ(form.Construct(FORM_STYLE_NORMAL), E_SUCCESS);
    Recorder recorder;
    form.AddOrientationEventListener(recorder);
    EXPECT_EQ(form.SetOrientationStatus(ORIENTATION_STATUS_NONE), E_INVALID_ARG);
    ASSERT_EQ(form.SetOrientationStatus(ORIENTATION_STATUS_LANDSCAPE), E_SUCCESS);
    ASSERT_EQ(form.SetOrientationStatus(ORIENTATION_STATUS_LANDSCAPE), E_SUCCESS);
    EXPECT_EQ(form.GetOrientationStatus(), ORIENTATION_STATUS_LANDSCAPE);
    EXPECT_EQ(recorder.orientations, std::vector<OrientationStatus>{ORIENTATION_STATUS_LANDSCAPE});
}

}  // namespace
