#include "client/payment/IapClientPaymentMethod.h"

#include <cstdlib>
#include <new>

#include "client/IapClientFrame.h"
#include "client/IapClientPrivate.h"
#include "client/IapResourceManager.h"
#include "client/payment/IapClientPaymentCreditCard.h"
#include "client/payment/IapClientPaymentMethodListener.h"
#include "client/payment/IapClientPaymentMethodPrivate.h"
#include "client/ui/DlgEngine.h"
#include "lib/device/IapSystemInfo.h"
#include "lib/protocol/IapCommonHttpReply.h"
#include "lib/records/IapHashMapUtils.h"
#include "lib/records/IapPurchaseTicket.h"
#include "lib/records/IapPurchasedItemInformation.h"
#include "platform/base/Number.h"

using namespace Vx;
using namespace Vx::Base;
using namespace Vx::Base::Collection;
using namespace IapCommonHttp;
using State = IapClientPaymentMethodPrivate::State;

namespace {

const wchar_t* const kPurchaseFailed = L"IDS_ZUMEA_POP_PURCHASE_FAILED_TRY_LATER";

const String& EmptyString() {
    static const String empty;
    return empty;
}

const IMap* FirstRecord(const IapCommonHttpReply& reply) {
    return reply.records.GetCount() > 0 ? dynamic_cast<const IMap*>(reply.records.GetAt(0)) : nullptr;
}

// The value, or empty when the key is missing.
String ValueOf(const IMap* record, const wchar_t* key) {
    String value;
    IapHashMapUtils::GetStringValue(record, String(key), value);
    return value;
}

// The functions whose transport failure leaves a charge's outcome unknown.
bool IsChargeFunction(FunctionId function) {
    switch (function) {
    case FUNCTION_EASYBUY_PURCHASE_ITEM:
    case FUNCTION_APP_ITEM_PURCHASE_CYBER_CASH:
    case FUNCTION_APP_ITEM_PURCHASE_PREPAID:
    case FUNCTION_MICRO_PURCHASE_ITEM:
    case FUNCTION_CHECK_PURCHASED_ITEM:
        return true;
    default:
        return false;
    }
}

// A price as the store writes it, read the way strtod reads it (at most 127 bytes).
double ReadPrice(const String& text) {
    std::string narrow = text.ToUtf8();
    if (narrow.size() > 127) narrow.resize(127);
    return std::strtod(narrow.c_str(), nullptr);
}

}  // namespace

IapClientPaymentMethod::IapClientPaymentMethod() = default;

IapClientPaymentMethod::~IapClientPaymentMethod() { delete d_; }

result IapClientPaymentMethod::Construct(const IapClientPaymentMethodInfo& info, const IapItemInformation& item) {
    if (d_) return E_INVALID_STATE;
    d_ = new (std::nothrow) IapClientPaymentMethodPrivate(this);
    if (!d_) return E_OUT_OF_MEMORY;
    d_->info = info;
    d_->item = item;
    return E_SUCCESS;
}

IapClientPaymentMethod* IapClientPaymentMethod::PaymentMethod(const IapClientPaymentMethodInfo& info,
                                                              const IapItemInformation& item,
                                                              IapClientPrivate* facade) {
    if (!facade) return nullptr;
    IapClientPaymentMethod* method = nullptr;
    const String code = info.GetPaymentMethod();
    if (code == String(L"CreditCard")) {
        method = new (std::nothrow) IapClientPaymentCreditCard();
    }
    // "PSMS" is offered by the store too, but this client has no premium-SMS
    // method yet: like any code it cannot pay with, it gives no method.
    if (!method) return nullptr;
    if (method->Construct(info, item) != E_SUCCESS) {
        delete method;
        return nullptr;
    }
    method->AttachFacade(facade);
    return method;
}

void IapClientPaymentMethod::AttachFacade(IapClientPrivate* facade) {
    if (!d_) return;
    d_->facade = facade;
    d_->paymentTypeId = d_->info.GetPaymentTypeId();
}

result IapClientPaymentMethod::RequestPurchase(int transactionId, const String& itemId, const String& userId) {
    if (!d_ || !d_->facade) return E_FAILURE;
    if (d_->state != State::Idle) return E_INVALID_STATE;
    purchasingUserId_ = userId;
    d_->checkCounter = 0;
    result r = d_->facade->RequestPurchaseId(transactionId, itemId, d_);
    if (r == E_SUCCESS) d_->state = State::PurchaseIdRequested;
    return r;
}

result IapClientPaymentMethod::PurchaseItemFinish() {
    if (!d_ || d_->state != State::AwaitingResume) return E_INVALID_STATE;
    d_->state = State::Resumed;
    OnPurchaseIdReceived();
    return E_SUCCESS;
}

int IapClientPaymentMethod::SendPaymentMethodRequest(FunctionId function, const Params& params) {
    if (!d_ || !d_->facade) return -1;
    return d_->facade->RequestPaymentMethodFunction(function, params, d_);
}

