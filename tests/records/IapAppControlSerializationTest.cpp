#include "lib/records/IapAppControlSerialization.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <limits>
#include <memory>
#include <vector>

namespace {

namespace S = IapAppControlSerialization;
using Vx::Base::DateTime;
using Vx::Base::String;
using Vx::Base::Collection::ElementOwnership;
using Vx::Base::Collection::HashMap;

class Serialization : public ::testing::Test {
protected:
    String Text(const String& key) const {
        const auto* value = dynamic_cast<const String*>(map_.GetValue(key));
        return value ? *value : String(L"<absent>");
    }
    bool Has(const String& key) const { return map_.ContainsKey(key); }
    void Put(const String& key, const String& value) {
        ASSERT_EQ(map_.Add(new String(key), new String(value)), Vx::E_SUCCESS);
    }
    void Drop(const String& key) { ASSERT_EQ(map_.Remove(key), Vx::E_SUCCESS); }
    std::vector<std::wstring> Keys() const {
        std::unique_ptr<Vx::Base::Collection::IMapEnumerator> it(map_.GetMapEnumeratorN());
        std::vector<std::wstring> keys;
        while (it->MoveNext() == Vx::E_SUCCESS)
            keys.push_back(static_cast<String*>(it->GetKey())->ToStdWString());
        return keys;
    }

    HashMap map_{ElementOwnership::Owned};
};

IapItemInformation MakeItem(const String& id, double price = 4.99) {
    IapItemInformation item;
    item.SetItemId(id);
    item.SetItemGroupId(L"group");
    item.SetItemName(L"Ünïcode name");
    item.SetCurrencyUnit(L"€");
    item.SetCurrencyUnitPrecedes(false);
    item.SetCurrencyUnitHasPenny(true);
    item.SetItemPrice(price);
    item.SetItemDownloadUrl(L"http://dl/" + id);
    item.SetItemImageUrl(L"http://img/" + id);
    item.SetItemDescription(L"line one\nline two");
    item.SetReserved1(L"r1");
    item.SetReserved2(L"r2");
    return item;
}

IapPurchasedItemInformation MakePurchase(const String& id) {
    IapPurchasedItemInformation item(MakeItem(id));
    item.SetPaymentId(L"pay-" + id);
    DateTime date;
    date.SetValue(2013, 4, 5, 12, 34, 56);
    item.SetPurchaseDate(date);
    return item;
}

IapItemList<IapItemInformation> MakePage(int start, int count, int total) {
    IapItemList<IapItemInformation> list;
    list.startNumber = start, list.totalCount = total;
    list.endNumber = static_cast<int>(std::min<long long>(INT_MAX, static_cast<long long>(start) + count - 1));
    for (int i = 0; i < count; ++i)
        list.Add(MakeItem(Vx::Base::Integer::ToString(i)));
    return list;
}

TEST_F(Serialization, DefaultItemGivesTwelveKeysInOrder) {
    ASSERT_EQ(S::ItemInformation::ToHashMap(IapItemInformation(), &map_), Vx::E_SUCCESS);
    EXPECT_EQ(Keys(), (std::vector<std::wstring>{L"_itemId", L"_itemGroupId", L"_itemName", L"_currencyUnit",
                                                 L"_unitPrecedes", L"_hasPenny", L"_itemPrice", L"_itemDownloadUrl",
                                                 L"_itemImageUrl", L"_itemDescription", L"_reserved1", L"_reserved2"}));
    EXPECT_EQ(Text(L"_unitPrecedes"), String(L"1"));
    EXPECT_EQ(Text(L"_hasPenny"), String(L"1"));
    EXPECT_EQ(Text(L"_itemPrice"), Vx::Base::Double::ToString(-1.0));
    EXPECT_EQ(Text(L"_itemId"), String(L""));
}

TEST_F(Serialization, ItemRoundTripKeepsEveryFieldAndExactPrice) {
    for (double price : {4.99, 0.1, 1e-7, 1234567.891, -1.0, 0.0}) {
        HashMap map(ElementOwnership::Owned);
        IapItemInformation item = MakeItem(L"x", price);
        ASSERT_EQ(S::ItemInformation::ToHashMap(item, &map), Vx::E_SUCCESS);
        IapItemInformation read;
        ASSERT_EQ(S::ItemInformation::FromIMap(map, &read), Vx::E_SUCCESS);
        EXPECT_EQ(read, item) << price;
        EXPECT_EQ(read.GetItemPrice(), price);
    }
}

TEST_F(Serialization, NonFinitePriceIsRefusedAndNothingIsWritten) {
    for (double price : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                         -std::numeric_limits<double>::infinity()}) {
        HashMap map(ElementOwnership::Owned);
        EXPECT_EQ(S::ItemInformation::ToHashMap(MakeItem(L"x", price), &map), Vx::E_INVALID_ARG) << price;
        EXPECT_EQ(map.GetCount(), 0) << price;
        EXPECT_EQ(S::PurchasedItemInformation::ToHashMap(IapPurchasedItemInformation(MakeItem(L"x", price)), &map),
                  Vx::E_INVALID_ARG);
    }
    // The largest finite prices still go there and back.
    for (double price : {std::numeric_limits<double>::max(), -std::numeric_limits<double>::max()}) {
        HashMap map(ElementOwnership::Owned);
        ASSERT_EQ(S::ItemInformation::ToHashMap(MakeItem(L"x", price), &map), Vx::E_SUCCESS);
        IapItemInformation read;
        ASSERT_EQ(S::ItemInformation::FromIMap(map, &read), Vx::E_SUCCESS);
        EXPECT_EQ(read.GetItemPrice(), price);
    }
}

