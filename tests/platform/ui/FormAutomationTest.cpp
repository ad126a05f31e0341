// Footer items, the back button and scenes driven through the automation
// channel of this process, as tests drive an application.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QDialog>
#include <QImage>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/app/AppContextPrivate.h"
#include "platform/app/EventLoop.h"
#include "platform/ui/ControlPrivate.h"
#include "platform/ui/Footer.h"
#include "platform/ui/Header.h"
#include "platform/ui/UiAutomationClient.h"
#include "platform/ui/UiAutomationProtocol.h"
#include "platform/ui/UiEnvironment.h"
#include "platform/ui/scenes/SceneManagerPrivate.h"
#include "tests/platform/ui/SceneTestSupport.h"

using namespace Vx;
using namespace Vx::Ui;
using namespace Vx::Ui::Controls;
using namespace Vx::Ui::Scenes;
using Vx::Graphics::Color;
using Vx::Ui::Automation::ControlInfo;
using Vx::Ui::Automation::UiAutomationClient;

namespace {

struct Recorder : IActionEventListener, IFormBackEventListener {
    void OnActionPerformed(const Control& source, int actionId) override {
        sources.push_back(&source);
        actions.push_back(actionId);
        if (onAction) onAction(actionId);
    }
    void OnFormBackRequested(Form& source) override {
        backs.push_back(&source);
        if (onBack) onBack();
    }
    std::vector<const Control*> sources;
    std::vector<int> actions;
    std::vector<Form*> backs;
    std::function<void(int)> onAction;
    std::function<void()> onBack;
};

// The channel starts once per process, in the platform home of that moment: one home for all tests.
class PlatformHome : public ::testing::Environment {
public:
    void SetUp() override {
        char pattern[] = "/tmp/form-automation-XXXXXX";
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

class FormAutomationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(EnsureUiApplication());
        ASSERT_EQ(frame_.Construct(), E_SUCCESS);
        frame_.SetName(L"main");
    }
    void Connect() {
        ASSERT_EQ(frame_.Activate(), E_SUCCESS);
        ASSERT_EQ(client_.Connect(App::AppContext::GetCurrent().appId, 3000), E_SUCCESS) << client_.GetLastError();
    }
    void TearDown() override { client_.Disconnect(); }
    Form* NewForm(const wchar_t* name) {
        auto* form = new Form();
        EXPECT_EQ(form->Construct(FORM_STYLE_INDICATOR | FORM_STYLE_HEADER | FORM_STYLE_FOOTER), E_SUCCESS);
        form->SetName(name);
        return form;
    }
    static void AddItem(Form& form, int actionId, const wchar_t* text) {
        FooterItem item;
        ASSERT_EQ(item.Construct(actionId), E_SUCCESS);
        item.SetText(text);
        ASSERT_EQ(form.GetFooter()->AddItem(item), E_SUCCESS);
    }
    std::vector<ControlInfo> List(std::string* scene = nullptr) {
        std::vector<ControlInfo> controls;
        EXPECT_EQ(client_.List(controls, nullptr, scene), E_SUCCESS) << client_.GetLastError();
        return controls;
    }
    // Presses and lets the press arrive (it comes after the reply).
    void PressAndSettle(const std::string& name, const std::function<bool()>& done) {
        ASSERT_EQ(client_.Press(name), E_SUCCESS) << client_.GetLastError();
        ASSERT_TRUE(App::EventLoop::RunUntil(done, 3000)) << "pressing " << name << " had no effect";
    }

