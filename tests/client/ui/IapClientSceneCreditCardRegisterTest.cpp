// The card registration screen inside a running application with buyclient's
// frame and scenes, opened as the credit card method opens it (its
// "searchCard" reply) and driven through this process's automation channel.
#include "client/ui/IapClientSceneCreditCardRegister.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "client/IapClientHttpSession.h"
#include "client/IapClientScenes.h"
#include "client/IapResourceManager.h"
#include "client/payment/IapClientPaymentCreditCard.h"
#include "lib/protocol/IapCommonHttpReply.h"
#include "platform/base/ArrayList.h"
#include "platform/base/ByteBuffer.h"
#include "platform/base/DateTime.h"
#include "platform/ui/EditField.h"
#include "platform/ui/Footer.h"
#include "platform/ui/Header.h"
#include "platform/ui/Label.h"
#include "platform/ui/TableViewGroupItem.h"
#include "platform/ui/scenes/BackwardSceneTransition.h"
#include "platform/ui/scenes/ForwardSceneTransition.h"
#include "platform/ui/scenes/SceneManager.h"
#include "tests/client/ui/DialogTestSupport.h"

using namespace Vx;
using namespace Vx::Ui::Controls;
using namespace DialogTest;
using ClientTest::RunUntil;
using IapSessionTest::ReplyDocument;
using Vx::Base::String;
using Vx::Ui::Automation::ControlInfo;
using Scene = IapClientSceneCreditCardRegister;

namespace {

[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new DialogTest::Environment());

// A credit card method that records the registration instead of sending it.
class FakeCard : public IapClientPaymentCreditCard {
public:
    struct Registration {
        std::string type, number, year, month, cvc;
    };
    std::vector<Registration> registrations;

    void SendRegisterCreditCardRequest(const String& type, const String& number, const String& year,
                                       const String& month, const String& cvc) override {
        registrations.push_back({type.ToUtf8(), number.ToUtf8(), year.ToUtf8(), month.ToUtf8(), cvc.ToUtf8()});
    }
};

std::unique_ptr<IapCommonHttpReply> Parse(const std::string& document) {
    Base::ByteBuffer body;
    EXPECT_EQ(E_SUCCESS, body.Construct(static_cast<int>(document.size())));
    body.SetArray(reinterpret_cast<const Base::byte*>(document.data()), 0, static_cast<int>(document.size()));
    body.Flip();
    auto reply = std::make_unique<IapCommonHttpReply>();
    EXPECT_EQ(E_SUCCESS, reply->Construct(&body));
    return reply;
}

using Companies = std::vector<std::vector<std::pair<std::string, std::string>>>;
const Companies kTwoCompanies = {{{"cardCompany", "Visa"}, {"cardCompanyCode", "VI"}},
                                 {{"cardCompany", "MasterCard"}, {"cardCompanyCode", "MC"}}};

Ui::Scenes::SceneManager& Scenes() { return *Ui::Scenes::SceneManager::GetInstance(); }

bool IsCurrent(const wchar_t* scene) { return Scenes().GetCurrentSceneId() == String(scene); }

// The card method is told the store's card companies, as after a refused
// charge; it moves to the registration scene with itself as the argument.
Scene* OpenWith(IapClientPaymentCreditCard& card, const Companies& companies, int tid = 1) {
    card.RouteReply(*Parse(ReplyDocument(tid, IapCommonHttp::FUNCTION_SEARCH_CARD, 0, companies)));
    EXPECT_TRUE(RunUntil([] { return IsCurrent(IapClientScenes::kSceneCreditCardRegister); }, 5000));
    return dynamic_cast<Scene*>(Scenes().GetCurrentForm());
}

void Construct(FakeCard& card) {
    IapClientPaymentMethodInfo info;
    info.SetPaymentMethod(L"CreditCard");
    IapItemInformation item;
    item.SetItemId(L"7");
    ASSERT_EQ(E_SUCCESS, card.Construct(info, item));
}

std::unique_ptr<ControlInfo> Find(Vx::Ui::Automation::UiAutomationClient& ui, const std::string& name) {
    std::vector<ControlInfo> controls;
    if (ui.List(controls) != E_SUCCESS) return nullptr;
    for (const ControlInfo& control : controls) {
        if (control.name == name) return std::make_unique<ControlInfo>(control);
    }
    return nullptr;
}

std::string TextOf(Vx::Ui::Automation::UiAutomationClient& ui, const std::string& name) {
    auto control = Find(ui, name);
    return control ? control->text : "<absent>";
}

// Presses and lets the press (sent after the reply) happen.
void Press(Vx::Ui::Automation::UiAutomationClient& ui, const std::string& name, std::function<bool()> until) {
    ASSERT_EQ(E_SUCCESS, ui.Press(name)) << name << ": " << ui.GetLastError();
    ASSERT_TRUE(RunUntil(std::move(until), 5000)) << "after pressing " << name;
}

std::string Number(int value) { return std::to_string(value); }

// Chooses the second of two companies and types a card number and its code, as a user about to register.
void FillSecondCompanysCard(Vx::Ui::Automation::UiAutomationClient& ui, Scene* scene) {
    ASSERT_EQ(E_SUCCESS, ui.Wait("cardTable/1", 5000));
    Press(ui, "cardTable/1", [&] { return scene->GetTableView()->GetItemCountAt(Scene::GROUP_CARD_TYPE) == 2; });
    Press(ui, "cardTable/1/1", [&] { return scene->GetSelectedCompany() == 1; });
    ASSERT_EQ(E_SUCCESS, ui.Type("cardNumber", "5555555555554444"));
    ASSERT_EQ(E_SUCCESS, ui.Type("securityCode", "321"));
}

}  // namespace

