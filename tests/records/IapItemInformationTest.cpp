#include "lib/records/IapItemInformation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Vx::Base::String;

IapItemInformation MakeItem() {
    IapItemInformation item;
    item.SetItemId(L"item-1");
    item.SetItemGroupId(L"group-1");
    item.SetItemName(L"Sword");
    item.SetCurrencyUnit(L"$");
    item.SetCurrencyUnitPrecedes(true);
    item.SetCurrencyUnitHasPenny(true);
    item.SetItemPrice(1.5);
    item.SetItemDownloadUrl(L"http://dl");
    item.SetItemImageUrl(L"http://img");
    item.SetItemDescription(L"sharp");
    item.SetReserved1(L"r1");
    item.SetReserved2(L"r2");
    return item;
}

TEST(IapItemInformation, DefaultValues) {
    IapItemInformation item;
    EXPECT_TRUE(item.GetItemId().IsEmpty());
    EXPECT_TRUE(item.GetItemGroupId().IsEmpty());
    EXPECT_TRUE(item.GetItemName().IsEmpty());
    EXPECT_TRUE(item.GetCurrencyUnit().IsEmpty());
    EXPECT_TRUE(item.GetCurrencyUnitPrecedes());
    EXPECT_TRUE(item.GetCurrencyUnitHasPenny());
    EXPECT_EQ(item.GetItemPrice(), -1.0);
    EXPECT_TRUE(item.GetItemDownloadUrl().IsEmpty());
    EXPECT_TRUE(item.GetItemImageUrl().IsEmpty());
    EXPECT_TRUE(item.GetItemDescription().IsEmpty());
    EXPECT_TRUE(item.GetReserved1().IsEmpty());
    EXPECT_TRUE(item.GetReserved2().IsEmpty());
    EXPECT_EQ(item.GetItemPriceFormatted(true), String(L"-1.00"));
}

TEST(IapItemInformation, EverySetterIsReadBack) {
    IapItemInformation item = MakeItem();
    EXPECT_EQ(item.GetItemId(), String(L"item-1"));
    EXPECT_EQ(item.GetItemGroupId(), String(L"group-1"));
    EXPECT_EQ(item.GetItemName(), String(L"Sword"));
    EXPECT_EQ(item.GetCurrencyUnit(), String(L"$"));
    EXPECT_EQ(item.GetItemPrice(), 1.5);
    EXPECT_EQ(item.GetItemDownloadUrl(), String(L"http://dl"));
    EXPECT_EQ(item.GetItemImageUrl(), String(L"http://img"));
    EXPECT_EQ(item.GetItemDescription(), String(L"sharp"));
    EXPECT_EQ(item.GetReserved1(), String(L"r1"));
    EXPECT_EQ(item.GetReserved2(), String(L"r2"));
    item.SetCurrencyUnitPrecedes(false);
    item.SetCurrencyUnitHasPenny(false);
    EXPECT_FALSE(item.GetCurrencyUnitPrecedes());
    EXPECT_FALSE(item.GetCurrencyUnitHasPenny());
}

TEST(IapItemInformation, SetterOnCopyLeavesOriginalAlone) {
    IapItemInformation first = MakeItem();
    IapItemInformation copy(first);
    EXPECT_EQ(copy, first);
    copy.SetItemName(L"Shield");
    EXPECT_EQ(first.GetItemName(), String(L"Sword"));
    EXPECT_EQ(copy.GetItemName(), String(L"Shield"));
    EXPECT_NE(copy, first);
    // The copy kept every other field.
    EXPECT_EQ(copy.GetReserved2(), String(L"r2"));
}

TEST(IapItemInformation, ChainOfCopiesEachDetachOnce) {
    IapItemInformation a = MakeItem();
    IapItemInformation b(a), c(b), d(c);
    b.SetItemPrice(2);
    c.SetItemPrice(3);
    d.SetItemPrice(4);
    a.SetItemPrice(1);
    EXPECT_EQ(a.GetItemPrice(), 1);
    EXPECT_EQ(b.GetItemPrice(), 2);
    EXPECT_EQ(c.GetItemPrice(), 3);
    EXPECT_EQ(d.GetItemPrice(), 4);
}

TEST(IapItemInformation, AssignmentSharesAndReleases) {
    IapItemInformation a = MakeItem();
    IapItemInformation b;
    b = a;
    EXPECT_EQ(b, a);
    b.SetItemId(L"other");
    EXPECT_EQ(a.GetItemId(), String(L"item-1"));

    IapItemInformation c = MakeItem();
    c = c;  // self-assignment keeps the body alive
    EXPECT_EQ(c.GetItemName(), String(L"Sword"));

    // Assigning equal contents keeps each on its own body; both stay independent.
    IapItemInformation d = MakeItem();
    IapItemInformation e = MakeItem();
    d = e;
    d.SetItemName(L"D");
    e.SetItemName(L"E");
    EXPECT_EQ(d.GetItemName(), String(L"D"));
    EXPECT_EQ(e.GetItemName(), String(L"E"));
}

TEST(IapItemInformation, EqualityComparesEveryField) {
    IapItemInformation base = MakeItem();
    using Mutator = void (*)(IapItemInformation&);
    const Mutator mutators[] = {
        [](IapItemInformation& i) { i.SetItemId(L"x"); },
        [](IapItemInformation& i) { i.SetItemGroupId(L"x"); },
        [](IapItemInformation& i) { i.SetItemName(L"x"); },
        [](IapItemInformation& i) { i.SetCurrencyUnit(L"x"); },
        [](IapItemInformation& i) { i.SetCurrencyUnitPrecedes(false); },
        [](IapItemInformation& i) { i.SetCurrencyUnitHasPenny(false); },
        [](IapItemInformation& i) { i.SetItemPrice(1.25); },
        [](IapItemInformation& i) { i.SetItemDownloadUrl(L"x"); },
        [](IapItemInformation& i) { i.SetItemImageUrl(L"x"); },
        [](IapItemInformation& i) { i.SetItemDescription(L"x"); },
        [](IapItemInformation& i) { i.SetReserved1(L"x"); },
        [](IapItemInformation& i) { i.SetReserved2(L"x"); },
    };
    for (std::size_t n = 0; n < std::size(mutators); ++n) {
        IapItemInformation changed = MakeItem();
        EXPECT_TRUE(changed == base) << n;
        mutators[n](changed);
        EXPECT_TRUE(changed != base) << "field " << n;
    }
}

TEST(IapItemInformation, EqualityIsCaseSensitiveAndNanEqualsNan) {
    IapItemInformation a = MakeItem(), b = MakeItem();
    b.SetItemName(L"sword");
    EXPECT_NE(a, b);
    a.SetItemName(L"sword");
    a.SetItemPrice(std::nan(""));
    b.SetItemPrice(std::nan(""));
    EXPECT_EQ(a, b);
}

TEST(IapItemInformation, PriceFormattedFromOwnFields) {
    IapItemInformation item;
    item.SetItemPrice(1200);
    item.SetCurrencyUnit(L"KRW");
    item.SetCurrencyUnitPrecedes(false);
    item.SetCurrencyUnitHasPenny(false);
    EXPECT_EQ(item.GetItemPriceFormatted(true), String(L"1200KRW"));
}

TEST(IapItemInformation, WorksAsAnObjectOfTheBaseClass) {
    IapItemInformation* item = new IapItemInformation(MakeItem());
    Vx::Base::Object* object = item;
    EXPECT_TRUE(object->Equals(*item));
    delete object;  // virtual destructor frees the body
}

}  // namespace