TEST_F(Serialization, ItemWriteFailures) {
    EXPECT_EQ(S::ItemInformation::ToHashMap(MakeItem(L"a"), nullptr), Vx::E_INVALID_ARG);
    // A taken first key stops the write at once; a taken later key keeps what came before.
    Put(L"_itemName", L"taken");
    EXPECT_EQ(S::ItemInformation::ToHashMap(MakeItem(L"a"), &map_), Vx::E_OBJ_ALREADY_EXIST);
    EXPECT_EQ(map_.GetCount(), 3);
    EXPECT_EQ(Text(L"_itemName"), String(L"taken"));
    EXPECT_EQ(S::ItemInformation::ToHashMap(MakeItem(L"a"), &map_), Vx::E_OBJ_ALREADY_EXIST);
    EXPECT_EQ(map_.GetCount(), 3);
}

TEST_F(Serialization, ItemReadFailuresLeaveRecordUntouched) {
    IapItemInformation original = MakeItem(L"keep");
    IapItemInformation target = original;

    ASSERT_EQ(S::ItemInformation::ToHashMap(MakeItem(L"new"), &map_), Vx::E_SUCCESS);
    EXPECT_EQ(S::ItemInformation::FromIMap(map_, nullptr), Vx::E_INVALID_ARG);

    Drop(L"_reserved2");  // eleven entries: too few for a single record
    EXPECT_EQ(S::ItemInformation::FromIMap(map_, &target), Vx::E_UNDERFLOW);
    Put(L"_extra", L"x");
    ASSERT_EQ(S::ItemInformation::FromIMap(map_, &target), Vx::E_SUCCESS);
    EXPECT_TRUE(target.GetReserved2().IsEmpty());

    target = original;
    Drop(L"_itemDownloadUrl");
    Put(L"_extra2", L"x");
    EXPECT_EQ(S::ItemInformation::FromIMap(map_, &target), Vx::E_OBJ_NOT_FOUND);
    EXPECT_EQ(target, original);

    Put(L"_itemDownloadUrl", L"u");
    ASSERT_EQ(map_.SetValue(String(L"_itemPrice"), new String(L"free")), Vx::E_SUCCESS);
    EXPECT_NE(S::ItemInformation::FromIMap(map_, &target), Vx::E_SUCCESS);
    EXPECT_EQ(target, original);
}

TEST_F(Serialization, FlagsAreTrueOnlyForOne) {
    ASSERT_EQ(S::ItemInformation::ToHashMap(MakeItem(L"a"), &map_), Vx::E_SUCCESS);
    map_.SetValue(String(L"_hasPenny"), new String(L"true"));
    map_.SetValue(String(L"_unitPrecedes"), new String(L"1"));
    IapItemInformation read;
    ASSERT_EQ(S::ItemInformation::FromIMap(map_, &read), Vx::E_SUCCESS);
    EXPECT_FALSE(read.GetCurrencyUnitHasPenny());
    EXPECT_TRUE(read.GetCurrencyUnitPrecedes());
}