TEST(IapClientSceneCreditCardRegisterTest, OpensWithTheMethodsCompaniesTheFirstChosenAndTodaysExpiry) {
    RunInApp([](Context& c) {
        FakeCard card;
        Construct(card);
        Scene* scene = OpenWith(card, kTwoCompanies);
        ASSERT_NE(nullptr, scene);
        EXPECT_EQ(String(Scene::kFormName), scene->GetName());
        EXPECT_EQ(&card, scene->GetPaymentMethod());
        EXPECT_EQ(0, scene->GetSelectedCompany());
        EXPECT_EQ(String(L"VI"), scene->GetCardType());
        String title;
        IapResourceManager::GetStringFromID(L"IDS_ZUMEA_HEADER_REGISTER_CREDIT_CARD").ToUpperCase(title);
        EXPECT_EQ(title, scene->GetHeader()->GetTitleText());
        EXPECT_EQ(Scene::kRegisterActionId, scene->GetFooter()->GetItemActionId(0));
        EXPECT_TRUE(scene->GetFooter()->IsBackButtonSet());

        GroupedTableView* view = scene->GetTableView();
        ASSERT_NE(nullptr, view);
        EXPECT_EQ(Scene::GROUP_COUNT, view->GetGroupCount());
        EXPECT_EQ(Scene::kSectionHeight, view->GetGroupItemAt(Scene::GROUP_BASIC_INFO)->GetSize().height);
        EXPECT_EQ(Scene::kFieldGroupHeight, view->GetGroupItemAt(Scene::GROUP_CARD_NUMBER)->GetSize().height);
        EXPECT_EQ(0, view->GetItemCountAt(Scene::GROUP_CARD_TYPE)) << "companies come on the first tap";
        EXPECT_FALSE(view->IsGroupExpanded(Scene::GROUP_CARD_TYPE));
        EXPECT_EQ(scene->GetClientAreaBounds().width, view->GetBounds().width);
        auto* section = dynamic_cast<Label*>(view->GetGroupItemAt(Scene::GROUP_BASIC_INFO)->GetControl(0));
        ASSERT_NE(nullptr, section);
        EXPECT_EQ(Graphics::Color(59, 115, 182), section->GetTextColor());
        EXPECT_EQ(LABEL_TEXT_STYLE_BOLD, section->GetTextStyle());

        ASSERT_EQ(E_SUCCESS, c.ui.Wait("cardNumber", 5000)) << c.ui.GetLastError();
        EXPECT_EQ("Visa", TextOf(c.ui, "CONTROL_CARDTYPE_LABEL"));
        EXPECT_NE(nullptr, Find(c.ui, "CONTROL_DIRECTION_LABEL"));
        EXPECT_NE(nullptr, Find(c.ui, "CVC"));
        // 3 and 2013, never 03 or 13.
        const Base::DateTime today = Base::DateTime::GetCurrentUtc();
        EXPECT_EQ(Number(today.GetMonth()), TextOf(c.ui, "month"));
        EXPECT_EQ(Number(today.GetYear()), TextOf(c.ui, "year"));
        EXPECT_EQ(Number(today.GetMonth()), scene->GetEditExpireMonth().ToUtf8());
        EXPECT_EQ("", scene->GetCardNo().ToUtf8());
    });
}

