#include "client/IapClientHttpSession.h"

#include <new>

#include "client/IapClientHttpSessionPrivate.h"
#include "client/IapClientListener.h"
#include "client/IapSecretDestination.h"
#include "lib/device/IapSystemInfo.h"
#include "lib/protocol/IapCommonHttpReply.h"
#include "lib/records/IapHashMapUtils.h"
#include "lib/records/IapItemList.h"
#include "platform/base/Number.h"
#include "platform/system/SystemTime.h"
#include "platform/ui/MessageBox.h"

using namespace Vx;
using namespace Vx::Base;
using namespace Vx::Base::Collection;
using namespace IapCommonHttp;

namespace {

constexpr int kParamsCapacity = 3;

bool IsPaymentMethodFunction(FunctionId function) {
    switch (function) {
    case FUNCTION_SEARCH_CARD:
    case FUNCTION_EASYBUY_PURCHASE_ITEM:
    case FUNCTION_APP_ITEM_PURCHASE_CYBER_CASH:
    case FUNCTION_APP_ITEM_PURCHASE_PREPAID:
    case FUNCTION_MICRO_PURCHASE_ITEM:
    case FUNCTION_MICRO_PURCHASE_ITEM_AUTH_CODE:
    case FUNCTION_REGISTER_CREDIT_CARD_FOR_IAP:
    case FUNCTION_REGISTER_PREPAID_CARD_FOR_IAP:
    case FUNCTION_CHECK_PURCHASED_ITEM:
    case FUNCTION_IAP_PSMS_BILLING:
    case FUNCTION_IAP_PSMS_MO_DELIVERY_RESULT:
    case FUNCTION_IAP_PSMS_CONFIRM_SMS_PURCHASE_NS:
    case FUNCTION_GET_PURCHASE_ID:
        return true;
    default:
        return false;
    }
}

bool IsCommonFunction(FunctionId function) {
    return function == FUNCTION_NONE || function == FUNCTION_COUNTRY_SEARCH || function == FUNCTION_COUNTRY_SEARCH_EX ||
           function == FUNCTION_CHECK_APP_UPGRADE;
}

}  // namespace

IapClientHttpSessionPrivate::IapClientHttpSessionPrivate(IapClientListener* listener, IapClientHttpSession& owner)
    : clientListener(listener), session(owner) {}

void IapClientHttpSessionPrivate::OnActionPerformed(const Vx::Ui::Control&, int actionId) {
    if (actionId == kCancelActionId) session.CancelCurrentTransaction();
}

IapClientHttpSession::IapClientHttpSession() = default;

IapClientHttpSession::~IapClientHttpSession() {
    // The transaction is closed first: nothing may report into a half-destroyed session.
    CloseCurrentTransaction();
    delete d_;
}

result IapClientHttpSession::Construct(IapClientListener* listener) {
    if (d_) return E_INVALID_STATE;
    result r = IapCommonHttpSession::Construct(listener);
    if (r != E_SUCCESS) return r;
    d_ = new (std::nothrow) IapClientHttpSessionPrivate(listener, *this);
    return d_ ? E_SUCCESS : E_OUT_OF_MEMORY;
}

bool IapClientHttpSession::IsGatePending() const { return d_ && d_->pendingTransactionId != -1; }

result IapClientHttpSession::SendGated(int transactionId, FunctionId function, const Params& params) {
    if (!d_) return E_INVALID_STATE;
    if (d_->pendingTransactionId != -1) return E_IN_PROGRESS;
    result r = SendRequest(transactionId, function, params);
    if (r == E_SUCCESS) {
        d_->pendingTransactionId = transactionId;
        d_->pendingFunction = function;
    }
    return r;
}

result IapClientHttpSession::RequestPaymentMethodSearch(int transactionId, const IapItemInformation& item) {
    if (transactionId < 0 || item.GetItemId().IsEmpty()) return E_INVALID_ARG;
    Params params;
    result r = params.Construct(kParamsCapacity);
    if (r == E_SUCCESS) r = params.Add(String(L"itemID"), item.GetItemId());
    if (r == E_SUCCESS) r = params.Add(String(L"itemGroupID"), item.GetItemGroupId());
    if (r == E_SUCCESS) r = params.Add(String(L"mode"), IapSystemInfo::GetInstance().mode);
    if (r != E_SUCCESS) return r;
    return SendGated(transactionId, FUNCTION_GET_PAYMENT_METHOD_SEARCH, params);
}

result IapClientHttpSession::RequestPurchaseId(int transactionId, const String& itemId) {
    long long ticks = 0;
    Vx::System::SystemTime::GetTicks(ticks);
    String timeStamp;
    timeStamp.Append(ticks);
    Params params;
    result r = params.Construct(kParamsCapacity);
    if (r == E_SUCCESS) r = params.Add(String(L"duid"), IapSystemInfo::GetInstance().deviceId);
    if (r == E_SUCCESS) r = params.Add(String(L"itemID"), itemId);
    if (r == E_SUCCESS) r = params.Add(String(L"timeStamp"), timeStamp);
    if (r != E_SUCCESS) return r;
    return SendGated(transactionId, FUNCTION_GET_PURCHASE_ID, params);
}

result IapClientHttpSession::RequestCheckPassword(int transactionId, const String& accountId, const String& password) {
    Params params;
    result r = params.Construct(kParamsCapacity);
    if (r == E_SUCCESS) r = params.Add(String(L"emailID"), accountId);
    if (r == E_SUCCESS) r = params.Add(String(L"password"), password);
    if (r != E_SUCCESS) return r;
    return SendRequest(transactionId, FUNCTION_CHECK_PASSWORD, params);
}

