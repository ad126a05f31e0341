#include "client/payment/IapClientPaymentCreditCard.h"

#include <new>

#include "client/IapClientScenes.h"
#include "client/payment/IapClientPaymentMethodPrivate.h"
#include "client/ui/CvcPopup.h"
#include "client/ui/DlgEngine.h"
#include "lib/device/IapSystemInfo.h"
#include "lib/protocol/IapCommonHttpReply.h"
#include "lib/records/IapHashMapUtils.h"
#include "platform/base/ArrayList.h"
#include "platform/ui/scenes/SceneManager.h"

using namespace Vx;
using namespace Vx::Base;
using namespace Vx::Base::Collection;
using namespace IapCommonHttp;
namespace Scenes = Vx::Ui::Scenes;

namespace {

String ValueOf(const IMap* record, const wchar_t* key) {
    String value;
    IapHashMapUtils::GetStringValue(record, String(key), value);
    return value;
}

bool AddAll(Params& params, std::initializer_list<std::pair<const wchar_t*, String>> entries) {
    for (const auto& [name, value] : entries) {
        if (params.Add(String(name), value) != E_SUCCESS) return false;
    }
    return true;
}

}  // namespace

IapClientPaymentCreditCard::IapClientPaymentCreditCard() = default;

IapClientPaymentCreditCard::~IapClientPaymentCreditCard() { delete cvcPopup_; }

result IapClientPaymentCreditCard::Construct(const IapClientPaymentMethodInfo& info, const IapItemInformation& item) {
    result r = IapClientPaymentMethod::Construct(info, item);
    if (r != E_SUCCESS) return r;
    cvcPopup_ = new (std::nothrow) CvcPopup();
    if (!cvcPopup_) return E_FAILURE;
    return cvcPopup_->Construct(this);
}

String IapClientPaymentCreditCard::GetDisplayName() const { return Text(L"IDS_ZUMEA_BODY_CREDIT_CARD"); }

bool IapClientPaymentCreditCard::IsCVCNeeded() { return IapSystemInfo::GetInstance().mcc == String(kCvcMarketMcc); }

void IapClientPaymentCreditCard::OnPurchaseIdReceived() {
    if (IsCVCNeeded()) {
        NotifyWaitsForUser();
        ShowCvcPopup();
    } else {
        SendPurchaseRequest();
    }
}

void IapClientPaymentCreditCard::OnActionPerformed(const Ui::Control&, int actionId) {
    // The code belongs to a resumed purchase whose charge has not gone out: a
    // second tap on Done or Cancel after that is dropped, so it neither shows
    // the popup again nor takes the waiting popup off a charge in flight.
    if (!IsAwaitingCharge()) return;
    if (actionId == CvcPopup::kDoneActionId) {
        HideCvcPopup();
        SendPurchaseRequest();
    } else if (actionId == CvcPopup::kCancelActionId) {
        HideCvcPopup();
        ClearEnteredCvc();
        ChargeCancelled();
        NotifyWaitsForUser();
    }
}

void IapClientPaymentCreditCard::SendPurchaseRequest() {
    // Already sent for this purchase id, or not resumed: nothing to ask or send.
    if (!IsAwaitingCharge()) return;
    const bool cvcNeeded = IsCVCNeeded() && cvcPopup_;
    const String cvc = cvcNeeded ? GetEnteredCvc() : String();
    // The CVC market's store refuses a charge without the code; ask again instead.
    if (cvcNeeded && cvc.IsEmpty()) {
        NotifyWaitsForUser();
        ShowCvcPopup();
        return;
    }
    if (!BeginCharge()) return;
    const IapSystemInfo& system = IapSystemInfo::GetInstance();
    const IapItemInformation& item = GetItemInformation();
    Params params;
    int sent = -1;
    if (params.Construct(7) == E_SUCCESS && AddAll(params, {{L"itemID", item.GetItemId()},
                                                            {L"itemGroupID", item.GetItemGroupId()},
                                                            {L"duid", system.deviceId},
                                                            {L"userID", GetUserID()},
                                                            {L"mode", system.mode},
                                                            {L"transID", GetTransactionId()}})) {
        if (!cvcNeeded || params.Add(String(L"cvc"), cvc) == E_SUCCESS) {
            sent = SendPaymentMethodRequest(FUNCTION_EASYBUY_PURCHASE_ITEM, params);
        }
    }
    if (cvcNeeded) ClearEnteredCvc();
    if (sent == -1) {
        // Nothing left the device: the user may press Purchase again.
        ChargeRefused();
        NotifyWaitsForUser();
        ShowTimedErrorMessage(Text(L"IDS_ZUMEA_POP_PURCHASE_FAILED_TRY_LATER"));
    }
}

void IapClientPaymentCreditCard::SendRegisterCreditCardRequest(const String& cardType, const String& cardNumber,
                                                               const String& expirationYear,
                                                               const String& expirationMonth, const String& cvc) {
    // A second tap on Register while the first request is with the store is
    // dropped; that request's answer is handled as usual.
    if (registrationState_ == RegistrationState::Sent) return;
    Params params;
    int sent = -1;
    if (params.Construct(7) == E_SUCCESS && AddAll(params, {{L"cardType", cardType},
                                                            {L"cardNum", cardNumber},
                                                            {L"expirationYear", expirationYear},
                                                            {L"expirationMonth", expirationMonth},
                                                            {L"cvc", cvc},
                                                            {L"userID", GetUserID()},
                                                            {L"authNID", String(L" ")},
                                                            {L"authPIN", String(L" ")}})) {
        sent = SendPaymentMethodRequest(FUNCTION_REGISTER_CREDIT_CARD_FOR_IAP, params);
    }
    if (sent == -1) {
        NotifyWaitsForUser();
        ShowTimedErrorMessage(String(L"Error sending register request "));
        return;
    }
    registrationState_ = RegistrationState::Sent;
}

