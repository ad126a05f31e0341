#include "platform/base/Number.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using Vx::Base::Double;
using Vx::Base::Integer;
using Vx::Base::LongLong;
using Vx::Base::String;

TEST(Integer, ParsesWholeTextWithinRange) {
    int out = 0;
    EXPECT_EQ(Integer::Parse(L"2147483647", out), Vx::E_SUCCESS);
    EXPECT_EQ(out, INT_MAX);
    EXPECT_EQ(Integer::Parse(L"-2147483648", out), Vx::E_SUCCESS);
    EXPECT_EQ(out, INT_MIN);
    EXPECT_EQ(Integer::Parse(L"+7", out), Vx::E_SUCCESS);
    EXPECT_EQ(out, 7);
    EXPECT_EQ(Integer::Parse(L"007", out), Vx::E_SUCCESS);
    EXPECT_EQ(out, 7);
    for (const wchar_t* bad : {L"", L"2147483648", L"-2147483649", L"99999999999999999999999", L" 1", L"1 ", L"1a",
                               L"0x10", L"+", L"-", L"+-1", L"++1", L"1.0", L"\u0661"}) {
        out = 5;
        EXPECT_EQ(Integer::Parse(bad, out), Vx::E_NUM_FORMAT) << String(bad).ToUtf8();
        EXPECT_EQ(out, 5);
    }
}

TEST(LongLong, ParsesAndFormatsExtremes) {
    long long out = 0;
    EXPECT_EQ(LongLong::Parse(L"9223372036854775807", out), Vx::E_SUCCESS);
    EXPECT_EQ(out, LLONG_MAX);
    EXPECT_EQ(LongLong::Parse(L"9223372036854775808", out), Vx::E_NUM_FORMAT);
    EXPECT_EQ(LongLong::ToString(LLONG_MIN), String(L"-9223372036854775808"));
    EXPECT_EQ(Integer::ToString(INT_MIN), String(L"-2147483648"));
}

TEST(Double, ShortestTextRoundTrips) {
    EXPECT_EQ(Double::ToString(-1.0), String(L"-1"));
    EXPECT_EQ(Double::ToString(1.5), String(L"1.5"));
    EXPECT_EQ(Double::ToString(0.1), String(L"0.1"));
    for (double value : {0.0, -0.0, 0.1, 4.99, 1e-7, 1e300, -1e-300, DBL_MAX, DBL_MIN, 123456789.123456789}) {
        double back = 42;
        ASSERT_EQ(Double::Parse(Double::ToString(value), back), Vx::E_SUCCESS) << value;
        EXPECT_EQ(back, value);
    }
}

TEST(Double, RefusesNonNumbersAndNonFinite) {
    double out = 3;
    for (const wchar_t* bad : {L"", L"abc", L"1,5", L" 1.5", L"1.5 ", L"inf", L"-inf", L"nan", L"1e999", L"+", L"+-1",
                               L"++1", L"0x1p3", L"1.5\u00A0"}) {
        EXPECT_EQ(Double::Parse(bad, out), Vx::E_NUM_FORMAT) << String(bad).ToUtf8();
    }
    EXPECT_EQ(out, 3);
    EXPECT_EQ(Double::Parse(L"+1.25", out), Vx::E_SUCCESS);
    EXPECT_EQ(out, 1.25);
    EXPECT_EQ(Double::Parse(L"-2.5e3", out), Vx::E_SUCCESS);
    EXPECT_EQ(out, -2500);
}

TEST(Double, CompareOrdersNanLast) {
    EXPECT_EQ(Double::Compare(1, 2), -1);
    EXPECT_EQ(Double::Compare(2, 1), 1);
    EXPECT_EQ(Double::Compare(0.0, -0.0), 0);
    EXPECT_EQ(Double::Compare(NAN, NAN), 0);
    EXPECT_EQ(Double::Compare(NAN, 1e308), 1);
    EXPECT_EQ(Double::Compare(-INFINITY, NAN), -1);
}

// A throwaway locale whose decimal separator is a comma and whose thousands
// separator is a point: the worst case for code that leans on the C library.
class CommaLocale : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v localedef >/dev/null 2>&1") != 0) GTEST_SKIP() << "localedef not installed";
        dir_ = std::filesystem::temp_directory_path() / ("comma-locale-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
        std::ofstream(dir_ / "comma.src") << "LC_CTYPE\ncopy \"POSIX\"\nEND LC_CTYPE\n"
                                             "LC_NUMERIC\ndecimal_point \"<U002C>\"\nthousands_sep \"<U002E>\"\n"
                                             "grouping 3;3\nEND LC_NUMERIC\n";
        std::string command = "localedef -c -i '" + (dir_ / "comma.src").string() + "' -f ANSI_X3.4-1968 '" +
                              (dir_ / "comma").string() + "' >/dev/null 2>&1";
        std::system(command.c_str());
        ::setenv("LOCPATH", dir_.c_str(), 1);
        if (!std::setlocale(LC_ALL, "comma")) GTEST_SKIP() << "could not build a test locale";
    }
    void TearDown() override {
        std::setlocale(LC_ALL, "C");
        ::unsetenv("LOCPATH");
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    std::filesystem::path dir_;
};

TEST_F(CommaLocale, NumbersIgnoreTheProcessLocale) {
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5");  // the locale is really in force
    EXPECT_EQ(Double::ToString(1.5), String(L"1.5"));
    EXPECT_EQ(Integer::ToString(1234567), String(L"1234567"));
    EXPECT_EQ(LongLong::ToString(-1234567890123LL), String(L"-1234567890123"));
    double out = 0;
    EXPECT_EQ(Double::Parse(L"12.5", out), Vx::E_SUCCESS);
    EXPECT_EQ(out, 12.5);
    EXPECT_EQ(Double::Parse(L"12,5", out), Vx::E_NUM_FORMAT);
    String appended;
    appended.Append(0.25);
    EXPECT_EQ(appended, String(L"0.25"));
}

}  // namespace