int IapClientHttpSession::RequestPaymentMethodFunction(FunctionId function, const Params& params) {
    if (!d_) return -1;
    // Every call uses up an id, also one that sends nothing.
    const int transactionId = d_->nextTransactionId++;
    if (d_->pendingTransactionId != -1) return -1;
    return SendGated(transactionId, function, params) == E_SUCCESS ? transactionId : -1;
}

bool IapClientHttpSession::MaySend(const String& url, FunctionId, const Params& params) {
    if (!IapSecretDestination::CarriesSecret(params) || IapSecretDestination::MayReceiveSecrets(url)) return true;
    ReportRefusedDestination();
    return false;
}

void IapClientHttpSession::ReportRefusedDestination() {
    Vx::Ui::Controls::MessageBox box;
    if (box.Construct(String(kRefusedTitle), String(kRefusedText), Vx::Ui::Controls::MSGBOX_STYLE_OK,
                      kRefusedTimeoutMs) != E_SUCCESS) {
        return;  // no windows (a test without an application): the sender still hears the failure
    }
    int ignored = 0;
    box.ShowAndWait(ignored);
}

void IapClientHttpSession::HandleReply(const IapCommonHttpReply& reply) { Dispatch(reply, Fallback::Reply); }

void IapClientHttpSession::HandleErrorReply(const IapCommonHttpReply& reply) { Dispatch(reply, Fallback::ErrorReply); }

void IapClientHttpSession::Dispatch(const IapCommonHttpReply& reply, Fallback fallback) {
    if (d_ && reply.transactionId == d_->pendingTransactionId && reply.functionId == d_->pendingFunction) {
        d_->pendingTransactionId = -1;
        d_->pendingFunction = FUNCTION_NONE;
        WaitDialogHide();
    }
    if (reply.functionId == FUNCTION_GET_PAYMENT_METHOD_SEARCH) {
        ProcessPaymentMethodList(reply);
    } else if (reply.functionId == FUNCTION_CHECK_PASSWORD) {
        ProcessCheckPassword(reply);
    } else if (IsPaymentMethodFunction(reply.functionId)) {
        if (d_ && d_->clientListener) d_->clientListener->OnPaymentMethodFunction(reply);
    } else if (IsCommonFunction(reply.functionId)) {
        if (fallback == Fallback::Reply) {
            IapCommonHttpSession::HandleReply(reply);
        } else {
            IapCommonHttpSession::HandleErrorReply(reply);
        }
    }
}

void IapClientHttpSession::ProcessPaymentMethodList(const IapCommonHttpReply& reply) {
    IapItemList<IapClientPaymentMethodInfo> methods;
    if (reply.errorCode == ERROR_NONE && reply.startNum >= 0 && reply.endNum >= 0 && reply.totalCount >= 0) {
        methods.startNumber = reply.startNum;
        methods.endNumber = reply.endNum;
        methods.totalCount = reply.totalCount;
        for (int i = 0; i < reply.records.GetCount(); ++i) {
            const auto* record = dynamic_cast<const IMap*>(reply.records.GetAt(i));
            IapClientPaymentMethodInfo method;
            String text;
            double price = 0.0;
            if (IapHashMapUtils::GetStringValue(record, String(L"paymentMethod"), text) == E_SUCCESS)
                method.SetPaymentMethod(text);
            if (IapHashMapUtils::GetStringValue(record, String(L"Company"), text) == E_SUCCESS) method.SetCompany(text);
            if (IapHashMapUtils::GetDoubleValue(record, String(L"itemPrice"), price) == E_SUCCESS)
                method.SetItemPrice(price);
            if (IapHashMapUtils::GetStringValue(record, String(L"currencyUnit"), text) == E_SUCCESS)
                method.SetCurrencyUnit(text);
            if (IapHashMapUtils::GetStringValue(record, String(L"paymentTypeId"), text) == E_SUCCESS)
                method.SetPaymentTypeId(text);
            if (IapHashMapUtils::GetStringValue(record, String(L"itemName"), text) == E_SUCCESS)
                method.SetItemName(text);
            if (IapHashMapUtils::GetStringValue(record, String(L"list"), text) == E_SUCCESS)
                method.SetProviderList(text);
            // The country decides how prices are written, not the record.
            method.SetCurrencyUnitPrecedes(currencyUnitPrecedes);
            method.SetCurrencyUnitHasPenny(currencyUnitHasPenny);
            if (methods.Add(method) != E_SUCCESS) break;
        }
    }
    if (d_ && d_->clientListener)
        d_->clientListener->OnPaymentMethodListReceived(reply.transactionId, reply.errorCode, methods);
}

void IapClientHttpSession::ProcessCheckPassword(const IapCommonHttpReply& reply) {
    int valid = 0;
    if (reply.errorCode == ERROR_NONE && reply.records.GetCount() == 1) {
        const auto* record = dynamic_cast<const IMap*>(reply.records.GetAt(0));
        if (IapHashMapUtils::GetIntegerValue(record, String(L"isValid"), valid) != E_SUCCESS) valid = 0;
    }
    if (d_ && d_->clientListener)
        d_->clientListener->OnCheckPasswordReceived(reply.transactionId, reply.errorCode, valid);
}

void IapClientHttpSession::WaitDialogShow() {}

void IapClientHttpSession::WaitDialogHide() {
    if (d_ && d_->waitDialog) d_->waitDialog->SetShowState(false);
}
