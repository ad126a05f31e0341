#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>

#include "platform/app/AppContextPrivate.h"
#include "platform/ui/Button.h"
#include "platform/ui/EditField.h"
#include "platform/ui/Form.h"
#include "platform/ui/Frame.h"
#include "platform/ui/Label.h"
#include "platform/ui/UiAutomationClient.h"
#include "platform/ui/UiEnvironment.h"

using namespace Vx;
using namespace Vx::Ui;
using namespace Vx::Ui::Controls;

namespace {

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(EnsureUiApplication()); }

    static Label* NewLabel(const wchar_t* name) {
        auto* label = new Label();
        EXPECT_EQ(label->Construct({0, 0, 100, 40}, L"text"), E_SUCCESS);
        label->SetName(name);
        return label;
    }
    static Form* NewForm(const wchar_t* name, int style = FORM_STYLE_NORMAL) {
        auto* form = new Form();
        EXPECT_EQ(form->Construct(style), E_SUCCESS);
        form->SetName(name);
        return form;
    }
};

// Records its own life cycle so a test can see who deleted it and when.
class TrackedLabel : public Label {
public:
    TrackedLabel(int& terminated, int& deleted, result initResult = E_SUCCESS)
        : terminated_(terminated), deleted_(deleted), initResult_(initResult) {}
    ~TrackedLabel() override { ++deleted_; }
    result OnInitializing() override { return initResult_; }
    result OnTerminating() override {
        ++terminated_;
        return E_SUCCESS;
    }

private:
    int& terminated_;
    int& deleted_;
    result initResult_;
};

class FrameListener : public IFrameEventListener {
public:
    void OnFrameTerminating(const Frame&) override { ++terminating; }
    int terminating = 0;
};

class TextListener : public ITextEventListener {
public:
    void OnTextValueChanged(const Control&) override { ++changes; }
    int changes = 0;
};

TEST_F(ControlsTest, ContainerTakesOwnershipOnceAndDeletesOnRemoval) {
    std::unique_ptr<Form> form(NewForm(L"form"));
    std::unique_ptr<Form> other(NewForm(L"other"));
    int terminated = 0;
    int deleted = 0;
    auto* label = new TrackedLabel(terminated, deleted);
    ASSERT_EQ(label->Construct({0, 0, 10, 10}, L"x"), E_SUCCESS);
    label->SetName(L"tracked");

    EXPECT_EQ(form->AddControl(nullptr), E_INVALID_ARG);
    EXPECT_EQ(form->AddControl(form.get()), E_INVALID_ARG);
    ASSERT_EQ(form->AddControl(label), E_SUCCESS);
    EXPECT_EQ(other->AddControl(label), E_OBJ_ALREADY_EXIST);
    EXPECT_EQ(label->GetParent(), form.get());
    EXPECT_EQ(form->GetControl(L"tracked"), label);
    EXPECT_EQ(form->GetControl(0), label);
    EXPECT_EQ(form->GetControl(1), nullptr);
    EXPECT_EQ(form->GetControl(L"missing"), nullptr);

    EXPECT_EQ(form->RemoveControl(label), E_SUCCESS);
    EXPECT_EQ(terminated, 1);
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(form->GetControlCount(), 0);

    auto* second = new TrackedLabel(terminated, deleted);
    ASSERT_EQ(second->Construct({0, 0, 10, 10}, L"y"), E_SUCCESS);
    ASSERT_EQ(form->AddControl(second), E_SUCCESS);
    form.reset();
    EXPECT_EQ(terminated, 2);
    EXPECT_EQ(deleted, 2);
}