    SceneTest::Log log_;
    Frame frame_;
    Recorder recorder_;
    UiAutomationClient client_;
};

TEST_F(FormAutomationTest, FooterItemsAreListedAndPressedByNameWhileEnabled) {
    Form* form = NewForm(L"pay");
    form->SetTitleText(L"PAYMENT");
    AddItem(*form, 1, L"Purchase");
    AddItem(*form, 7, L"Cancel");
    form->GetFooter()->SetItemEnabled(0, false);
    form->GetFooter()->AddActionEventListener(recorder_);
    ASSERT_EQ(frame_.AddControl(form), E_SUCCESS);
    Connect();

    std::string scene = "unset";
    std::vector<ControlInfo> controls = List(&scene);
    EXPECT_EQ(scene, "");  // no scene manager works on this frame
    const ControlInfo* header = UiAutomationClient::Find(controls, "header");
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->type, "Header");
    EXPECT_EQ(header->text, "PAYMENT");
    const ControlInfo* purchase = UiAutomationClient::Find(controls, "footerItem0");
    ASSERT_NE(purchase, nullptr);
    EXPECT_EQ(purchase->text, "Purchase");
    EXPECT_FALSE(purchase->enabled);
    ASSERT_NE(UiAutomationClient::Find(controls, "footerItem1"), nullptr);
    EXPECT_EQ(UiAutomationClient::Find(controls, "back"), nullptr);  // never set

    EXPECT_EQ(client_.Press("footerItem0"), E_INVALID_STATE);
    PressAndSettle("footerItem1", [&] { return !recorder_.actions.empty(); });
    EXPECT_EQ(recorder_.actions, std::vector<int>{7});
    EXPECT_EQ(recorder_.sources.front(), form->GetFooter());

    form->GetFooter()->SetItemEnabled(0, true);
    EXPECT_TRUE(UiAutomationClient::Find(List(), "footerItem0")->enabled);
    PressAndSettle("footerItem0", [&] { return recorder_.actions.size() == 2; });
    EXPECT_EQ(recorder_.actions.back(), 1);
}

TEST_F(FormAutomationTest, AnItemMayReplaceTheItemsFromItsOwnPress) {
    Form* form = NewForm(L"sms");
    AddItem(*form, 51, L"Agree");
    Footer* footer = form->GetFooter();
    footer->AddActionEventListener(recorder_);
    recorder_.onAction = [&](int) {
        footer->RemoveAllItems();
        FooterItem item;
        item.Construct(52);
        item.SetText(L"Purchase");
        footer->AddItem(item);
    };
    ASSERT_EQ(frame_.AddControl(form), E_SUCCESS);
    Connect();
    PressAndSettle("footerItem0", [&] { return !recorder_.actions.empty(); });
    App::EventLoop::ProcessEvents();
    std::vector<ControlInfo> controls = List();
    const ControlInfo* item = UiAutomationClient::Find(controls, "footerItem0");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text, "Purchase");
    EXPECT_EQ(footer->GetItemCount(), 1);
}

TEST_F(FormAutomationTest, TheBackButtonAsksTheFormsBackListener) {
    Form* form = NewForm(L"help");
    ASSERT_EQ(form->GetFooter()->SetBackButton(), E_SUCCESS);
    ASSERT_EQ(frame_.AddControl(form), E_SUCCESS);
    Connect();
    // Without a listener a press does nothing.
    ASSERT_EQ(client_.Press("back"), E_SUCCESS);
    App::EventLoop::ProcessEvents();
    form->SetFormBackEventListener(&recorder_);
    PressAndSettle("back", [&] { return !recorder_.backs.empty(); });
    EXPECT_EQ(recorder_.backs, std::vector<Form*>{form});
    EXPECT_TRUE(recorder_.actions.empty());  // the back button is no footer item
}

TEST_F(FormAutomationTest, TheScreenshotDrawsHeaderFormAndFooter) {
    Form* form = NewForm(L"colours");
    form->GetHeader()->SetColor(Color(59, 115, 182));
    form->SetBackgroundColor(Color(220, 218, 211));
    AddItem(*form, 1, L"OK");
    ASSERT_EQ(frame_.AddControl(form), E_SUCCESS);
    Connect();
    std::string png;
    ASSERT_EQ(client_.Screenshot(png), E_SUCCESS) << client_.GetLastError();
    QImage picture = QImage::fromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()), "PNG");
    ASSERT_EQ(picture.size(), QSize(Frame::SCREEN_WIDTH, Frame::SCREEN_HEIGHT));
    EXPECT_EQ(picture.pixelColor(5, Form::INDICATOR_HEIGHT + 5), QColor(59, 115, 182));
    EXPECT_EQ(picture.pixelColor(5, 600), QColor(220, 218, 211));
    EXPECT_EQ(picture.pixelColor(2, Frame::SCREEN_HEIGHT - 2), QColor(44, 44, 44));
}

