#include "client/ui/IapClientScenePurchasePrivate.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "client/IapClientPrivate.h"
#include "client/IapClientScenes.h"
#include "client/IapResourceManager.h"
#include "client/payment/IapClientPaymentMethod.h"
#include "client/ui/DlgEngine.h"
#include "client/ui/IapClientScenePurchase.h"
#include "client/ui/WaitingPopup.h"
#include "lib/device/AppUpdater.h"
#include "lib/device/OblinAccount.h"
#include "lib/records/IapPurchaseTicket.h"
#include "lib/records/IapPurchasedItemInformation.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/Button.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Color.h"
#include "platform/ui/CustomItem.h"
#include "platform/ui/Footer.h"
#include "platform/ui/FooterItem.h"
#include "platform/ui/Frame.h"
#include "platform/ui/GroupItem.h"
#include "platform/ui/Header.h"
#include "platform/ui/Label.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Panel.h"
#include "platform/ui/scenes/SceneManager.h"

using namespace Vx;
using namespace Vx::Ui::Controls;
using Vx::Base::String;
using State = IapClientScenePurchasePrivate::State;

namespace {

const Graphics::Color kHeaderColor(220, 218, 211);
const Graphics::Color kDarkText(57, 57, 57);
const Graphics::Color kGreyText(128, 128, 128);
const Graphics::Color kBlack(0, 0, 0);
const wchar_t* const kUnavailable = L"unavailable";
const wchar_t* const kUndefined = L"undefined";

bool TestHooksWanted() {
    const char* value = std::getenv("IAP_CLIENT_TEST_HOOKS");
    return value && std::strcmp(value, "1") == 0;
}

// Draws the nine-patch over the label's whole size and makes that its background.
void Load9PBitmapToLabel(Label& label, const String& name) {
    std::unique_ptr<Graphics::Bitmap> patch(IapResourceManager::GetBitmapN(name));
    if (!patch) return;
    const Graphics::Rectangle bounds = label.GetBounds();
    const Graphics::Rectangle area{0, 0, bounds.width, bounds.height};
    Graphics::Canvas canvas;
    Graphics::Bitmap drawn;
    if (canvas.Construct(area) != E_SUCCESS || canvas.DrawNinePatchedBitmap(area, *patch) != E_SUCCESS ||
        drawn.Construct(canvas, area) != E_SUCCESS) {
        return;
    }
    label.SetBackgroundBitmap(drawn);
}

// A label added to `parent`; null when it cannot be made.
Label* AddLabel(Panel& parent, const Graphics::Rectangle& bounds, const String& text, const wchar_t* name) {
    std::unique_ptr<Label> label(new (std::nothrow) Label());
    if (!label || label->Construct(bounds, text) != E_SUCCESS) return nullptr;
    if (name) label->SetName(name);
    if (parent.AddControl(label.get()) != E_SUCCESS) return nullptr;
    return label.release();
}

Panel* AddPanel(Panel* parent, const Graphics::Rectangle& bounds) {
    std::unique_ptr<Panel> panel(new (std::nothrow) Panel());
    if (!panel || panel->Construct(bounds) != E_SUCCESS) return nullptr;
    if (parent && parent->AddControl(panel.get()) != E_SUCCESS) return nullptr;
    return panel.release();
}

}  // namespace

IapClientScenePurchasePrivate::IapClientScenePurchasePrivate(IapClientScenePurchase* scene) : scene_(scene) {}

IapClientScenePurchasePrivate::~IapClientScenePurchasePrivate() {
    for (IapClientPaymentMethod* method : methods_)
        delete method;
    delete account_;
    delete updater_;
    delete waitingPopup_;
}

result IapClientScenePurchasePrivate::Construct(IapClientPrivate* client) {
    client_ = client;
    account_ = new (std::nothrow) OblinAccount(*this);
    updater_ = new (std::nothrow) AppUpdater(this);
    if (!account_ || !updater_) return E_OUT_OF_MEMORY;
    // The account service is asked first: it starts as a process of its own
    // while the popups are built here, and its answer comes through the event
    // loop, so only after this returns.
    result account = E_SUCCESS;
    if (IsSignedIn()) {
        state_ = State::FetchingToken;
        account = StartAccessToken();
    } else {
        state_ = State::SigningIn;
        account = StartSignIn();
    }
    result r = passwordPopup_.Construct(this);
    if (r != E_SUCCESS) return r;
    waitingPopup_ = new (std::nothrow) WaitingPopup();
    if (!waitingPopup_) return E_OUT_OF_MEMORY;
    r = waitingPopup_->Construct();
    if (r != E_SUCCESS) {
        delete waitingPopup_;
        waitingPopup_ = nullptr;
        return r;
    }
    // No account service: nothing will answer, so do not pretend to wait.
    // The screen keeps its back button, which ends buyclient.
    if (account == E_SUCCESS) ShowWaiting();
    return E_SUCCESS;
}

