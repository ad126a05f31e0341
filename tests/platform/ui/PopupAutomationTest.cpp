// Popups, check buttons and context menus driven by name through the UI
// automation channel, in this process.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QImage>
#include <QTimer>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/app/AppContextPrivate.h"
#include "platform/app/EventLoop.h"
#include "platform/ui/Button.h"
#include "platform/ui/CheckButton.h"
#include "platform/ui/ContextMenu.h"
#include "platform/ui/Form.h"
#include "platform/ui/Frame.h"
#include "platform/ui/Popup.h"
#include "platform/ui/UiAutomationClient.h"
#include "platform/ui/UiAutomationProtocol.h"
#include "platform/ui/UiEnvironment.h"

using namespace Vx;
using namespace Vx::Ui;
using namespace Vx::Ui::Controls;
using Vx::Ui::Automation::ControlInfo;
using Vx::Ui::Automation::UiAutomationClient;

namespace {

enum { OPEN_MENU = 1001, TERMS_ON = 10, TERMS_OFF = 11, POPUP_OK = 20 };

class PopupAutomationTest : public ::testing::Test, public IActionEventListener {
protected:
    // The channel starts once per process, in the platform home of that moment: one home for all cases.
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/popup-automation-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        home_ = pattern;
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        std::filesystem::remove_all(home_, ignored);
    }
    void SetUp() override {
        setenv("IAP_PLATFORM_HOME", home_.c_str(), 1);
        setenv(Automation::kEnableEnv, "1", 1);
        ASSERT_TRUE(EnsureUiApplication());

        ASSERT_EQ(frame_.Construct(), E_SUCCESS);
        frame_.SetName(L"main");
        auto* form = new Form();
        ASSERT_EQ(form->Construct(FORM_STYLE_NORMAL), E_SUCCESS);
        terms_ = new CheckButton();
        ASSERT_EQ(
            terms_->Construct({20, 100, 600, 80}, CHECK_BUTTON_STYLE_MARK, BACKGROUND_STYLE_DEFAULT, false, L"I agree"),
            E_SUCCESS);
        terms_->SetName(L"terms");
        terms_->SetActionId(TERMS_ON, TERMS_OFF);
        terms_->AddActionEventListener(*this);
        form->AddControl(terms_);
        auto* carrier = new Button();
        ASSERT_EQ(carrier->Construct({20, 200, 300, 80}, L"Carrier"), E_SUCCESS);
        carrier->SetName(L"carrier");
        carrier->SetActionId(OPEN_MENU);
        carrier->AddActionEventListener(*this);
        form->AddControl(carrier);
        ASSERT_EQ(frame_.AddControl(form), E_SUCCESS);
        ASSERT_EQ(frame_.Activate(), E_SUCCESS);

        ASSERT_EQ(menu_.Construct({90, (1280 - 100 * 3) / 2}), E_SUCCESS);
        for (int i = 0; i < 3; ++i)
            menu_.AddItem(Base::String(L"Carrier ") + Base::String(std::to_wstring(i)), 1101 + i);
        menu_.AddActionEventListener(*this);

        ASSERT_EQ(popup_.Construct(true, {600, 300}), E_SUCCESS);
        popup_.SetName(L"infoPopup");
        popup_.SetTitleText(L"Information");
        auto* ok = new Button();
        ASSERT_EQ(ok->Construct({36, 20, 200, 74}, L"OK"), E_SUCCESS);
        ok->SetName(L"popupOk");
        ok->SetActionId(POPUP_OK);
        ok->AddActionEventListener(*this);
        popup_.AddControl(ok);

        ASSERT_EQ(client_.Connect(App::AppContext::GetCurrent().appId, 3000), E_SUCCESS) << client_.GetLastError();
    }
    void TearDown() override { client_.Disconnect(); }

    void OnActionPerformed(const Control&, int actionId) override {
        actions_.push_back(actionId);
        if (actionId == OPEN_MENU) {
            menu_.SetShowState(true);
            menu_.Show();
        } else if (actionId == POPUP_OK) {
            if (popup_.IsInModalLoop()) {
                popup_.EndModal(POPUP_OK);
            } else {
                popup_.SetShowState(false);
            }
        }
    }
    bool Heard(int actionId) {
        return App::EventLoop::RunUntil(
            [&] { return std::find(actions_.begin(), actions_.end(), actionId) != actions_.end(); }, 5000);
    }

