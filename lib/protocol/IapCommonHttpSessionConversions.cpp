// Item-list parameters and the conversion of reply records into records.
#include <new>
#include <typeinfo>

#include "lib/device/IapSystemInfo.h"
#include "lib/protocol/IapCommonHttpReply.h"
#include "lib/protocol/IapCommonHttpSession.h"
#include "lib/records/IapHashMapUtils.h"
#include "platform/base/HashMap.h"
#include "platform/base/Number.h"

using namespace Vx;
using namespace Vx::Base;
using namespace Vx::Base::Collection;
using namespace IapCommonHttp;

result IapCommonHttpSession::BuildRequestItemListParams(const String& itemGroupId, int start, int end,
                                                        Params* out) const {
    if (!out || itemGroupId.IsEmpty() || start < 1 || end < start) return E_INVALID_ARG;
    result r = out->Construct(5);
    if (r != E_SUCCESS) return r;
    const IapSystemInfo& info = IapSystemInfo::GetInstance();
    if ((r = out->Add(String(L"resultCode"), info.mode)) != E_SUCCESS) return r;
    if ((r = out->Add(String(L"startNum"), Integer::ToString(start))) != E_SUCCESS) return r;
    if ((r = out->Add(String(L"endNum"), Integer::ToString(end))) != E_SUCCESS) return r;
    if ((r = out->Add(String(L"itemGroupID"), itemGroupId)) != E_SUCCESS) return r;
    return out->Add(String(L"duid"), info.deviceId);
}

result IapCommonHttpSession::BuildItemListFromReply(const String& itemGroupId, const IapCommonHttpReply& reply,
                                                    IapItemList<IapItemInformation>* out) const {
    if (!out || reply.startNum < 0 || reply.endNum < 0 || reply.totalCount < 0) return E_INVALID_ARG;
    if (out->startNumber != -1 && out->endNumber != -1 && out->totalCount != -1) return E_INVALID_STATE;
    out->startNumber = reply.startNum;
    out->endNumber = reply.endNum;
    out->totalCount = reply.totalCount;
    out->SetCapacity(out->GetCount() + reply.records.GetCount());
    for (int i = 0; i < reply.records.GetCount(); ++i) {
        IapItemInformation item;
        const Object* entry = reply.records.GetAt(i);
        // The reader makes HashMaps; the type check spares a cross-cast per record.
        const IMap* record = entry && typeid(*entry) == typeid(HashMap) ? static_cast<const HashMap*>(entry)
                                                                        : dynamic_cast<const IMap*>(entry);
        if (FillItemInformation(record, itemGroupId, &item) != E_SUCCESS || out->Add(item) != E_SUCCESS) {
            out->RemoveAll();
            return E_FAILURE;
        }
    }
    return E_SUCCESS;
}

result IapCommonHttpSession::FillItemInformation(const IMap* record, const String& itemGroupId,
                                                 IapItemInformation* item) const {
    if (!record || !item) return E_INVALID_ARG;
    // Made once: a page may hold thousands of records.
    static const String kItemId(L"itemID");
    static const String kItemName(L"itemName");
    static const String kItemPrice(L"itemPrice");
    static const String kCurrencyUnit(L"currencyUnit");
    // The record's texts are borrowed, so that each reaches the item with one copy.
    const String* text = nullptr;
    double price = 0;
    result r;
    if ((r = IapHashMapUtils::FindStringValue(record, kItemId, text)) != E_SUCCESS) return r;
    item->SetItemId(*text);
    if ((r = IapHashMapUtils::FindStringValue(record, kItemName, text)) != E_SUCCESS) return r;
    item->SetItemName(*text);
    if ((r = IapHashMapUtils::GetDoubleValue(record, kItemPrice, price)) != E_SUCCESS) return r;
    item->SetItemPrice(price);
    if ((r = IapHashMapUtils::FindStringValue(record, kCurrencyUnit, text)) != E_SUCCESS) return r;
    item->SetCurrencyUnit(*text);
    struct Optional {
        String key;
        void (IapItemInformation::*set)(const String&);
    };
    static const Optional kOptional[] = {
        {String(L"itemDesc"), &IapItemInformation::SetItemDescription},
        {String(L"itemImageUrl"), &IapItemInformation::SetItemImageUrl},
        {String(L"itemDownloadUrl"), &IapItemInformation::SetItemDownloadUrl},
        {String(L"reserved1"), &IapItemInformation::SetReserved1},
        {String(L"reserved2"), &IapItemInformation::SetReserved2},
    };
    for (const auto& field : kOptional) {
        if (IapHashMapUtils::FindStringValue(record, field.key, text) == E_SUCCESS) (item->*field.set)(*text);
    }
    item->SetItemGroupId(itemGroupId);
    item->SetCurrencyUnitHasPenny(currencyUnitHasPenny);
    item->SetCurrencyUnitPrecedes(currencyUnitPrecedes);
    return E_SUCCESS;
}

result IapCommonHttpSession::BuildCountryListFromReply(const IapCommonHttpReply& reply, ArrayList* out) const {
    if (!out) return E_SUCCESS;
    for (int i = 0; i < reply.records.GetCount(); ++i) {
        const auto* record = dynamic_cast<const IMap*>(reply.records.GetAt(i));
        if (!record) continue;
        // Shares the reply's strings: the map does not own them.
        auto* country = new (std::nothrow) HashMap(ElementOwnership::NotOwned);
        if (!country || country->Construct(record->GetCount(), 0.75f) != E_SUCCESS) {
            delete country;
            return E_OUT_OF_MEMORY;
        }
        IMapEnumerator* entries = record->GetMapEnumeratorN();
        while (entries && entries->MoveNext() == E_SUCCESS)
            country->Add(entries->GetKey(), entries->GetValue());
        delete entries;
        result r = out->Add(country);
        if (r != E_SUCCESS) {
            delete country;
            return r;
        }
    }
    return E_SUCCESS;
}