// ---- account service ---------------------------------------------------------

void IapClientScenePurchasePrivate::OnSignInTokenReply(OblinAccountResult::ResultCode result) {
    HideWaiting();
    if (result == OblinAccountResult::RESULT_SUCCESS) {
        signedInNow_ = true;
        ShowWaiting();
        state_ = State::FetchingToken;
        if (StartAccessToken() != E_SUCCESS) FailAccount(result, String(L"Oblin Account not available"));
        return;
    }
    if (result == OblinAccountResult::RESULT_CANCELED) {
        FailAccount(result, String(L"Oblin account sign-in canceled"));
        return;
    }
    FailAccount(result, GetAccountError());
}

void IapClientScenePurchasePrivate::OnAccessTokenReply(OblinAccountResult::ResultCode result, const String& userId,
                                                       const String& emailId, const String&, const String&) {
    if (result == OblinAccountResult::RESULT_SUCCESS && methodsArrived_) {
        // A late answer once the methods are shown (the password, if asked,
        // was confirmed already) changes nothing on screen.
        userId_ = userId;
        for (IapClientPaymentMethod* method : methods_)
            method->SetUserID(userId_);
        return;
    }
    HideWaiting();
    if (result < 0) {
        OnSignInTokenReply(result);
        return;
    }
    if (result != OblinAccountResult::RESULT_SUCCESS) {
        userId_ = String();
        if (result == OblinAccountResult::RESULT_NETWORK_FAILURE) {
            state_ = State::Ending;
            Terminate(IapLib::STATUS_NETWORK_FAILURE);
            return;
        }
        FailAccount(result, GetAccountError());
        return;
    }
    userId_ = userId;
    if (!signedInNow_) {
        passwordPopup_.SetId(emailId);
        passwordPopup_.ClearPassword();
        state_ = State::ConfirmingPassword;
        ShowPasswordPopup();
        return;
    }
    RequestPaymentMethods();
}

void IapClientScenePurchasePrivate::FailAccount(OblinAccountResult::ResultCode result, const String& text) {
    // The caller learns why: cancelled, no network, or a failure (also for
    // answers the account service gives no meaning to), never a blank screen.
    IapLib::StatusCode status = IapLib::STATUS_GENERAL_FAILURE;
    if (result == OblinAccountResult::RESULT_CANCELED) status = IapLib::STATUS_CANCELED;
    if (result == OblinAccountResult::RESULT_NETWORK_FAILURE) status = IapLib::STATUS_NETWORK_FAILURE;
    state_ = State::Ending;
    ShowErrorBox(text.IsEmpty() ? String(L"Oblin Account not available") : text);
    Terminate(status);
}

// ---- password -------------------------------------------------------------------

void IapClientScenePurchasePrivate::ConfirmPassword() {
    HidePasswordPopup();
    // The password goes to the store only; the field forgets it at once.
    const String password = passwordPopup_.GetPassword();
    passwordPopup_.ClearPassword();
    ShowWaiting();
    state_ = State::CheckingPassword;
    if (client_->RequestCheckPassword(client_->transactionId, passwordPopup_.GetId(), password, this) != E_SUCCESS) {
        OnCheckPasswordReceived(client_->transactionId, IapCommonHttp::ERROR_TRANSACTION_ABORTED, 0);
    }
}

void IapClientScenePurchasePrivate::OnCheckPasswordReceived(int, IapCommonHttp::ErrorCode errorCode, int checkResult) {
    HideWaiting();
    if (errorCode == IapCommonHttp::ERROR_NONE && checkResult == 1) {
        if (!methodsArrived_) RequestPaymentMethods();
        return;
    }
    state_ = State::ConfirmingPassword;
    ShowErrorBox(String(L"Password verification failed."));
    if (state_ != State::ConfirmingPassword) return;  // buyclient ends meanwhile
    passwordPopup_.ClearPassword();
    ShowPasswordPopup();
}

