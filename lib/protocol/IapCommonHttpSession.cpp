#include "lib/protocol/IapCommonHttpSession.h"

#include <cstdlib>
#include <memory>
#include <new>

#include "lib/device/IapSystemInfo.h"
#include "lib/protocol/IapCommonHttpReply.h"
#include "lib/protocol/IapCommonHttpRequest.h"
#include "lib/records/IapHashMapUtils.h"
#include "platform/app/App.h"
#include "platform/base/HashMap.h"
#include "platform/base/Utf8Encoding.h"
#include "platform/net/HttpRequest.h"
#include "platform/net/HttpResponse.h"
#include "platform/net/HttpStringEntity.h"
#include "platform/net/HttpTransaction.h"

using namespace Vx;
using namespace Vx::Base;
using namespace Vx::Base::Collection;
using namespace Vx::Net::Http;
using namespace IapCommonHttp;

namespace {

// Plays no part: every request sets its full URI.
const wchar_t kSessionHostAddress[] = L"http://127.0.0.1";
const wchar_t kDefaultCountrySearchUrl[] = L"http://127.0.0.1:8640/ods.as";
constexpr int kMaxCountrySearchesPerRequest = 2;

const Text::Utf8Encoding& ProcessUtf8Encoding() {
    static const Text::Utf8Encoding encoding;
    return encoding;
}

String ConfiguredCountrySearchUrl() {
    const char* configured = std::getenv("IAP_COUNTRY_SEARCH_URL");
    if (configured && *configured) return String(configured);
    return String(kDefaultCountrySearchUrl);
}

}  // namespace

IapCommonHttpSession::IapCommonHttpSession() = default;

IapCommonHttpSession::~IapCommonHttpSession() { CloseCurrentTransaction(); }

result IapCommonHttpSession::Construct(IapListener* sessionListener) {
    if (!sessionListener) return E_INVALID_ARG;
    if (constructed_) return E_INVALID_STATE;
    result r = httpSession.Construct(NET_HTTP_SESSION_MODE_MULTIPLE_HOST, nullptr, String(kSessionHostAddress), nullptr,
                                     NET_HTTP_COOKIE_FLAG_ALWAYS_MANUAL);
    if (r != E_SUCCESS) return r;
    listener = sessionListener;
    countrySearchUrl = ConfiguredCountrySearchUrl();
    constructed_ = true;
    return E_SUCCESS;
}

bool IapCommonHttpSession::IsCountrySearch(FunctionId function) const {
    return function == FUNCTION_COUNTRY_SEARCH || function == FUNCTION_COUNTRY_SEARCH_EX;
}

result IapCommonHttpSession::SendRequest(int transactionId, FunctionId function, const Params& params) {
    return SendRequest(transactionId, serverUrl, function, params);
}