TEST_F(Serialization, PurchasedItemRoundTripAndKeys) {
    IapPurchasedItemInformation item = MakePurchase(L"p");
    ASSERT_EQ(S::PurchasedItemInformation::ToHashMap(item, &map_), Vx::E_SUCCESS);
    EXPECT_EQ(map_.GetCount(), 14);
    EXPECT_EQ(Keys()[12], std::wstring(L"_paymentId"));
    EXPECT_EQ(Text(L"_purchaseDate"), String(L"2013-04-05 12:34:56"));
    IapPurchasedItemInformation read;
    ASSERT_EQ(S::PurchasedItemInformation::FromIMap(map_, &read), Vx::E_SUCCESS);
    EXPECT_EQ(read, item);
    EXPECT_EQ(S::PurchasedItemInformation::ToHashMap(item, nullptr), Vx::E_INVALID_ARG);
    EXPECT_EQ(S::PurchasedItemInformation::FromIMap(map_, nullptr), Vx::E_INVALID_ARG);
}

TEST_F(Serialization, PurchasedItemBadDateKeepsPurchaseFields) {
    ASSERT_EQ(S::PurchasedItemInformation::ToHashMap(MakePurchase(L"new"), &map_), Vx::E_SUCCESS);
    map_.SetValue(String(L"_purchaseDate"), new String(L"2013-02-30 00:00:00"));
    IapPurchasedItemInformation target = MakePurchase(L"old");
    EXPECT_EQ(S::PurchasedItemInformation::FromIMap(map_, &target), Vx::E_INVALID_FORMAT);
    EXPECT_EQ(target.GetItemId(), String(L"new"));  // the item part was already read
    EXPECT_EQ(target.GetPaymentId(), String(L"pay-old"));

    Drop(L"_paymentId");
    EXPECT_EQ(S::PurchasedItemInformation::FromIMap(map_, &target), Vx::E_OBJ_NOT_FOUND);
}

TEST_F(Serialization, PurchasedItemWriteStopsWhenItemPartFails) {
    Put(L"_reserved2", L"taken");
    EXPECT_EQ(S::PurchasedItemInformation::ToHashMap(MakePurchase(L"a"), &map_), Vx::E_OBJ_ALREADY_EXIST);
    EXPECT_FALSE(Has(L"_paymentId"));
}

TEST_F(Serialization, TicketRoundTripAndAllKeysRequired) {
    IapPurchaseTicket ticket;
    ticket.SetItemId(L"item");
    ticket.SetPurchaseId(L"pid");
    ticket.SetVerifyUrl(L"http://v");
    ticket.SetParam1(L"1");
    ticket.SetParam2(L"2");
    ticket.SetParam3(L"3");
    ASSERT_EQ(S::PurchaseTicket::ToHashMap(ticket, &map_), Vx::E_SUCCESS);
    EXPECT_EQ(Keys(), (std::vector<std::wstring>{L"_itemId", L"_ticketPurchaseId", L"_ticketVerifyUrl",
                                                 L"_ticketParam1", L"_ticketParam2", L"_ticketParam3"}));
    IapPurchaseTicket read;
    ASSERT_EQ(S::PurchaseTicket::FromIMap(map_, &read), Vx::E_SUCCESS);
    EXPECT_EQ(read, ticket);

    Drop(L"_ticketParam3");
    IapPurchaseTicket untouched;
    EXPECT_EQ(S::PurchaseTicket::FromIMap(map_, &untouched), Vx::E_OBJ_NOT_FOUND);
    EXPECT_EQ(untouched, IapPurchaseTicket());
    EXPECT_EQ(S::PurchaseTicket::FromIMap(map_, nullptr), Vx::E_INVALID_ARG);
    EXPECT_EQ(S::PurchaseTicket::ToHashMap(ticket, nullptr), Vx::E_INVALID_ARG);
}

