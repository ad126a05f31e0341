// The dialogs and popups of buyclient driven as a user would, through this
// process's automation channel, inside a running application with
// buyclient's frame: answers of the question popup, the two input popups,
// the waiting animation, the timed messages, the web popup, the help scene,
// and what may happen while a popup runs modally.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "client/EndModalWithActionListener.h"
#include "client/IapClientScenes.h"
#include "client/IapResourceManager.h"
#include "client/WebPopupListener.h"
#include "client/ui/CvcPopup.h"
#include "client/ui/DlgEngine.h"
#include "client/ui/IapClientSceneSecurityCodeHelp.h"
#include "client/ui/IapForm.h"
#include "client/ui/LoginConfirmPopup.h"
#include "client/ui/WaitingPopup.h"
#include "client/ui/widgets/IapPopup.h"
#include "platform/ui/Animation.h"
#include "platform/ui/AnimationFrame.h"
#include "platform/ui/Button.h"
#include "platform/ui/Footer.h"
#include "platform/ui/Frame.h"
#include "platform/ui/Header.h"
#include "platform/ui/Label.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/scenes/BackwardSceneTransition.h"
#include "platform/ui/scenes/ForwardSceneTransition.h"
#include "platform/ui/scenes/SceneManager.h"
#include "tests/client/ui/DialogTestSupport.h"

using namespace Vx;
using namespace Vx::Ui::Controls;
using namespace DialogTest;
using ClientTest::RunUntil;
using Vx::Base::String;
using Vx::Ui::Automation::ControlInfo;

namespace {

[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new DialogTest::Environment());

struct Heard : Ui::IActionEventListener {
    void OnActionPerformed(const Ui::Control& source, int id) override {
        ids.push_back(id);
        sources.push_back(&source);
    }
    std::vector<int> ids;
    std::vector<const Ui::Control*> sources;
};

// The shown control named `name` of the active window, or null.
std::unique_ptr<ControlInfo> Find(Vx::Ui::Automation::UiAutomationClient& ui, const std::string& name,
                                  std::string* window = nullptr) {
    std::vector<ControlInfo> controls;
    if (ui.List(controls, window) != E_SUCCESS) return nullptr;
    for (const ControlInfo& control : controls) {
        if (control.name == name) return std::make_unique<ControlInfo>(control);
    }
    return nullptr;
}

// Counts its own orientation changes; tells when it is gone.
class CountingPopup : public IapPopup {
public:
    explicit CountingPopup(bool& gone) : gone_(gone) {}
    ~CountingPopup() override { gone_ = true; }
    void OnOrientationChanged(const Ui::Control& source, OrientationStatus status) override {
        ++changes;
        IapPopup::OnOrientationChanged(source, status);
    }
    int changes = 0;

private:
    bool& gone_;
};

class CountingForm : public IapForm {
public:
    int terminations = 0;

protected:
    void TerminateFromFirstScene() override { ++terminations; }
};

}  // namespace

TEST(DlgEngineTest, QuestionPopupAnswersOneTwoOrZero) {
    RunInApp([](Context& c) {
        struct Case {
            const char* how;
            int expected;
        };
        for (const Case& each : {Case{"yes", 1}, Case{"no", 2}, Case{"close", 0}}) {
            SCOPED_TRACE(each.how);
            std::string window;
            std::string text;
            Later press(0, [&] {
                ASSERT_EQ(E_SUCCESS, c.ui.Wait("yes", 5000)) << c.ui.GetLastError();
                if (auto info = Find(c.ui, "questionText", &window)) text = info->text;
                if (std::string(each.how) == "close") {
                    EXPECT_EQ(E_SUCCESS, c.ui.Close()) << c.ui.GetLastError();
                } else {
                    EXPECT_EQ(E_SUCCESS, c.ui.Press(each.how)) << c.ui.GetLastError();
                }
            });
            EXPECT_EQ(each.expected,
                      DlgEngine::DlgShowQuestionPopup(L"Purchase with another number?", true, L"Question"));
            EXPECT_TRUE(press.fired);
            EXPECT_EQ("question", window);
            EXPECT_EQ("Purchase with another number?", text);
        }
    });
}

