#include "client/IapClientPrivate.h"

#include <memory>
#include <new>

#include "client/IapClientHttpSession.h"
#include "lib/protocol/IapCommonHttpReply.h"
#include "lib/records/IapAppControlKeys.h"
#include "lib/records/IapAppControlSerialization.h"
#include "platform/app/App.h"
#include "platform/app/AppControlProviderManager.h"
#include "platform/base/Number.h"

using namespace Vx;
using namespace Vx::Base;
using namespace Vx::Base::Collection;
using namespace IapCommonHttp;

namespace {

result AddOwned(HashMap& map, const wchar_t* key, const String& value) {
    auto* ownedKey = new (std::nothrow) String(key);
    auto* ownedValue = new (std::nothrow) String(value);
    result r = ownedKey && ownedValue ? map.Add(ownedKey, ownedValue) : E_OUT_OF_MEMORY;
    if (r != E_SUCCESS) {
        delete ownedKey;
        delete ownedValue;
    }
    return r;
}

}  // namespace

IapClientPrivate::IapClientPrivate() = default;

IapClientPrivate::~IapClientPrivate() { delete session_; }

result IapClientPrivate::Construct() {
    if (session_) return E_INVALID_STATE;
    session_ = new (std::nothrow) IapClientHttpSession();
    if (!session_) return E_OUT_OF_MEMORY;
    result r = session_->Construct(this);
    if (r != E_SUCCESS) {
        delete session_;
        session_ = nullptr;
    }
    return r;
}

void IapClientPrivate::Remember(int tid, FunctionId function, IapClientListener* listener) {
    pendingFunction_ = function;
    pendingTransactionId_ = tid;
    pendingListener_ = listener;
}

result IapClientPrivate::RequestPaymentMethodSearch(int tid, const IapItemInformation& wanted,
                                                    IapClientListener* listener) {
    if (IsRequestPending()) return E_IN_PROGRESS;
    if (!session_) return E_INVALID_STATE;
    result r = session_->RequestPaymentMethodSearch(tid, wanted);
    if (r == E_SUCCESS) Remember(tid, FUNCTION_GET_PAYMENT_METHOD_SEARCH, listener);
    return r;
}

result IapClientPrivate::RequestPurchaseId(int tid, const String& itemId, IapClientListener* listener) {
    if (IsRequestPending()) return E_IN_PROGRESS;
    if (!session_) return E_INVALID_STATE;
    result r = session_->RequestPurchaseId(tid, itemId);
    if (r == E_SUCCESS) Remember(tid, FUNCTION_GET_PURCHASE_ID, listener);
    return r;
}

result IapClientPrivate::RequestCheckPassword(int tid, const String& accountId, const String& password,
                                              IapClientListener* listener) {
    if (IsRequestPending()) return E_IN_PROGRESS;
    if (!session_) return E_INVALID_STATE;
    result r = session_->RequestCheckPassword(tid, accountId, password);
    if (r == E_SUCCESS) Remember(tid, FUNCTION_CHECK_PASSWORD, listener);
    return r;
}

int IapClientPrivate::RequestPaymentMethodFunction(FunctionId function, const Params& params,
                                                   IapClientListener* listener) {
    if (IsRequestPending() || !session_) return -1;
    int tid = session_->RequestPaymentMethodFunction(function, params);
    if (tid != -1) Remember(tid, function, listener);
    return tid;
}

bool IapClientPrivate::Matches(int tid, FunctionId function) const {
    return pendingListener_ && tid == pendingTransactionId_ && function == pendingFunction_;
}

IapClientListener* IapClientPrivate::TakeListener() {
    // Cleared before the call, so the listener may ask again from inside it.
    IapClientListener* listener = pendingListener_;
    Remember(-1, FUNCTION_NONE, nullptr);
    return listener;
}

void IapClientPrivate::OnPaymentMethodListReceived(int tid, ErrorCode errorCode,
                                                   const IapItemList<IapClientPaymentMethodInfo>& methods) {
    if (!Matches(tid, FUNCTION_GET_PAYMENT_METHOD_SEARCH)) return;
    TakeListener()->OnPaymentMethodListReceived(tid, errorCode, methods);
}

void IapClientPrivate::OnPaymentMethodFunction(const IapCommonHttpReply& reply) {
    if (!Matches(reply.transactionId, reply.functionId)) return;
    TakeListener()->OnPaymentMethodFunction(reply);
}

void IapClientPrivate::OnCheckPasswordReceived(int tid, ErrorCode errorCode, int checkResult) {
    if (!Matches(tid, FUNCTION_CHECK_PASSWORD)) return;
    TakeListener()->OnCheckPasswordReceived(tid, errorCode, checkResult);
}

HashMap* IapClientPrivate::CreateAnswerMapN() {
    auto* map = new (std::nothrow) HashMap(ElementOwnership::Owned);
    if (map && map->Construct(16, 0.75f) != E_SUCCESS) {
        delete map;
        return nullptr;
    }
    return map;
}

template <typename Record>
void IapClientPrivate::Answer(App::RequestId requestId, const Record& record, result (*writer)(const Record&, HashMap*),
                              int tid, const wchar_t* method, IapLib::StatusCode status) {
    std::unique_ptr<HashMap> map(CreateAnswerMapN());
    bool built = map && writer(record, map.get()) == E_SUCCESS &&
                 AddOwned(*map, IapAppControlKeys::kTransactionId, Integer::ToString(tid)) == E_SUCCESS &&
                 AddOwned(*map, IapAppControlKeys::kMethod, String(method)) == E_SUCCESS &&
                 AddOwned(*map, IapAppControlKeys::kResult, Integer::ToString(status)) == E_SUCCESS;
    // Success without the record would read as an empty purchase: say it failed.
    if (built) {
        SendAnswer(requestId, App::APP_CTRL_RESULT_SUCCEEDED, map.get());
    } else {
        SendAnswer(requestId, App::APP_CTRL_RESULT_FAILED, nullptr);
    }
}

void IapClientPrivate::OnPurchaseItemInitialized(int tid, IapLib::StatusCode status, const IapPurchaseTicket& ticket) {
    App::RequestId requestId = answerRequestId;
    answerRequestId = App::INVALID_REQUEST_ID;
    if (requestId == App::INVALID_REQUEST_ID) return;
    Answer(requestId, ticket, &IapAppControlSerialization::PurchaseTicket::ToHashMap, tid,
           IapAppControlKeys::kMethodPurchaseItemInitialized, status);
}

void IapClientPrivate::OnPurchaseItemFinished(int, IapLib::StatusCode status, const IapPurchasedItemInformation& item) {
    if (answerRequestId != App::INVALID_REQUEST_ID) {
        App::RequestId requestId = answerRequestId;
        answerRequestId = App::INVALID_REQUEST_ID;
        Answer(requestId, item, &IapAppControlSerialization::PurchasedItemInformation::ToHashMap, transactionId,
               IapAppControlKeys::kMethodPurchaseItemFinished, status);
    }
    RequestTermination();
}

result IapClientPrivate::SendAnswer(App::RequestId requestId, App::AppCtrlResult appResult, const IMap* extraData) {
    App::AppControlProviderManager* manager = App::AppControlProviderManager::GetInstance();
    return manager ? manager->SendAppControlResult(requestId, appResult, extraData) : E_INVALID_STATE;
}

void IapClientPrivate::RequestTermination() { App::App::Terminate(); }
