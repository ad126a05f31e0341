#include "service/BuyServiceHttpSession.h"

#include "lib/device/IapSystemInfo.h"
#include "lib/protocol/IapCommonHttpReply.h"
#include "lib/records/IapHashMapUtils.h"
#include "platform/base/ArrayList.h"
#include "platform/base/DateTime.h"
#include "platform/base/Number.h"

using namespace Vx;
using namespace Vx::Base;
using namespace Vx::Base::Collection;
using namespace IapCommonHttp;

result BuyServiceHttpSession::RequestItemList(const String& itemGroupId, int transactionId, int start, int end,
                                              FunctionId function) {
    if (!itemGroupId_.IsEmpty()) return E_IN_PROGRESS;
    itemGroupId_ = itemGroupId;
    Params params;
    result r = BuildRequestItemListParams(itemGroupId, start, end, &params);
    if (r != E_SUCCESS) return r;
    return SendRequest(transactionId, function, params);
}

result BuyServiceHttpSession::RequestPurchasedItemList(const String& userId, const String& itemGroupId,
                                                       int transactionId, int start, int end, FunctionId function) {
    if (!itemGroupId_.IsEmpty()) return E_IN_PROGRESS;
    itemGroupId_ = itemGroupId;
    Params params;
    result r = params.Construct(6);
    if (r != E_SUCCESS) return r;
    const IapSystemInfo& info = IapSystemInfo::GetInstance();
    if ((r = params.Add(String(L"userID"), userId)) != E_SUCCESS) return r;
    if ((r = params.Add(String(L"resultCode"), info.mode)) != E_SUCCESS) return r;
    if ((r = params.Add(String(L"startNum"), Integer::ToString(start))) != E_SUCCESS) return r;
    if ((r = params.Add(String(L"endNum"), Integer::ToString(end))) != E_SUCCESS) return r;
    if ((r = params.Add(String(L"itemGroupID"), itemGroupId)) != E_SUCCESS) return r;
    return SendRequest(transactionId, function, params);
}

result BuyServiceHttpSession::RequestCountryList(int transactionId, FunctionId function) {
    Params params;
    result r = params.Construct(0);
    if (r != E_SUCCESS) return r;
    // The send result is returned: a request that was not sent must not look
    // like one whose answer is on its way.
    return SendRequest(transactionId, function, params);
}

void BuyServiceHttpSession::HandleReply(const IapCommonHttpReply& reply) {
    switch (reply.functionId) {
    case FUNCTION_GET_APPS_ITEM_LIST:
        ProcessGetAppsItemListReply(reply);
        break;
    case FUNCTION_GET_PURCHASED_APPS_ITEM_LIST:
        ProcessGetPurchasedAppsItemListReply(reply);
        break;
    case FUNCTION_GET_COUNTRY_LIST:
        ProcessGetCountryListReply(reply);
        break;
    default:
        IapCommonHttpSession::HandleReply(reply);
        break;
    }
}

void BuyServiceHttpSession::HandleErrorReply(const IapCommonHttpReply& reply) {
    IapLib::StatusCode status = StatusToIapLibStatus(reply.errorCode);
    switch (reply.functionId) {
    case FUNCTION_GET_COUNTRY_LIST: {
        ArrayList none;
        if (listener) listener->OnCountryListReceived(reply.transactionId, status, none);
        break;
    }
    case FUNCTION_GET_PURCHASED_APPS_ITEM_LIST:
        if (listener) {
            listener->OnPurchasedItemInformationListReceived(reply.transactionId, status,
                                                             IapItemList<IapPurchasedItemInformation>());
        }
        break;
    case FUNCTION_GET_APPS_ITEM_LIST:
        if (listener)
            listener->OnItemInformationListReceived(reply.transactionId, status, IapItemList<IapItemInformation>());
        break;
    default:
        IapCommonHttpSession::HandleErrorReply(reply);
        break;
    }
}

void BuyServiceHttpSession::ProcessGetAppsItemListReply(const IapCommonHttpReply& reply) {
    IapLib::StatusCode status = StatusToIapLibStatus(reply.errorCode);
    IapItemList<IapItemInformation> list;
    if (BuildItemListFromReply(itemGroupId_, reply, &list) != E_SUCCESS) status = IapLib::STATUS_GENERAL_FAILURE;
    if (listener) listener->OnItemInformationListReceived(reply.transactionId, status, list);
}

IapLib::StatusCode BuyServiceHttpSession::FillPurchasedItems(const IapCommonHttpReply& reply,
                                                             IapItemList<IapPurchasedItemInformation>& list) const {
    if (reply.startNum < 0 || reply.endNum < 0 || reply.totalCount < 0) return IapLib::STATUS_GENERAL_FAILURE;
    list.startNumber = reply.startNum;
    list.endNumber = reply.endNum;
    list.totalCount = reply.totalCount;
    for (int i = 0; i < reply.records.GetCount(); ++i) {
        const auto* record = dynamic_cast<const IMap*>(reply.records.GetAt(i));
        IapItemInformation itemPart;
        String paymentId;
        DateTime purchaseDate;
        if (FillItemInformation(record, itemGroupId_, &itemPart) != E_SUCCESS ||
            IapHashMapUtils::GetStringValue(record, String(L"paymentID"), paymentId) != E_SUCCESS) {
            return IapLib::STATUS_GENERAL_FAILURE;
        }
        if (IapHashMapUtils::GetDateTimeValueWithoutSemicolon(record, String(L"purchaseDate"), purchaseDate) !=
                E_SUCCESS &&
            IapHashMapUtils::GetDateTimeValue(record, String(L"purchaseDate"), purchaseDate) != E_SUCCESS) {
            return IapLib::STATUS_GENERAL_FAILURE;
        }
        IapPurchasedItemInformation item(itemPart);
        item.SetPaymentId(paymentId);
        item.SetPurchaseDate(purchaseDate);
        if (list.Add(item) != E_SUCCESS) return IapLib::STATUS_GENERAL_FAILURE;
    }
    return IapLib::STATUS_SUCCESS;
}

void BuyServiceHttpSession::ProcessGetPurchasedAppsItemListReply(const IapCommonHttpReply& reply) {
    IapLib::StatusCode status = StatusToIapLibStatus(reply.errorCode);
    IapItemList<IapPurchasedItemInformation> list;
    IapLib::StatusCode converted = FillPurchasedItems(reply, list);
    if (converted != IapLib::STATUS_SUCCESS) status = converted;
    if (status != IapLib::STATUS_SUCCESS) list.RemoveAll();
    if (listener) listener->OnPurchasedItemInformationListReceived(reply.transactionId, status, list);
}

void BuyServiceHttpSession::ProcessGetCountryListReply(const IapCommonHttpReply& reply) {
    IapLib::StatusCode status = StatusToIapLibStatus(reply.errorCode);
    // The list owns the maps, the maps do not own the reply's strings.
    ArrayList countries(ElementOwnership::Owned);
    if (BuildCountryListFromReply(reply, &countries) != E_SUCCESS) status = IapLib::STATUS_GENERAL_FAILURE;
    if (listener) listener->OnCountryListReceived(reply.transactionId, status, countries);
}
