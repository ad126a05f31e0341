#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/app/AppContextPrivate.h"
#include "platform/app/EventLoop.h"
#include "platform/app/Timer.h"
#include "platform/ui/Button.h"
#include "platform/ui/EditField.h"
#include "platform/ui/Form.h"
#include "platform/ui/Frame.h"
#include "platform/ui/Label.h"
#include "platform/ui/UiAutomationClient.h"
#include "platform/ui/UiAutomationProtocol.h"
#include "platform/ui/UiEnvironment.h"

using namespace Vx;
using namespace Vx::Ui;
using namespace Vx::Ui::Controls;
using Vx::Ui::Automation::ControlInfo;
using Vx::Ui::Automation::UiAutomationClient;

namespace {

class Recorder : public IActionEventListener, public ITextEventListener, public IFrameEventListener {
public:
    void OnActionPerformed(const Control&, int actionId) override { actions.push_back(actionId); }
    void OnTextValueChanged(const Control&) override { ++textChanges; }
    void OnFrameTerminating(const Frame&) override { ++closed; }
    std::vector<int> actions;
    int textChanges = 0;
    int closed = 0;
};

// Shows a label some time after it was started.
class LateShow : public Base::Runtime::ITimerEventListener {
public:
    explicit LateShow(Control& control) : control_(control) {}
    void OnTimerExpired(Base::Runtime::Timer&) override { control_.SetShowState(true); }

private:
    Control& control_;
};

// Names a control some time after it was started (as views name their rows when laid out).
class LateName : public Base::Runtime::ITimerEventListener {
public:
    LateName(Control& control, const wchar_t* name) : control_(control), name_(name) {}
    void OnTimerExpired(Base::Runtime::Timer&) override { control_.SetName(name_); }

private:
    Control& control_;
    const wchar_t* name_;
};

// One in-process window: the channel serves it while the client waits.
// The channel starts once per process and listens in the home it started in,
// so the tests of one process share that home.
class UiAutomationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/ui-automation-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        home_ = pattern;
        setenv("IAP_PLATFORM_HOME", home_.c_str(), 1);
        setenv(Automation::kEnableEnv, "1", 1);
    }

    static void TearDownTestSuite() {
        std::error_code ignored;
        std::filesystem::remove_all(home_, ignored);
    }

    void SetUp() override {
        ASSERT_TRUE(EnsureUiApplication());

        ASSERT_EQ(frame_.Construct(), E_SUCCESS);
        frame_.SetName(L"main");
        auto* form = new Form();
        ASSERT_EQ(form->Construct(FORM_STYLE_TITLE), E_SUCCESS);
        form->SetName(L"signInForm");
        email_ = Add<EditField>(form, L"email", EDIT_FIELD_STYLE_EMAIL, 20);
        password_ = Add<EditField>(form, L"password", EDIT_FIELD_STYLE_PASSWORD, 20);
        signIn_ = AddButton(form, L"signIn", 7);
        disabled_ = AddButton(form, L"disabled", 8);
        disabled_->SetEnabled(false);
        message_ = new Label();
        ASSERT_EQ(message_->Construct({0, 600, 700, 50}, L"Hello"), E_SUCCESS);
        message_->SetName(L"message");
        message_->SetShowState(false);
        form->AddControl(message_);
        ASSERT_EQ(frame_.AddControl(form), E_SUCCESS);
        frame_.AddFrameEventListener(recorder_);
        ASSERT_EQ(frame_.Activate(), E_SUCCESS);

        ASSERT_EQ(client_.Connect(App::AppContext::GetCurrent().appId, 3000), E_SUCCESS) << client_.GetLastError();
    }

    void TearDown() override { client_.Disconnect(); }

    template <class T>
    T* Add(Form* form, const wchar_t* name, EditFieldStyle style, int limit) {
        auto* field = new T();
        EXPECT_EQ(field->Construct({20, 100 + 100 * form->GetControlCount(), 680, 80}, style, limit), E_SUCCESS);
        field->SetName(name);
        field->AddTextEventListener(recorder_);
        form->AddControl(field);
        return field;
    }
    Button* AddButton(Form* form, const wchar_t* name, int actionId) {
        auto* button = new Button();
        EXPECT_EQ(button->Construct({20, 100 + 100 * form->GetControlCount(), 300, 80}, name), E_SUCCESS);
        button->SetName(name);
        button->SetActionId(actionId);
        button->AddActionEventListener(recorder_);
        form->AddControl(button);
        return button;
    }

    static inline std::string home_;
    Frame frame_;
    EditField* email_ = nullptr;
    EditField* password_ = nullptr;
    Button* signIn_ = nullptr;
    Button* disabled_ = nullptr;
    Label* message_ = nullptr;
    Recorder recorder_;
    UiAutomationClient client_;
};

