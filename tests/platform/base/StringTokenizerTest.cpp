#include "platform/base/StringTokenizer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Vx::Base::String;
using Vx::Base::Utility::StringTokenizer;

std::vector<std::wstring> Tokens(StringTokenizer& tokenizer) {
    std::vector<std::wstring> out;
    String token;
    while (tokenizer.HasMoreTokens()) {
        EXPECT_EQ(tokenizer.GetNextToken(token), Vx::E_SUCCESS);
        out.push_back(token.ToStdWString());
    }
    return out;
}

TEST(StringTokenizer, SkipsRunsOfAnyDelimiter) {
    StringTokenizer tokenizer(L";a;;b,c;", L";,");
    EXPECT_EQ(tokenizer.GetTokenCount(), 3);
    EXPECT_EQ(Tokens(tokenizer), (std::vector<std::wstring>{L"a", L"b", L"c"}));
    String token(L"kept");
    EXPECT_EQ(tokenizer.GetNextToken(token), Vx::E_OUT_OF_RANGE);
    EXPECT_EQ(token, String(L"kept"));
    EXPECT_EQ(tokenizer.GetTokenCount(), 0);
}

TEST(StringTokenizer, DefaultDelimitersAreWhitespace) {
    StringTokenizer tokenizer(L"  one\ttwo\nthree  ");
    EXPECT_EQ(Tokens(tokenizer), (std::vector<std::wstring>{L"one", L"two", L"three"}));
}

TEST(StringTokenizer, EmptyAndDelimiterOnlyTextsHaveNoTokens) {
    StringTokenizer empty(L"", L",");
    EXPECT_FALSE(empty.HasMoreTokens());
    StringTokenizer commas(L",,,", L",");
    EXPECT_EQ(commas.GetTokenCount(), 0);
    StringTokenizer noDelimiters(L"whole text", L"");
    EXPECT_EQ(Tokens(noDelimiters), std::vector<std::wstring>{L"whole text"});
}

}  // namespace