TEST(IapClientSceneCreditCardRegisterTest, WithoutTheMethodRegisterDoesNothing) {
    RunInApp([](Context& c) {
        // Entered without an argument: no method to register with.
        ASSERT_EQ(E_SUCCESS,
                  Scenes().GoForward(Ui::Scenes::ForwardSceneTransition(IapClientScenes::kSceneCreditCardRegister)));
        auto* scene = dynamic_cast<Scene*>(Scenes().GetCurrentForm());
        ASSERT_NE(nullptr, scene);
        EXPECT_EQ(nullptr, scene->GetPaymentMethod());
        EXPECT_EQ(String(), scene->GetCardType());
        ASSERT_EQ(E_SUCCESS, c.ui.Wait("footerItem0", 5000));
        ASSERT_EQ(E_SUCCESS, c.ui.Type("cardNumber", "4111111111111111"));
        ASSERT_EQ(E_SUCCESS, c.ui.Press("footerItem0"));
        ClientTest::Settle(100);
        EXPECT_TRUE(IsCurrent(IapClientScenes::kSceneCreditCardRegister));

        // An argument that is not a card method is no method either.
        auto* args = new Base::Collection::ArrayList(Base::Collection::ElementOwnership::Owned);
        args->Construct(1);
        args->Add(new String(L"not a method"));
        scene->OnSceneActivatedN(IapClientScenes::kScenePurchase, IapClientScenes::kSceneCreditCardRegister, args);
        EXPECT_EQ(nullptr, scene->GetPaymentMethod());
    });
}