TEST_F(FormAutomationTest, AnOpenPopupIsDrawnOverTheFrame) {
    Form* form = NewForm(L"under");
    form->GetHeader()->SetColor(Color(59, 115, 182));
    ASSERT_EQ(frame_.AddControl(form), E_SUCCESS);
    Connect();
    // A modal window of the frame, as popups are.
    QWidget* window = frame_.GetPrivate().widget;
    auto* popup = new QDialog(window);
    popup->setAttribute(Qt::WA_DeleteOnClose);
    popup->setAutoFillBackground(true);
    QPalette palette = popup->palette();
    palette.setColor(QPalette::Window, QColor(200, 0, 0));
    popup->setPalette(palette);
    popup->resize(400, 200);
    popup->open();
    popup->move(window->mapToGlobal(QPoint(160, 540)));
    ASSERT_TRUE(App::EventLoop::RunUntil([&] { return popup->isVisible(); }, 3000));

    std::string png;
    ASSERT_EQ(client_.Screenshot(png), E_SUCCESS) << client_.GetLastError();
    QImage picture = QImage::fromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()), "PNG");
    ASSERT_EQ(picture.size(), QSize(Frame::SCREEN_WIDTH, Frame::SCREEN_HEIGHT));
    EXPECT_EQ(picture.pixelColor(360, 640), QColor(200, 0, 0));
    EXPECT_EQ(picture.pixelColor(5, Form::INDICATOR_HEIGHT + 5), QColor(59, 115, 182));
    popup->close();
}

// Scenes whose forms move on with their first footer item and go back with the back button.
TEST_F(FormAutomationTest, ScenesAreNamedInTheListAndFollowTheFooter) {
    std::unique_ptr<SceneManager> manager = SceneManagerPrivate::CreateForFrame(frame_);
    SceneTest::LoggingFactory factory(log_, *manager, FORM_STYLE_HEADER | FORM_STYLE_FOOTER);
    struct Mover : IActionEventListener, IFormBackEventListener {
        SceneManager* manager = nullptr;
        void OnActionPerformed(const Control&, int) override { manager->GoForward(ForwardSceneTransition(L"second")); }
        void OnFormBackRequested(Form&) override { result = manager->GoBackward(BackwardSceneTransition()); }
        Vx::result result = E_SUCCESS;
    } mover;
    mover.manager = manager.get();
    factory.onCreated = [&](SceneTest::LoggingForm& form) {
        AddItem(form, 1, L"Next");
        form.GetFooter()->SetBackButton();
        form.GetFooter()->AddActionEventListener(mover);
        form.SetFormBackEventListener(&mover);
    };
    manager->RegisterFormFactory(factory);
    manager->RegisterScene(L"first", L"F1", L"");
    manager->RegisterScene(L"second", L"F2", L"");
    ASSERT_EQ(manager->GoForward(ForwardSceneTransition(L"first")), E_SUCCESS);
    Connect();

    std::string scene;
    List(&scene);
    EXPECT_EQ(scene, "first");
    PressAndSettle("footerItem0", [&] { return manager->GetCurrentSceneId() == Base::String(L"second"); });
    List(&scene);
    EXPECT_EQ(scene, "second");
    ASSERT_NE(UiAutomationClient::Find(List(), "second"), nullptr);

    // The back button's own form is destroyed by the move it starts.
    PressAndSettle("back", [&] { return log_.deleted == 1; });
    List(&scene);
    EXPECT_EQ(scene, "first");
    EXPECT_EQ(manager->GetForm(L"second"), nullptr);

    // Back on the first scene: refused, the scene stays.
    PressAndSettle("back", [&] { return mover.result == E_INVALID_STATE; });
    List(&scene);
    EXPECT_EQ(scene, "first");
}

}  // namespace