TEST_F(ControlsTest, RefusedControlsStayWithTheCaller) {
    std::unique_ptr<Form> form(NewForm(L"form"));
    Label unconstructed;
    EXPECT_EQ(form->AddControl(&unconstructed), E_INVALID_STATE);

    int terminated = 0;
    int deleted = 0;
    auto refusing = std::make_unique<TrackedLabel>(terminated, deleted, E_FAILURE);
    ASSERT_EQ(refusing->Construct({0, 0, 10, 10}, L"x"), E_SUCCESS);
    EXPECT_EQ(form->AddControl(refusing.get()), E_FAILURE);
    EXPECT_EQ(refusing->GetParent(), nullptr);
    EXPECT_EQ(form->GetControlCount(), 0);
    refusing.reset();
    EXPECT_EQ(deleted, 1);

    Frame frame;
    ASSERT_EQ(frame.Construct(), E_SUCCESS);
    EXPECT_EQ(frame.Construct(), E_INVALID_STATE);
    std::unique_ptr<Label> label(NewLabel(L"label"));
    EXPECT_EQ(frame.AddControl(label.get()), E_INVALID_ARG);
    EXPECT_EQ(form->AddControl(&frame), E_INVALID_ARG);
}

TEST_F(ControlsTest, FrameShowsOneFormAtATime) {
    Frame frame;
    ASSERT_EQ(frame.Construct(), E_SUCCESS);
    Form* first = NewForm(L"first");
    Form* second = NewForm(L"second");
    first->AddControl(NewLabel(L"inFirst"));
    second->AddControl(NewLabel(L"inSecond"));
    ASSERT_EQ(frame.AddControl(first), E_SUCCESS);
    ASSERT_EQ(frame.AddControl(second), E_SUCCESS);
    ASSERT_EQ(frame.Activate(), E_SUCCESS);

    EXPECT_EQ(frame.GetCurrentForm(), first);
    EXPECT_EQ(frame.GetBounds(), (Graphics::Rectangle{frame.GetBounds().x, frame.GetBounds().y, 720, 1280}));
    EXPECT_EQ(first->GetBounds(), (Graphics::Rectangle{0, 0, 720, 1280}));
    EXPECT_TRUE(frame.GetControl(L"inFirst", true)->IsVisible());
    EXPECT_FALSE(frame.GetControl(L"inSecond", true)->IsVisible());
    EXPECT_EQ(frame.GetControl(L"inFirst"), nullptr);

    ASSERT_EQ(frame.SetCurrentForm(second), E_SUCCESS);
    EXPECT_FALSE(first->IsVisible());
    EXPECT_TRUE(frame.GetControl(L"inSecond", true)->IsVisible());

    std::unique_ptr<Form> stranger(NewForm(L"stranger"));
    EXPECT_EQ(frame.SetCurrentForm(stranger.get()), E_OBJ_NOT_FOUND);
    EXPECT_EQ(frame.SetCurrentForm(nullptr), E_INVALID_ARG);

    ASSERT_EQ(frame.RemoveControl(second), E_SUCCESS);
    EXPECT_EQ(frame.GetCurrentForm(), first);
    EXPECT_TRUE(first->IsVisible());
    EXPECT_EQ(Frame::GetActiveFrame(), &frame);
}

TEST_F(ControlsTest, ShowStateAndEnabledStateFollowAncestors) {
    Frame frame;
    ASSERT_EQ(frame.Construct(), E_SUCCESS);
    Form* form = NewForm(L"form", FORM_STYLE_TITLE);
    Label* label = NewLabel(L"label");
    ASSERT_EQ(form->AddControl(label), E_SUCCESS);
    ASSERT_EQ(frame.AddControl(form), E_SUCCESS);
    EXPECT_FALSE(label->IsVisible());  // the window is not shown yet
    EXPECT_TRUE(label->GetShowState());
    ASSERT_EQ(frame.Activate(), E_SUCCESS);
    EXPECT_TRUE(label->IsVisible());

    label->SetShowState(false);
    EXPECT_FALSE(label->IsVisible());
    EXPECT_FALSE(label->GetShowState());
    label->SetShowState(true);

    form->SetEnabled(false);
    EXPECT_FALSE(label->IsEnabled());
    form->SetEnabled(true);
    EXPECT_TRUE(label->IsEnabled());

    form->SetTitleText(L"Sign in");
    EXPECT_EQ(form->GetText(), Base::String(L"Sign in"));
    EXPECT_EQ(form->GetClientAreaBounds().y, Form::TITLE_HEIGHT);
    EXPECT_EQ(form->GetClientAreaBounds().height, 1280 - Form::TITLE_HEIGHT);
    EXPECT_EQ(label->SetBounds(0, 0, -1, 5), E_INVALID_ARG);
}