// ---- payment methods -------------------------------------------------------------

void IapClientScenePurchasePrivate::RequestPaymentMethods() {
    // One search at a time: a second answer of the account service while the
    // first search runs must not read as a search that could not be sent.
    if (!client_ || state_ == State::FetchingMethods) return;
    ShowWaiting();
    state_ = State::FetchingMethods;
    if (client_->RequestPaymentMethodSearch(client_->transactionId, client_->item, this) == E_SUCCESS) return;
    // Nothing was sent: without methods nothing can be bought.
    HideWaiting();
    state_ = State::Ending;
    ShowErrorBox(IapResourceManager::GetStringFromID(L"IDS_ZUMEA_BODY_ERROR_SENDING_PURCHASE_REQUEST"));
    Terminate(IapLib::STATUS_NETWORK_FAILURE);
}

void IapClientScenePurchasePrivate::OnPaymentMethodListReceived(
    int transactionId, IapCommonHttp::ErrorCode errorCode, const IapItemList<IapClientPaymentMethodInfo>& methods) {
    HideWaiting();
    Create();
    if (errorCode != IapCommonHttp::ERROR_NONE) {
        state_ = State::Ending;
        client_->OnPurchaseItemFinished(transactionId, IapCommonHttp::StatusToIapLibStatus(errorCode),
                                        IapPurchasedItemInformation());
        return;
    }
    if (methods.GetCount() == 0) {
        state_ = State::Ending;
        client_->OnPurchaseItemFinished(transactionId, IapLib::STATUS_GENERAL_FAILURE, IapPurchasedItemInformation());
        return;
    }
    methodsArrived_ = true;
    state_ = State::Choosing;
    methods_.reserve(methods_.size() + static_cast<std::size_t>(methods.GetCount()));
    for (int i = 0; i < methods.GetCount(); ++i) {
        const IapClientPaymentMethodInfo& info = methods.At(i);
        methodInfos_.Add(info);
        IapClientPaymentMethod* method = CreatePaymentMethodN(info);
        if (!method) continue;
        if (methods_.empty()) {
            if (priceLabel_) {
                priceLabel_->SetText(info.GetItemPriceFormatted(true));
                priceLabel_->Invalidate();
            }
            if (nameLabel_) {
                nameLabel_->SetText(info.GetItemName());
                nameLabel_->Invalidate();
            }
        }
        method->SetUserID(userId_);
        method->SetListener(this);
        methods_.push_back(method);
    }
    if (listView_) listView_->UpdateList();
    // Only ways of paying this client does not have: without a word the user
    // would face an empty list and a disabled Purchase. Back still ends it.
    if (methods_.empty()) {
        ShowTimedErrorMessage(IapResourceManager::GetStringFromID(L"IDS_ZUMEA_POP_NO_VALID_PAYMENT_METHODS"));
    }
}

IapClientPaymentMethod* IapClientScenePurchasePrivate::CreatePaymentMethodN(const IapClientPaymentMethodInfo& info) {
    return IapClientPaymentMethod::PaymentMethod(info, client_->item, client_);
}

IapClientPaymentMethod* IapClientScenePurchasePrivate::GetPaymentMethod(int index) const {
    if (index < 0 || index >= GetPaymentMethodCount()) return nullptr;
    return methods_[static_cast<std::size_t>(index)];
}

// ---- the list view ----------------------------------------------------------------

int IapClientScenePurchasePrivate::GetGroupCount() { return 1; }

int IapClientScenePurchasePrivate::GetItemCount(int groupIndex) {
    return groupIndex == 0 ? GetPaymentMethodCount() : 0;
}

GroupItem* IapClientScenePurchasePrivate::CreateGroupItem(int, int itemWidth) {
    std::unique_ptr<GroupItem> item(new (std::nothrow) GroupItem());
    if (!item || item->Construct(Graphics::Dimension{itemWidth, kGroupItemHeight}) != E_SUCCESS) return nullptr;
    item->SetElement(String(L"Select payment method"));
    item->SetTextSize(32);
    return item.release();
}

