// iap-client-screens: shows each of buyclient's popups, messages, its help
// scene, its purchase screen and its card registration screen over a form in
// an offscreen window 720 pixels wide, and writes what the screen shows into
// PNG files (one per picture).
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "client/IapClientPrivate.h"
#include "client/payment/IapClientPaymentCreditCard.h"
#include "client/payment/IapClientPaymentMethodInfo.h"
#include "client/ui/CvcPopup.h"
#include "client/ui/DlgEngine.h"
#include "client/ui/IapClientSceneCreditCardRegister.h"
#include "client/ui/IapClientScenePurchase.h"
#include "client/ui/IapClientScenePurchasePrivate.h"
#include "client/ui/IapClientSceneSecurityCodeHelp.h"
#include "client/ui/LoginConfirmPopup.h"
#include "client/ui/WaitingPopup.h"
#include "lib/protocol/IapCommonHttpReply.h"
#include "platform/app/AppContextPrivate.h"
#include "platform/app/EventLoop.h"
#include "platform/app/ITimerEventListener.h"
#include "platform/app/Timer.h"
#include "platform/app/UiApp.h"
#include "platform/base/ArrayList.h"
#include "platform/base/ByteBuffer.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Form.h"
#include "platform/ui/Frame.h"
#include "platform/ui/Header.h"
#include "platform/ui/Label.h"
#include "platform/ui/UiAutomationClient.h"
#include "platform/ui/UiAutomationProtocol.h"

using namespace Vx;
using namespace Vx::Ui::Controls;
using Vx::Base::String;

namespace {

const char kHelp[] = R"(Usage: iap-client-screens OUTPUT_FOLDER [NAME...]
       iap-client-screens --help

Shows buyclient's popups, messages, help scene, purchase screen and card
registration screen offscreen on a 720-pixel-wide screen and writes each
picture as OUTPUT_FOLDER/NAME.png (folder created if needed). NAMEs (all when
none is given):
  login-confirm   the account password popup
  cvc             the card security code popup
  waiting         the progress popup (its wheel at the first frame)
  question        a yes/no question with a title
  web             the web popup (its page cannot be reached: it says so)
  timed-error     the error message that closes by itself
  timed-message   the same without a title
  security-code-help   the help scene
  purchase        the purchase screen, the store's methods listed, "Credit card" checked
  card-register   the card registration screen, card type list open, a number typed
Runs in a platform home of its own; needs buyclient's resources beside it
(build/bin/res/buyclient.BuyClient). Exit codes: 0 written, 1 a picture
could not be taken or written, 2 usage.
)";

std::string gOutput;
std::vector<std::string> gWanted;
std::vector<std::string> gFailures;
Ui::Automation::UiAutomationClient* gUi = nullptr;

bool Wanted(const std::string& name) {
    if (gWanted.empty()) return true;
    for (const std::string& w : gWanted)
        if (w == name) return true;
    return false;
}

void Shoot(const std::string& name) {
    // Let the window settle (layout, first paint) before it is drawn.
    App::EventLoop::RunUntil([] { return false; }, 150);
    std::string png;
    if (gUi->Screenshot(png) != E_SUCCESS) {
        gFailures.push_back(name + ": " + gUi->GetLastError());
        return;
    }
    const std::string path = gOutput + "/" + name + ".png";
    std::ofstream out(path, std::ios::binary);
    out << png;
    if (!out) gFailures.push_back(name + ": cannot write " + path);
}

class Later : public Base::Runtime::ITimerEventListener {
public:
    Later(int ms, std::function<void()> action) : action_(std::move(action)) {
        timer_.Construct(*this);
        timer_.Start(ms);
    }
    void OnTimerExpired(Base::Runtime::Timer&) override { action_(); }

private:
    std::function<void()> action_;
    Base::Runtime::Timer timer_;
};

// Takes the picture of a modal popup, then closes it.
void ShootModal(const std::string& name, const std::string& waitFor, const std::function<void()>& run) {
    Later shot(0, [&] {
        if (gUi->Wait(waitFor, 5000) != E_SUCCESS) gFailures.push_back(name + ": " + gUi->GetLastError());
        Shoot(name);
        gUi->Close();
    });
    run();
}

