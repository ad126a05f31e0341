#include "platform/base/DateTime.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using Vx::Base::DateTime;
using Vx::Base::String;

TEST(DateTime, DefaultAndTextForm) {
    DateTime date;
    EXPECT_EQ(date.ToString(), String(L"0001-01-01 00:00:00"));
    ASSERT_EQ(date.SetValue(2013, 4, 5, 12, 34, 56), Vx::E_SUCCESS);
    EXPECT_EQ(date.ToString(), String(L"2013-04-05 12:34:56"));
    ASSERT_EQ(date.SetValue(9999, 12, 31, 23, 59, 59), Vx::E_SUCCESS);
    EXPECT_EQ(date.ToString(), String(L"9999-12-31 23:59:59"));
}

TEST(DateTime, ParseRoundTrip) {
    for (const auto& [y, mo, d, h, mi, s] : {std::array{1, 1, 1, 0, 0, 0}, std::array{2000, 2, 29, 23, 59, 59},
                                             std::array{2013, 4, 5, 12, 34, 56}, std::array{9999, 12, 31, 0, 0, 1}}) {
        DateTime date;
        ASSERT_EQ(date.SetValue(y, mo, d, h, mi, s), Vx::E_SUCCESS);
        DateTime back;
        ASSERT_EQ(DateTime::Parse(date.ToString(), back), Vx::E_SUCCESS) << date.ToString().ToUtf8();
        EXPECT_EQ(back, date);
    }
}

TEST(DateTime, ParseRefusesOtherTextsAndLeavesOutputAlone) {
    DateTime out;
    out.SetValue(2001, 2, 3);
    for (const wchar_t* bad : {L"", L"2013-04-05", L"2013-04-05 12:34:56 ", L" 2013-04-05 12:34:56",
                               L"2013/04/05 12:34:56", L"2013-04-05T12:34:56", L"20130405123456", L"2013-4-05 12:34:56",
                               L"2013-13-05 12:34:56", L"2013-02-29 00:00:00", L"2013-04-05 24:00:00",
                               L"0000-01-01 00:00:00", L"2013-04-05 12:34:6x", L"\u0662013-04-05 12:34:56"}) {
        EXPECT_EQ(DateTime::Parse(bad, out), Vx::E_INVALID_FORMAT) << String(bad).ToUtf8();
    }
    EXPECT_EQ(out.ToString(), String(L"2001-02-03 00:00:00"));
}

TEST(DateTime, SetValueChecksCalendar) {
    DateTime date;
    EXPECT_EQ(date.SetValue(2024, 2, 29), Vx::E_SUCCESS);
    EXPECT_EQ(date.SetValue(1900, 2, 29), Vx::E_OUT_OF_RANGE);
    EXPECT_EQ(date.SetValue(2000, 2, 29), Vx::E_SUCCESS);
    EXPECT_EQ(date.SetValue(2013, 4, 31), Vx::E_OUT_OF_RANGE);
    EXPECT_EQ(date.SetValue(2013, 0, 1), Vx::E_OUT_OF_RANGE);
    EXPECT_EQ(date.SetValue(10000, 1, 1), Vx::E_OUT_OF_RANGE);
    EXPECT_EQ(date.SetValue(2013, 1, 1, 0, 60, 0), Vx::E_OUT_OF_RANGE);
    EXPECT_EQ(date.SetValue(2013, 1, 1, 0, 0, -1), Vx::E_OUT_OF_RANGE);
    EXPECT_EQ(date.ToString(), String(L"2000-02-29 00:00:00"));
}

TEST(DateTime, OrderingAndEquality) {
    DateTime a, b;
    a.SetValue(2013, 12, 31, 23, 59, 59);
    b.SetValue(2014, 1, 1);
    EXPECT_LT(a, b);
    EXPECT_EQ(b.GetTotalSeconds() - a.GetTotalSeconds(), 1);
    EXPECT_EQ(a.CompareTo(b), -1);
    EXPECT_NE(a, b);
    DateTime c = a;
    EXPECT_EQ(c, a);
    EXPECT_TRUE(a.Equals(static_cast<const Vx::Base::Object&>(c)));
    EXPECT_EQ(a.GetHashCode(), c.GetHashCode());
    EXPECT_FALSE(a.Equals(String(L"2013")));
}

TEST(DateTime, CurrentUtcIsPlausible) {
    DateTime now = DateTime::GetCurrentUtc();
    EXPECT_GE(now.GetYear(), 2024);
    DateTime back;
    EXPECT_EQ(DateTime::Parse(now.ToString(), back), Vx::E_SUCCESS);
}

}  // namespace