ListItemBase* IapClientScenePurchasePrivate::CreateItem(int groupIndex, int itemIndex, int itemWidth) {
    IapClientPaymentMethod* method = groupIndex == 0 ? GetPaymentMethod(itemIndex) : nullptr;
    if (!method) return nullptr;
    std::unique_ptr<CustomItem> item(new (std::nothrow) CustomItem());
    if (!item ||
        item->Construct(Graphics::Dimension{itemWidth, kMethodItemHeight}, LIST_ANNEX_STYLE_RADIO) != E_SUCCESS)
        return nullptr;
    item->AddElement(Graphics::Rectangle{10, 0, itemWidth - 60, kMethodItemHeight}, kElementIdBase + itemIndex,
                     method->GetDisplayName(), 36, kBlack, kBlack, kBlack);
    return item.release();
}

bool IapClientScenePurchasePrivate::DeleteGroupItem(int, GroupItem* groupItem, int) {
    delete groupItem;
    return true;
}

bool IapClientScenePurchasePrivate::DeleteItem(int, int, ListItemBase* item, int) {
    delete item;
    return true;
}

void IapClientScenePurchasePrivate::OnGroupedListViewContextItemStateChanged(GroupedListView&, int, int, int,
                                                                             ListContextItemStatus) {}

void IapClientScenePurchasePrivate::OnGroupedListViewItemSwept(GroupedListView&, int, int, SweepDirection) {}

void IapClientScenePurchasePrivate::OnGroupedListViewItemStateChanged(GroupedListView& listView, int groupIndex,
                                                                      int itemIndex, int, ListItemStatus) {
    const bool checked = listView.IsItemChecked(groupIndex, itemIndex);
    if (Footer* footer = scene_->GetFooter()) {
        footer->SetItemEnabled(0, checked);
        RepaintFooter();
    }
    if (groupIndex != 0) return;
    const int count = listView.GetItemCountAt(0);
    for (int i = 0; i < count; ++i) {
        if (i == itemIndex) {
            selectedIndex_ = checked ? i : -1;
            UpdateItemInfo(checked ? i : 0);
        } else {
            listView.SetItemChecked(0, i, false);
        }
    }
    listView.Invalidate();
}

bool IapClientScenePurchasePrivate::IsPurchaseEnabled() const {
    Footer* footer = scene_->GetFooter();
    return footer && footer->GetItemCount() > 0 && footer->IsItemEnabled(0);
}

void IapClientScenePurchasePrivate::RepaintFooter() {
    if (Footer* footer = scene_->GetFooter()) footer->Invalidate();
}

void IapClientScenePurchasePrivate::UpdateItemInfo(int index) {
    String name(kUndefined);
    String price(kUndefined);
    if (IapClientPaymentMethod* method = GetPaymentMethod(index)) {
        name = method->GetPaymentMethodInfo().GetItemName();
        price = method->GetPaymentMethodInfo().GetItemPriceFormatted(true);
    }
    if (nameLabel_) {
        nameLabel_->SetText(name);
        nameLabel_->Invalidate();
    }
    if (priceLabel_) {
        priceLabel_->SetText(price);
        priceLabel_->Invalidate();
    }
}

// ---- buttons -------------------------------------------------------------------------

void IapClientScenePurchasePrivate::OnActionPerformed(const Ui::Control&, int actionId) {
    switch (actionId) {
    case kActionPurchase:
        RequestPurchase(selectedIndex_);
        break;
    case LoginConfirmPopup::kOkActionId:
        if (state_ == State::ConfirmingPassword) ConfirmPassword();
        break;
    case LoginConfirmPopup::kCancelActionId:
        HidePasswordPopup();
        passwordPopup_.ClearPassword();
        state_ = State::Ending;
        Terminate(IapLib::STATUS_CANCELED);
        break;
    case kActionTestIssueTicket: {
        IapPurchaseTicket ticket;
        ticket.SetItemId(client_->item.GetItemId());
        ticket.SetPurchaseId(L"test-purchase");
        client_->OnPurchaseItemInitialized(client_->transactionId, IapLib::STATUS_SUCCESS, ticket);
        break;
    }
    case kActionTestQuestion: {
        // A modal question as a payment screen asks one: requests, foreground
        // changes and termination arrive meanwhile.
        const int answer = DlgEngine::DlgShowQuestionPopup(L"Go on with the test purchase?");
        if (!testQuestionAnswer_) break;
        testQuestionAnswer_->SetText(String(std::to_wstring(answer)));
        testQuestionAnswer_->SetShowState(true);
        testQuestionAnswer_->Invalidate();
        break;
    }
    default:
        break;
    }
}