// The purchase screen's account service and messages stay silent: the
// account is taken as signed in and confirmed, so the screen goes straight
// to the methods it is handed.
class QuietPurchasePrivate : public IapClientScenePurchasePrivate {
public:
    using IapClientScenePurchasePrivate::IapClientScenePurchasePrivate;

protected:
    bool IsSignedIn() const override { return true; }
    result StartSignIn() override { return E_SUCCESS; }
    result StartAccessToken() override { return E_SUCCESS; }
    void ShowErrorBox(const String& text) override { gFailures.push_back("purchase: error box " + text.ToUtf8()); }
    void ShowTimedErrorMessage(const String& text) override {
        gFailures.push_back("purchase: message " + text.ToUtf8());
    }
    void Terminate(IapLib::StatusCode status) override {
        gFailures.push_back("purchase: the screen ended with status " + std::to_string(status));
    }
    void ShowPasswordPopup() override {}
    void HidePasswordPopup() override {}
    void ShowWaiting() override {}
    void HideWaiting() override {}
};

class QuietPurchaseScene : public IapClientScenePurchase {
protected:
    IapClientScenePurchasePrivate* CreatePrivateN() override { return new (std::nothrow) QuietPurchasePrivate(this); }
};

IapClientPaymentMethodInfo Offer(const wchar_t* method, const wchar_t* typeId) {
    IapClientPaymentMethodInfo info;
    info.SetPaymentMethod(method);
    info.SetPaymentTypeId(typeId);
    info.SetItemName(L"Gem pack 3");
    info.SetItemPrice(2.99);
    info.SetCurrencyUnit(L"$");
    info.SetCurrencyUnitPrecedes(true);
    info.SetCurrencyUnitHasPenny(true);
    return info;
}

// The screen as the demo store's offers for Gem pack 3 in the US leave it:
// "Credit card" (premium SMS is offered too, but this client cannot pay
// with it), checked by the user.
void ShootPurchase(Frame& frame, Form& plain) {
    IapClientPrivate facade;  // never asked: nothing here reaches the store
    facade.transactionId = 1;
    facade.item.SetItemId(L"000000001003");
    facade.item.SetItemGroupId(L"100000000001");
    auto* screen = new QuietPurchaseScene();
    if (screen->Construct(&facade) != E_SUCCESS || frame.AddControl(screen) != E_SUCCESS) {
        delete screen;
        gFailures.push_back("purchase: the scene could not be built");
        return;
    }
    frame.SetCurrentForm(screen);
    // As on the device, where the popups before it leave no button focused
    // (a focused button is drawn highlighted).
    screen->SetFocus();
    IapItemList<IapClientPaymentMethodInfo> offers;
    offers.Add(Offer(L"CreditCard", L"CC01"));
    offers.Add(Offer(L"PSMS", L"SM01"));
    screen->GetPrivate()->OnPaymentMethodListReceived(facade.transactionId, IapCommonHttp::ERROR_NONE, offers);
    if (gUi->Wait("methods/0/0", 5000) != E_SUCCESS || gUi->Press("methods/0/0") != E_SUCCESS)
        gFailures.push_back("purchase: " + gUi->GetLastError());
    Shoot("purchase");
    // The picture is meant to show the user's choice: the row checked and Purchase usable.
    std::vector<Ui::Automation::ControlInfo> shown;
    if (gUi->List(shown) != E_SUCCESS) shown.clear();
    const Ui::Automation::ControlInfo* row = Ui::Automation::UiAutomationClient::Find(shown, "methods/0/0");
    const Ui::Automation::ControlInfo* buy = Ui::Automation::UiAutomationClient::Find(shown, "footerItem0");
    if (!row || !row->checked || row->text != "Credit card" || !buy || !buy->enabled)
        gFailures.push_back("purchase: \"Credit card\" is not shown checked with Purchase enabled");
    if (Ui::Automation::UiAutomationClient::Find(shown, "methods/0/1"))
        gFailures.push_back("purchase: a method this client cannot pay with is listed");
    frame.SetCurrentForm(&plain);
    frame.RemoveControl(screen);
}