bool IapClientPaymentMethod::BeginCharge() {
    if (!d_ || d_->state != State::Resumed) return false;
    d_->state = State::Charging;
    return true;
}

void IapClientPaymentMethod::ChargeRefused() {
    if (d_) d_->state = State::Idle;
}

void IapClientPaymentMethod::ChargeCancelled() {
    if (d_ && d_->state == State::Resumed) d_->state = State::AwaitingResume;
}

void IapClientPaymentMethod::SendCheckPurchasedItemRequest() {
    if (!d_ || d_->state == State::Finished) return;
    if (d_->checkCounter >= kMaxChecks) {
        // Whether the card was charged is unknown: the caller must look at the
        // purchased list, so this is a network failure, never a cancellation,
        // and the charge is not sent again.
        NotifyWaitsForUser();
        ShowTimedErrorMessage(Text(kPurchaseFailed));
        d_->state = State::Finished;
        SendTerminate(IapLib::STATUS_NETWORK_FAILURE);
        return;
    }
    d_->state = State::Checking;
    const IapSystemInfo& system = IapSystemInfo::GetInstance();
    Params params;
    int sent = -1;
    if (params.Construct(4) == E_SUCCESS && params.Add(L"itemID", d_->item.GetItemId()) == E_SUCCESS &&
        params.Add(L"duid", system.deviceId) == E_SUCCESS && params.Add(L"transID", d_->transactionId) == E_SUCCESS &&
        params.Add(L"mode", system.mode) == E_SUCCESS) {
        sent = SendPaymentMethodRequest(FUNCTION_CHECK_PURCHASED_ITEM, params);
    }
    if (sent != -1) {
        ++d_->checkCounter;
        return;
    }
    NotifyWaitsForUser();
    ShowTimedErrorMessage(Text(kPurchaseFailed));
    d_->state = State::Finished;
    SendTerminate(IapLib::STATUS_NETWORK_FAILURE);
}

void IapClientPaymentMethod::RouteReply(const IapCommonHttpReply& reply) {
    if (!d_) return;
    if (reply.errorCode != ERROR_NONE) {
        OnError(reply);
        return;
    }
    switch (reply.functionId) {
    case FUNCTION_GET_PURCHASE_ID:
        ProcessPurchaseIdReceived(reply);
        break;
    case FUNCTION_EASYBUY_PURCHASE_ITEM:
        ProcessPurchaseCompleted(reply);
        break;
    case FUNCTION_CHECK_PURCHASED_ITEM:
        d_->checkCounter = 0;
        ProcessPurchaseCompleted(reply);
        break;
    default:
        OnProcessResponse(reply);
        break;
    }
}

void IapClientPaymentMethod::ProcessPurchaseIdReceived(const IapCommonHttpReply& reply) {
    if (!d_ || !d_->facade) return;
    if (reply.errorCode != ERROR_NONE) {
        OnError(reply);
        return;
    }
    const IMap* record = FirstRecord(reply);
    const String purchaseId = ValueOf(record, L"purchaseID");
    if (purchaseId.IsEmpty()) {
        // A ticket without a purchase id could never be charged or verified.
        d_->state = State::Idle;
        NotifyWaitsForUser();
        ShowTimedErrorMessage(Text(kPurchaseFailed));
        return;
    }
    d_->transactionId = purchaseId;
    d_->verificationUrl = ValueOf(record, L"verifyUrl");
    IapPurchaseTicket ticket;
    ticket.SetParam1(ValueOf(record, L"param1"));
    ticket.SetParam2(ValueOf(record, L"param2"));
    ticket.SetParam3(ValueOf(record, L"param3"));
    ticket.SetPurchaseId(d_->transactionId);
    ticket.SetVerifyUrl(d_->verificationUrl);
    ticket.SetItemId(d_->item.GetItemId());
    d_->state = State::AwaitingResume;
    d_->facade->OnPurchaseItemInitialized(reply.transactionId, StatusToIapLibStatus(reply.errorCode), ticket);
}

void IapClientPaymentMethod::ProcessPurchaseCompleted(const IapCommonHttpReply& reply) {
    if (!d_ || !d_->facade) return;
    const IMap* record = FirstRecord(reply);
    IapPurchasedItemInformation bought(d_->item);
    bought.SetPaymentId(ValueOf(record, L"paymentID"));
    DateTime date;
    if (IapHashMapUtils::GetDateTimeValue(record, String(L"purchaseDate"), date) == E_SUCCESS) {
        bought.SetPurchaseDate(date);
    }
    if (reply.functionId == FUNCTION_EASYBUY_PURCHASE_ITEM) {
        auto present = [&](const wchar_t* key, String& value) {
            value = ValueOf(record, key);
            return !value.IsEmpty();
        };
        String value;
        if (present(L"itemID", value)) bought.SetItemId(value);
        if (present(L"itemGroupID", value)) bought.SetItemGroupId(value);
        if (present(L"itemName", value)) bought.SetItemName(value);
        if (present(L"currencyUnit", value)) bought.SetCurrencyUnit(value);
        if (present(L"currencyUnitPrecedes", value)) bought.SetCurrencyUnitPrecedes(value != String(L"0"));
        if (present(L"currencyUnitHasPenny", value)) bought.SetCurrencyUnitHasPenny(value != String(L"0"));
        if (present(L"itemPrice", value)) bought.SetItemPrice(ReadPrice(value));
        if (present(L"itemDownloadUrl", value)) bought.SetItemDownloadUrl(value);
        if (present(L"itemImageUrl", value)) bought.SetItemImageUrl(value);
        if (present(L"itemDesc", value)) bought.SetItemDescription(value);
        if (present(L"reserved1", value)) bought.SetReserved1(value);
        if (present(L"reserved2", value)) bought.SetReserved2(value);
    }
    d_->state = State::Finished;
    d_->facade->OnPurchaseItemFinished(reply.transactionId, StatusToIapLibStatus(reply.errorCode), bought);
}