void IapClientPaymentCreditCard::OnProcessResponse(const IapCommonHttpReply& reply) {
    if (reply.functionId == FUNCTION_REGISTER_CREDIT_CARD_FOR_IAP) {
        if (reply.errorCode != ERROR_NONE) {
            OnError(reply);
            return;
        }
        registrationState_ = RegistrationState::None;
        ShowTimedMessage(Text(L"IDS_ZUMEA_POP_YOUR_CREDIT_CARD_INFORMATION_HAS_BEEN_SUCCESSFULLY_UPDATED"));
        GoBackToPurchase();
    } else if (reply.functionId == FUNCTION_SEARCH_CARD) {
        cardCompanies_.clear();
        cardCompanies_.reserve(static_cast<std::size_t>(reply.records.GetCount()));
        for (int i = 0; i < reply.records.GetCount(); ++i) {
            const auto* record = dynamic_cast<const IMap*>(reply.records.GetAt(i));
            cardCompanies_.push_back({ValueOf(record, L"cardCompany"), ValueOf(record, L"cardCompanyCode")});
        }
        NotifyWaitsForUser();
        // Without the registration screen the user would be back on the
        // purchase screen with no word of why nothing was bought.
        if (GoToRegistration() != E_SUCCESS) {
            ShowTimedErrorMessage(Text(L"IDS_ZUMEA_POP_CREDIT_CARD_INFORMATION_NOT_REGISTERED"));
        }
    }
}

void IapClientPaymentCreditCard::OnError(const IapCommonHttpReply& reply) {
    const int raw = reply.rawErrorCode;
    if (reply.functionId == FUNCTION_REGISTER_CREDIT_CARD_FOR_IAP) {
        // Refused by the store or lost on the way: either way the card is not
        // registered, the user stays on the screen and may tap Register again.
        registrationState_ = RegistrationState::None;
        NotifyWaitsForUser();
        ShowTimedErrorMessage(Text(L"IDS_ZUMEA_POP_CREDIT_CARD_INFORMATION_NOT_REGISTERED"));
        return;
    }
    if (reply.functionId == FUNCTION_EASYBUY_PURCHASE_ITEM && (raw == 9204 || raw == 9205 || raw == 9210)) {
        // The charge found no usable card: nothing was charged, and the
        // purchase id stays unspent. (A check never makes a charge refusable.)
        ChargeRefused();
        if (SendPaymentMethodRequest(FUNCTION_SEARCH_CARD, Params()) == -1) {
            NotifyWaitsForUser();
            String text = Text(L"IDS_ZUMEA_POP_NO_VALID_PAYMENT_METHODS");
            text.Append(String(L"-1"));
            ShowTimedErrorMessage(text);
        }
        return;
    }
    IapClientPaymentMethod::OnError(reply);
}

void IapClientPaymentCreditCard::ShowCvcPopup() {
    if (cvcPopup_) cvcPopup_->PopupShow();
}

void IapClientPaymentCreditCard::HideCvcPopup() {
    if (cvcPopup_) cvcPopup_->PopupHide();
}

String IapClientPaymentCreditCard::GetEnteredCvc() const { return cvcPopup_ ? cvcPopup_->GetCVC() : String(); }

void IapClientPaymentCreditCard::ClearEnteredCvc() {
    if (cvcPopup_) cvcPopup_->ClearCVC();
}

void IapClientPaymentCreditCard::ShowTimedMessage(const String& text) { DlgEngine::DlgShowTimedMsg(text); }

result IapClientPaymentCreditCard::GoToRegistration() {
    Scenes::SceneManager* scenes = Scenes::SceneManager::GetInstance();
    if (!scenes) return E_INVALID_STATE;
    auto* args = new (std::nothrow) ArrayList(ElementOwnership::NotOwned);
    if (!args || args->Construct(1) != E_SUCCESS || args->Add(this) != E_SUCCESS) {
        delete args;
        return E_OUT_OF_MEMORY;
    }
    return scenes->GoForward(Scenes::ForwardSceneTransition(IapClientScenes::kSceneCreditCardRegister), args);
}

result IapClientPaymentCreditCard::GoBackToPurchase() {
    Scenes::SceneManager* scenes = Scenes::SceneManager::GetInstance();
    if (!scenes) return E_INVALID_STATE;
    // The user may have left the registration screen before its answer came:
    // a move back from whatever screen is current then would land elsewhere.
    if (scenes->GetCurrentSceneId() != String(IapClientScenes::kSceneCreditCardRegister)) return E_INVALID_STATE;
    return scenes->GoBackward(Scenes::BackwardSceneTransition(Scenes::SCENE_TRANSITION_ANIMATION_TYPE_FADE_IN_OUT,
                                                              Scenes::SCENE_DESTROY_OPTION_DESTROY));
}
