#include "lib/records/IapLibUtils.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using Vx::Base::String;

struct Price {
    double price = -1.0;
    String unit;
    bool precedes = true;
    bool hasPenny = true;
    double GetItemPrice() const { return price; }
    String GetCurrencyUnit() const { return unit; }
    bool GetCurrencyUnitPrecedes() const { return precedes; }
    bool GetCurrencyUnitHasPenny() const { return hasPenny; }
};

TEST(IapLibStatusCode, EveryValueHasAName) {
    EXPECT_STREQ(IapLib::GetStatusCodeName(IapLib::STATUS_CANCELED), "STATUS_CANCELED");
    EXPECT_STREQ(IapLib::GetStatusCodeName(-1), "STATUS_UNKNOWN");
    EXPECT_STREQ(IapLib::GetStatusCodeName(42), "STATUS_UNRECOGNISED");
    for (int value : {0, 100, 200, 1000, 9000, 9103, 9104, 9200, 9201, 9203, 9207}) {
        EXPECT_STRNE(IapLib::GetStatusCodeName(value), "STATUS_UNRECOGNISED") << value;
    }
}

TEST(FormatPrice, UnitBeforeOrAfterWithoutSeparator) {
    Price dollars{1.5, String(L"$"), true, true};
    EXPECT_EQ(IapLib::FormatPrice(dollars, true), String(L"$1.50"));
    EXPECT_EQ(IapLib::FormatPrice(dollars, false), String(L"1.50"));

    Price won{1200, String(L"KRW"), false, false};
    EXPECT_EQ(IapLib::FormatPrice(won, true), String(L"1200KRW"));
    EXPECT_EQ(IapLib::FormatPrice(won, false), String(L"1200"));
}

TEST(FormatPrice, DefaultPriceWithEmptyUnit) { EXPECT_EQ(IapLib::FormatPrice(Price{}, true), String(L"-1.00")); }

TEST(FormatPrice, RoundingIsExactlyPrintfs) {
    char expected[64];
    Price p{2.005, String(), true, true};
    std::snprintf(expected, sizeof expected, "%.2f", 2.005);
    EXPECT_EQ(IapLib::FormatPrice(p, false), String(expected));
    p = Price{0.5, String(), true, false};
    std::snprintf(expected, sizeof expected, "%.0f", 0.5);
    EXPECT_EQ(IapLib::FormatPrice(p, false), String(expected));
}

TEST(FormatPrice, HugePriceIsCutAt255CharactersAndUnitStillAdded) {
    Price huge{1e300, String(L"EUR"), false, true};
    String text = IapLib::FormatPrice(huge, true);
    EXPECT_EQ(text.GetLength(), 255 + 3);
    EXPECT_TRUE(text.EndsWith(String(L"EUR")));
    EXPECT_TRUE(text.StartsWith(String(L"1000000")));
}

}  // namespace
