#include "lib/records/IapAppControlSerialization.h"

#include <cmath>
#include <new>

#include "lib/records/IapHashMapUtils.h"
#include "platform/base/DateTime.h"

namespace IapAppControlSerialization {

namespace {

constexpr const wchar_t* kItemId = L"_itemId";
constexpr const wchar_t* kItemGroupId = L"_itemGroupId";
constexpr const wchar_t* kItemName = L"_itemName";
constexpr const wchar_t* kCurrencyUnit = L"_currencyUnit";
constexpr const wchar_t* kUnitPrecedes = L"_unitPrecedes";
constexpr const wchar_t* kHasPenny = L"_hasPenny";
constexpr const wchar_t* kItemPrice = L"_itemPrice";
constexpr const wchar_t* kItemDownloadUrl = L"_itemDownloadUrl";
constexpr const wchar_t* kItemImageUrl = L"_itemImageUrl";
constexpr const wchar_t* kItemDescription = L"_itemDescription";
constexpr const wchar_t* kReserved1 = L"_reserved1";
constexpr const wchar_t* kReserved2 = L"_reserved2";
constexpr const wchar_t* kPaymentId = L"_paymentId";
constexpr const wchar_t* kPurchaseDate = L"_purchaseDate";
constexpr const wchar_t* kTicketPurchaseId = L"_ticketPurchaseId";
constexpr const wchar_t* kTicketVerifyUrl = L"_ticketVerifyUrl";
constexpr const wchar_t* kTicketParam1 = L"_ticketParam1";
constexpr const wchar_t* kTicketParam2 = L"_ticketParam2";
constexpr const wchar_t* kTicketParam3 = L"_ticketParam3";
constexpr const wchar_t* kStartNumber = L"_startNumber";
constexpr const wchar_t* kEndNumber = L"_endNumber";
constexpr const wchar_t* kTotalCount = L"_totalCount";

constexpr int kItemKeyCount = 12;

String BoolText(bool value) { return String(value ? L"1" : L"0"); }

String DoubleText(double value) {
    String text;
    text.Append(value);
    return text;
}

struct Entry {
    const wchar_t* name;
    String value;
};

// Adds the entries in order and stops at the first the map refuses.
template <std::size_t N>
result AddEntries(HashMap* map, const String& prefix, const Entry (&entries)[N]) {
    if (!map) return Vx::E_INVALID_ARG;
    for (const Entry& entry : entries) {
        result r = Helpers::AddToMapWithPrefix(map, prefix, entry.name, entry.value);
        if (r != Vx::E_SUCCESS) return r;
    }
    return Vx::E_SUCCESS;
}

// Reads every key of a list of required string fields, or none.
template <std::size_t N>
result ReadRequiredStrings(const IMap& map, const String& prefix, const wchar_t* const (&names)[N], String (&out)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        result r = IapHashMapUtils::GetStringValue(&map, Helpers::BuildKey(prefix, names[i]), out[i]);
        if (r != Vx::E_SUCCESS) return r;
    }
    return Vx::E_SUCCESS;
}

}  // namespace