TEST(IapClientSceneCreditCardRegisterTest, CardTypeFillsOnFirstTapTogglesLaterAndKeepsExactlyOneChosen) {
    RunInApp([](Context& c) {
        FakeCard card;
        Construct(card);
        Scene* scene = OpenWith(card, kTwoCompanies);
        ASSERT_NE(nullptr, scene);
        GroupedTableView* view = scene->GetTableView();
        ASSERT_EQ(E_SUCCESS, c.ui.Wait("cardTable/1", 5000)) << c.ui.GetLastError();

        Press(c.ui, "cardTable/1", [&] { return view->GetItemCountAt(Scene::GROUP_CARD_TYPE) == 2; });
        EXPECT_TRUE(view->IsGroupExpanded(Scene::GROUP_CARD_TYPE));
        EXPECT_TRUE(view->IsItemChecked(Scene::GROUP_CARD_TYPE, 0)) << "the chosen company is checked";
        EXPECT_FALSE(view->IsItemChecked(Scene::GROUP_CARD_TYPE, 1));
        EXPECT_EQ("MasterCard", TextOf(c.ui, "cardCompany1"));

        Press(c.ui, "cardTable/1/1", [&] { return scene->GetSelectedCompany() == 1; });
        EXPECT_EQ(String(L"MC"), scene->GetCardType());
        EXPECT_EQ("MasterCard", TextOf(c.ui, "CONTROL_CARDTYPE_LABEL"));
        EXPECT_FALSE(view->IsItemChecked(Scene::GROUP_CARD_TYPE, 0));
        EXPECT_TRUE(view->IsItemChecked(Scene::GROUP_CARD_TYPE, 1));

        // Tapping the chosen one again does not leave the list without a choice.
        ASSERT_EQ(E_SUCCESS, c.ui.Press("cardTable/1/1"));
        ClientTest::Settle(100);
        EXPECT_TRUE(view->IsItemChecked(Scene::GROUP_CARD_TYPE, 1));
        EXPECT_FALSE(view->IsItemChecked(Scene::GROUP_CARD_TYPE, 0));
        EXPECT_EQ(1, scene->GetSelectedCompany());

        // Later taps toggle without adding rows.
        Press(c.ui, "cardTable/1", [&] { return !view->IsGroupExpanded(Scene::GROUP_CARD_TYPE); });
        EXPECT_EQ(nullptr, Find(c.ui, "cardTable/1/0")) << "a collapsed group's rows are not shown";
        Press(c.ui, "cardTable/1", [&] { return view->IsGroupExpanded(Scene::GROUP_CARD_TYPE); });
        EXPECT_EQ(2, view->GetItemCountAt(Scene::GROUP_CARD_TYPE));
        EXPECT_EQ(1, scene->GetSelectedCompany());

        // A new list from the method replaces the rows, not just the names.
        ASSERT_EQ(E_SUCCESS,
                  Scenes().GoBackward(Ui::Scenes::BackwardSceneTransition(
                      Ui::Scenes::SCENE_TRANSITION_ANIMATION_TYPE_NONE, Ui::Scenes::SCENE_DESTROY_OPTION_KEEP)));
        ASSERT_TRUE(RunUntil([] { return IsCurrent(IapClientScenes::kScenePurchase); }, 5000));
        scene = OpenWith(card, {{{"cardCompany", "Amex"}, {"cardCompanyCode", "AX"}}}, 2);
        ASSERT_NE(nullptr, scene);
        view = scene->GetTableView();
        EXPECT_EQ(0, scene->GetSelectedCompany());
        EXPECT_EQ(String(L"AX"), scene->GetCardType());
        Press(c.ui, "cardTable/1", [&] { return view->GetItemCountAt(Scene::GROUP_CARD_TYPE) == 1; });
        EXPECT_EQ("Amex", TextOf(c.ui, "cardCompany0"));
    });
}

TEST(IapClientSceneCreditCardRegisterTest, AnEmptyCompanyListStillOpensWithAnEmptyType) {
    RunInApp([](Context& c) {
        FakeCard card;
        Construct(card);
        Scene* scene = OpenWith(card, {});
        ASSERT_NE(nullptr, scene);
        EXPECT_EQ(-1, scene->GetSelectedCompany());
        EXPECT_EQ(String(), scene->GetCardType());
        ASSERT_EQ(E_SUCCESS, c.ui.Wait("CONTROL_CARDTYPE_LABEL", 5000));
        EXPECT_EQ("", TextOf(c.ui, "CONTROL_CARDTYPE_LABEL"));
        GroupedTableView* view = scene->GetTableView();
        Press(c.ui, "cardTable/1", [&] { return view->IsGroupExpanded(Scene::GROUP_CARD_TYPE); });
        EXPECT_EQ(0, view->GetItemCountAt(Scene::GROUP_CARD_TYPE));

        ASSERT_EQ(E_SUCCESS, c.ui.Type("cardNumber", "4111111111111111"));
        Press(c.ui, "footerItem0", [&] { return card.registrations.size() == 1; });
        EXPECT_EQ("", card.registrations[0].type);
    });
}

