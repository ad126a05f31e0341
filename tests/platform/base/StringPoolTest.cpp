#include "platform/base/StringPool.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/String.h"

namespace {

using Vx::Base::String;
using Vx::Base::StringPool;

TEST(StringPool, TextsReadAndCompareLikeAnyString) {
    StringPool pool;
    String* ascii = pool.Add("itemName");
    String* accented = pool.Add("caf\xC3\xA9 \xF0\x9F\x98\x80");
    String* broken = pool.Add(
        "a\xFF"
        "b");
    String* empty = pool.Add("");
    EXPECT_EQ(pool.GetCount(), 4);
    EXPECT_EQ(ascii->ToStdWString(), L"itemName");
    EXPECT_EQ(*ascii, String(L"itemName"));
    EXPECT_EQ(ascii->GetHashCode(), String(L"itemName").GetHashCode());
    EXPECT_TRUE(ascii->Equals(String(L"itemName")));
    EXPECT_EQ(accented->ToStdWString(), L"caf\u00e9 \U0001F600");
    EXPECT_EQ(accented->GetLength(), 6);
    EXPECT_EQ(broken->ToStdWString(), L"a\uFFFDb");
    EXPECT_TRUE(empty->IsEmpty());
    EXPECT_STREQ(empty->GetPointer(), L"");
    EXPECT_EQ(ascii->ToUtf8(), "itemName");
}

// ASCII texts are kept one byte per character: every reading, search and
// change must give what the same text in a plain String gives.
TEST(StringPool, NarrowTextsBehaveLikeWideOnes) {
    StringPool pool;
    const String& narrow = *pool.Add("Gold pack 42");
    const String wide(L"Gold pack 42");
    EXPECT_EQ(narrow, wide);
    EXPECT_EQ(wide, narrow);
    EXPECT_EQ(narrow, *pool.Add("Gold pack 42"));
    EXPECT_NE(narrow, String(L"Gold pack 4\u00e9"));
    EXPECT_NE(narrow, *pool.Add("Gold pack 43"));
    EXPECT_EQ(narrow.GetHashCode(), wide.GetHashCode());
    EXPECT_EQ(narrow[5], L'p');
    wchar_t ch = 0;
    EXPECT_EQ(narrow.GetCharAt(11, ch), Vx::E_SUCCESS);
    EXPECT_EQ(ch, L'2');
    EXPECT_EQ(narrow.ToUtf8(), "Gold pack 42");
    EXPECT_EQ(narrow.CompareTo(String(L"Gold pack 5")), wide.CompareTo(String(L"Gold pack 5")));
    EXPECT_TRUE(narrow < String(L"Gold pack 5"));
    int at = -1;
    EXPECT_EQ(narrow.IndexOf(L'p', 0, at), Vx::E_SUCCESS);
    EXPECT_EQ(at, 5);
    EXPECT_TRUE(narrow.StartsWith(L"Gold") && narrow.EndsWith(L"42") && narrow.Contains(L"pack"));
    String piece;
    EXPECT_EQ(narrow.SubString(5, 4, piece), Vx::E_SUCCESS);
    EXPECT_EQ(piece.ToStdWString(), L"pack");
    EXPECT_STREQ(narrow.GetPointer(), L"Gold pack 42");
    EXPECT_EQ(narrow.View(), std::wstring_view(L"Gold pack 42"));
    EXPECT_EQ((narrow + String(L"!")).ToStdWString(), L"Gold pack 42!");

    // Changes copy the text out and widen it; the pooled text stays.
    String changed(narrow);
    changed.SetCharAt(L'\u00e9', 0);
    EXPECT_EQ(changed.ToStdWString(), L"\u00e9old pack 42");
    String appended(narrow);
    appended.Append(L" \u20ac");
    EXPECT_EQ(appended.ToStdWString(), L"Gold pack 42 \u20ac");
    String replaced(narrow);
    replaced.Replace(L' ', L'_');
    EXPECT_EQ(replaced.ToStdWString(), L"Gold_pack_42");
    String self(narrow);
    self = self.GetPointer() + 5;  // a piece of its own wide form
    EXPECT_EQ(self.ToStdWString(), L"pack 42");
    EXPECT_EQ(narrow.ToStdWString(), L"Gold pack 42");
}

// Copies hold the characters by themselves: the sanitizers report a read of
// a freed chunk or a chunk never freed.
TEST(StringPool, CopiesOutliveThePoolAndChangeIndependently) {
    String copied;
    String moved;
    String assigned(L"before");
    String changed;
    {
        StringPool pool;
        String* kept = pool.Add("http://store.example/img/1.png");
        String* other = pool.Add("EUR");
        copied = *kept;
        moved = std::move(*other);
        EXPECT_EQ(*other, String(L"EUR")) << "the pool keeps its own text when moved from";
        assigned = *kept;
        changed = *kept;
        changed.Append(L'!');
        EXPECT_EQ(*kept, String(L"http://store.example/img/1.png"));
        // The pool's own String changes like any other, copying out first.
        kept->Append(L"?x=1");
        EXPECT_EQ(kept->ToStdWString(), L"http://store.example/img/1.png?x=1");
        EXPECT_EQ(copied.ToStdWString(), L"http://store.example/img/1.png");
        *other = String(L"counted");  // given back when the pool goes
    }
    EXPECT_EQ(copied.ToStdWString(), L"http://store.example/img/1.png");
    EXPECT_EQ(moved.ToStdWString(), L"EUR");
    EXPECT_EQ(assigned, copied);
    EXPECT_EQ(changed.ToStdWString(), L"http://store.example/img/1.png!");
    String again(copied);
    copied.Clear();
    EXPECT_EQ(again.GetHashCode(), String(L"http://store.example/img/1.png").GetHashCode());
}

// Enough texts for many chunks, one longer than any chunk, wide forms made
// for some (each chunk frees those it made), and one kept past the pool.
TEST(StringPool, ManyChunksLongTextsAndWideForms) {
    String survivor;
    std::wstring expectedLong(100000, L'x');
    {
        StringPool pool;
        std::vector<String*> texts;
        for (int i = 0; i < 20000; ++i)
            texts.push_back(pool.Add("value number " + std::to_string(i)));
        String* longText = pool.Add(std::string(100000, 'x'));
        EXPECT_EQ(longText->ToStdWString(), expectedLong);
        for (int i = 0; i < 20000; i += 7)
            EXPECT_EQ(texts[static_cast<std::size_t>(i)]->ToStdWString(), L"value number " + std::to_wstring(i));
        for (int i = 1; i < 20000; i += 997)
            EXPECT_EQ(*texts[static_cast<std::size_t>(i)], String(("value number " + std::to_string(i)).c_str()));
        survivor = *texts[12345];
        EXPECT_EQ(survivor.ToStdWString(), L"value number 12345");
    }
    EXPECT_EQ(survivor.ToStdWString(), L"value number 12345");
    EXPECT_EQ(survivor.GetLength(), 18);
}

// Threads copy pooled texts while the pool goes; the last copy frees the chunk.
TEST(StringPool, CopiesOnOtherThreadsKeepTheChunk) {
    auto pool = std::make_unique<StringPool>();
    std::vector<String> seeds;
    for (int i = 0; i < 4; ++i)
        seeds.push_back(*pool->Add("shared text " + std::to_string(i)));
    pool.reset();
    std::vector<std::thread> threads;
    std::vector<int> mismatches(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&mismatches, t, mine = seeds[static_cast<std::size_t>(t)]] {
            const std::wstring expected = L"shared text " + std::to_wstring(t);
            for (int i = 0; i < 2000; ++i) {
                String copy(mine);
                String other;
                other = copy;
                if (other.ToStdWString() != expected) ++mismatches[static_cast<std::size_t>(t)];
                other.Append(L'!');
            }
        });
    }
    seeds.clear();
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

}  // namespace