TEST_F(Serialization, PageNumbersAndPrefixedKeys) {
    IapItemList<IapItemInformation> page = MakePage(11, 2, 40);
    ASSERT_EQ(S::ItemInformationList::ToHashMap(page, &map_), Vx::E_SUCCESS);
    EXPECT_EQ(map_.GetCount(), 3 + 2 * 12);
    EXPECT_EQ(Text(L"_startNumber"), String(L"11"));
    EXPECT_EQ(Text(L"_endNumber"), String(L"12"));
    EXPECT_EQ(Text(L"_totalCount"), String(L"40"));
    EXPECT_EQ(Text(L"11_itemId"), String(L"0"));
    EXPECT_EQ(Text(L"12_itemId"), String(L"1"));
    EXPECT_FALSE(Has(L"13_itemId"));

    IapItemList<IapItemInformation> read;
    ASSERT_EQ(S::ItemInformationList::FromIMap(map_, &read), Vx::E_SUCCESS);
    EXPECT_EQ(read.startNumber, 11);
    EXPECT_EQ(read.endNumber, 12);
    EXPECT_EQ(read.totalCount, 40);
    ASSERT_EQ(read.GetCount(), 2);
    EXPECT_EQ(read.At(0), page.At(0));
    EXPECT_EQ(read.At(1), page.At(1));
}

TEST_F(Serialization, EmptyRangeReadsAsEmptyList) {
    Put(L"_startNumber", L"1");
    Put(L"_endNumber", L"0");
    Put(L"_totalCount", L"0");
    IapItemList<IapItemInformation> read = MakePage(1, 3, 3);
    ASSERT_EQ(S::ItemInformationList::FromIMap(map_, &read), Vx::E_SUCCESS);
    EXPECT_EQ(read.GetCount(), 0);
    EXPECT_EQ(read.startNumber, 1);
    EXPECT_EQ(read.endNumber, 0);
    EXPECT_EQ(read.totalCount, 0);
}

TEST_F(Serialization, OptionalKeyMayBeMissingRequiredMayNot) {
    ASSERT_EQ(S::ItemInformationList::ToHashMap(MakePage(1, 6, 6), &map_), Vx::E_SUCCESS);
    Drop(L"5_itemImageUrl");
    IapItemList<IapItemInformation> read;
    ASSERT_EQ(S::ItemInformationList::FromIMap(map_, &read), Vx::E_SUCCESS);
    ASSERT_EQ(read.GetCount(), 6);
    EXPECT_TRUE(read.At(4).GetItemImageUrl().IsEmpty());
    EXPECT_FALSE(read.At(5).GetItemImageUrl().IsEmpty());

    Drop(L"5_itemDownloadUrl");
    IapItemList<IapItemInformation> target = MakePage(7, 1, 9);
    EXPECT_EQ(S::ItemInformationList::FromIMap(map_, &target), Vx::E_OBJ_NOT_FOUND);
    EXPECT_EQ(target.GetCount(), 1);
    EXPECT_EQ(target.startNumber, 7);
    EXPECT_EQ(target.totalCount, 9);
}

TEST_F(Serialization, BadListHeaders) {
    IapItemList<IapItemInformation> read;
    EXPECT_EQ(S::ItemInformationList::FromIMap(map_, &read), Vx::E_OBJ_NOT_FOUND);
    EXPECT_EQ(S::ItemInformationList::FromIMap(map_, nullptr), Vx::E_INVALID_ARG);
    EXPECT_EQ(S::ItemInformationList::ToHashMap(read, nullptr), Vx::E_INVALID_ARG);

    // A default list writes -1 everywhere, which reads back as invalid.
    ASSERT_EQ(S::ItemInformationList::ToHashMap(read, &map_), Vx::E_SUCCESS);
    EXPECT_EQ(Text(L"_totalCount"), String(L"-1"));
    EXPECT_EQ(S::ItemInformationList::FromIMap(map_, &read), Vx::E_INVALID_ARG);

    map_.SetValue(String(L"_startNumber"), new String(L"1"));
    map_.SetValue(String(L"_endNumber"), new String(L"one"));
    EXPECT_EQ(S::ItemInformationList::FromIMap(map_, &read), Vx::E_NUM_FORMAT);
}