void IapClientScenePurchasePrivate::RequestPurchase(int index) {
    IapClientPaymentMethod* method = GetPaymentMethod(index);
    if (!method || state_ != State::Choosing) return;
    if (method->IsAwaitingResume()) {
        // The caller already holds this purchase's ticket. Once it has
        // resumed (the user cancelled the security code), Purchase asks again
        // for that same purchase; before the resume there is nothing to do.
        if (!callerResumed_) return;
        ShowWaiting();
        state_ = State::Purchasing;
        if (method->PurchaseItemFinish() != E_SUCCESS) BackToChoosing();
        return;
    }
    // A purchase still under way keeps its purchase id and its caller.
    if (!method->IsIdle()) return;
    ShowWaiting();
    state_ = State::Purchasing;
    callerResumed_ = false;
    if (method->RequestPurchase(client_->transactionId, client_->item.GetItemId(), userId_) == E_SUCCESS) return;
    HideWaiting();
    state_ = State::Choosing;
    ShowTimedErrorMessage(IapResourceManager::GetStringFromID(L"IDS_ZUMEA_BODY_ERROR_SENDING_PURCHASE_REQUEST"));
}

// ---- the purchase under way -------------------------------------------------------------

void IapClientScenePurchasePrivate::EasyBuyPurchaseItemFinish() {
    callerResumed_ = true;
    IapClientPaymentMethod* method = GetPaymentMethod(selectedIndex_);
    // A resume repeated while the method asks the user (the security code):
    // the waiting popup must not cover that question; its answer charges as
    // usual and answers this caller.
    if (method && method->IsAwaitingCharge()) return;
    ShowScene(false);
    ShowWaiting();
    if (method && (state_ == State::Purchasing || state_ == State::Choosing)) {
        if (method->PurchaseItemFinish() == E_SUCCESS) {
            state_ = State::Purchasing;
            return;
        }
        // Still busy with the store (a resume repeated during the charge):
        // the outcome will come, keep waiting for it.
        if (!method->IsIdle() && !method->IsAwaitingResume()) return;
    }
    // Nothing to finish: the user may choose and press Purchase, whose
    // ticket answers the caller that resumed.
    const bool replyOutstanding = state_ == State::SigningIn || state_ == State::FetchingToken ||
                                  state_ == State::CheckingPassword || state_ == State::FetchingMethods;
    ShowScene(true);
    if (!replyOutstanding) BackToChoosing();
}

void IapClientScenePurchasePrivate::ShowScene(bool show) {
    // Only while this scene is on screen: the registration form must not be
    // covered by (or lose) the purchase form that waits behind it.
    Ui::Scenes::SceneManager* scenes = Ui::Scenes::SceneManager::GetInstance();
    if (scenes && scenes->GetCurrentSceneId() != String(IapClientScenes::kScenePurchase)) return;
    scene_->SetShowState(show);
    scene_->Invalidate(true);
}

void IapClientScenePurchasePrivate::BackToChoosing() {
    HideWaiting();
    ShowScene(true);
    if (state_ == State::Purchasing) state_ = State::Choosing;
}

void IapClientScenePurchasePrivate::OnPaymentMethodWaitsForUser(IapClientPaymentMethod&) { BackToChoosing(); }

void IapClientScenePurchasePrivate::OnSceneActivated(const Ui::Scenes::SceneId& previousSceneId) {
    if (previousSceneId == String(IapClientScenes::kSceneCreditCardRegister)) BackToChoosing();
}

// ---- self-update -------------------------------------------------------------------------

void IapClientScenePurchasePrivate::OnCheckAppUpgradeReceived(int, const String& url, IapLib::StatusCode) {
    if (!url.IsEmpty() && updater_ && updater_->Update(url) == E_SUCCESS) return;
    if (StartAccessToken() != E_SUCCESS) FailAccount(OblinAccountResult::RESULT_SUCCESS, String());
}

void IapClientScenePurchasePrivate::OnUpdateCompleted(AppUpdater::UpdateResult updateResult) {
    if (updateResult == AppUpdater::UPDATE_SUCCESS) Terminate(IapLib::STATUS_CANCELED);
    if (!methodsArrived_ && client_ && !client_->IsRequestPending()) RequestPaymentMethods();
}

// ---- the screen --------------------------------------------------------------------------

