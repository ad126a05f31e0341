#pragma once
// UTF-8 conversion shared by String and Utf8Encoding. Never reads past the
// input; malformed sequences are refused (strict) or replaced by U+FFFD (lossy).
#include <string>
#include <string_view>

namespace Vx::Base::text_detail {

std::string EncodeUtf8(std::wstring_view text);
std::wstring DecodeUtf8Lossy(std::string_view bytes);
bool DecodeUtf8Strict(std::string_view bytes, std::wstring& out);

}  // namespace Vx::Base::text_detail
