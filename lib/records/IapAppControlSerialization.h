#pragma once
// Records and paged lists as application-control key/value maps. The layout is
// read by other applications and must not change:
//   item:       _itemId _itemGroupId _itemName _currencyUnit _unitPrecedes
//               _hasPenny _itemPrice _itemDownloadUrl _itemImageUrl
//               _itemDescription _reserved1 _reserved2
//   purchased:  the item keys, then _paymentId _purchaseDate
//   ticket:     _itemId _ticketPurchaseId _ticketVerifyUrl _ticketParam1..3
//   list:       _startNumber _endNumber _totalCount, then record k under the
//               prefix "<k>" ("11_itemId") for k = startNumber..endNumber.
// Writers add newly allocated String keys and values; the map should own them.
// A failed read leaves the target list or ticket as it was.
#include "lib/records/IapItemInformation.h"
#include "lib/records/IapItemList.h"
#include "lib/records/IapPurchaseTicket.h"
#include "lib/records/IapPurchasedItemInformation.h"
#include "platform/base/HashMap.h"
#include "platform/base/IMap.h"
#include "platform/base/Number.h"
#include "platform/base/String.h"

namespace IapAppControlSerialization {

using Vx::result;
using Vx::Base::String;
using Vx::Base::Collection::HashMap;
using Vx::Base::Collection::IMap;

namespace ItemInformation {
// E_INVALID_ARG, and nothing written, for a price that is not finite.
result ToHashMap(const IapItemInformation& item, HashMap* map);
// E_UNDERFLOW for a map of fewer than twelve entries.
result FromIMap(const IMap& map, IapItemInformation* item);
}  // namespace ItemInformation

namespace PurchasedItemInformation {
result ToHashMap(const IapPurchasedItemInformation& item, HashMap* map);
// On failure the item fields may already be set; payment id and date are not.
result FromIMap(const IMap& map, IapPurchasedItemInformation* item);
}  // namespace PurchasedItemInformation

namespace PurchaseTicket {
result ToHashMap(const IapPurchaseTicket& ticket, HashMap* map);
result FromIMap(const IMap& map, IapPurchaseTicket* ticket);
}  // namespace PurchaseTicket

namespace ItemInformationList {
result ToHashMap(const IapItemList<IapItemInformation>& list, HashMap* map);
result FromIMap(const IMap& map, IapItemList<IapItemInformation>* list);
}  // namespace ItemInformationList

namespace PurchasedItemInformationList {
result ToHashMap(const IapItemList<IapPurchasedItemInformation>& list, HashMap* map);
result FromIMap(const IMap& map, IapItemList<IapPurchasedItemInformation>* list);
}  // namespace PurchasedItemInformationList

namespace Helpers {

String BuildKey(const String& prefix, const String& name);
// The map takes both new strings, or refuses them with its own result.
result AddToMapWithPrefix(HashMap* map, const String& prefix, const String& name, const String& value);

result ItemInformationToHashMap(const IapItemInformation& item, HashMap* map, const String& prefix);
result ItemInformationFromHashMap(const IMap& map, IapItemInformation* item, const String& prefix);
result PurchasedItemInformationToHashMap(const IapPurchasedItemInformation& item, HashMap* map, const String& prefix);
result PurchasedItemInformationFromHashMap(const IMap& map, IapPurchasedItemInformation* item, const String& prefix);

result WriteItemListData(HashMap* map, int startNumber, int endNumber, int totalCount);
result ReadItemListData(const IMap& map, int& startNumber, int& endNumber, int& totalCount);

template <class T>
using RecordWriter = result (*)(const T&, HashMap*, const String&);
template <class T>
using RecordReader = result (*)(const IMap&, T*, const String&);

template <class T>
result WriteItemList(RecordWriter<T> writer, const IapItemList<T>& list, HashMap* map) {
    if (!map || !writer) return Vx::E_INVALID_ARG;
    result r = WriteItemListData(map, list.startNumber, list.endNumber, list.totalCount);
    for (int i = 0; r == Vx::E_SUCCESS && i < list.GetCount(); ++i) {
        T record;
        r = list.GetAt(i, record);
        if (r != Vx::E_SUCCESS) break;
        // In 64 bits: a page may start near INT_MAX.
        r = writer(record, map, Vx::Base::LongLong::ToString(static_cast<long long>(list.startNumber) + i));
    }
    return r;
}

template <class T>
result ReadItemList(RecordReader<T> reader, const IMap& map, IapItemList<T>* list) {
    if (!list || !reader) return Vx::E_INVALID_ARG;
    int start = -1, end = -1, total = -1;
    result r = ReadItemListData(map, start, end, total);
    if (r != Vx::E_SUCCESS) return r;
    if (start < 0 || end < 0 || total < 0) return Vx::E_INVALID_ARG;

    // No room is reserved from the header's numbers: they come from the
    // caller, and a false range ends at its first missing record.
    IapItemList<T> read;
    for (long long n = start; n <= end; ++n) {
        T record;
        r = reader(map, &record, Vx::Base::LongLong::ToString(n));
        if (r == Vx::E_SUCCESS) r = read.Add(record);
        if (r != Vx::E_SUCCESS) return r;
    }
    list->RemoveAll();
    list->startNumber = start;
    list->endNumber = end;
    list->totalCount = total;
    return list->AddItems(read);
}

}  // namespace Helpers

}  // namespace IapAppControlSerialization