namespace Helpers {

String BuildKey(const String& prefix, const String& name) {
    String key(prefix);
    if (key.Append(name) != Vx::E_SUCCESS) return String();
    return key;
}

result AddToMapWithPrefix(HashMap* map, const String& prefix, const String& name, const String& value) {
    if (!map) return Vx::E_INVALID_ARG;
    auto* key = new (std::nothrow) String(BuildKey(prefix, name));
    auto* copy = new (std::nothrow) String(value);
    result r = key && copy ? map->Add(key, copy) : Vx::E_OUT_OF_MEMORY;
    if (r != Vx::E_SUCCESS) {
        delete key;
        delete copy;
    }
    return r;
}

result ItemInformationToHashMap(const IapItemInformation& item, HashMap* map, const String& prefix) {
    // The reader takes only finite numbers; a price it cannot read back is not written at all.
    if (!std::isfinite(item.GetItemPrice())) return Vx::E_INVALID_ARG;
    const Entry entries[] = {
        {kItemId, item.GetItemId()},
        {kItemGroupId, item.GetItemGroupId()},
        {kItemName, item.GetItemName()},
        {kCurrencyUnit, item.GetCurrencyUnit()},
        {kUnitPrecedes, BoolText(item.GetCurrencyUnitPrecedes())},
        {kHasPenny, BoolText(item.GetCurrencyUnitHasPenny())},
        {kItemPrice, DoubleText(item.GetItemPrice())},
        {kItemDownloadUrl, item.GetItemDownloadUrl()},
        {kItemImageUrl, item.GetItemImageUrl()},
        {kItemDescription, item.GetItemDescription()},
        {kReserved1, item.GetReserved1()},
        {kReserved2, item.GetReserved2()},
    };
    return AddEntries(map, prefix, entries);
}

result ItemInformationFromHashMap(const IMap& map, IapItemInformation* item, const String& prefix) {
    if (!item) return Vx::E_INVALID_ARG;
    static constexpr const wchar_t* kRequired[] = {kItemId, kItemGroupId, kItemName, kCurrencyUnit};
    String text[4];
    result r = ReadRequiredStrings(map, prefix, kRequired, text);
    bool precedes = false, hasPenny = false;
    double price = 0;
    String downloadUrl;
    if (r == Vx::E_SUCCESS) r = IapHashMapUtils::GetBoolValue(&map, BuildKey(prefix, kUnitPrecedes), precedes);
    if (r == Vx::E_SUCCESS) r = IapHashMapUtils::GetBoolValue(&map, BuildKey(prefix, kHasPenny), hasPenny);
    if (r == Vx::E_SUCCESS) r = IapHashMapUtils::GetDoubleValue(&map, BuildKey(prefix, kItemPrice), price);
    if (r == Vx::E_SUCCESS) r = IapHashMapUtils::GetStringValue(&map, BuildKey(prefix, kItemDownloadUrl), downloadUrl);
    if (r != Vx::E_SUCCESS) return r;

    // Absent optional keys read as empty texts.
    String imageUrl, description, reserved1, reserved2;
    IapHashMapUtils::GetStringValue(&map, BuildKey(prefix, kItemImageUrl), imageUrl);
    IapHashMapUtils::GetStringValue(&map, BuildKey(prefix, kItemDescription), description);
    IapHashMapUtils::GetStringValue(&map, BuildKey(prefix, kReserved1), reserved1);
    IapHashMapUtils::GetStringValue(&map, BuildKey(prefix, kReserved2), reserved2);

    item->SetItemId(text[0]);
    item->SetItemGroupId(text[1]);
    item->SetItemName(text[2]);
    item->SetCurrencyUnit(text[3]);
    item->SetCurrencyUnitPrecedes(precedes);
    item->SetCurrencyUnitHasPenny(hasPenny);
    item->SetItemPrice(price);
    item->SetItemDownloadUrl(downloadUrl);
    item->SetItemImageUrl(imageUrl);
    item->SetItemDescription(description);
    item->SetReserved1(reserved1);
    item->SetReserved2(reserved2);
    return Vx::E_SUCCESS;
}

result PurchasedItemInformationToHashMap(const IapPurchasedItemInformation& item, HashMap* map, const String& prefix) {
    result r = ItemInformationToHashMap(item, map, prefix);
    if (r != Vx::E_SUCCESS) return r;
    const Entry entries[] = {
        {kPaymentId, item.GetPaymentId()},
        {kPurchaseDate, item.GetPurchaseDate().ToString()},
    };
    return AddEntries(map, prefix, entries);
}

result PurchasedItemInformationFromHashMap(const IMap& map, IapPurchasedItemInformation* item, const String& prefix) {
    result r = ItemInformationFromHashMap(map, item, prefix);
    if (r != Vx::E_SUCCESS) return r;
    static constexpr const wchar_t* kRequired[] = {kPaymentId, kPurchaseDate};
    String text[2];
    r = ReadRequiredStrings(map, prefix, kRequired, text);
    Vx::Base::DateTime date;
    if (r == Vx::E_SUCCESS) r = Vx::Base::DateTime::Parse(text[1], date);
    if (r != Vx::E_SUCCESS) return r;
    item->SetPaymentId(text[0]);
    item->SetPurchaseDate(date);
    return Vx::E_SUCCESS;
}

result WriteItemListData(HashMap* map, int startNumber, int endNumber, int totalCount) {
    const Entry entries[] = {
        {kStartNumber, Vx::Base::Integer::ToString(startNumber)},
        {kEndNumber, Vx::Base::Integer::ToString(endNumber)},
        {kTotalCount, Vx::Base::Integer::ToString(totalCount)},
    };
    return AddEntries(map, String(), entries);
}

result ReadItemListData(const IMap& map, int& startNumber, int& endNumber, int& totalCount) {
    result r = IapHashMapUtils::GetIntegerValue(&map, kStartNumber, startNumber);
    if (r == Vx::E_SUCCESS) r = IapHashMapUtils::GetIntegerValue(&map, kEndNumber, endNumber);
    if (r == Vx::E_SUCCESS) r = IapHashMapUtils::GetIntegerValue(&map, kTotalCount, totalCount);
    return r;
}

}  // namespace Helpers