TEST_F(UiAutomationTest, ListShowsVisibleControlsAndMasksPasswords) {
    password_->SetText(L"abc");
    std::vector<ControlInfo> controls;
    std::string window;
    ASSERT_EQ(client_.List(controls, &window), E_SUCCESS) << client_.GetLastError();
    EXPECT_EQ(window, "main");
    ASSERT_NE(UiAutomationClient::Find(controls, "signInForm"), nullptr);
    const ControlInfo* email = UiAutomationClient::Find(controls, "email");
    ASSERT_NE(email, nullptr);
    EXPECT_EQ(email->type, "EditField");
    EXPECT_TRUE(email->enabled);
    const ControlInfo* password = UiAutomationClient::Find(controls, "password");
    ASSERT_NE(password, nullptr);
    EXPECT_EQ(password->text, "\u2022\u2022\u2022");
    const ControlInfo* disabled = UiAutomationClient::Find(controls, "disabled");
    ASSERT_NE(disabled, nullptr);
    EXPECT_FALSE(disabled->enabled);
    EXPECT_EQ(disabled->text, "disabled");
    EXPECT_EQ(UiAutomationClient::Find(controls, "message"), nullptr);  // hidden
}

TEST_F(UiAutomationTest, TypeReplacesTheTextAsTheUserWould) {
    email_->SetText(L"old@example.com");
    ASSERT_EQ(client_.Type("email", "anna@exämple.com"), E_SUCCESS) << client_.GetLastError();
    EXPECT_EQ(email_->GetText(), Base::String(L"anna@exämple.com"));
    EXPECT_GE(recorder_.textChanges, 1);
    EXPECT_TRUE(email_->HasFocus() || !email_->IsVisible());

    EXPECT_EQ(client_.Type("signIn", "x"), E_INVALID_ARG);
    EXPECT_EQ(client_.Type("nothing", "x"), E_OBJ_NOT_FOUND);
    EXPECT_EQ(client_.Type("message", "x"), E_OBJ_NOT_FOUND);  // hidden controls cannot be reached
    // Longer than the field's limit: refused, not silently cut.
    EXPECT_EQ(client_.Type("password", std::string(21, 'p')), E_INVALID_ARG);
    email_->SetEnabled(false);
    EXPECT_EQ(client_.Type("email", "x"), E_INVALID_STATE);
}

// A field in lower-case mode lowers what is typed, as the phone's keyboard
// would; the text stored is what the user sees. Set before or after the field
// is built, and switched off again.
TEST_F(UiAutomationTest, TypeIntoALowerCaseFieldStoresTheLoweredText) {
    email_->SetLowerCaseModeEnabled(true);
    ASSERT_EQ(client_.Type("email", "Anna@Example.COM"), E_SUCCESS) << client_.GetLastError();
    EXPECT_EQ(email_->GetText(), Base::String(L"anna@example.com"));
    EXPECT_EQ(client_.Type("email", std::string(21, 'A')), E_INVALID_ARG) << "the limit still holds";

    email_->SetLowerCaseModeEnabled(false);
    ASSERT_EQ(client_.Type("email", "Anna@Example.COM"), E_SUCCESS) << client_.GetLastError();
    EXPECT_EQ(email_->GetText(), Base::String(L"Anna@Example.COM"));

    auto* early = new EditField();
    early->SetLowerCaseModeEnabled(true);
    ASSERT_EQ(early->Construct({20, 700, 680, 80}, EDIT_FIELD_STYLE_NORMAL, 30), E_SUCCESS);
    early->SetName(L"early");
    ASSERT_EQ(frame_.GetCurrentForm()->AddControl(early), E_SUCCESS);
    ASSERT_EQ(client_.Type("early", "MiXed Case"), E_SUCCESS) << client_.GetLastError();
    EXPECT_EQ(early->GetText(), Base::String(L"mixed case"));
}

TEST_F(UiAutomationTest, PressRunsTheButtonsActionAfterReplying) {
    ASSERT_EQ(client_.Press("signIn"), E_SUCCESS) << client_.GetLastError();
    ASSERT_TRUE(App::EventLoop::RunUntil([&] { return !recorder_.actions.empty(); }, 3000));
    EXPECT_EQ(recorder_.actions, std::vector<int>{7});

    EXPECT_EQ(client_.Press("disabled"), E_INVALID_STATE);
    EXPECT_EQ(client_.Press("email"), E_INVALID_ARG);
    EXPECT_EQ(client_.Press("missing"), E_OBJ_NOT_FOUND);
    App::EventLoop::RunUntil([] { return false; }, 100);
    EXPECT_EQ(recorder_.actions.size(), 1u);
}