result IapCommonHttpSession::SendRequest(int transactionId, const String& url, FunctionId function,
                                         const Params& params) {
    if (currentTransaction) return E_IN_PROGRESS;
    if (url.IsEmpty() && !IsCountrySearch(function) && function != FUNCTION_GET_COUNTRY_LIST) {
        // The server is not known yet: hold this request behind a country search.
        if (pendingFunctionId != FUNCTION_NONE) return E_FAILURE;
        pendingParams = params;
        pendingFunctionId = function;
        pendingTransactionId = transactionId;
        result r = SearchCountryEx(transactionId);
        if (r != E_SUCCESS) {
            // The caller hears of the failure from this return; nothing stays held.
            ZeroPendingTransaction();
            return r;
        }
        countrySearchesForPending_ = 1;
        return E_SUCCESS;
    }
    if (url.IsEmpty() && function != FUNCTION_GET_COUNTRY_LIST) return E_FAILURE;
    const String& target = function == FUNCTION_GET_COUNTRY_LIST ? countrySearchUrl : url;
    if (!MaySend(target, function, params)) return E_PERMISSION_DENIED;

    HttpTransaction* transaction = httpSession.OpenTransactionN();
    if (!transaction) return E_FAILURE;
    currentTransaction = transaction;
    currentFunctionId = function;
    currentTransactionId = transactionId;

    result r = transaction->AddHttpTransactionListener(*this);
    HttpRequest* request = r == E_SUCCESS ? transaction->GetRequest() : nullptr;
    IapCommonHttpRequest document;
    if (r == E_SUCCESS && !request) r = E_FAILURE;
    if (r == E_SUCCESS) r = document.Construct(transactionId, function, params);
    if (r == E_SUCCESS) r = request->SetUri(target);
    if (r == E_SUCCESS) r = request->SetMethod(NET_HTTP_METHOD_POST);
    String body;
    if (r == E_SUCCESS) r = ProcessUtf8Encoding().GetString(document.GetXmlBuffer(), body);
    HttpStringEntity entity;
    if (r == E_SUCCESS) r = entity.Construct(body, String(L"text/plain"), String(L"utf-8"), ProcessUtf8Encoding());
    if (r == E_SUCCESS) r = request->SetEntity(entity);
    if (r != E_SUCCESS) {
        CloseCurrentTransaction();
        return r;
    }
    transaction->SetTimeout(kTransactionTimeoutSeconds);
    r = transaction->Submit();
    // A submission that failed at once never completes: close it so that the
    // session is free for the caller's next request.
    if (r != E_SUCCESS) CloseCurrentTransaction();
    return r;
}

bool IapCommonHttpSession::MaySend(const String&, FunctionId, const Params&) { return true; }

result IapCommonHttpSession::SearchCountryEx(int transactionId) {
    Params params;
    if (params.Construct(1) != E_SUCCESS ||
        params.Add(String(L"latestCountryCode"), IapSystemInfo::GetInstance().mcc) != E_SUCCESS) {
        return E_FAILURE;
    }
    return SendRequest(transactionId, countrySearchUrl, FUNCTION_COUNTRY_SEARCH, params);
}

result IapCommonHttpSession::RequestCheckAppUpgrade(int transactionId, const String&) {
    if (transactionId < 0) return E_INVALID_ARG;
    Params params;
    if (params.Construct(3) != E_SUCCESS) return E_INVALID_OPERATION;
    App::App* app = App::App::GetInstance();
    // Without the running application nothing can be asked; saying so lets the
    // caller answer instead of waiting for a reply that never comes.
    if (!app) return E_FAILURE;
    String appId = app->GetAppId();
    String packageId = appId;
    int dot = -1;
    if (appId.IndexOf(L'.', 0, dot) == E_SUCCESS) appId.SubString(0, dot, packageId);
    String preloadApp = packageId;
    preloadApp.Append(L'@');
    preloadApp.Append(app->GetAppVersion());
    preloadApp.Append(L"@1");
    if (params.Add(String(L"duid"), IapSystemInfo::GetInstance().deviceId) != E_SUCCESS ||
        params.Add(String(L"preloadApp"), preloadApp) != E_SUCCESS) {
        return E_INVALID_OPERATION;
    }
    return SendRequest(transactionId, serverUrl, FUNCTION_CHECK_APP_UPGRADE, params);
}

void IapCommonHttpSession::CancelCurrentTransaction() { HandleIssueOccured(static_cast<ErrorCode>(ERROR_CANCELED)); }

void IapCommonHttpSession::HandleIssueOccured(ErrorCode errorCode) {
    IapCommonHttpReply local;
    local.Construct(currentTransactionId, currentFunctionId, errorCode);
    CloseCurrentTransaction();
    HandleErrorReply(local);
}

void IapCommonHttpSession::CloseCurrentTransaction() {
    if (currentTransaction) {
        HttpTransaction* transaction = currentTransaction;
        currentTransaction = nullptr;
        httpSession.CancelTransaction(*transaction);
        delete transaction;
    }
    currentFunctionId = FUNCTION_NONE;
    currentTransactionId = -1;
}