namespace ItemInformation {

result ToHashMap(const IapItemInformation& item, HashMap* map) {
    return Helpers::ItemInformationToHashMap(item, map, String());
}

result FromIMap(const IMap& map, IapItemInformation* item) {
    if (map.GetCount() < kItemKeyCount) return Vx::E_UNDERFLOW;
    return Helpers::ItemInformationFromHashMap(map, item, String());
}

}  // namespace ItemInformation

namespace PurchasedItemInformation {

result ToHashMap(const IapPurchasedItemInformation& item, HashMap* map) {
    return Helpers::PurchasedItemInformationToHashMap(item, map, String());
}

result FromIMap(const IMap& map, IapPurchasedItemInformation* item) {
    return Helpers::PurchasedItemInformationFromHashMap(map, item, String());
}

}  // namespace PurchasedItemInformation

namespace PurchaseTicket {

result ToHashMap(const IapPurchaseTicket& ticket, HashMap* map) {
    const Entry entries[] = {
        {kItemId, ticket.GetItemId()},
        {kTicketPurchaseId, ticket.GetPurchaseId()},
        {kTicketVerifyUrl, ticket.GetVerifyUrl()},
        {kTicketParam1, ticket.GetParam1()},
        {kTicketParam2, ticket.GetParam2()},
        {kTicketParam3, ticket.GetParam3()},
    };
    return AddEntries(map, String(), entries);
}

result FromIMap(const IMap& map, IapPurchaseTicket* ticket) {
    if (!ticket) return Vx::E_INVALID_ARG;
    static constexpr const wchar_t* kKeys[] = {kItemId,       kTicketPurchaseId, kTicketVerifyUrl,
                                               kTicketParam1, kTicketParam2,     kTicketParam3};
    String text[6];
    result r = ReadRequiredStrings(map, String(), kKeys, text);
    if (r != Vx::E_SUCCESS) return r;
    ticket->SetItemId(text[0]);
    ticket->SetPurchaseId(text[1]);
    ticket->SetVerifyUrl(text[2]);
    ticket->SetParam1(text[3]);
    ticket->SetParam2(text[4]);
    ticket->SetParam3(text[5]);
    return Vx::E_SUCCESS;
}

}  // namespace PurchaseTicket

namespace ItemInformationList {

result ToHashMap(const IapItemList<IapItemInformation>& list, HashMap* map) {
    return Helpers::WriteItemList<IapItemInformation>(Helpers::ItemInformationToHashMap, list, map);
}

result FromIMap(const IMap& map, IapItemList<IapItemInformation>* list) {
    return Helpers::ReadItemList<IapItemInformation>(Helpers::ItemInformationFromHashMap, map, list);
}

}  // namespace ItemInformationList

namespace PurchasedItemInformationList {

result ToHashMap(const IapItemList<IapPurchasedItemInformation>& list, HashMap* map) {
    return Helpers::WriteItemList<IapPurchasedItemInformation>(Helpers::PurchasedItemInformationToHashMap, list, map);
}

result FromIMap(const IMap& map, IapItemList<IapPurchasedItemInformation>* list) {
    return Helpers::ReadItemList<IapPurchasedItemInformation>(Helpers::PurchasedItemInformationFromHashMap, map, list);
}

}  // namespace PurchasedItemInformationList

}  // namespace IapAppControlSerialization