TEST_F(ControlsTest, EditFieldEnforcesItsStyleAndLimit) {
    EditField field;
    EXPECT_EQ(field.SetText(L"x"), E_INVALID_STATE);
    EXPECT_EQ(field.Construct({0, 0, 100, 50}, EDIT_FIELD_STYLE_NORMAL, 0), E_INVALID_ARG);
    EXPECT_EQ(field.Construct({0, 0, 100, 50}, static_cast<EditFieldStyle>(42)), E_INVALID_ARG);
    ASSERT_EQ(field.Construct({0, 0, 100, 50}, EDIT_FIELD_STYLE_NORMAL, 5), E_SUCCESS);
    EXPECT_EQ(field.SetText(L"12345"), E_SUCCESS);
    EXPECT_EQ(field.SetText(L"123456"), E_INVALID_ARG);
    EXPECT_EQ(field.GetText(), Base::String(L"12345"));
    EXPECT_EQ(field.Clear(), E_SUCCESS);
    EXPECT_EQ(field.GetTextLength(), 0);

    EditField number;
    ASSERT_EQ(number.Construct({0, 0, 100, 50}, EDIT_FIELD_STYLE_NUMBER), E_SUCCESS);
    EXPECT_EQ(number.SetText(L"12a"), E_INVALID_ARG);
    EXPECT_EQ(number.SetText(L"0042"), E_SUCCESS);

    EditField password;
    ASSERT_EQ(password.Construct({0, 0, 100, 50}, EDIT_FIELD_STYLE_PASSWORD), E_SUCCESS);
    EXPECT_TRUE(password.IsPasswordMode());
    ASSERT_EQ(password.SetText(L"sécret"), E_SUCCESS);
    EXPECT_EQ(password.GetText(), Base::String(L"sécret"));

    // Only the user's edits are events; the program's own SetText is not.
    TextListener listener;
    ASSERT_EQ(password.AddTextEventListener(listener), E_SUCCESS);
    EXPECT_EQ(password.AddTextEventListener(listener), E_OBJ_ALREADY_EXIST);
    password.SetText(L"other");
    EXPECT_EQ(listener.changes, 0);
    EXPECT_EQ(password.RemoveTextEventListener(listener), E_SUCCESS);
    EXPECT_EQ(password.RemoveTextEventListener(listener), E_OBJ_NOT_FOUND);
}

TEST_F(ControlsTest, ClosingAFrameTellsItsListenersOnce) {
    Frame frame;
    ASSERT_EQ(frame.Construct(), E_SUCCESS);
    frame.AddControl(NewForm(L"form"));
    FrameListener listener;
    ASSERT_EQ(frame.AddFrameEventListener(listener), E_SUCCESS);
    ASSERT_EQ(frame.Activate(), E_SUCCESS);
    EXPECT_EQ(frame.Close(), E_SUCCESS);
    EXPECT_EQ(listener.terminating, 1);
    EXPECT_FALSE(frame.IsVisible());
    EXPECT_EQ(Frame::GetActiveFrame(), nullptr);
    frame.Close();
    EXPECT_EQ(listener.terminating, 1);

    Frame neverShown;
    ASSERT_EQ(neverShown.Construct(), E_SUCCESS);
    FrameListener other;
    neverShown.AddFrameEventListener(other);
    neverShown.Close();
    EXPECT_EQ(other.terminating, 1);
}

TEST_F(ControlsTest, AutomationChannelIsClosedUnlessEnabled) {
    char pattern[] = "/tmp/ui-controls-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    setenv("IAP_PLATFORM_HOME", pattern, 1);
    unsetenv("IAP_UI_AUTOMATION");
    Frame frame;
    ASSERT_EQ(frame.Construct(), E_SUCCESS);
    frame.Activate();
    Automation::UiAutomationClient client;
    EXPECT_EQ(client.Connect(App::AppContext::GetCurrent().appId, 300), E_CONNECTION_FAILED);
    EXPECT_FALSE(client.GetLastError().empty());
    rmdir(pattern);
}

}  // namespace
