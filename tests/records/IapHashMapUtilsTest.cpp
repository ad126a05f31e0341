#include "lib/records/IapHashMapUtils.h"

#include <gtest/gtest.h>

#include "platform/base/HashMap.h"

namespace {

using namespace IapHashMapUtils;
using Vx::Base::DateTime;
using Vx::Base::String;
using Vx::Base::Collection::ElementOwnership;
using Vx::Base::Collection::HashMap;

class IapHashMapUtilsTest : public ::testing::Test {
protected:
    void Put(const wchar_t* key, const wchar_t* value) {
        ASSERT_EQ(map_.Add(new String(key), new String(value)), Vx::E_SUCCESS);
    }
    HashMap map_{ElementOwnership::Owned};
};

TEST_F(IapHashMapUtilsTest, NullMapAndAbsentKeyLeaveOutputAlone) {
    String text(L"keep");
    bool flag = true;
    int number = 7;
    double real = 2.5;
    DateTime date;
    date.SetValue(2000, 1, 2);
    EXPECT_EQ(GetStringValue(nullptr, L"k", text), Vx::E_INVALID_ARG);
    EXPECT_EQ(GetBoolValue(nullptr, L"k", flag), Vx::E_INVALID_ARG);
    EXPECT_EQ(GetIntegerValue(nullptr, L"k", number), Vx::E_INVALID_ARG);
    EXPECT_EQ(GetDoubleValue(nullptr, L"k", real), Vx::E_INVALID_ARG);
    EXPECT_EQ(GetDateTimeValue(nullptr, L"k", date), Vx::E_INVALID_ARG);
    EXPECT_EQ(GetStringValue(&map_, L"k", text), Vx::E_OBJ_NOT_FOUND);
    EXPECT_EQ(GetBoolValue(&map_, L"k", flag), Vx::E_OBJ_NOT_FOUND);
    EXPECT_EQ(GetIntegerValue(&map_, L"k", number), Vx::E_OBJ_NOT_FOUND);
    EXPECT_EQ(GetDoubleValue(&map_, L"k", real), Vx::E_OBJ_NOT_FOUND);
    EXPECT_EQ(GetDateTimeValue(&map_, L"k", date), Vx::E_OBJ_NOT_FOUND);
    EXPECT_EQ(GetDateTimeValueWithoutSemicolon(&map_, L"k", date), Vx::E_OBJ_NOT_FOUND);
    EXPECT_EQ(text, String(L"keep"));
    EXPECT_TRUE(flag);
    EXPECT_EQ(number, 7);
    EXPECT_EQ(real, 2.5);
    EXPECT_EQ(date.GetYear(), 2000);
}

TEST_F(IapHashMapUtilsTest, ValueThatIsNotAStringIsRefused) {
    ASSERT_EQ(map_.Add(new String(L"date"), new DateTime()), Vx::E_SUCCESS);
    String text(L"keep");
    EXPECT_EQ(GetStringValue(&map_, L"date", text), Vx::E_INVALID_FORMAT);
    EXPECT_EQ(text, String(L"keep"));
    const String* borrowed = &text;
    EXPECT_EQ(FindStringValue(&map_, L"date", borrowed), Vx::E_INVALID_FORMAT);
    EXPECT_EQ(borrowed, &text);
}

// A value of a String subclass is still a String; the borrowed text is the
// stored object itself, and failures leave the pointer alone.
class Labelled : public String {
public:
    using String::String;
};

TEST_F(IapHashMapUtilsTest, FindStringValueBorrowsTheStoredText) {
    auto* stored = new Labelled(L"x1");
    ASSERT_EQ(map_.Add(new String(L"id"), stored), Vx::E_SUCCESS);
    const String* text = nullptr;
    ASSERT_EQ(FindStringValue(&map_, L"id", text), Vx::E_SUCCESS);
    EXPECT_EQ(text, stored);
    String copy;
    EXPECT_EQ(GetStringValue(&map_, L"id", copy), Vx::E_SUCCESS);
    EXPECT_EQ(copy, String(L"x1"));
    EXPECT_EQ(FindStringValue(&map_, L"absent", text), Vx::E_OBJ_NOT_FOUND);
    EXPECT_EQ(FindStringValue(nullptr, L"id", text), Vx::E_INVALID_ARG);
    EXPECT_EQ(text, stored);
}

TEST_F(IapHashMapUtilsTest, StringIsCopiedUnchanged) {
    Put(L"name", L" Ünïcode value ");
    String out;
    EXPECT_EQ(GetStringValue(&map_, L"name", out), Vx::E_SUCCESS);
    EXPECT_EQ(out, String(L" Ünïcode value "));
}

TEST_F(IapHashMapUtilsTest, OnlyTheTextOneIsTrue) {
    Put(L"one", L"1");
    Put(L"zero", L"0");
    Put(L"word", L"true");
    Put(L"upper", L"TRUE");
    Put(L"empty", L"");
    Put(L"padded", L" 1");
    bool out = false;
    EXPECT_EQ(GetBoolValue(&map_, L"one", out), Vx::E_SUCCESS);
    EXPECT_TRUE(out);
    for (const wchar_t* key : {L"zero", L"word", L"upper", L"empty", L"padded"}) {
        out = true;
        EXPECT_EQ(GetBoolValue(&map_, key, out), Vx::E_SUCCESS) << key;
        EXPECT_FALSE(out) << key;
    }
}

TEST_F(IapHashMapUtilsTest, IntegersParseWholeTextOnly) {
    Put(L"n", L"-42");
    Put(L"max", L"2147483647");
    Put(L"over", L"2147483648");
    Put(L"junk", L"12abc");
    Put(L"empty", L"");
    int out = 0;
    EXPECT_EQ(GetIntegerValue(&map_, L"n", out), Vx::E_SUCCESS);
    EXPECT_EQ(out, -42);
    EXPECT_EQ(GetIntegerValue(&map_, L"max", out), Vx::E_SUCCESS);
    EXPECT_EQ(out, 2147483647);
    EXPECT_NE(GetIntegerValue(&map_, L"over", out), Vx::E_SUCCESS);
    EXPECT_NE(GetIntegerValue(&map_, L"junk", out), Vx::E_SUCCESS);
    EXPECT_NE(GetIntegerValue(&map_, L"empty", out), Vx::E_SUCCESS);
    EXPECT_EQ(out, 2147483647);
}

TEST_F(IapHashMapUtilsTest, DoublesWithPointParseAndJunkFails) {
    Put(L"price", L"12.5");
    Put(L"neg", L"-1");
    Put(L"comma", L"12,5");
    Put(L"junk", L"abc");
    double out = 0;
    EXPECT_EQ(GetDoubleValue(&map_, L"price", out), Vx::E_SUCCESS);
    EXPECT_EQ(out, 12.5);
    EXPECT_EQ(GetDoubleValue(&map_, L"neg", out), Vx::E_SUCCESS);
    EXPECT_EQ(out, -1.0);
    // The platform parser wants a point, so a comma text is refused.
    EXPECT_NE(GetDoubleValue(&map_, L"comma", out), Vx::E_SUCCESS);
    EXPECT_NE(GetDoubleValue(&map_, L"junk", out), Vx::E_SUCCESS);
    EXPECT_EQ(out, -1.0);
}

TEST_F(IapHashMapUtilsTest, SeparatedDateForm) {
    Put(L"full", L"2013-04-05 12:34:56");
    Put(L"slashes", L"2013/04/05T12.34.56 trailing");
    Put(L"dateOnly", L"2013-04-05");
    Put(L"letters", L"2013-0x-05 12:34:56");
    Put(L"month13", L"2013-13-05 12:34:56");
    DateTime out;
    ASSERT_EQ(GetDateTimeValue(&map_, L"full", out), Vx::E_SUCCESS);
    EXPECT_EQ(out.ToString(), String(L"2013-04-05 12:34:56"));
    ASSERT_EQ(GetDateTimeValue(&map_, L"slashes", out), Vx::E_SUCCESS);
    EXPECT_EQ(out.ToString(), String(L"2013-04-05 12:34:56"));
    EXPECT_EQ(GetDateTimeValue(&map_, L"dateOnly", out), Vx::E_INVALID_FORMAT);
    EXPECT_EQ(GetDateTimeValue(&map_, L"letters", out), Vx::E_INVALID_FORMAT);
    EXPECT_NE(GetDateTimeValue(&map_, L"month13", out), Vx::E_SUCCESS);
    EXPECT_EQ(out.ToString(), String(L"2013-04-05 12:34:56"));
}

TEST_F(IapHashMapUtilsTest, CompactDateForm) {
    Put(L"compact", L"20130405123456");
    Put(L"short", L"2013040512345");
    Put(L"separated", L"2013-04-05 12:34:56");
    DateTime out;
    ASSERT_EQ(GetDateTimeValueWithoutSemicolon(&map_, L"compact", out), Vx::E_SUCCESS);
    EXPECT_EQ(out.GetYear(), 2013);
    EXPECT_EQ(out.GetMonth(), 4);
    EXPECT_EQ(out.GetDay(), 5);
    EXPECT_EQ(out.GetHour(), 12);
    EXPECT_EQ(out.GetMinute(), 34);
    EXPECT_EQ(out.GetSecond(), 56);
    EXPECT_EQ(GetDateTimeValueWithoutSemicolon(&map_, L"short", out), Vx::E_INVALID_FORMAT);
    EXPECT_EQ(GetDateTimeValueWithoutSemicolon(&map_, L"separated", out), Vx::E_INVALID_FORMAT);
}

TEST_F(IapHashMapUtilsTest, WorkerTakesAnyFieldPositions) {
    Put(L"dmy", L"05.04.2013");
    static constexpr int kPositions[6] = {6, 3, 0, 0, 0, 0};
    static constexpr int kLengths[6] = {4, 2, 2, 1, 1, 1};
    // Hour, minute and second read the single digit "0".
    DateTime out;
    ASSERT_EQ(IapHashMapUtilsInternal::GetDateTime(&map_, L"dmy", out, kPositions, kLengths), Vx::E_SUCCESS);
    EXPECT_EQ(out.ToString(), String(L"2013-04-05 00:00:00"));
    static constexpr int kBeyond[6] = {100, 3, 0, 0, 0, 0};
    EXPECT_EQ(IapHashMapUtilsInternal::GetDateTime(&map_, L"dmy", out, kBeyond, kLengths), Vx::E_INVALID_FORMAT);
}

}  // namespace