void IapClientPaymentMethod::OnError(const IapCommonHttpReply& reply) {
    if (!d_) return;
    switch (static_cast<int>(reply.errorCode)) {
    case ERROR_TRANSACTION_ABORTED:
    case ERROR_HTTP_STATUS:
        if (IsChargeFunction(reply.functionId)) {
            SendCheckPurchasedItemRequest();
            return;
        }
        // No purchase id (or card companies, ...) came back, so nothing can
        // have been charged: say so and let the user try again rather than
        // wait behind the waiting popup for nothing.
        if (reply.functionId == FUNCTION_GET_PURCHASE_ID) d_->state = State::Idle;
        NotifyWaitsForUser();
        ShowTimedErrorMessage(Text(kPurchaseFailed));
        return;
    case 9219:
        SendCheckPurchasedItemRequest();
        return;
    default:
        break;
    }
    NotifyWaitsForUser();
    switch (static_cast<int>(reply.errorCode)) {
    case 3013:
        ShowTimedErrorMessage(
            Text(L"IDS_ZUMEA_BODY_THIS_EMAIL_ADDRESS_CANNOT_BE_USED_IN_THIS_COUNTRY_VEXMORA_APPS_LAUNCH_ERROR_MSG"));
        break;
    case 9211:
    case 9212:
        ShowTimedErrorMessage(Text(L"IDS_ZUMEA_HEADER_INVALID_EMAIL_OR_PASSWORD"));
        break;
    default: {
        String text = Text(kPurchaseFailed);
        text.Append(Integer::ToString(reply.rawErrorCode));
        ShowTimedErrorMessage(text);
        break;
    }
    }
    if (d_->state == State::Checking) {
        // A check the store refused leaves the charge's outcome as unknown as before.
        d_->state = State::Finished;
        SendTerminate(IapLib::STATUS_NETWORK_FAILURE);
    } else if (d_->state != State::Finished && d_->state != State::AwaitingResume) {
        // The store answered and refused: nothing was charged, so the user may try again.
        d_->state = State::Idle;
    }
}

void IapClientPaymentMethod::NotifyWaitsForUser() {
    if (listener_) listener_->OnPaymentMethodWaitsForUser(*this);
}

bool IapClientPaymentMethod::IsIdle() const { return d_ && d_->state == State::Idle; }

bool IapClientPaymentMethod::IsAwaitingResume() const { return d_ && d_->state == State::AwaitingResume; }

bool IapClientPaymentMethod::IsAwaitingCharge() const { return d_ && d_->state == State::Resumed; }

void IapClientPaymentMethod::SendTerminate(IapLib::StatusCode status) {
    IapClientFrame::SendTerminateFromAnywhere(status);
}

void IapClientPaymentMethod::ShowTimedErrorMessage(const String& text) { DlgEngine::DlgShowTimedErrorMsg(text); }

String IapClientPaymentMethod::Text(const wchar_t* resourceId) {
    return IapResourceManager::GetStringFromID(String(resourceId));
}

const String& IapClientPaymentMethod::GetPaymentTypeId() const { return d_ ? d_->paymentTypeId : EmptyString(); }
const String& IapClientPaymentMethod::GetTransactionId() const { return d_ ? d_->transactionId : EmptyString(); }
const String& IapClientPaymentMethod::GetVerificationUrl() const { return d_ ? d_->verificationUrl : EmptyString(); }
const IapItemInformation& IapClientPaymentMethod::GetItemInformation() const {
    static const IapItemInformation empty;
    return d_ ? d_->item : empty;
}
const IapClientPaymentMethodInfo& IapClientPaymentMethod::GetPaymentMethodInfo() const {
    static const IapClientPaymentMethodInfo empty;
    return d_ ? d_->info : empty;
}
void IapClientPaymentMethod::SetUserID(const String& userId) {
    if (d_) d_->userId = userId;
}
const String& IapClientPaymentMethod::GetUserID() const { return d_ ? d_->userId : EmptyString(); }
int IapClientPaymentMethod::GetCheckCounter() const { return d_ ? d_->checkCounter : 0; }
IapClientPrivate* IapClientPaymentMethod::GetFacade() const { return d_ ? d_->facade : nullptr; }
