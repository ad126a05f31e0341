// The purchase screen with its account service, messages and application end
// recorded instead of shown, against a loopback store with canned replies.
#include "client/ui/IapClientScenePurchase.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "client/IapResourceManager.h"
#include "client/ui/CvcPopup.h"
#include "client/ui/IapClientScenePurchasePrivate.h"
#include "client/ui/LoginConfirmPopup.h"
#include "platform/ui/CustomItem.h"
#include "platform/ui/EditField.h"
#include "platform/ui/GroupItem.h"
#include "platform/ui/Label.h"
#include "tests/client/ClientTestSupport.h"
#include "tests/client/payment/PaymentTestSupport.h"

using namespace Vx;
using namespace Vx::Ui::Controls;
using namespace ClientTest;
using namespace IapCommonHttp;
using Vx::Base::String;
using State = IapClientScenePurchasePrivate::State;

namespace {

[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new Environment(true));

constexpr App::RequestId kCaller = 41;
constexpr int kTransactionId = 5;

// Records what the screen would show or start on the device.
class TestPrivate : public IapClientScenePurchasePrivate {
public:
    using IapClientScenePurchasePrivate::IapClientScenePurchasePrivate;

    bool signedIn = false;
    bool accountAvailable = true;
    bool recordingCards = false;
    int signInStarts = 0;
    int tokenStarts = 0;
    int passwordShown = 0;
    bool waiting = false;
    std::vector<std::string> errorBoxes;
    std::vector<std::string> timedErrors;
    std::vector<int> terminations;
    std::vector<PaymentTest::RecordingCard*> cards;

protected:
    bool IsSignedIn() const override { return signedIn; }
    result StartSignIn() override {
        ++signInStarts;
        return accountAvailable ? E_SUCCESS : E_FAILURE;
    }
    result StartAccessToken() override {
        ++tokenStarts;
        return accountAvailable ? E_SUCCESS : E_FAILURE;
    }
    String GetAccountError() const override { return String(L"account says no"); }
    void ShowErrorBox(const String& text) override { errorBoxes.push_back(text.ToUtf8()); }
    void ShowTimedErrorMessage(const String& text) override { timedErrors.push_back(text.ToUtf8()); }
    void Terminate(IapLib::StatusCode status) override { terminations.push_back(status); }
    void ShowPasswordPopup() override { ++passwordShown; }
    void HidePasswordPopup() override {}
    void ShowWaiting() override { waiting = true; }
    void HideWaiting() override { waiting = false; }
    IapClientPaymentMethod* CreatePaymentMethodN(const IapClientPaymentMethodInfo& info) override {
        if (!recordingCards) return IapClientScenePurchasePrivate::CreatePaymentMethodN(info);
        if (info.GetPaymentMethod() != String(L"CreditCard")) return nullptr;
        auto* card = new PaymentTest::RecordingCard();
        card->Construct(info, GetFacadeItem());
        card->Attach(facade);
        cards.push_back(card);
        return card;
    }

public:
    IapClientPrivate* facade = nullptr;
    IapItemInformation GetFacadeItem() const { return facade->item; }
};

class TestScene : public IapClientScenePurchase {
public:
    TestPrivate* Test() const { return static_cast<TestPrivate*>(GetPrivate()); }
    std::function<void(TestPrivate&)> prepare;

protected:
    IapClientScenePurchasePrivate* CreatePrivateN() override {
        auto* d = new TestPrivate(this);
        if (prepare) prepare(*d);
        return d;
    }
};

IapClientPaymentMethodInfo Method(const char* code, const wchar_t* itemName, double price) {
    IapClientPaymentMethodInfo info;
    info.SetPaymentMethod(String::FromUtf8(code));
    info.SetPaymentTypeId(L"T1");
    info.SetItemName(itemName);
    info.SetItemPrice(price);
    info.SetCurrencyUnit(L"$");
    info.SetCurrencyUnitPrecedes(true);
    info.SetCurrencyUnitHasPenny(true);
    return info;
}

IapItemList<IapClientPaymentMethodInfo> Methods(std::initializer_list<IapClientPaymentMethodInfo> infos) {
    IapItemList<IapClientPaymentMethodInfo> list;
    for (const IapClientPaymentMethodInfo& info : infos)
        list.Add(info);
    return list;
}

std::string Text(Label* label) { return label ? label->GetText().ToUtf8() : std::string("<no label>"); }

class ScenePurchaseTest : public ::testing::Test {
protected:
    // A store that answers every function from `replies`; unknown ones with error 9000.
    void StartStore(std::map<int, std::function<std::string(int tid, int function)>> replies) {
        replies_ = std::move(replies);
        store_ = std::make_unique<CannedStore>([this](int tid, int function) {
            auto it = replies_.find(function);
            return it == replies_.end() ? ReplyDocument(tid, function, 9000) : it->second(tid, function);
        });
        ASSERT_TRUE(store_->IsRunning());
        ScopedEnv url("IAP_COUNTRY_SEARCH_URL", store_->CountrySearchUrl());
        ASSERT_EQ(E_SUCCESS, facade_.Construct());
    }
    // A scene over the facade; `prepare` runs before its Construct.
    TestPrivate& Open(std::function<void(TestPrivate&)> prepare = nullptr) {
        facade_.transactionId = kTransactionId;
        facade_.answerRequestId = kCaller;
        facade_.item.SetItemId(PaymentTest::kKnight);
        facade_.item.SetItemGroupId(PaymentTest::kCharacters);
        scene_ = std::make_unique<TestScene>();
        scene_->prepare = [this, prepare](TestPrivate& d) {
            d.facade = &facade_;
            if (prepare) prepare(d);
        };
        EXPECT_EQ(E_SUCCESS, scene_->Construct(&facade_));
        return *scene_->Test();
    }
    int StoreCalls(int function) const {
        int count = 0;
        if (!store_) return 0;
        for (const CannedServer::Hit& hit : store_->StoreHits())
            count += hit.function == function;
        return count;
    }
    // Taps row `index` of the method list as the view would report it.
    void Tap(TestPrivate& d, int index) {
        GroupedListView* view = d.GetListView();
        ASSERT_NE(nullptr, view);
        const bool checked = !view->IsItemChecked(0, index);
        ASSERT_EQ(E_SUCCESS, view->SetItemChecked(0, index, checked));
        d.OnGroupedListViewItemStateChanged(*view, 0, index, -1,
                                            checked ? LIST_ITEM_STATUS_CHECKED : LIST_ITEM_STATUS_UNCHECKED);
    }
    void TypePassword(TestPrivate& d, const wchar_t* password) {
        auto* field = dynamic_cast<EditField*>(d.GetPasswordPopup().GetControl(L"password", true));
        ASSERT_NE(nullptr, field);
        field->SetText(password);
    }
    // The caller's answers, as "method result" strings.
    std::vector<std::string> Answers() const {
        std::vector<std::string> answers;
        for (const TestFacade::Sent& sent : facade_.sent) {
            auto method = sent.extra.find("_method");
            auto status = sent.extra.find("_result");
            answers.push_back((method == sent.extra.end() ? "?" : method->second) + " " +
                              (status == sent.extra.end() ? "?" : status->second));
        }
        return answers;
    }