result IapClientScenePurchasePrivate::Create() {
    if (contentPanel_) return E_SUCCESS;
    if (Header* header = scene_->GetHeader()) header->SetTitleText(L"PAYMENT");
    Graphics::Rectangle area = scene_->GetClientAreaBounds();
    if (area.width <= 0) area.width = Frame::SCREEN_WIDTH;
    if (area.height <= 0) area.height = Frame::SCREEN_HEIGHT;
    std::unique_ptr<Panel> content(AddPanel(nullptr, Graphics::Rectangle{0, 0, area.width, area.height}));
    if (!content) return E_OUT_OF_MEMORY;
    content->SetName(L"purchaseContent");
    content->SetBackgroundColor(kHeaderColor);
    result r = scene_->AddControl(content.get(), 0, 0, 1, 1);
    if (r != E_SUCCESS) return r;
    contentPanel_ = content.release();
    if ((r = CreateDetailHeader()) != E_SUCCESS) return r;
    if ((r = CreateFooter()) != E_SUCCESS) return r;
    return CreateListView();
}

result IapClientScenePurchasePrivate::CreateDetailHeader() {
    Panel* header = AddPanel(contentPanel_, Graphics::Rectangle{0, 0, 720, kHeaderHeight});
    if (!header) return E_OUT_OF_MEMORY;
    header->SetBackgroundColor(kHeaderColor);
    const int cardWidth = 676;
    Panel* card = AddPanel(header, Graphics::Rectangle{22, 19, cardWidth, 194});
    if (!card) return E_OUT_OF_MEMORY;
    Label* background = AddLabel(*card, Graphics::Rectangle{0, 0, cardWidth, 194}, String(), L"itemCard");
    if (!background) return E_OUT_OF_MEMORY;
    Load9PBitmapToLabel(*background, L"R09_purchase_bg_9.png");
    Label* icon = AddLabel(*card, Graphics::Rectangle{34, 54, 86, 86}, String(), L"itemIcon");
    if (!icon) return E_OUT_OF_MEMORY;
    if (std::unique_ptr<Graphics::Bitmap> bitmap(IapResourceManager::GetBitmapN(L"R09_app_icon_smart.png")); bitmap)
        icon->SetBackgroundBitmap(*bitmap);

    const int textWidth = cardWidth - 170;
    nameLabel_ = AddLabel(*card, Graphics::Rectangle{136, 42, textWidth, 42}, String(kUnavailable), L"itemName");
    if (!nameLabel_) return E_OUT_OF_MEMORY;
    nameLabel_->SetTextConfig(36, LABEL_TEXT_STYLE_NORMAL);
    nameLabel_->SetTextColor(kDarkText);
    nameLabel_->SetTextHorizontalAlignment(ALIGNMENT_LEFT);
    nameLabel_->SetTextVerticalAlignment(ALIGNMENT_MIDDLE);
    nameLabel_->SetMargin(0, 0);

    Label* second = AddLabel(*card, Graphics::Rectangle{136, 84, textWidth, 34}, String(), L"itemLine2");
    if (!second) return E_OUT_OF_MEMORY;
    second->SetTextConfig(24, LABEL_TEXT_STYLE_NORMAL);
    second->SetTextColor(kGreyText);
    second->SetTextHorizontalAlignment(ALIGNMENT_LEFT);
    second->SetMargin(0, 0);
    Label* third = AddLabel(*card, Graphics::Rectangle{136, 118, 300, 34}, String(), L"itemLine3");
    if (!third) return E_OUT_OF_MEMORY;

    priceLabel_ =
        AddLabel(*card, Graphics::Rectangle{436, 118, textWidth - 300, 34}, String(kUnavailable), L"itemPrice");
    if (!priceLabel_) return E_OUT_OF_MEMORY;
    priceLabel_->SetTextConfig(32, LABEL_TEXT_STYLE_NORMAL);
    priceLabel_->SetTextColor(kDarkText);
    priceLabel_->SetTextHorizontalAlignment(ALIGNMENT_RIGHT);
    priceLabel_->SetTextVerticalAlignment(ALIGNMENT_MIDDLE);
    return E_SUCCESS;
}

result IapClientScenePurchasePrivate::CreateFooter() {
    Footer* footer = scene_->GetFooter();
    if (!footer) return E_INVALID_STATE;
    FooterItem item;
    result r = item.Construct(kActionPurchase);
    if (r == E_SUCCESS) r = item.SetText(L"Purchase");
    if (r == E_SUCCESS) r = footer->AddItem(item);
    if (r != E_SUCCESS) return r;
    footer->AddActionEventListener(*this);
    footer->SetItemEnabled(0, false);
    RepaintFooter();
    return E_SUCCESS;
}

