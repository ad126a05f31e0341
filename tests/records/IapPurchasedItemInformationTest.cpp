#include "lib/records/IapPurchasedItemInformation.h"

#include <gtest/gtest.h>

namespace {

using Vx::Base::DateTime;
using Vx::Base::String;

DateTime Date(int year, int month, int day) {
    DateTime date;
    EXPECT_EQ(date.SetValue(year, month, day, 12, 34, 56), Vx::E_SUCCESS);
    return date;
}

IapPurchasedItemInformation MakePurchase() {
    IapPurchasedItemInformation item;
    item.SetItemId(L"item-1");
    item.SetItemPrice(3.0);
    item.SetPaymentId(L"pay-1");
    item.SetPurchaseDate(Date(2013, 4, 5));
    return item;
}

TEST(IapPurchasedItemInformation, DefaultsAndAccessors) {
    IapPurchasedItemInformation item;
    EXPECT_TRUE(item.GetPaymentId().IsEmpty());
    EXPECT_EQ(item.GetPurchaseDate(), DateTime());
    EXPECT_EQ(item.GetItemPrice(), -1.0);
    item = MakePurchase();
    EXPECT_EQ(item.GetPaymentId(), String(L"pay-1"));
    EXPECT_EQ(item.GetPurchaseDate(), Date(2013, 4, 5));
    EXPECT_EQ(item.GetItemId(), String(L"item-1"));
}

TEST(IapPurchasedItemInformation, BodiesDetachIndependently) {
    IapPurchasedItemInformation a = MakePurchase();
    IapPurchasedItemInformation b(a);
    b.SetPaymentId(L"pay-2");
    EXPECT_EQ(a.GetPaymentId(), String(L"pay-1"));
    EXPECT_EQ(b.GetItemId(), String(L"item-1"));

    IapPurchasedItemInformation c(a);
    c.SetItemName(L"renamed");
    EXPECT_TRUE(a.GetItemName().IsEmpty());
    EXPECT_EQ(c.GetPaymentId(), String(L"pay-1"));
    c.SetPurchaseDate(Date(2020, 1, 1));
    EXPECT_EQ(a.GetPurchaseDate(), Date(2013, 4, 5));
}

TEST(IapPurchasedItemInformation, FromItemSharesItemFieldsWithFreshPurchase) {
    IapItemInformation item;
    item.SetItemId(L"base");
    IapPurchasedItemInformation purchased(item);
    EXPECT_EQ(purchased.GetItemId(), String(L"base"));
    EXPECT_TRUE(purchased.GetPaymentId().IsEmpty());
    purchased.SetItemId(L"changed");
    EXPECT_EQ(item.GetItemId(), String(L"base"));
}

TEST(IapPurchasedItemInformation, EqualityNeedsItemAndPurchaseFields) {
    IapPurchasedItemInformation a = MakePurchase(), b = MakePurchase();
    EXPECT_EQ(a, b);
    b.SetPurchaseDate(Date(2013, 4, 6));
    EXPECT_NE(a, b);
    b = MakePurchase();
    b.SetPaymentId(L"pay-9");
    EXPECT_NE(a, b);
    b = MakePurchase();
    b.SetItemDescription(L"different");
    EXPECT_NE(a, b);
}

TEST(IapPurchasedItemInformation, AssignmentTakesBothParts) {
    IapPurchasedItemInformation target = MakePurchase();
    IapPurchasedItemInformation source;
    source.SetItemId(L"item-2");
    source.SetPaymentId(L"pay-2");
    target = source;
    EXPECT_EQ(target, source);
    EXPECT_EQ(target.GetItemId(), String(L"item-2"));
    EXPECT_EQ(target.GetPaymentId(), String(L"pay-2"));

    // Same item part, different purchase: only the purchase part moves.
    IapPurchasedItemInformation other(source);
    other.SetPaymentId(L"pay-3");
    target = other;
    EXPECT_EQ(target.GetPaymentId(), String(L"pay-3"));
    other.SetPaymentId(L"pay-4");
    EXPECT_EQ(target.GetPaymentId(), String(L"pay-3"));

    target = target;
    EXPECT_EQ(target.GetPaymentId(), String(L"pay-3"));
}

TEST(IapPurchasedItemInformation, DeletedThroughBaseReleasesBothBodies) {
    IapItemInformation* item = new IapPurchasedItemInformation(MakePurchase());
    delete item;
}

}  // namespace