    TestFacade facade_;
    std::unique_ptr<CannedStore> store_;
    std::map<int, std::function<std::string(int, int)>> replies_;
    std::unique_ptr<TestScene> scene_;
};

TEST_F(ScenePurchaseTest, ConstructRefusesAMissingFacadeOrNegativeTransactionAndStartsTheRightAccountRequest) {
    TestScene noFacade;
    EXPECT_EQ(E_INVALID_ARG, noFacade.Construct(nullptr));
    TestFacade negative;
    negative.transactionId = -1;
    TestScene noTransaction;
    EXPECT_EQ(E_INVALID_ARG, noTransaction.Construct(&negative));

    TestPrivate& fresh = Open();
    EXPECT_EQ(1, fresh.signInStarts);
    EXPECT_EQ(0, fresh.tokenStarts);
    EXPECT_EQ(State::SigningIn, fresh.GetState());
    EXPECT_TRUE(fresh.waiting);
    EXPECT_EQ(E_INVALID_STATE, scene_->Construct(&facade_));

    TestPrivate& signedIn = Open([](TestPrivate& d) { d.signedIn = true; });
    EXPECT_EQ(0, signedIn.signInStarts);
    EXPECT_EQ(1, signedIn.tokenStarts);
    EXPECT_EQ(State::FetchingToken, signedIn.GetState());

    // Nothing would ever answer: the screen does not pretend to wait.
    TestPrivate& noService = Open([](TestPrivate& d) { d.accountAvailable = false; });
    EXPECT_FALSE(noService.waiting);
}

TEST_F(ScenePurchaseTest, TheListShowsTheSupportedMethodsAndTheProviderRefusesBadIndexes) {
    TestPrivate& d = Open();
    d.OnPaymentMethodListReceived(
        kTransactionId, ERROR_NONE,
        Methods({Method("PSMS", L"Knight by SMS", 2.0), Method("CreditCard", L"Knight", 1.5),
                 Method("MicroPayment", L"Knight KR", 3.0), Method("CreditCard", L"Knight plus", 4.25)}));
    EXPECT_EQ(State::Choosing, d.GetState());
    ASSERT_EQ(2, d.GetPaymentMethodCount());
    EXPECT_EQ(1, d.GetGroupCount());
    EXPECT_EQ(2, d.GetItemCount(0));
    EXPECT_EQ(0, d.GetItemCount(1));
    EXPECT_EQ(0, d.GetItemCount(-1));
    // The labels come from the first method made, not the first offered.
    EXPECT_EQ("Knight", Text(d.GetNameLabel()));
    EXPECT_EQ("$1.50", Text(d.GetPriceLabel()));
    EXPECT_FALSE(d.IsPurchaseEnabled());
    ASSERT_NE(nullptr, d.GetListView());
    EXPECT_EQ(2, d.GetListView()->GetItemCountAt(0));

    EXPECT_EQ(nullptr, d.CreateItem(0, 2, 700));
    EXPECT_EQ(nullptr, d.CreateItem(0, -1, 700));
    EXPECT_EQ(nullptr, d.CreateItem(1, 0, 700));
    ListItemBase* item = d.CreateItem(0, 1, 700);
    ASSERT_NE(nullptr, item);
    auto* custom = dynamic_cast<CustomItem*>(item);
    ASSERT_NE(nullptr, custom);
    EXPECT_EQ(LIST_ANNEX_STYLE_RADIO, custom->GetAnnexStyle());
    EXPECT_EQ(d.GetPaymentMethod(1)->GetDisplayName(), custom->GetElementText(2001));
    EXPECT_TRUE(d.DeleteItem(0, 1, item, 700));
    GroupItem* group = d.CreateGroupItem(0, 700);
    ASSERT_NE(nullptr, group);
    EXPECT_TRUE(d.DeleteGroupItem(0, group, 700));
    EXPECT_TRUE(facade_.sent.empty());
}

TEST_F(ScenePurchaseTest, CheckingEnablesPurchaseAndUncheckingShowsTheFirstMethodAgain) {
    TestPrivate& d = Open();
    d.OnPaymentMethodListReceived(
        kTransactionId, ERROR_NONE,
        Methods({Method("CreditCard", L"Knight", 1.5), Method("CreditCard", L"Knight plus", 4.25)}));
    // Nothing chosen: Purchase does nothing at all.
    d.OnActionPerformed(*scene_, IapClientScenePurchasePrivate::kActionPurchase);
    EXPECT_EQ(State::Choosing, d.GetState());
    EXPECT_FALSE(d.waiting);
    EXPECT_TRUE(d.timedErrors.empty());
    EXPECT_FALSE(facade_.IsRequestPending());

    Tap(d, 1);
    EXPECT_TRUE(d.IsPurchaseEnabled());
    EXPECT_EQ(1, d.GetSelectedIndex());
    EXPECT_EQ("Knight plus", Text(d.GetNameLabel()));
    EXPECT_EQ("$4.25", Text(d.GetPriceLabel()));

    Tap(d, 0);
    EXPECT_EQ(0, d.GetSelectedIndex());
    EXPECT_FALSE(d.GetListView()->IsItemChecked(0, 1)) << "only one method stays checked";

    d.UpdateItemInfo(1);
    Tap(d, 0);
    EXPECT_FALSE(d.IsPurchaseEnabled());
    EXPECT_EQ(-1, d.GetSelectedIndex());
    EXPECT_EQ("Knight", Text(d.GetNameLabel()));
    EXPECT_EQ("$1.50", Text(d.GetPriceLabel()));

    d.UpdateItemInfo(7);
    EXPECT_EQ("undefined", Text(d.GetNameLabel()));
    EXPECT_EQ("undefined", Text(d.GetPriceLabel()));
}

TEST_F(ScenePurchaseTest, StoreFailuresAndUselessListsEndThePurchaseOrLeaveNothingToBuy) {
    TestPrivate& error = Open();
    error.OnPaymentMethodListReceived(kTransactionId, static_cast<ErrorCode>(6007), Methods({}));
    ASSERT_EQ(1u, facade_.sent.size());
    EXPECT_EQ("OnPurchaseItemFinished " + std::to_string(StatusToIapLibStatus(static_cast<ErrorCode>(6007))),
              Answers()[0]);
    EXPECT_EQ(State::Ending, error.GetState());

    facade_.sent.clear();
    TestPrivate& empty = Open();
    empty.OnPaymentMethodListReceived(kTransactionId, ERROR_NONE, Methods({}));
    EXPECT_EQ(std::vector<std::string>{"OnPurchaseItemFinished 9000"}, Answers());

    facade_.sent.clear();
    TestPrivate& unsupported = Open();
    unsupported.OnPaymentMethodListReceived(kTransactionId, ERROR_NONE,
                                            Methods({Method("CyberCash", L"Dragon", 4.99)}));
    EXPECT_TRUE(facade_.sent.empty()) << "the back key is left to end it";
    EXPECT_EQ(0, unsupported.GetItemCount(0));
    EXPECT_EQ("unavailable", Text(unsupported.GetNameLabel()));
    EXPECT_EQ("unavailable", Text(unsupported.GetPriceLabel()));
    EXPECT_FALSE(unsupported.IsPurchaseEnabled());
    EXPECT_FALSE(unsupported.waiting);
    ASSERT_EQ(1u, unsupported.timedErrors.size()) << "an empty list without a word";
    EXPECT_EQ(IapResourceManager::GetStringFromID(L"IDS_ZUMEA_POP_NO_VALID_PAYMENT_METHODS").ToUtf8(),
              unsupported.timedErrors[0]);
}

TEST_F(ScenePurchaseTest, AWrongPasswordAsksAgainWithTheIdKeptAndAnEmptyField) {
    int valid = 0;
    ASSERT_NO_FATAL_FAILURE(StartStore({
        {FUNCTION_CHECK_PASSWORD,
         [&](int tid, int f) {
             return ReplyDocument(tid, f, 0, {{{"isValid", std::to_string(valid)}}});
         }},
        {FUNCTION_GET_PAYMENT_METHOD_SEARCH,
         [](int tid, int f) {
             return ReplyDocument(tid, f, 0, {{{"paymentMethod", "CreditCard"}, {"itemName", "Knight"}}},
                                  " startNum=\"1\" endNum=\"1\" totalCount=\"1\"");
         }},
    }));
    TestPrivate& d = Open([](TestPrivate& p) { p.signedIn = true; });
    d.OnAccessTokenReply(OblinAccountResult::RESULT_SUCCESS, L"U1000001", L"demo@vexmora.com", L"310", L"");
    EXPECT_EQ(State::ConfirmingPassword, d.GetState());
    EXPECT_EQ(1, d.passwordShown);
    EXPECT_EQ(L"demo@vexmora.com", d.GetPasswordPopup().GetId());

    for (int attempt = 0; attempt < 2; ++attempt) {
        TypePassword(d, L"wrong");
        d.OnActionPerformed(*scene_, LoginConfirmPopup::kOkActionId);
        EXPECT_TRUE(d.waiting);
        ASSERT_TRUE(RunUntil([&] { return d.GetState() == State::ConfirmingPassword; }));
        EXPECT_EQ(static_cast<std::size_t>(attempt + 1), d.errorBoxes.size());
        EXPECT_EQ("Password verification failed.", d.errorBoxes.back());
        EXPECT_EQ(attempt + 2, d.passwordShown);
        EXPECT_EQ(L"demo@vexmora.com", d.GetPasswordPopup().GetId());
        EXPECT_TRUE(d.GetPasswordPopup().GetPassword().IsEmpty());
        EXPECT_FALSE(d.waiting);
    }
    valid = 1;
    TypePassword(d, L"demo1234");
    d.OnActionPerformed(*scene_, LoginConfirmPopup::kOkActionId);
    d.OnActionPerformed(*scene_, LoginConfirmPopup::kOkActionId);  // a double tap: nothing more
    ASSERT_TRUE(RunUntil([&] { return d.GetState() == State::Choosing; }));
    EXPECT_EQ(2u, d.errorBoxes.size());
    EXPECT_TRUE(d.GetPasswordPopup().GetPassword().IsEmpty()) << "the field keeps no password";
    EXPECT_EQ(1, d.GetPaymentMethodCount());
    EXPECT_EQ(3, StoreCalls(FUNCTION_CHECK_PASSWORD));
    const std::vector<CannedServer::Hit> hits = store_->StoreHits();
    EXPECT_EQ("demo@vexmora.com", ParamOf(hits[2].body, "emailID"));
    EXPECT_TRUE(d.terminations.empty());
    // A late answer of the account service does not ask the password again.
    const int shown = d.passwordShown;
    d.OnAccessTokenReply(OblinAccountResult::RESULT_SUCCESS, L"U1000001", L"demo@vexmora.com", L"310", L"");
    EXPECT_EQ(shown, d.passwordShown);
    EXPECT_EQ(State::Choosing, d.GetState());
}

TEST_F(ScenePurchaseTest, AfterAnInteractiveSignInNoPasswordIsAskedAndALateTokenRequestsNothing) {
    ASSERT_NO_FATAL_FAILURE(StartStore({{FUNCTION_GET_PAYMENT_METHOD_SEARCH, [](int tid, int f) {
                                             return ReplyDocument(tid, f, 0, {{{"paymentMethod", "CreditCard"}}},
                                                                  " startNum=\"1\" endNum=\"1\" totalCount=\"1\"");
                                         }}}));
    TestPrivate& d = Open();
    d.OnSignInTokenReply(OblinAccountResult::RESULT_SUCCESS);
    EXPECT_TRUE(d.IsSignedInNow());
    EXPECT_EQ(1, d.tokenStarts);
    EXPECT_EQ(State::FetchingToken, d.GetState());
    d.OnAccessTokenReply(OblinAccountResult::RESULT_SUCCESS, L"U1000001", L"demo@vexmora.com", L"310", L"");
    EXPECT_EQ(0, d.passwordShown);
    EXPECT_EQ(State::FetchingMethods, d.GetState());
    d.OnAccessTokenReply(OblinAccountResult::RESULT_SUCCESS, L"U1000001", L"demo@vexmora.com", L"310", L"");
    EXPECT_TRUE(d.terminations.empty()) << "a second answer during the search ended the purchase";
    ASSERT_TRUE(RunUntil([&] { return d.GetState() == State::Choosing; }));
    EXPECT_EQ(L"U1000001", d.GetPaymentMethod(0)->GetUserID());

    d.OnAccessTokenReply(OblinAccountResult::RESULT_SUCCESS, L"U1000001", L"demo@vexmora.com", L"310", L"");
    Settle(200);
    EXPECT_EQ(1, StoreCalls(FUNCTION_GET_PAYMENT_METHOD_SEARCH));
    EXPECT_EQ(0, d.passwordShown);
    EXPECT_EQ(State::Choosing, d.GetState());
}

TEST_F(ScenePurchaseTest, AccountFailuresEndWithAMessageAndAStatusTheCallerCanTellApart) {
    using R = OblinAccountResult::ResultCode;
    struct Row {
        const char* why;
        bool signIn;
        int code;
        const char* message;  // null: no message
        int status;
    } rows[] = {
        {"sign-in cancelled", true, 2, "Oblin account sign-in canceled", 100},
        {"sign-in failed", true, 1, "account says no", 9000},
        {"sign-in timed out", true, 8, "account says no", 9000},
        {"no usable sign-in", false, 1, "account says no", 9000},
        {"token cancelled", false, 2, "account says no", 100},
        {"no network", false, 3, nullptr, 200},
        {"unreadable answer", false, 4, "account says no", 9000},
        {"timed out", false, 8, "account says no", 9000},
        {"negative", false, -3, "account says no", 9000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        TestPrivate& d = Open([&](TestPrivate& p) { p.signedIn = !row.signIn; });
        if (row.signIn) {
            d.OnSignInTokenReply(static_cast<R>(row.code));
        } else {
            d.OnAccessTokenReply(static_cast<R>(row.code), L"U1", L"a@b.c", L"", L"");
        }
        EXPECT_EQ(row.message ? std::vector<std::string>{row.message} : std::vector<std::string>{}, d.errorBoxes);
        EXPECT_EQ(std::vector<int>{row.status}, d.terminations);
        EXPECT_TRUE(d.GetUserId().IsEmpty());
        EXPECT_FALSE(d.waiting);
        EXPECT_EQ(State::Ending, d.GetState());
    }
    TestPrivate& d = Open();
    d.accountAvailable = false;
    d.OnSignInTokenReply(OblinAccountResult::RESULT_SUCCESS);
    EXPECT_EQ(std::vector<std::string>{"Oblin Account not available"}, d.errorBoxes);
    EXPECT_EQ(std::vector<int>{9000}, d.terminations);

    TestPrivate& cancel = Open([](TestPrivate& p) { p.signedIn = true; });
    cancel.OnAccessTokenReply(OblinAccountResult::RESULT_SUCCESS, L"U1", L"a@b.c", L"", L"");
    cancel.OnActionPerformed(*scene_, LoginConfirmPopup::kCancelActionId);
    EXPECT_EQ(std::vector<int>{100}, cancel.terminations);
}

// The purchase under way: one purchase id however often Purchase is pressed,
// the security code asked again after a Cancel, then the charge with it.
TEST_F(ScenePurchaseTest, PurchaseHandsOverOncePerTicketAndACancelledCodeCanBeGivenAgain) {
    ASSERT_NO_FATAL_FAILURE(StartStore({
        {FUNCTION_GET_PURCHASE_ID,
         [](int tid, int f) {
             return ReplyDocument(tid, f, 0, {{{"purchaseID", "PID-1"}, {"param1", "x"}}});
         }},
        {FUNCTION_EASYBUY_PURCHASE_ITEM,
         [](int tid, int f) {
             return ReplyDocument(tid, f, 0, {{{"paymentID", "PAY-1"}}});
         }},
    }));
    IapSystemInfo& system = IapSystemInfo::GetInstance();
    const String previousMcc = system.mcc;
    system.mcc = L"255";
    TestPrivate& d = Open([](TestPrivate& p) { p.recordingCards = true; });
    d.OnPaymentMethodListReceived(kTransactionId, ERROR_NONE, Methods({Method("CreditCard", L"Knight", 1.5)}));
    ASSERT_EQ(1u, d.cards.size());
    PaymentTest::RecordingCard& card = *d.cards[0];
    Tap(d, 0);

    d.OnActionPerformed(*scene_, IapClientScenePurchasePrivate::kActionPurchase);
    EXPECT_EQ(State::Purchasing, d.GetState());
    EXPECT_TRUE(d.waiting);
    ASSERT_TRUE(RunUntil([&] { return !facade_.sent.empty(); }));
    EXPECT_EQ(std::vector<std::string>{"OnPurchaseItemInitialized 0"}, Answers());
    d.OnActionPerformed(*scene_, IapClientScenePurchasePrivate::kActionPurchase);
    Settle(200);
    EXPECT_EQ(1, StoreCalls(FUNCTION_GET_PURCHASE_ID)) << "a second tap started a second purchase";
    EXPECT_TRUE(d.timedErrors.empty());

    facade_.answerRequestId = kCaller + 1;  // the caller resumes
    d.EasyBuyPurchaseItemFinish();
    EXPECT_EQ(1, card.cvcShown);
    EXPECT_FALSE(d.waiting) << "the waiting popup covers the security code";
    card.OnActionPerformed(*scene_, CvcPopup::kCancelActionId);
    EXPECT_FALSE(d.waiting);
    EXPECT_EQ(State::Choosing, d.GetState());
    EXPECT_EQ(0, StoreCalls(FUNCTION_EASYBUY_PURCHASE_ITEM));

    d.OnActionPerformed(*scene_, IapClientScenePurchasePrivate::kActionPurchase);
    EXPECT_EQ(2, card.cvcShown) << "Purchase after a Cancel asks for the code of the same purchase";
    EXPECT_EQ(1, StoreCalls(FUNCTION_GET_PURCHASE_ID));
    card.cvc = L"123";
    card.OnActionPerformed(*scene_, CvcPopup::kDoneActionId);
    ASSERT_TRUE(RunUntil([&] { return facade_.sent.size() == 2; }));
    EXPECT_EQ("OnPurchaseItemFinished 0", Answers()[1]);
    EXPECT_EQ("PAY-1", facade_.sent[1].extra["_paymentId"]);
    const std::vector<CannedServer::Hit> hits = store_->StoreHits();
    EXPECT_EQ("123", ParamOf(hits.back().body, "cvc"));
    EXPECT_EQ("PID-1", ParamOf(hits.back().body, "transID"));
    system.mcc = previousMcc;
}

// A caller that resumes again while the security code is asked (its first
// resume went unanswered so far) must not find the code covered by the
// waiting popup: the code's answer charges once and answers that caller.
TEST_F(ScenePurchaseTest, AResumeRepeatedWhileTheCodeIsAskedLeavesTheCodeAnswerable) {
    ASSERT_NO_FATAL_FAILURE(StartStore({
        {FUNCTION_GET_PURCHASE_ID,
         [](int tid, int f) {
             return ReplyDocument(tid, f, 0, {{{"purchaseID", "PID-7"}}});
         }},
        {FUNCTION_EASYBUY_PURCHASE_ITEM,
         [](int tid, int f) {
             return ReplyDocument(tid, f, 0, {{{"paymentID", "PAY-7"}}});
         }},
    }));
    IapSystemInfo& system = IapSystemInfo::GetInstance();
    const String previousMcc = system.mcc;
    system.mcc = L"255";
    TestPrivate& d = Open([](TestPrivate& p) { p.recordingCards = true; });
    d.OnPaymentMethodListReceived(kTransactionId, ERROR_NONE, Methods({Method("CreditCard", L"Knight", 1.5)}));
    PaymentTest::RecordingCard& card = *d.cards[0];
    Tap(d, 0);
    d.OnActionPerformed(*scene_, IapClientScenePurchasePrivate::kActionPurchase);
    ASSERT_TRUE(RunUntil([&] { return facade_.sent.size() == 1; }));

    facade_.answerRequestId = kCaller + 1;
    d.EasyBuyPurchaseItemFinish();
    ASSERT_EQ(1, card.cvcShown);
    facade_.answerRequestId = kCaller + 2;
    d.EasyBuyPurchaseItemFinish();
    EXPECT_FALSE(d.waiting) << "the waiting popup covers the security code";
    EXPECT_EQ(0, StoreCalls(FUNCTION_EASYBUY_PURCHASE_ITEM));

    card.cvc = L"321";
    card.OnActionPerformed(*scene_, CvcPopup::kDoneActionId);
    ASSERT_TRUE(RunUntil([&] { return facade_.sent.size() == 2; }));
    EXPECT_EQ("OnPurchaseItemFinished 0", Answers()[1]);
    EXPECT_EQ(kCaller + 2, facade_.sent[1].requestId);
    EXPECT_EQ(1, StoreCalls(FUNCTION_EASYBUY_PURCHASE_ITEM));
    EXPECT_TRUE(d.timedErrors.empty());
    system.mcc = previousMcc;
}

// A refused purchase id or a request that cannot be sent leaves the screen
// usable, and Purchase starts a new purchase.
TEST_F(ScenePurchaseTest, AFailedPurchaseRequestLeavesTheScreenUsable) {
    int purchaseIds = 0;
    ASSERT_NO_FATAL_FAILURE(StartStore({{FUNCTION_GET_PURCHASE_ID, [&](int tid, int f) {
                                             return ++purchaseIds == 1
                                                        ? ReplyDocument(tid, f, 3013)
                                                        : ReplyDocument(tid, f, 0, {{{"purchaseID", "P2"}}});
                                         }}}));
    TestPrivate& d = Open([](TestPrivate& p) { p.recordingCards = true; });
    d.OnPaymentMethodListReceived(kTransactionId, ERROR_NONE, Methods({Method("CreditCard", L"Knight", 1.5)}));
    Tap(d, 0);
    d.OnActionPerformed(*scene_, IapClientScenePurchasePrivate::kActionPurchase);
    ASSERT_TRUE(RunUntil([&] { return d.GetState() == State::Choosing; }));
    EXPECT_FALSE(d.waiting);
    EXPECT_EQ(1u, d.cards[0]->errors.size());
    EXPECT_TRUE(facade_.sent.empty());

    // The gate is taken: nothing can be sent, the user hears it and may retry.
    RecordingListener other;
    ASSERT_EQ(E_SUCCESS, facade_.RequestPurchaseId(9, L"x", &other));
    d.OnActionPerformed(*scene_, IapClientScenePurchasePrivate::kActionPurchase);
    EXPECT_EQ(1u, d.timedErrors.size());
    EXPECT_EQ(State::Choosing, d.GetState());
    EXPECT_FALSE(d.waiting);
    ASSERT_TRUE(RunUntil([&] { return !facade_.IsRequestPending(); }));

    d.OnActionPerformed(*scene_, IapClientScenePurchasePrivate::kActionPurchase);
    ASSERT_TRUE(RunUntil([&] { return !facade_.sent.empty(); }));
    EXPECT_EQ(std::vector<std::string>{"OnPurchaseItemInitialized 0"}, Answers());
}

// Back from the card registration, and a resume with nothing to finish: the
// screen is usable, and Purchase's new ticket answers the caller still owed.
TEST_F(ScenePurchaseTest, ReturnFromRegistrationAndAResumeWithoutTicketMakeTheScreenUsable) {
    int purchaseIds = 0;
    ASSERT_NO_FATAL_FAILURE(StartStore({
        {FUNCTION_GET_PURCHASE_ID,
         [&](int tid, int f) {
             return ReplyDocument(tid, f, 0, {{{"purchaseID", "P" + std::to_string(++purchaseIds)}}});
         }},
        {FUNCTION_EASYBUY_PURCHASE_ITEM, [](int tid, int f) { return ReplyDocument(tid, f, 9204); }},
        {FUNCTION_SEARCH_CARD,
         [](int tid, int f) {
             return ReplyDocument(tid, f, 0, {{{"cardCompany", "Visa"}, {"cardCompanyCode", "VI"}}});
         }},
    }));
    TestPrivate& d = Open([](TestPrivate& p) { p.recordingCards = true; });
    d.OnPaymentMethodListReceived(kTransactionId, ERROR_NONE, Methods({Method("CreditCard", L"Knight", 1.5)}));
    Tap(d, 0);
    d.EasyBuyPurchaseItemFinish();  // a resume before any ticket
    EXPECT_FALSE(d.waiting);
    EXPECT_EQ(State::Choosing, d.GetState());

    d.OnActionPerformed(*scene_, IapClientScenePurchasePrivate::kActionPurchase);
    ASSERT_TRUE(RunUntil([&] { return facade_.sent.size() == 1; }));
    facade_.answerRequestId = kCaller + 1;
    d.EasyBuyPurchaseItemFinish();
    PaymentTest::RecordingCard& card = *d.cards[0];
    ASSERT_TRUE(RunUntil([&] { return card.registrations == 1; }));
    EXPECT_FALSE(d.waiting) << "the registration screen is not covered";
    d.OnSceneActivated(L"IDS_SCENE_SECURITY_CODE_HELP");
    d.OnSceneActivated(L"IDS_SCENE_CREDIT_CARD_REGISTER");
    EXPECT_FALSE(d.waiting);
    EXPECT_EQ(State::Choosing, d.GetState());

    d.OnActionPerformed(*scene_, IapClientScenePurchasePrivate::kActionPurchase);
    ASSERT_TRUE(RunUntil([&] { return facade_.sent.size() == 2; }));
    EXPECT_EQ("OnPurchaseItemInitialized 0", Answers()[1]);
    EXPECT_EQ(kCaller + 1, facade_.sent[1].requestId) << "the new ticket answers the resumed caller";
    EXPECT_EQ("P2", facade_.sent[1].extra["_ticketPurchaseId"]);
}

}  // namespace