// The registration screen as the credit card method opens it: the store's
// companies from a "searchCard" reply, the method as the scene's argument.
void ShootCardRegister(Frame& frame, Form& purchase) {
    IapClientPaymentCreditCard card;
    IapClientPaymentMethodInfo info;
    info.SetPaymentMethod(L"CreditCard");
    const std::string reply =
        "<OblinProtocol><response transactionId=\"1\" returnCode=\"0\" id=\"2230\"/><errorInfo><errorString "
        "errorCode=\"0\"/></errorInfo><list numValue=\"2\"><value name=\"cardCompany\">Visa</value><value "
        "name=\"cardCompanyCode\">VI</value></list><list numValue=\"2\"><value "
        "name=\"cardCompany\">MasterCard</value><value name=\"cardCompanyCode\">MC</value></list></OblinProtocol>";
    Base::ByteBuffer body;
    IapCommonHttpReply companies;
    if (card.Construct(info, IapItemInformation()) != E_SUCCESS ||
        body.Construct(static_cast<int>(reply.size())) != E_SUCCESS) {
        gFailures.push_back("card-register: the card method could not be built");
        return;
    }
    body.SetArray(reinterpret_cast<const Base::byte*>(reply.data()), 0, static_cast<int>(reply.size()));
    body.Flip();
    if (companies.Construct(&body) != E_SUCCESS) {
        gFailures.push_back("card-register: the companies could not be read");
        return;
    }
    card.RouteReply(companies);  // no scene manager here: the method only keeps the companies
    auto* screen = new IapClientSceneCreditCardRegister();
    if (screen->Construct() != E_SUCCESS || frame.AddControl(screen) != E_SUCCESS) {
        delete screen;
        gFailures.push_back("card-register: the scene could not be built");
        return;
    }
    frame.SetCurrentForm(screen);
    auto* args = new Base::Collection::ArrayList();
    args->Construct(1);
    args->Add(&card);
    screen->OnSceneActivatedN(L"IDS_SCENE_PURCHASE", L"IDS_SCENE_CREDIT_CARD_REGISTER", args);
    // A fixed expiry, so that the picture does not change with the date.
    if (gUi->Wait("cardTable/1", 5000) != E_SUCCESS || gUi->Press("cardTable/1") != E_SUCCESS ||
        gUi->Wait("cardTable/1/0", 5000) != E_SUCCESS || gUi->Type("cardNumber", "4111111111111111") != E_SUCCESS ||
        gUi->Type("month", "7") != E_SUCCESS || gUi->Type("year", "2031") != E_SUCCESS) {
        gFailures.push_back("card-register: " + gUi->GetLastError());
    }
    Shoot("card-register");
    frame.SetCurrentForm(&purchase);
    frame.RemoveControl(screen);
}