TEST(IapClientSceneCreditCardRegisterTest, FieldsTakeDigitsUpToTheirLimitsAndHideTheSecrets) {
    RunInApp([](Context& c) {
        FakeCard card;
        Construct(card);
        Scene* scene = OpenWith(card, kTwoCompanies);
        ASSERT_NE(nullptr, scene);
        ASSERT_EQ(E_SUCCESS, c.ui.Wait("cardNumber", 5000));

        EXPECT_EQ(E_INVALID_ARG, c.ui.Type("cardNumber", "41111111111111112")) << "a 17th digit is refused";
        EXPECT_EQ(16, scene->GetCardNo().GetLength());
        EXPECT_EQ(E_INVALID_ARG, c.ui.Type("cardNumber", "4111-1111"));
        ASSERT_EQ(E_SUCCESS, c.ui.Type("cardNumber", "4111111111111111"));

        EXPECT_EQ(E_SUCCESS, c.ui.Type("securityCode", std::string(100, '7')));
        EXPECT_EQ(E_INVALID_ARG, c.ui.Type("securityCode", std::string(101, '7')));
        ASSERT_EQ(E_SUCCESS, c.ui.Type("securityCode", "123"));
        EXPECT_EQ(E_INVALID_ARG, c.ui.Type("month", "123"));
        EXPECT_EQ(E_INVALID_ARG, c.ui.Type("year", "20301"));
        EXPECT_EQ(E_INVALID_ARG, c.ui.Type("year", "abcd"));

        // The screen shows them; automation lists them masked.
        const std::string dots3 = "\u2022\u2022\u2022";
        EXPECT_EQ(dots3, TextOf(c.ui, "securityCode"));
        EXPECT_EQ(std::string::npos, TextOf(c.ui, "cardNumber").find("4111"));
        EXPECT_EQ(String(L"123"), scene->GetEditVerifyCode());
    });
}

TEST(IapClientSceneCreditCardRegisterTest, RegisterPassesTypeNumberYearMonthAndCodeInThatOrder) {
    RunInApp([](Context& c) {
        FakeCard card;
        Construct(card);
        Scene* scene = OpenWith(card, kTwoCompanies);
        ASSERT_NE(nullptr, scene);
        FillSecondCompanysCard(c.ui, scene);
        if (::testing::Test::HasFatalFailure()) return;
        ASSERT_EQ(E_SUCCESS, c.ui.Type("month", "7"));
        ASSERT_EQ(E_SUCCESS, c.ui.Type("year", "2031"));

        Press(c.ui, "footerItem0", [&] { return card.registrations.size() == 1; });
        const FakeCard::Registration& sent = card.registrations[0];
        EXPECT_EQ("MC", sent.type);
        EXPECT_EQ("5555555555554444", sent.number);
        EXPECT_EQ("2031", sent.year);
        EXPECT_EQ("7", sent.month);
        EXPECT_EQ("321", sent.cvc);
        // What follows is the method's: the screen stays as it was.
        EXPECT_TRUE(IsCurrent(IapClientScenes::kSceneCreditCardRegister));
        EXPECT_EQ(String(L"321"), scene->GetEditVerifyCode());
    });
}