    static inline std::string home_;
    Frame frame_;
    CheckButton* terms_ = nullptr;
    ContextMenu menu_;
    Popup popup_;
    std::vector<int> actions_;
    UiAutomationClient client_;
};

TEST_F(PopupAutomationTest, CheckButtonIsListedWithItsStateAndTurnedOverByPress) {
    std::vector<ControlInfo> controls;
    ASSERT_EQ(client_.List(controls), E_SUCCESS) << client_.GetLastError();
    const ControlInfo* terms = UiAutomationClient::Find(controls, "terms");
    ASSERT_NE(terms, nullptr);
    EXPECT_EQ(terms->type, "CheckButton");
    EXPECT_TRUE(terms->checkable);
    EXPECT_FALSE(terms->checked);
    EXPECT_FALSE(UiAutomationClient::Find(controls, "carrier")->checkable);

    ASSERT_EQ(client_.Press("terms"), E_SUCCESS);
    ASSERT_TRUE(Heard(TERMS_ON));
    ASSERT_EQ(client_.List(controls), E_SUCCESS);
    EXPECT_TRUE(UiAutomationClient::Find(controls, "terms")->checked);
    ASSERT_EQ(client_.Press("terms"), E_SUCCESS);
    ASSERT_TRUE(Heard(TERMS_OFF));
    EXPECT_FALSE(terms_->IsSelected());
}

TEST_F(PopupAutomationTest, ContextMenuEntriesArePressedByName) {
    ASSERT_EQ(client_.Press("carrier"), E_SUCCESS);
    ASSERT_EQ(client_.Wait("contextMenuItem2", 5000), E_SUCCESS) << client_.GetLastError();
    std::vector<ControlInfo> controls;
    std::string window;
    ASSERT_EQ(client_.List(controls, &window), E_SUCCESS);
    EXPECT_EQ(window, "contextMenu");
    ASSERT_NE(UiAutomationClient::Find(controls, "contextMenuItem1"), nullptr);
    EXPECT_EQ(UiAutomationClient::Find(controls, "contextMenuItem1")->text, "Carrier 1");
    EXPECT_EQ(UiAutomationClient::Find(controls, "terms"), nullptr) << "the menu lies over the form";

    ASSERT_EQ(client_.Press("contextMenuItem2"), E_SUCCESS);
    ASSERT_TRUE(Heard(1103));
    ASSERT_EQ(client_.Wait("terms", 5000), E_SUCCESS) << "the menu closed";
    EXPECT_FALSE(menu_.IsVisible());
}

TEST_F(PopupAutomationTest, ShownPopupIsTheActiveWindowUntilHidden) {
    popup_.SetShowState(true);
    popup_.Show();
    ASSERT_EQ(client_.Wait("popupOk", 5000), E_SUCCESS) << client_.GetLastError();
    std::vector<ControlInfo> controls;
    std::string window;
    ASSERT_EQ(client_.List(controls, &window), E_SUCCESS);
    EXPECT_EQ(window, "infoPopup");
    ASSERT_NE(UiAutomationClient::Find(controls, "popupTitle"), nullptr);
    EXPECT_EQ(UiAutomationClient::Find(controls, "popupTitle")->text, "Information");
    EXPECT_EQ(UiAutomationClient::Find(controls, "terms"), nullptr);
    std::string png;
    ASSERT_EQ(client_.Screenshot(png), E_SUCCESS);
    QImage screen = QImage::fromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()), "PNG");
    EXPECT_EQ(screen.size(), QSize(720, 1280)) << "the frame with the popup over it";

    ASSERT_EQ(client_.Press("popupOk"), E_SUCCESS);
    ASSERT_TRUE(Heard(POPUP_OK));
    ASSERT_EQ(client_.Wait("terms", 5000), E_SUCCESS);
}

TEST_F(PopupAutomationTest, ModalPopupIsPressedOrClosedThroughAutomation) {
    QTimer::singleShot(0, [&] { EXPECT_EQ(client_.Press("popupOk"), E_SUCCESS) << client_.GetLastError(); });
    int result = -1;
    ASSERT_EQ(popup_.DoModal(result), E_SUCCESS);
    EXPECT_EQ(result, POPUP_OK);

    QTimer::singleShot(0, [&] { EXPECT_EQ(client_.Close(), E_SUCCESS) << client_.GetLastError(); });
    result = -1;
    ASSERT_EQ(popup_.DoModal(result), E_SUCCESS);
    EXPECT_EQ(result, -1) << "closed: no result";
    ASSERT_EQ(client_.Wait("terms", 5000), E_SUCCESS);
}

}  // namespace