void ShootAll(Frame& frame, Form& purchase) {
    if (Wanted("login-confirm")) {
        LoginConfirmPopup popup;
        if (popup.Construct(nullptr) == E_SUCCESS) {
            popup.SetId(L"anna@example.com");
            popup.PopupShow();
            Shoot("login-confirm");
            popup.PopupHide();
        }
    }
    if (Wanted("cvc")) {
        CvcPopup popup;
        if (popup.Construct(nullptr) == E_SUCCESS) {
            popup.PopupShow();
            Shoot("cvc");
            popup.PopupHide();
        }
    }
    if (Wanted("waiting")) {
        WaitingPopup popup;
        if (popup.Construct() == E_SUCCESS) {
            popup.PopupShow();
            // A still picture: the wheel at its first frame.
            popup.GetAnimation()->Stop();
            Shoot("waiting");
            popup.PopupHide();
        }
    }
    if (Wanted("question"))
        ShootModal("question", "yes", [] {
            DlgEngine::DlgShowQuestionPopup(L"Purchase with a different phone number?", true, L"Phone bill");
        });
    if (Wanted("web"))
        ShootModal("web", "close",
                   [] { DlgEngine::DlgShowWebPopup(L"http://127.0.0.1:9/terms", true, L"Terms and conditions"); });
    if (Wanted("timed-error"))
        ShootModal("timed-error", "messageBoxText",
                   [] { DlgEngine::DlgShowTimedErrorMsg(L"The purchase failed. Try again later."); });
    if (Wanted("timed-message"))
        ShootModal("timed-message", "messageBoxText",
                   [] { DlgEngine::DlgShowTimedMsg(L"Your credit card information has been updated."); });
    if (Wanted("security-code-help")) {
        auto* help = new IapClientSceneSecurityCodeHelp();
        if (help->Construct() == E_SUCCESS && frame.AddControl(help) == E_SUCCESS) {
            frame.SetCurrentForm(help);
            Shoot("security-code-help");
            frame.SetCurrentForm(&purchase);
        } else {
            delete help;
            gFailures.push_back("security-code-help: the scene could not be built");
        }
    }
    if (Wanted("purchase")) ShootPurchase(frame, purchase);
    if (Wanted("card-register")) ShootCardRegister(frame, purchase);
}

class ScreensApp : public Vx::App::UiApp {
public:
    static Vx::App::UiApp* Create() { return new ScreensApp(); }
    bool OnAppInitializing(Vx::App::AppRegistry&) override { return true; }
    bool OnAppInitialized() override {
        auto* frame = new Frame();
        auto* purchase = new Form();
        if (frame->Construct() != E_SUCCESS || purchase->Construct(IapForm_Style()) != E_SUCCESS ||
            frame->AddControl(purchase) != E_SUCCESS) {
            gFailures.push_back("the frame could not be built");
            delete purchase;
            delete frame;
            Vx::App::App::Terminate();
            return true;
        }
        frame->SetName(L"client");
        purchase->SetName(L"purchase");
        purchase->SetTitleText(L"PAYMENT");
        if (AddFrame(*frame) != E_SUCCESS) {
            gFailures.push_back("the frame could not be shown");
            Vx::App::App::Terminate();
            return true;
        }
        Ui::Automation::UiAutomationClient ui;
        if (ui.Connect(Vx::App::AppContext::GetCurrent().appId, 5000) != E_SUCCESS) {
            gFailures.push_back("automation: " + ui.GetLastError());
        } else {
            gUi = &ui;
            ShootAll(*frame, *purchase);
            gUi = nullptr;
        }
        Vx::App::App::Terminate();
        return true;
    }

private:
    static int IapForm_Style() { return FORM_STYLE_INDICATOR | FORM_STYLE_HEADER | FORM_STYLE_FOOTER; }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kHelp, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    gOutput = argv[1];
    for (int i = 2; i < argc; ++i)
        gWanted.emplace_back(argv[i]);
    std::error_code error;
    std::filesystem::create_directories(gOutput, error);
    if (error) {
        std::fprintf(stderr, "iap-client-screens: cannot create %s: %s\n", gOutput.c_str(), error.message().c_str());
        return 1;
    }
    // A platform home of its own, buyclient's resources, the automation channel, no screen.
    std::string home = (std::filesystem::temp_directory_path() / "iap-client-screens-XXXXXX").string();
    if (!::mkdtemp(home.data())) {
        std::fprintf(stderr, "iap-client-screens: cannot make a temporary folder\n");
        return 1;
    }
    ::setenv("IAP_PLATFORM_HOME", home.c_str(), 1);
    ::setenv(App::kAppIdEnv, "buyclient.BuyClient", 1);
    ::setenv(Ui::Automation::kEnableEnv, "1", 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const result r = App::UiApp::Execute(ScreensApp::Create, nullptr);
    std::filesystem::remove_all(home, error);
    if (r != E_SUCCESS) gFailures.push_back("the application did not run");
    for (const std::string& failure : gFailures)
        std::fprintf(stderr, "iap-client-screens: %s\n", failure.c_str());
    return gFailures.empty() ? 0 : 1;
}