TEST_F(Serialization, NumbersNearIntMaxNeitherOverflowNorLoop) {
    // The last record of a page ending at INT_MAX: the read loop must stop after it.
    IapItemList<IapItemInformation> page = MakePage(INT_MAX - 1, 2, INT_MAX);
    ASSERT_EQ(S::ItemInformationList::ToHashMap(page, &map_), Vx::E_SUCCESS);
    EXPECT_TRUE(Has(L"2147483647_itemId"));
    IapItemList<IapItemInformation> read;
    ASSERT_EQ(S::ItemInformationList::FromIMap(map_, &read), Vx::E_SUCCESS);
    EXPECT_EQ(read.GetCount(), 2);
    EXPECT_EQ(read.endNumber, INT_MAX);

    // More elements than the numbering allows: the prefixes go on past INT_MAX.
    HashMap map(ElementOwnership::Owned);
    IapItemList<IapItemInformation> crowded = MakePage(INT_MAX, 2, 1);
    ASSERT_EQ(S::ItemInformationList::ToHashMap(crowded, &map), Vx::E_SUCCESS);
    EXPECT_TRUE(map.ContainsKey(String(L"2147483648_itemId")));
}

TEST_F(Serialization, HugeClaimedRangeFailsAtFirstMissingRecord) {
    ASSERT_EQ(S::ItemInformationList::ToHashMap(MakePage(1, 1, 1), &map_), Vx::E_SUCCESS);
    map_.SetValue(String(L"_endNumber"), new String(L"2000000000"));
    IapItemList<IapItemInformation> read;
    EXPECT_EQ(S::ItemInformationList::FromIMap(map_, &read), Vx::E_OBJ_NOT_FOUND);
    EXPECT_EQ(read.GetCount(), 0);
    EXPECT_EQ(read.startNumber, -1);
}

TEST_F(Serialization, PurchasedListRoundTrip) {
    IapItemList<IapPurchasedItemInformation> list;
    list.startNumber = 1, list.endNumber = 2, list.totalCount = 2;
    list.Add(MakePurchase(L"a"));
    list.Add(MakePurchase(L"b"));
    ASSERT_EQ(S::PurchasedItemInformationList::ToHashMap(list, &map_), Vx::E_SUCCESS);
    EXPECT_EQ(map_.GetCount(), 3 + 2 * 14);
    EXPECT_EQ(Text(L"2_paymentId"), String(L"pay-b"));
    IapItemList<IapPurchasedItemInformation> read;
    ASSERT_EQ(S::PurchasedItemInformationList::FromIMap(map_, &read), Vx::E_SUCCESS);
    ASSERT_EQ(read.GetCount(), 2);
    EXPECT_EQ(read.At(0), list.At(0));
    EXPECT_EQ(read.At(1), list.At(1));
}

TEST_F(Serialization, ListTemplatesRefuseNullFunctions) {
    IapItemList<IapItemInformation> list;
    EXPECT_EQ(S::Helpers::WriteItemList<IapItemInformation>(nullptr, list, &map_), Vx::E_INVALID_ARG);
    EXPECT_EQ(S::Helpers::ReadItemList<IapItemInformation>(nullptr, map_, &list), Vx::E_INVALID_ARG);
    EXPECT_EQ(map_.GetCount(), 0);
}

TEST_F(Serialization, KeyBuildingAndSingleEntries) {
    EXPECT_EQ(S::Helpers::BuildKey(L"12", L"_itemId"), String(L"12_itemId"));
    EXPECT_EQ(S::Helpers::BuildKey(L"", L"_itemId"), String(L"_itemId"));
    EXPECT_EQ(S::Helpers::AddToMapWithPrefix(nullptr, L"", L"_a", L"v"), Vx::E_INVALID_ARG);
    EXPECT_EQ(S::Helpers::AddToMapWithPrefix(&map_, L"3", L"_a", L"v"), Vx::E_SUCCESS);
    EXPECT_EQ(S::Helpers::AddToMapWithPrefix(&map_, L"3", L"_a", L"w"), Vx::E_OBJ_ALREADY_EXIST);
    EXPECT_EQ(Text(L"3_a"), String(L"v"));
}

}  // namespace