TEST(DlgEngineTest, TimedMessagesShowTheirTextAndCanBeDismissed) {
    RunInApp([](Context& c) {
        std::string title;
        std::string text;
        Later dismiss(0, [&] {
            ASSERT_EQ(E_SUCCESS, c.ui.Wait("messageBoxText", 5000)) << c.ui.GetLastError();
            if (auto info = Find(c.ui, "messageBoxTitle")) title = info->text;
            if (auto info = Find(c.ui, "messageBoxText")) text = info->text;
            EXPECT_EQ(E_SUCCESS, c.ui.Close());
        });
        EXPECT_EQ(MSGBOX_RESULT_CLOSE, DlgEngine::DlgShowTimedErrorMsg(L"The card was refused."));
        EXPECT_EQ(IapResourceManager::GetStringFromID(L"IDS_ZUMEA_BODY_ERROR").ToUtf8(), title);
        EXPECT_EQ("The card was refused.", text);

        Later again(0, [&] {
            ASSERT_EQ(E_SUCCESS, c.ui.Wait("messageBoxText", 5000));
            EXPECT_EQ(E_SUCCESS, c.ui.Close());
        });
        EXPECT_EQ(MSGBOX_RESULT_CLOSE, DlgEngine::DlgShowTimedMsg(L"Saved."));
        EXPECT_TRUE(again.fired);
    });
}

TEST(DlgEngineTest, WebPopupClosesWithItsButton) {
    RunInApp([](Context& c) {
        std::string window;
        Later close(0, [&] {
            ASSERT_EQ(E_SUCCESS, c.ui.Wait("close", 5000)) << c.ui.GetLastError();
            Find(c.ui, "web", &window);
            EXPECT_EQ(E_SUCCESS, c.ui.Press("close"));
        });
        // Nothing listens there: the page fails and says so, the popup still closes.
        DlgEngine::DlgShowWebPopup(L"http://127.0.0.1:9/terms", true, L"Terms");
        EXPECT_TRUE(close.fired);
        EXPECT_EQ("webPopup", window);
    });
    // Incomplete bindings change nothing.
    WebPopupListener listener;
    EXPECT_EQ(E_INVALID_ARG, listener.Construct(nullptr, nullptr, L"http://x", 1002));
    EXPECT_EQ(-1, listener.GetCloseActionId());
    EndModalWithActionListener ender;
    EXPECT_EQ(E_INVALID_ARG, ender.Construct(nullptr));
    Label source;
    ender.OnActionPerformed(source, 1);  // no popup: nothing to end
}

TEST(LoginConfirmPopupTest, KeepsTheIdAndForwardsOkAndCancel) {
    RunInApp([](Context& c) {
        Heard heard;
        LoginConfirmPopup popup;
        ASSERT_EQ(E_SUCCESS, popup.Construct(&heard));
        EXPECT_EQ((Graphics::Dimension{600, 450}), popup.GetSize());
        EXPECT_EQ(String(L"Confirm password"), popup.GetTitleText());
        popup.SetId(L"anna@example.com");
        EXPECT_EQ(String(L"anna@example.com"), popup.GetId());
        // Longer than the field's limit: still given back exactly.
        const String longId(std::wstring(130, L'a') + L"@example.com");
        popup.SetId(longId);
        EXPECT_EQ(longId, popup.GetId());
        popup.SetId(L"anna@example.com");

        auto* ok = dynamic_cast<Button*>(popup.GetControl(L"ok", true));
        auto* cancel = dynamic_cast<Button*>(popup.GetControl(L"cancel", true));
        ASSERT_NE(nullptr, ok);
        ASSERT_NE(nullptr, cancel);
        EXPECT_EQ(255, ok->GetSize().width);
        EXPECT_EQ(24, ok->GetBounds().x);
        EXPECT_EQ(24 + 255 + 45, cancel->GetBounds().x);
        EXPECT_EQ(ok->GetBounds().y, cancel->GetBounds().y);

        popup.PopupShow();
        ASSERT_EQ(E_SUCCESS, c.ui.Wait("password", 5000)) << c.ui.GetLastError();
        auto id = Find(c.ui, "id");
        ASSERT_NE(nullptr, id);
        EXPECT_EQ("anna@example.com", id->text);
        EXPECT_EQ(nullptr, Find(c.ui, "idField")) << "the id travels in a hidden field";
        ASSERT_EQ(E_SUCCESS, c.ui.Type("password", "s3cret")) << c.ui.GetLastError();
        ASSERT_EQ(E_SUCCESS, c.ui.Press("ok"));
        ASSERT_TRUE(RunUntil([&] { return !heard.ids.empty(); }, 5000));
        EXPECT_EQ(std::vector<int>{LoginConfirmPopup::kOkActionId}, heard.ids);
        EXPECT_EQ(static_cast<const Ui::Control*>(ok), heard.sources[0]);
        EXPECT_EQ(String(L"s3cret"), popup.GetPassword());
        popup.ClearPassword();
        EXPECT_EQ(String(), popup.GetPassword());
        ASSERT_EQ(E_SUCCESS, c.ui.Press("cancel"));
        ASSERT_TRUE(RunUntil([&] { return heard.ids.size() == 2; }, 5000));
        EXPECT_EQ(LoginConfirmPopup::kCancelActionId, heard.ids[1]);
        // Ids of the other popup are not its business.
        popup.OnActionPerformed(*ok, CvcPopup::kDoneActionId);
        EXPECT_EQ(2u, heard.ids.size());
        popup.PopupHide();
        EXPECT_FALSE(popup.GetShowState());
        popup.PopupShow();
        EXPECT_TRUE(popup.GetShowState()) << "hiding does not spoil it";
        popup.PopupHide();
    });
}