result IapClientScenePurchasePrivate::CreateListView() {
    const Graphics::Rectangle area = contentPanel_->GetBounds();
    const bool hooks = TestHooksWanted();
    // The test seam's buttons take a strip under the list.
    const int hooksHeight = hooks ? 200 : 0;
    const int height = area.height > kHeaderHeight + hooksHeight ? area.height - kHeaderHeight - hooksHeight : 0;
    std::unique_ptr<GroupedListView> view(new (std::nothrow) GroupedListView());
    if (!view) return E_OUT_OF_MEMORY;
    result r = view->Construct(Graphics::Rectangle{0, kHeaderHeight, area.width, height},
                               GROUPED_LIST_VIEW_STYLE_SECTION, true, false);
    if (r != E_SUCCESS) return r;
    view->SetName(L"methods");
    view->SetBackgroundColor(kHeaderColor);
    if ((r = contentPanel_->AddControl(view.get())) != E_SUCCESS) return r;
    listView_ = view.release();
    listView_->AddGroupedListViewItemEventListener(*this);
    if ((r = listView_->SetItemProvider(*this)) != E_SUCCESS) return r;
    return hooks ? AddTestHooks(kHeaderHeight + height) : E_SUCCESS;
}

result IapClientScenePurchasePrivate::AddTestHooks(int y) {
    struct Hook {
        const wchar_t* name;
        int actionId;
        int x;
        int row;
    };
    for (const Hook& hook :
         {Hook{L"testIssueTicket", kActionTestIssueTicket, 10, 0}, Hook{L"testQuestion", kActionTestQuestion, 10, 1}}) {
        std::unique_ptr<Button> button(new (std::nothrow) Button());
        if (!button) return E_OUT_OF_MEMORY;
        result r = button->Construct(Graphics::Rectangle{hook.x, y + 10 + hook.row * 95, 340, 80}, String(hook.name));
        if (r == E_SUCCESS) r = contentPanel_->AddControl(button.get());
        if (r != E_SUCCESS) return r;
        button->SetName(hook.name);
        button->SetActionId(hook.actionId);
        button->AddActionEventListener(*this);
        button.release();
    }
    testQuestionAnswer_ =
        AddLabel(*contentPanel_, Graphics::Rectangle{360, y + 105, 340, 80}, String(), L"testQuestionAnswer");
    if (!testQuestionAnswer_) return E_OUT_OF_MEMORY;
    testQuestionAnswer_->SetShowState(false);
    return E_SUCCESS;
}

// ---- seams -------------------------------------------------------------------------------

bool IapClientScenePurchasePrivate::IsSignedIn() const { return account_ && account_->CheckSignInStatus(); }

result IapClientScenePurchasePrivate::StartSignIn() { return account_ ? account_->RequestSignIn() : E_FAILURE; }

result IapClientScenePurchasePrivate::StartAccessToken() {
    return account_ ? account_->RequestAccessToken() : E_FAILURE;
}

String IapClientScenePurchasePrivate::GetAccountError() const { return account_ ? account_->GetLastError() : String(); }

void IapClientScenePurchasePrivate::ShowErrorBox(const String& text) {
    MessageBox box;
    if (box.Construct(String(L"Error"), text, MSGBOX_STYLE_OK, kErrorBoxTimeoutMs) != E_SUCCESS) return;
    int modalResult = 0;
    box.ShowAndWait(modalResult);
    box.SetShowState(false);
}

void IapClientScenePurchasePrivate::ShowTimedErrorMessage(const String& text) { DlgEngine::DlgShowTimedErrorMsg(text); }

void IapClientScenePurchasePrivate::Terminate(IapLib::StatusCode status) { IapForm::SendTerminate(status); }

void IapClientScenePurchasePrivate::ShowPasswordPopup() { passwordPopup_.PopupShow(); }

void IapClientScenePurchasePrivate::HidePasswordPopup() { passwordPopup_.PopupHide(); }

void IapClientScenePurchasePrivate::ShowWaiting() {
    if (waitingPopup_) waitingPopup_->PopupShow();
}

void IapClientScenePurchasePrivate::HideWaiting() {
    if (waitingPopup_) waitingPopup_->PopupHide();
}