void IapCommonHttpSession::ZeroPendingTransaction() {
    pendingParams.RemoveAll();
    pendingFunctionId = FUNCTION_NONE;
    pendingTransactionId = -1;
}

void IapCommonHttpSession::ReportLocalError(int transactionId, FunctionId function, int errorCode) {
    IapCommonHttpReply local;
    local.Construct(transactionId, function, errorCode);
    HandleErrorReply(local);
}

void IapCommonHttpSession::OnTransactionReadyToRead(HttpSession&, HttpTransaction&, int) {}
void IapCommonHttpSession::OnTransactionReadyToWrite(HttpSession&, HttpTransaction&, int) {}
void IapCommonHttpSession::OnTransactionHeaderCompleted(HttpSession&, HttpTransaction&, int, bool) {}

void IapCommonHttpSession::OnTransactionAborted(HttpSession&, HttpTransaction& transaction, result) {
    if (&transaction != currentTransaction) return;
    HandleIssueOccured(static_cast<ErrorCode>(ERROR_TRANSACTION_ABORTED));
}

void IapCommonHttpSession::OnTransactionCertVerificationRequiredN(HttpSession&, HttpTransaction& transaction,
                                                                  String* certificate) {
    delete certificate;
    // A certificate that needs verification is never accepted.
    if (&transaction != currentTransaction) return;
    HandleIssueOccured(static_cast<ErrorCode>(ERROR_TRANSACTION_ABORTED));
}

void IapCommonHttpSession::OnTransactionCompleted(HttpSession&, HttpTransaction& transaction) {
    if (&transaction != currentTransaction) return;
    const int transactionId = currentTransactionId;
    const FunctionId function = currentFunctionId;
    const bool wasCountrySearch = IsCountrySearch(function);

    HttpResponse* response = transaction.GetResponse();
    if (!response || response->GetHttpStatusCode() != 200) {
        CloseCurrentTransaction();
        ReportLocalError(transactionId, function, ERROR_HTTP_STATUS);
        return;
    }
    std::unique_ptr<ByteBuffer> body(response->ReadBodyN());
    IapCommonHttpReply reply;
    bool parsed = body && reply.Construct(body.get()) == E_SUCCESS;
    CloseCurrentTransaction();
    // Dispatch goes by the document's own values; a document that does not
    // answer the open transaction would reach nobody, so it fails that one.
    bool answersOpenTransaction =
        parsed && reply.transactionId == transactionId &&
        (reply.functionId == function || (wasCountrySearch && IsCountrySearch(reply.functionId)));
    if (!answersOpenTransaction) {
        ReportLocalError(transactionId, function, ERROR_GENERAL);
    } else if (reply.errorCode != ERROR_NONE) {
        if (IsCountrySearch(reply.functionId)) {
            // The held request fails with the search, and is not sent again.
            int heldTransactionId = pendingTransactionId;
            FunctionId heldFunction = pendingFunctionId;
            ZeroPendingTransaction();
            ReportLocalError(heldTransactionId, heldFunction, ERROR_GENERAL);
        } else {
            HandleErrorReply(reply);
        }
    } else {
        HandleReply(reply);
    }
    if (wasCountrySearch && !currentTransaction && pendingFunctionId != FUNCTION_NONE &&
        !IsCountrySearch(pendingFunctionId)) {
        SendPendingAfterCountrySearch();
    }
}

void IapCommonHttpSession::SendPendingAfterCountrySearch() {
    const int transactionId = pendingTransactionId;
    const FunctionId function = pendingFunctionId;
    const int searches = countrySearchesForPending_;
    Params params = pendingParams;
    ZeroPendingTransaction();
    if (serverUrl.IsEmpty() && searches >= kMaxCountrySearchesPerRequest) {
        ReportLocalError(transactionId, function, ERROR_GENERAL);
        return;
    }
    result r = SendRequest(transactionId, serverUrl, function, params);
    if (r != E_SUCCESS) {
        // Its caller already got E_SUCCESS when the request was held: it must
        // hear the outcome through the listener.
        ReportLocalError(transactionId, function, ERROR_GENERAL);
        return;
    }
    if (pendingFunctionId != FUNCTION_NONE) countrySearchesForPending_ = searches + 1;
}

