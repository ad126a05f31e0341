#include "platform/base/Utf8Encoding.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using Vx::Base::byte;
using Vx::Base::String;
using Vx::Text::Utf8Encoding;

Vx::result Decode(const std::string& bytes, String& out) {
    return Utf8Encoding().GetString(reinterpret_cast<const byte*>(bytes.data()), static_cast<int>(bytes.size()), out);
}

TEST(Utf8Encoding, EncodesIntoTerminatedBuffer) {
    Utf8Encoding utf8;
    std::unique_ptr<Vx::Base::ByteBuffer> bytes(utf8.GetBytesN(String(L"\u00E9\U0001F600")));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(bytes->GetPosition(), 0);
    EXPECT_EQ(bytes->GetLimit(), 6);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes->GetPointer())), "\xC3\xA9\xF0\x9F\x98\x80");
    String back;
    ASSERT_EQ(utf8.GetString(*bytes, back), Vx::E_SUCCESS);
    EXPECT_EQ(back, String(L"\u00E9\U0001F600"));
    int count = 0;
    EXPECT_EQ(utf8.GetByteCount(String(L"a\u00E9"), count), Vx::E_SUCCESS);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(utf8.GetEncodingType(), String(L"UTF-8"));

    std::unique_ptr<Vx::Base::ByteBuffer> empty(utf8.GetBytesN(String()));
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->GetLimit(), 0);
}

TEST(Utf8Encoding, MalformedBytesAreRefusedAndOutputKept) {
    const std::string bad[] = {
        "\x80",                  // lone continuation byte
        "\xC3",                  // truncated two-byte sequence
        "\xE4\xB8",              // truncated three-byte sequence
        "\xC0\xAF",              // overlong slash
        "\xE0\x80\xAF",          // overlong, three bytes
        "\xED\xA0\x80",          // UTF-16 surrogate
        "\xF4\x90\x80\x80",      // beyond U+10FFFF
        "\xF8\x88\x80\x80\x80",  // five-byte form
        "\xFF",
        "ok\xC3(",  // continuation replaced by ASCII
    };
    for (const std::string& bytes : bad) {
        String out(L"kept");
        EXPECT_EQ(Decode(bytes, out), Vx::E_INVALID_ENCODING) << testing::PrintToString(bytes);
        EXPECT_EQ(out, String(L"kept"));
    }
}

TEST(Utf8Encoding, BoundaryCodePointsDecode) {
    String out;
    ASSERT_EQ(Decode(std::string("\x00\x7F", 2), out), Vx::E_SUCCESS);
    EXPECT_EQ(out.GetLength(), 2);
    ASSERT_EQ(Decode("\xF4\x8F\xBF\xBF", out), Vx::E_SUCCESS);
    EXPECT_EQ(out.ToStdWString(), std::wstring(1, static_cast<wchar_t>(0x10FFFF)));
    ASSERT_EQ(Decode("\xEF\xBF\xBD", out), Vx::E_SUCCESS);
    EXPECT_EQ(out, String(L"\uFFFD"));
}

TEST(Utf8Encoding, ArgumentChecks) {
    Utf8Encoding utf8;
    String out;
    EXPECT_EQ(utf8.GetString(nullptr, 1, out), Vx::E_INVALID_ARG);
    EXPECT_EQ(utf8.GetString(reinterpret_cast<const byte*>("a"), -1, out), Vx::E_INVALID_ARG);
    EXPECT_EQ(utf8.GetString(nullptr, 0, out), Vx::E_SUCCESS);
    EXPECT_TRUE(out.IsEmpty());
}

TEST(Utf8Encoding, LossyStringConversionReplacesEachBadByte) {
    EXPECT_EQ(String::FromUtf8("a\xE4\xB8"
                               "b"),
              String(L"a\uFFFD\uFFFDb"));
    // Unencodable wide values become the replacement character on the way out.
    std::wstring surrogate(1, static_cast<wchar_t>(0xD800));
    EXPECT_EQ(String(surrogate).ToUtf8(), std::string("\xEF\xBF\xBD"));
    std::wstring huge(1, static_cast<wchar_t>(0x110000));
    EXPECT_EQ(String(huge).ToUtf8(), std::string("\xEF\xBF\xBD"));
}

}  // namespace
