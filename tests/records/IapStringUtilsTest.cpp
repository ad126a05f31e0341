#include "lib/records/IapStringUtils.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Vx::Base::String;

std::vector<std::wstring> SplitToVector(const wchar_t* text, wchar_t delimiter) {
    Vx::Base::Collection::ArrayListT<String> pieces;
    pieces.Add(String(L"stale"));
    IapStringUtils::Split(String(text), delimiter, pieces);
    std::vector<std::wstring> out;
    for (int i = 0; i < pieces.GetCount(); ++i)
        out.push_back(pieces.At(i).ToStdWString());
    return out;
}

using Pieces = std::vector<std::wstring>;

TEST(IapStringUtilsSplit, Pieces) {
    EXPECT_EQ(SplitToVector(L"a,,b", L','), (Pieces{L"a", L"", L"b"}));
    EXPECT_EQ(SplitToVector(L"", L','), Pieces{});
    EXPECT_EQ(SplitToVector(L"whole", L','), Pieces{L"whole"});
    EXPECT_EQ(SplitToVector(L",a", L','), (Pieces{L"", L"a"}));
    EXPECT_EQ(SplitToVector(L"a;b;", L';'), (Pieces{L"a", L"b"}));
    EXPECT_EQ(SplitToVector(L";", L';'), Pieces{L""});
    EXPECT_EQ(SplitToVector(L"n@1@url@7", L'@'), (Pieces{L"n", L"1", L"url", L"7"}));
}

}  // namespace