TEST_F(UiAutomationTest, WaitReturnsWhenTheControlAppearsOrTimesOut) {
    EXPECT_EQ(client_.Wait("message", 150), E_TIMEOUT);
    LateShow show(*message_);
    Base::Runtime::Timer timer;
    ASSERT_EQ(timer.Construct(show), E_SUCCESS);
    ASSERT_EQ(timer.Start(200), E_SUCCESS);
    EXPECT_EQ(client_.Wait("message", 5000), E_SUCCESS) << client_.GetLastError();
    EXPECT_TRUE(message_->IsVisible());
    EXPECT_EQ(client_.Wait("email", 0), E_SUCCESS);
    EXPECT_EQ(client_.Wait("email", -1), E_INVALID_ARG);

    // Shown long before, named while the client waits: no show or hide tells it.
    LateName rename(*message_, L"greeting");
    Base::Runtime::Timer renameTimer;
    ASSERT_EQ(renameTimer.Construct(rename), E_SUCCESS);
    ASSERT_EQ(renameTimer.Start(200), E_SUCCESS);
    EXPECT_EQ(client_.Wait("greeting", 5000), E_SUCCESS) << client_.GetLastError();
}

TEST_F(UiAutomationTest, ScreenshotDrawsThePhoneSizedWindow) {
    std::string png;
    ASSERT_EQ(client_.Screenshot(png), Vx::E_SUCCESS) << client_.GetLastError();
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png.substr(1, 3), "PNG");
    auto be32 = [&](std::size_t at) {
        return (unsigned(static_cast<unsigned char>(png[at])) << 24) |
               (unsigned(static_cast<unsigned char>(png[at + 1])) << 16) |
               (unsigned(static_cast<unsigned char>(png[at + 2])) << 8) |
               unsigned(static_cast<unsigned char>(png[at + 3]));
    };
    EXPECT_EQ(be32(16), 720u);  // width and height of the header chunk
    EXPECT_EQ(be32(20), 1280u);
}

TEST_F(UiAutomationTest, CloseEndsTheWindowAsTheUserWould) {
    ASSERT_EQ(client_.Close(), E_SUCCESS) << client_.GetLastError();
    ASSERT_TRUE(App::EventLoop::RunUntil([&] { return recorder_.closed > 0; }, 3000));
    EXPECT_FALSE(frame_.IsVisible());
    std::vector<ControlInfo> controls;
    EXPECT_EQ(client_.List(controls), E_OBJ_NOT_FOUND);
}

// Speaks the wire format by hand, as a broken or hostile client would.
class RawClient {
public:
    explicit RawClient(const std::string& path) {
        fd_ = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~RawClient() { close(fd_); }
    bool Connected() const { return connected_; }
    void Send(const std::string& bytes) { ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
    // Everything the server sends until it closes the connection (or the time runs out).
    std::string ReadUntilClosed(int timeoutMs) {
        std::string all;
        App::EventLoop::RunUntil(
            [&] {
                char chunk[4096];
                ssize_t n = recv(fd_, chunk, sizeof chunk, MSG_DONTWAIT);
                if (n > 0) all.append(chunk, static_cast<std::size_t>(n));
                return n == 0;
            },
            timeoutMs);
        return all;
    }

private:
    int fd_ = -1;
    bool connected_ = false;
};

TEST_F(UiAutomationTest, MalformedMessagesDropOnlyTheirOwnClient) {
    std::string path;
    std::string error;
    ASSERT_EQ(Automation::GetSocketPath(App::AppContext::GetCurrent().appId, path, error), E_SUCCESS);

    RawClient huge(path);
    ASSERT_TRUE(huge.Connected());
    huge.Send(std::string("\xff\xff\xff\xff", 4));
    std::string reply = huge.ReadUntilClosed(3000);
    EXPECT_NE(reply.find("bad_request"), std::string::npos);

    RawClient notJson(path);
    ASSERT_TRUE(notJson.Connected());
    notJson.Send(std::string("\0\0\0\x05[1,2]", 9));
    EXPECT_NE(notJson.ReadUntilClosed(3000).find("bad_request"), std::string::npos);

    RawClient unknown(path);
    unknown.Send(std::string("\0\0\0\x14{\"command\":\"fly\"}  ", 24));
    RawClient partial(path);
    partial.Send(std::string("\0\0\0\x40{\"comm", 10));  // never completed: must not block anyone

    std::vector<ControlInfo> controls;
    EXPECT_EQ(client_.List(controls), E_SUCCESS) << client_.GetLastError();
    EXPECT_NE(UiAutomationClient::Find(controls, "email"), nullptr);
}

}  // namespace
