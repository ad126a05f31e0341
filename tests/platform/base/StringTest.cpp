#include "platform/base/String.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

using Vx::Base::String;

TEST(String, ConstructionFromWideUtf8AndNull) {
    EXPECT_TRUE(String().IsEmpty());
    EXPECT_TRUE(String(static_cast<const wchar_t*>(nullptr)).IsEmpty());
    EXPECT_TRUE(String(static_cast<const char*>(nullptr)).IsEmpty());
    EXPECT_EQ(String("h\xC3\xA9").ToStdWString(), std::wstring(L"h\u00E9"));
    EXPECT_EQ(String("\xFF"
                     "a")
                  .ToStdWString(),
              std::wstring(L"\uFFFDa"));
    EXPECT_EQ(String(L'x').GetLength(), 1);
}

TEST(String, Utf8RoundTripIncludingAstralPlane) {
    String text(L"a\u00E9\u4E2D\U0001F600");
    EXPECT_EQ(text.GetLength(), 4);
    EXPECT_EQ(text.ToUtf8(), std::string("a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80"));
    EXPECT_EQ(String::FromUtf8(text.ToUtf8()), text);
    std::string withNul("a\0b", 3);
    EXPECT_EQ(String::FromUtf8(withNul).GetLength(), 3);
}

TEST(String, AppendNumbersAndText) {
    String s(L"n=");
    EXPECT_EQ(s.Append(-42), Vx::E_SUCCESS);
    s.Append(L',');
    s.Append(9223372036854775807LL);
    s.Append(L',');
    s.Append(4294967295u);
    s.Append(L',');
    s.Append(1.5);
    EXPECT_EQ(s, String(L"n=-42,9223372036854775807,4294967295,1.5"));
    EXPECT_EQ(s.Append(static_cast<const wchar_t*>(nullptr)), Vx::E_INVALID_ARG);
}

TEST(String, SearchReportsOutOfRangeAndNotFoundApart) {
    String s(L"a,b,");
    int at = -1;
    EXPECT_EQ(s.IndexOf(L',', 0, at), Vx::E_SUCCESS);
    EXPECT_EQ(at, 1);
    EXPECT_EQ(s.IndexOf(L',', 2, at), Vx::E_SUCCESS);
    EXPECT_EQ(at, 3);
    EXPECT_EQ(s.IndexOf(L'x', 0, at), Vx::E_OBJ_NOT_FOUND);
    EXPECT_EQ(s.IndexOf(L',', 4, at), Vx::E_OUT_OF_RANGE);
    EXPECT_EQ(s.IndexOf(L',', -1, at), Vx::E_OUT_OF_RANGE);
    EXPECT_EQ(s.IndexOf(String(L"b,"), 0, at), Vx::E_SUCCESS);
    EXPECT_EQ(at, 2);
    EXPECT_EQ(s.LastIndexOf(L',', 2, at), Vx::E_SUCCESS);
    EXPECT_EQ(at, 1);
    EXPECT_EQ(String().IndexOf(L',', 0, at), Vx::E_OUT_OF_RANGE);
}

TEST(String, SubStringBounds) {
    String s(L"hello");
    String out(L"untouched");
    EXPECT_EQ(s.SubString(5, out), Vx::E_SUCCESS);
    EXPECT_TRUE(out.IsEmpty());
    EXPECT_EQ(s.SubString(1, 3, out), Vx::E_SUCCESS);
    EXPECT_EQ(out, String(L"ell"));
    out = L"untouched";
    EXPECT_EQ(s.SubString(6, out), Vx::E_OUT_OF_RANGE);
    EXPECT_EQ(s.SubString(3, 3, out), Vx::E_OUT_OF_RANGE);
    EXPECT_EQ(s.SubString(-1, 1, out), Vx::E_OUT_OF_RANGE);
    EXPECT_EQ(s.SubString(1, -1, out), Vx::E_OUT_OF_RANGE);
    EXPECT_EQ(s.SubString(2, 0x7fffffff, out), Vx::E_OUT_OF_RANGE);
    EXPECT_EQ(out, String(L"untouched"));
}

TEST(String, EditingOperationsCheckBounds) {
    String s(L"abc");
    EXPECT_EQ(s.Insert(L"X", 3), Vx::E_SUCCESS);
    EXPECT_EQ(s.Insert(L"X", 5), Vx::E_OUT_OF_RANGE);
    EXPECT_EQ(s.Remove(1, 2), Vx::E_SUCCESS);
    EXPECT_EQ(s, String(L"aX"));
    EXPECT_EQ(s.Remove(1, 2), Vx::E_OUT_OF_RANGE);
    EXPECT_EQ(s.SetCharAt(L'Z', 1), Vx::E_SUCCESS);
    EXPECT_EQ(s.SetCharAt(L'Z', 2), Vx::E_OUT_OF_RANGE);
    wchar_t c = 0;
    EXPECT_EQ(s.GetCharAt(1, c), Vx::E_SUCCESS);
    EXPECT_EQ(c, L'Z');
    EXPECT_EQ(s.GetCharAt(-1, c), Vx::E_OUT_OF_RANGE);
}