TEST(IapClientSceneCreditCardRegisterTest, TheHelpSceneAndBackKeepEverythingSoRegisterStillWorks) {
    RunInApp([](Context& c) {
        FakeCard card;
        Construct(card);
        Scene* scene = OpenWith(card, kTwoCompanies);
        ASSERT_NE(nullptr, scene);
        FillSecondCompanysCard(c.ui, scene);
        if (::testing::Test::HasFatalFailure()) return;

        Press(c.ui, "CVC", [] { return IsCurrent(IapClientScenes::kSceneSecurityCodeHelp); });
        ASSERT_EQ(E_SUCCESS, c.ui.Wait("helpText", 5000));
        Press(c.ui, "back", [] { return IsCurrent(IapClientScenes::kSceneCreditCardRegister); });
        ASSERT_EQ(scene, Scenes().GetCurrentForm()) << "the same form, not a new one";
        EXPECT_EQ(&card, scene->GetPaymentMethod());
        EXPECT_EQ(1, scene->GetSelectedCompany());
        EXPECT_EQ(String(L"5555555555554444"), scene->GetCardNo());
        ASSERT_EQ(E_SUCCESS, c.ui.Wait("CONTROL_CARDTYPE_LABEL", 5000));
        EXPECT_EQ("MasterCard", TextOf(c.ui, "CONTROL_CARDTYPE_LABEL"));

        Press(c.ui, "footerItem0", [&] { return card.registrations.size() == 1; });
        EXPECT_EQ("MC", card.registrations[0].type);
        EXPECT_EQ("5555555555554444", card.registrations[0].number);

        // The back key returns to the purchase screen; nothing ends.
        Press(c.ui, "back", [] { return IsCurrent(IapClientScenes::kScenePurchase); });
        EXPECT_EQ(0, c.frame.terminations);
    });
}

class ExposedSession : public IapClientHttpSession {
public:
    using IapClientHttpSession::ReportRefusedDestination;
};

// What the user sees when the store's address is not fit for card details.
TEST(IapClientSceneCreditCardRegisterTest, ARefusedStoreAddressIsExplainedInAMessage) {
    RunInApp([](Context& c) {
        ExposedSession session;
        std::string window;
        std::string title;
        std::string text;
        Later read(0, [&] {
            ASSERT_EQ(E_SUCCESS, c.ui.Wait("messageBoxText", 5000)) << c.ui.GetLastError();
            std::vector<ControlInfo> controls;
            ASSERT_EQ(E_SUCCESS, c.ui.List(controls, &window));
            title = TextOf(c.ui, "messageBoxTitle");
            text = TextOf(c.ui, "messageBoxText");
            EXPECT_EQ(E_SUCCESS, c.ui.Close());
        });
        session.ReportRefusedDestination();
        EXPECT_TRUE(read.fired);
        EXPECT_EQ("messageBox", window);
        EXPECT_EQ("Error", title);
        EXPECT_EQ(String(IapClientHttpSession::kRefusedText).ToUtf8(), text);
    });
}

TEST(IapClientSceneCreditCardRegisterTest, TheMethodsSuccessGoesBackToThePurchaseScene) {
    RunInApp([](Context& c) {
        // The real method: its success message is dismissed by the timer below.
        IapClientPaymentCreditCard card;
        IapClientPaymentMethodInfo info;
        info.SetPaymentMethod(L"CreditCard");
        ASSERT_EQ(E_SUCCESS, card.Construct(info, IapItemInformation()));
        card.RouteReply(*Parse(ReplyDocument(1, IapCommonHttp::FUNCTION_SEARCH_CARD, 0, kTwoCompanies)));
        ASSERT_TRUE(RunUntil([] { return IsCurrent(IapClientScenes::kSceneCreditCardRegister); }, 5000));
        std::string message;
        Later dismiss(0, [&] {
            ASSERT_EQ(E_SUCCESS, c.ui.Wait("messageBoxText", 5000)) << c.ui.GetLastError();
            message = TextOf(c.ui, "messageBoxText");
            EXPECT_EQ(E_SUCCESS, c.ui.Close());
        });
        card.RouteReply(*Parse(ReplyDocument(2, IapCommonHttp::FUNCTION_REGISTER_CREDIT_CARD_FOR_IAP, 0, {})));
        EXPECT_TRUE(dismiss.fired);
        EXPECT_FALSE(message.empty());
        ASSERT_TRUE(RunUntil([] { return IsCurrent(IapClientScenes::kScenePurchase); }, 10000));
    });
}
