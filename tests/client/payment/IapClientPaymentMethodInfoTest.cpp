// The record of one offered payment method.
#include "client/payment/IapClientPaymentMethodInfo.h"

#include <gtest/gtest.h>

using Vx::Base::String;

namespace {

IapClientPaymentMethodInfo Priced(double price, const wchar_t* unit, bool hasPenny, bool precedes) {
    IapClientPaymentMethodInfo info;
    info.SetItemPrice(price);
    info.SetCurrencyUnit(unit);
    info.SetCurrencyUnitHasPenny(hasPenny);
    info.SetCurrencyUnitPrecedes(precedes);
    return info;
}

TEST(IapClientPaymentMethodInfoTest, DefaultsAreEmptyWithNoPriceAndBothFlagsSet) {
    IapClientPaymentMethodInfo info;
    EXPECT_TRUE(info.GetPaymentMethod().IsEmpty());
    EXPECT_TRUE(info.GetCompany().IsEmpty());
    EXPECT_TRUE(info.GetProviderList().IsEmpty());
    EXPECT_EQ(-1.0, info.GetItemPrice());
    EXPECT_TRUE(info.GetCurrencyUnitHasPenny());
    EXPECT_TRUE(info.GetCurrencyUnitPrecedes());
    EXPECT_EQ(String(L"-1.00"), info.GetItemPriceFormatted(true));
}

TEST(IapClientPaymentMethodInfoTest, PriceIsWrittenAsTheCountryWritesIt) {
    EXPECT_EQ(String(L"W1200"), Priced(1200, L"W", false, true).GetItemPriceFormatted(true));
    EXPECT_EQ(String(L"0.99$"), Priced(0.99, L"$", true, false).GetItemPriceFormatted(true));
    EXPECT_EQ(String(L"0.99"), Priced(0.99, L"$", true, false).GetItemPriceFormatted(false));
    EXPECT_EQ(String(L"1200"), Priced(1199.6, L"W", false, true).GetItemPriceFormatted(false));
}

TEST(IapClientPaymentMethodInfoTest, EqualityCoversEveryField) {
    IapClientPaymentMethodInfo a = Priced(2.5, L"$", true, true);
    a.SetPaymentMethod(L"CreditCard");
    a.SetPaymentTypeId(L"01");
    IapClientPaymentMethodInfo b = a;
    EXPECT_TRUE(a == b);
    b.SetPaymentTypeId(L"02");
    EXPECT_TRUE(a != b);
    b = a;
    b.SetCurrencyUnitPrecedes(false);
    EXPECT_NE(a, b);
    b = a;
    b.SetItemPrice(2.51);
    EXPECT_NE(a, b);
    b = a;
    b.SetProviderList(L"KT|SKT");
    EXPECT_NE(a, b);
}

TEST(IapClientPaymentMethodInfoTest, ChangingACopyLeavesTheOriginal) {
    IapClientPaymentMethodInfo original;
    original.SetCompany(L"Visa");
    IapClientPaymentMethodInfo copy(original);
    copy.SetCompany(L"Master");
    copy.SetItemName(L"Gem");
    EXPECT_EQ(String(L"Visa"), original.GetCompany());
    EXPECT_TRUE(original.GetItemName().IsEmpty());
    EXPECT_EQ(String(L"Master"), copy.GetCompany());
    original = copy;
    original = original;  // self-assignment keeps the body
    EXPECT_EQ(String(L"Gem"), original.GetItemName());
}

}  // namespace