TEST(CvcPopupTest, DoneIsIgnoredWhileTheCodeIsEmpty) {
    RunInApp([](Context& c) {
        Heard heard;
        CvcPopup popup;
        EXPECT_EQ(String(), popup.GetCVC()) << "no field yet";
        ASSERT_EQ(E_SUCCESS, popup.Construct(&heard));
        EXPECT_EQ((Graphics::Dimension{600, 300}), popup.GetSize());
        auto* done = popup.GetControl(L"done", true);
        auto* cancel = popup.GetControl(L"cancel", true);
        ASSERT_NE(nullptr, done);
        ASSERT_NE(nullptr, cancel);
        EXPECT_EQ((Graphics::Rectangle{36, 176, 256, 74}), done->GetBounds());
        EXPECT_EQ((Graphics::Rectangle{308, 176, 256, 74}), cancel->GetBounds());

        popup.PopupShow();
        ASSERT_EQ(E_SUCCESS, c.ui.Wait("done", 5000)) << c.ui.GetLastError();
        ASSERT_EQ(E_SUCCESS, c.ui.Press("done"));
        ClientTest::Settle(200);
        EXPECT_TRUE(heard.ids.empty());
        EXPECT_NE(E_SUCCESS, c.ui.Type("cvc", "12a")) << "digits only";
        ASSERT_EQ(E_SUCCESS, c.ui.Type("cvc", "123"));
        auto shown = Find(c.ui, "cvc");
        ASSERT_NE(nullptr, shown);
        EXPECT_NE("123", shown->text) << "the code is masked";
        ASSERT_EQ(E_SUCCESS, c.ui.Press("done"));
        ASSERT_TRUE(RunUntil([&] { return heard.ids.size() == 1; }, 5000));
        EXPECT_EQ(CvcPopup::kDoneActionId, heard.ids[0]);
        EXPECT_EQ(String(L"123"), popup.GetCVC());
        popup.ClearCVC();
        ASSERT_EQ(E_SUCCESS, c.ui.Press("cancel"));
        ASSERT_TRUE(RunUntil([&] { return heard.ids.size() == 2; }, 5000));
        EXPECT_EQ(CvcPopup::kCancelActionId, heard.ids[1]);
        popup.PopupHide();
    });
}