void IapCommonHttpSession::HandleReply(const IapCommonHttpReply& reply) {
    switch (reply.functionId) {
    case FUNCTION_CHECK_APP_UPGRADE:
        ProcessCheckAppUpgrade(reply);
        break;
    case FUNCTION_COUNTRY_SEARCH:
    case FUNCTION_COUNTRY_SEARCH_EX:
        ProcessCountrySearchExReply(reply);
        break;
    case FUNCTION_NONE:
        HandleErrorReply(reply);
        break;
    default:
        // The transaction is already closed: the reply itself says whose it is.
        ReportLocalError(reply.transactionId, reply.functionId, ERROR_GENERAL);
        break;
    }
}

void IapCommonHttpSession::HandleErrorReply(const IapCommonHttpReply& reply) {
    if (reply.functionId == FUNCTION_NONE) return;
    if (reply.functionId == FUNCTION_CHECK_APP_UPGRADE) {
        offeredUpgradeVersion_.Clear();
        if (listener)
            listener->OnCheckAppUpgradeReceived(reply.transactionId, String(), IapLib::STATUS_GENERAL_FAILURE);
        return;
    }
    // In practice a failed country search: its failure belongs to the held request.
    int heldTransactionId = pendingTransactionId;
    FunctionId heldFunction = pendingFunctionId;
    ZeroPendingTransaction();
    ReportLocalError(heldTransactionId, heldFunction, reply.rawErrorCode);
}

void IapCommonHttpSession::ProcessCountrySearchExReply(const IapCommonHttpReply& reply) {
    if (reply.errorCode != ERROR_NONE || reply.records.GetCount() != 1) return;
    const auto* record = dynamic_cast<const IMap*>(reply.records.GetAt(0));
    if (!record) return;
    IapHashMapUtils::GetStringValue(record, String(L"countryURL"), serverUrl);
    IapHashMapUtils::GetStringValue(record, String(L"countryCode"), countryCode);
    IapHashMapUtils::GetBoolValue(record, String(L"freeStoreClsf"), freeStoreClsf);
    IapHashMapUtils::GetBoolValue(record, String(L"currencyUnitPrecedes"), currencyUnitPrecedes);
    IapHashMapUtils::GetBoolValue(record, String(L"currencyUnitHasPenny"), currencyUnitHasPenny);
    IapHashMapUtils::GetBoolValue(record, String(L"freetabClsf"), freetabClsf);
    IapHashMapUtils::GetIntegerValue(record, String(L"snsVal"), snsVal);
    IapHashMapUtils::GetBoolValue(record, String(L"currencyUnitDivision"), currencyUnitDivision);
}

void IapCommonHttpSession::ProcessCheckAppUpgrade(const IapCommonHttpReply& reply) {
    String url;
    offeredUpgradeVersion_.Clear();
    if (reply.errorCode == ERROR_NONE && reply.records.GetCount() > 0) {
        const auto* record = dynamic_cast<const IMap*>(reply.records.GetAt(0));
        int upgrade = 0;
        if (record && IapHashMapUtils::GetIntegerValue(record, String(L"upgrade"), upgrade) != E_SUCCESS) upgrade = 0;
        if (record && upgrade != 0) {
            IapHashMapUtils::GetStringValue(record, String(L"odcUrl"), url);
            IapHashMapUtils::GetStringValue(record, String(L"version"), offeredUpgradeVersion_);
        }
    }
    if (listener) listener->OnCheckAppUpgradeReceived(reply.transactionId, url, IapLib::STATUS_SUCCESS);
}