TEST(String, ReplaceTrimCaseAndAffixes) {
    String s(L"1.234.5");
    s.Replace(L'.', L',');
    EXPECT_EQ(s, String(L"1,234,5"));
    String t(L"aaa");
    EXPECT_EQ(t.Replace(String(L"a"), String(L"aa")), Vx::E_SUCCESS);  // must not loop on its own output
    EXPECT_EQ(t, String(L"aaaaaa"));
    EXPECT_EQ(t.Replace(String(), String(L"x")), Vx::E_INVALID_ARG);
    String padded(L" \t x y \n");
    padded.Trim();
    EXPECT_EQ(padded, String(L"x y"));
    String blank(L"   ");
    blank.Trim();
    EXPECT_TRUE(blank.IsEmpty());
    EXPECT_TRUE(String(L"OblinProtocol").Equals(String(L"oblinprotocol"), false));
    EXPECT_FALSE(String(L"OblinProtocol").Equals(String(L"oblinprotocol"), true));
    EXPECT_TRUE(String(L"prefix-rest").StartsWith(L"prefix"));
    EXPECT_TRUE(String(L"rest").StartsWith(L"st", 2));
    EXPECT_FALSE(String(L"rest").StartsWith(L"st", 9));
    EXPECT_TRUE(String(L"a.xml").EndsWith(L".xml"));
    EXPECT_FALSE(String(L"ml").EndsWith(L".xml"));
}

TEST(String, ObjectEqualityAndStableHash) {
    String a(L"key"), b(L"key");
    Vx::Base::Object plain;
    EXPECT_TRUE(a.Equals(static_cast<const Vx::Base::Object&>(b)));
    EXPECT_FALSE(a.Equals(plain));
    EXPECT_EQ(a.GetHashCode(), b.GetHashCode());
    EXPECT_NE(a.GetHashCode(), String(L"kez").GetHashCode());
    EXPECT_EQ(String().GetHashCode(), static_cast<int>(2166136261u));
}

// Copies share their characters until one of them changes.
TEST(String, CopiesStayIndependentThroughEveryChange) {
    const String original(L"shared text");
    auto expectUntouched = [&](const String& changed) {
        EXPECT_EQ(original, String(L"shared text"));
        EXPECT_EQ(original.ToStdWString(), L"shared text");
        EXPECT_NE(changed, original);
    };
    String a(original);
    a.Append(L'!');
    expectUntouched(a);
    String b(original);
    b.SetCharAt(L'S', 0);
    expectUntouched(b);
    String c(original);
    c.Replace(L't', L'T');
    expectUntouched(c);
    String d(original);
    d.Replace(String(L"text"), String(L"words"));
    expectUntouched(d);
    String e(original);
    e.Insert(String(L"> "), 0);
    expectUntouched(e);
    String f(original);
    f.Remove(0, 7);
    expectUntouched(f);
    String g = original;
    g.Clear();
    expectUntouched(g);
    String h(L"  x  ");
    String hCopy(h);
    h.Trim();
    EXPECT_EQ(h, String(L"x"));
    EXPECT_EQ(hCopy, String(L"  x  "));
    // The other way round: the original changes, the copy keeps its text.
    String source(L"abc");
    String copy(source);
    source += String(L"def");
    EXPECT_EQ(copy, String(L"abc"));
    EXPECT_EQ(source, String(L"abcdef"));
}

TEST(String, AppendingAndAssigningItsOwnText) {
    String s(L"ab");
    s += s;
    EXPECT_EQ(s, String(L"abab"));
    s.Append(s);
    EXPECT_EQ(s, String(L"abababab"));
    s = s.GetPointer() + 6;  // a piece of its own characters
    EXPECT_EQ(s, String(L"ab"));
    String& alias = s;
    s = alias;
    EXPECT_EQ(s, String(L"ab"));
    String grown;
    for (int i = 0; i < 5000; ++i)
        grown.Append(static_cast<wchar_t>(L'a' + i % 26));
    EXPECT_EQ(grown.GetLength(), 5000);
    EXPECT_EQ(grown[4999], static_cast<wchar_t>(L'a' + 4999 % 26));
    EXPECT_EQ(grown.GetPointer()[5000], L'\0');
}

// Hash and wide form are kept with the characters; a change must drop them.
TEST(String, HashAndWideFormFollowChanges) {
    String s(L"key");
    int before = s.GetHashCode();
    const std::wstring& wide = s.ToStdWString();
    EXPECT_EQ(wide, L"key");
    s.SetCharAt(L'K', 0);
    EXPECT_EQ(s.GetHashCode(), String(L"Key").GetHashCode());
    EXPECT_NE(s.GetHashCode(), before);
    EXPECT_EQ(s.ToStdWString(), L"Key");
    EXPECT_TRUE(s.Equals(String(L"Key")));
    EXPECT_FALSE(s.Equals(String(L"key")));
    std::wstring withNul(L"a\0b", 3);
    String nul(withNul);
    String nulCopy(nul);
    EXPECT_EQ(nulCopy.ToStdWString(), withNul);
    EXPECT_EQ(nulCopy.GetLength(), 3);
}

// Threads copy, read and drop one shared text at once; the sanitizers
// catch a miscounted holder as a leak or a use after free.
TEST(String, SharedTextSurvivesConcurrentCopies) {
    const String shared(L"a text many threads hold");
    const int expectedHash = String(L"a text many threads hold").GetHashCode();
    std::vector<std::thread> threads;
    std::vector<int> mismatches(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i) {
                String copy(shared);
                String other;
                other = copy;
                if (other.GetHashCode() != expectedHash || other.ToStdWString() != L"a text many threads hold") {
                    ++mismatches[static_cast<std::size_t>(t)];
                }
                other.Append(L'!');
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
    EXPECT_EQ(shared, String(L"a text many threads hold"));
}

}  // namespace