TEST(WaitingPopupTest, ThirtyFramesOfTheSpinningWheel) {
    EXPECT_EQ(String(L"WaitAnimation/winset_list_process_01.png"), WaitingPopup::FrameName(1));
    EXPECT_EQ(String(L"WaitAnimation/winset_list_process_30.png"), WaitingPopup::FrameName(30));
    // The build draws every frame the popup asks for.
    const std::filesystem::path res = std::filesystem::path(IAP_BIN_DIR) / "res" / "buyclient.BuyClient";
    for (int n = 1; n <= WaitingPopup::kFrameCount; ++n)
        EXPECT_TRUE(std::filesystem::exists(res / WaitingPopup::FrameName(n).ToUtf8())) << n;

    RunInApp([](Context&) {
        WaitingPopup popup;
        ASSERT_EQ(E_SUCCESS, popup.Construct());
        EXPECT_EQ((Graphics::Dimension{600, 230}), popup.GetSize());
        Animation* animation = popup.GetAnimation();
        ASSERT_NE(nullptr, animation);
        EXPECT_EQ((Graphics::Rectangle{275, 80, 50, 50}), animation->GetBounds());
        EXPECT_EQ(30, animation->GetFrameCount());
        for (int i = 0; i < animation->GetFrameCount(); ++i)
            EXPECT_EQ(10, animation->GetFrameAt(i)->GetDuration());
        EXPECT_EQ(10000000, animation->GetRepeatCount());
        popup.PopupShow();
        EXPECT_EQ(ANIMATION_PLAYING, animation->GetStatus());
        EXPECT_TRUE(popup.GetShowState());
        popup.PopupHide();
        EXPECT_EQ(ANIMATION_STOPPED, animation->GetStatus());
        EXPECT_FALSE(popup.GetShowState());
    });
}

TEST(IapFormTest, BackOnTheFirstSceneEndsTheApplication) {
    RunInApp([](Context& c) {
        CountingForm form;
        ASSERT_EQ(E_SUCCESS, form.Construct(2, 1));
        ASSERT_NE(nullptr, form.GetFooter());
        // The purchase scene is the only one: there is nothing to go back to.
        form.OnFormBackRequested(form);
        EXPECT_EQ(1, form.terminations);
        EXPECT_EQ(0, c.frame.terminations);

        // A form whose style lacks the footer cannot have its back button.
        IapForm bare;
        EXPECT_EQ(E_INVALID_STATE, bare.Construct(1, 1, FORM_STYLE_INDICATOR | FORM_STYLE_HEADER));

        // The real one answers through buyclient's frame.
        IapForm::SendTerminate(IapLib::STATUS_GENERAL_FAILURE);
        EXPECT_EQ(1, c.frame.terminations);
        EXPECT_EQ(IapLib::STATUS_GENERAL_FAILURE, c.frame.GetExitStatus());
    });
    ASSERT_EQ(1u, Answers().size()) << "the caller is answered once, as buyclient ends";
}

TEST(IapFormTest, PlacesControlsInItsGrid) {
    RunInApp([](Context&) {
        IapForm form;
        ASSERT_EQ(E_SUCCESS, form.Construct(2, 2));
        auto* label = new Label();
        ASSERT_EQ(E_SUCCESS, label->Construct(Graphics::Rectangle{0, 0, 100, 60}, L"x"));
        ASSERT_EQ(E_SUCCESS, form.AddControl(label, 1, 1));
        EXPECT_EQ(E_INVALID_ARG, form.AddControl(nullptr, 0, 0));
        EXPECT_EQ(E_SUCCESS, form.SetAllColumnsStretchable(true));
        EXPECT_EQ(60 + 20, form.GetGridLayout().GetCalculatedHeight());
    });
}

TEST(IapClientSceneSecurityCodeHelpTest, ShowsTheHelpAndGoesBack) {
    RunInApp([](Context& c) {
        Ui::Scenes::SceneManager* scenes = Ui::Scenes::SceneManager::GetInstance();
        ASSERT_NE(nullptr, scenes);
        ASSERT_EQ(E_SUCCESS,
                  scenes->GoForward(Ui::Scenes::ForwardSceneTransition(IapClientScenes::kSceneSecurityCodeHelp)));
        ASSERT_EQ(E_SUCCESS, c.ui.Wait("helpText", 5000)) << c.ui.GetLastError();
        auto* form = dynamic_cast<IapClientSceneSecurityCodeHelp*>(scenes->GetCurrentForm());
        ASSERT_NE(nullptr, form);
        EXPECT_EQ(String(L"HELP"), form->GetHeader()->GetTitleText());
        auto title = Find(c.ui, "helpTitle");
        ASSERT_NE(nullptr, title);
        EXPECT_EQ("MasterCard, Visa and Visa Electron", title->text);
        auto* titleLabel = dynamic_cast<Label*>(form->GetControl(L"helpTitle", true));
        ASSERT_NE(nullptr, titleLabel);
        EXPECT_EQ(Graphics::Color(59, 115, 182), titleLabel->GetTextColor());
        EXPECT_EQ(LABEL_TEXT_STYLE_BOLD, titleLabel->GetTextStyle());
        auto* picture = dynamic_cast<Label*>(form->GetControl(L"helpPicture", true));
        ASSERT_NE(nullptr, picture);
        EXPECT_EQ((Graphics::Rectangle{0, 102, 720, 480}), picture->GetBounds());
        auto* text = dynamic_cast<Label*>(form->GetControl(L"helpText", true));
        ASSERT_NE(nullptr, text);
        EXPECT_EQ(614, text->GetBounds().y);
        EXPECT_EQ(ALIGNMENT_TOP, text->GetTextVerticalAlignment());
        EXPECT_EQ(0, text->GetTopMargin());

        ASSERT_EQ(E_SUCCESS, c.ui.Press("back"));
        ASSERT_TRUE(
            RunUntil([&] { return scenes->GetCurrentSceneId() == String(IapClientScenes::kScenePurchase); }, 5000));
        EXPECT_EQ(0, c.frame.terminations);
    });
}

// Termination, a foreground change and timers while a popup runs modally:
// the loop ends, nothing is called on what is gone, the caller hears once.
TEST(ModalReentrancyTest, TerminationDuringAModalPopupEndsItAndAnswersOnce) {
    RunInApp([](Context& c) {
        WaitingPopup* waiting = new WaitingPopup();
        ASSERT_EQ(E_SUCCESS, waiting->Construct());
        waiting->PopupShow();
        // A reply that arrives meanwhile takes the waiting popup away.
        Later reply(20, [&] {
            waiting->PopupHide();
            delete waiting;
            waiting = nullptr;
        });
        Later foreground(80, [&] { c.frame.OnActiveAppChanged(L"com.example.Other"); });
        EXPECT_EQ(0, DlgEngine::DlgShowQuestionPopup(L"Still there?"));
        EXPECT_TRUE(reply.fired);
        EXPECT_TRUE(foreground.fired);
        EXPECT_EQ(1, c.frame.terminations);
        // Code after the loop may ask to end again; still one answer.
        IapForm::SendTerminate(IapLib::STATUS_GENERAL_FAILURE);
        EXPECT_EQ(0, DlgEngine::DlgShowQuestionPopup(L"Too late")) << "no new loop while ending";
    });
    ASSERT_EQ(1u, Answers().size());
    EXPECT_GE(DialogApp::terminations, 1);
}

TEST(ModalReentrancyTest, APopupFollowsTheFormItWasOpenedOverUntilEitherGoes) {
    RunInApp([](Context&) {
        Ui::Scenes::SceneManager* scenes = Ui::Scenes::SceneManager::GetInstance();
        ASSERT_NE(nullptr, scenes);
        Form* purchase = scenes->GetCurrentForm();
        ASSERT_NE(nullptr, purchase);
        EXPECT_EQ(purchase->GetBounds(), IapPopup::GetCurrentScreenRectangle());

        bool gone = false;
        auto* popup = new CountingPopup(gone);
        ASSERT_EQ(E_SUCCESS, popup->Construct(1, 1, true, 600));
        EXPECT_EQ(purchase, popup->GetWatchedForm());
        purchase->SetOrientationStatus(ORIENTATION_STATUS_LANDSCAPE);
        EXPECT_EQ(1, popup->changes);

        // Another scene is current when the popup goes: it leaves the purchase form.
        ASSERT_EQ(E_SUCCESS,
                  scenes->GoForward(Ui::Scenes::ForwardSceneTransition(IapClientScenes::kSceneSecurityCodeHelp)));
        ASSERT_NE(purchase, scenes->GetCurrentForm());
        delete popup;
        EXPECT_TRUE(gone);
        purchase->SetOrientationStatus(ORIENTATION_STATUS_PORTRAIT);  // would reach a deleted popup

        // The form goes first (a backward move destroys the scene left): the popup forgets it.
        bool gone2 = false;
        auto* over = new CountingPopup(gone2);
        ASSERT_EQ(E_SUCCESS, over->Construct(1, 1, false, 600));
        ASSERT_NE(nullptr, over->GetWatchedForm());
        ASSERT_EQ(E_SUCCESS, scenes->GoBackward(Ui::Scenes::BackwardSceneTransition()));
        ASSERT_TRUE(RunUntil([&] { return over->GetWatchedForm() == nullptr; }, 5000));
        delete over;
        EXPECT_TRUE(gone2);
    });
}
