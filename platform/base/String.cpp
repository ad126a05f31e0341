#include "platform/base/String.h"

#include <algorithm>
#include <cwctype>
#include <typeinfo>

#include "platform/base/Number.h"
#include "platform/base/Utf8.h"

namespace Vx::Base {

String::String(const wchar_t* text) : value_(text ? text : L"") {}

String::String(const char* utf8) : value_(text_detail::DecodeUtf8Lossy(utf8 ? utf8 : "")) {}

String::String(wchar_t ch) : value_(1, ch) {}

String& String::operator=(const wchar_t* text) {
    value_ = text ? text : L"";
    return *this;
}

String& String::operator+=(const String& other) {
    value_ += other.value_;
    return *this;
}

String& String::operator+=(wchar_t ch) {
    value_ += ch;
    return *this;
}

result String::Append(const String& text) {
    value_ += text.value_;
    return E_SUCCESS;
}

result String::Append(const wchar_t* text) {
    if (!text) return E_INVALID_ARG;
    value_ += text;
    return E_SUCCESS;
}

result String::Append(wchar_t ch) {
    value_ += ch;
    return E_SUCCESS;
}

result String::Append(int value) { return Append(static_cast<long long>(value)); }
result String::Append(long value) { return Append(static_cast<long long>(value)); }
result String::Append(unsigned int value) { return Append(static_cast<long long>(value)); }

result String::Append(long long value) {
    value_ += LongLong::ToString(value).value_;
    return E_SUCCESS;
}

result String::Append(double value) {
    value_ += Double::ToString(value).value_;
    return E_SUCCESS;
}

result String::Insert(const String& text, int index) {
    if (index < 0 || index > GetLength()) return E_OUT_OF_RANGE;
    value_.insert(static_cast<std::size_t>(index), text.value_);
    return E_SUCCESS;
}

result String::Remove(int startIndex, int count) {
    if (startIndex < 0 || count < 0 || startIndex > GetLength() || count > GetLength() - startIndex) {
        return E_OUT_OF_RANGE;
    }
    value_.erase(static_cast<std::size_t>(startIndex), static_cast<std::size_t>(count));
    return E_SUCCESS;
}

result String::GetCharAt(int index, wchar_t& out) const {
    if (index < 0 || index >= GetLength()) return E_OUT_OF_RANGE;
    out = value_[static_cast<std::size_t>(index)];
    return E_SUCCESS;
}

result String::SetCharAt(wchar_t ch, int index) {
    if (index < 0 || index >= GetLength()) return E_OUT_OF_RANGE;
    value_[static_cast<std::size_t>(index)] = ch;
    return E_SUCCESS;
}

result String::IndexOf(wchar_t ch, int startIndex, int& indexOf) const {
    if (startIndex < 0 || startIndex >= GetLength()) return E_OUT_OF_RANGE;
    std::size_t found = value_.find(ch, static_cast<std::size_t>(startIndex));
    if (found == std::wstring::npos) return E_OBJ_NOT_FOUND;
    indexOf = static_cast<int>(found);
    return E_SUCCESS;
}

result String::IndexOf(const String& text, int startIndex, int& indexOf) const {
    if (startIndex < 0 || startIndex >= GetLength()) return E_OUT_OF_RANGE;
    std::size_t found = value_.find(text.value_, static_cast<std::size_t>(startIndex));
    if (found == std::wstring::npos) return E_OBJ_NOT_FOUND;
    indexOf = static_cast<int>(found);
    return E_SUCCESS;
}

result String::LastIndexOf(wchar_t ch, int startIndex, int& indexOf) const {
    if (startIndex < 0 || startIndex >= GetLength()) return E_OUT_OF_RANGE;
    std::size_t found = value_.rfind(ch, static_cast<std::size_t>(startIndex));
    if (found == std::wstring::npos) return E_OBJ_NOT_FOUND;
    indexOf = static_cast<int>(found);
    return E_SUCCESS;
}

result String::SubString(int startIndex, String& out) const {
    if (startIndex < 0 || startIndex > GetLength()) return E_OUT_OF_RANGE;
    out.value_ = value_.substr(static_cast<std::size_t>(startIndex));
    return E_SUCCESS;
}

result String::SubString(int startIndex, int length, String& out) const {
    if (startIndex < 0 || length < 0 || startIndex > GetLength() || length > GetLength() - startIndex) {
        return E_OUT_OF_RANGE;
    }
    out.value_ = value_.substr(static_cast<std::size_t>(startIndex), static_cast<std::size_t>(length));
    return E_SUCCESS;
}

bool String::StartsWith(const String& prefix, int startIndex) const {
    if (startIndex < 0 || startIndex > GetLength()) return false;
    return value_.compare(static_cast<std::size_t>(startIndex), prefix.value_.size(), prefix.value_) == 0;
}

bool String::EndsWith(const String& suffix) const {
    return value_.size() >= suffix.value_.size() &&
           value_.compare(value_.size() - suffix.value_.size(), suffix.value_.size(), suffix.value_) == 0;
}

bool String::Contains(const String& text) const { return value_.find(text.value_) != std::wstring::npos; }

result String::Replace(wchar_t original, wchar_t replacement) {
    std::replace(value_.begin(), value_.end(), original, replacement);
    return E_SUCCESS;
}

result String::Replace(const String& original, const String& replacement) {
    if (original.IsEmpty()) return E_INVALID_ARG;
    std::size_t pos = 0;
    while ((pos = value_.find(original.value_, pos)) != std::wstring::npos) {
        value_.replace(pos, original.value_.size(), replacement.value_);
        pos += replacement.value_.size();
    }
    return E_SUCCESS;
}

void String::Trim() {
    auto isSpace = [](wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; };
    auto first = std::find_if_not(value_.begin(), value_.end(), isSpace);
    auto last = std::find_if_not(value_.rbegin(), value_.rend(), isSpace).base();
    value_ = first < last ? std::wstring(first, last) : std::wstring();
}

result String::ToLowerCase(String& out) const {
    out = ToLower();
    return E_SUCCESS;
}

result String::ToUpperCase(String& out) const {
    std::wstring upper = value_;
    for (auto& c : upper)
        c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
    out.value_ = std::move(upper);
    return E_SUCCESS;
}

String String::ToLower() const {
    std::wstring lower = value_;
    for (auto& c : lower)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return String(std::move(lower));
}

bool String::Equals(const Object& other) const {
    // Map look-ups compare keys many times; most are plain Strings, whose
    // type check is far cheaper than a dynamic_cast.
    const String* text =
        typeid(other) == typeid(String) ? static_cast<const String*>(&other) : dynamic_cast<const String*>(&other);
    return text && text->value_ == value_;
}

bool String::Equals(const String& other, bool caseSensitive) const {
    return caseSensitive ? value_ == other.value_ : ToLower().value_ == other.ToLower().value_;
}

int String::GetHashCode() const {
    // FNV-1a over the code points: stable across runs, unlike std::hash.
    std::uint32_t hash = 2166136261u;
    for (wchar_t c : value_) {
        hash ^= static_cast<std::uint32_t>(c);
        hash *= 16777619u;
    }
    return static_cast<int>(hash);
}

std::string String::ToUtf8() const { return text_detail::EncodeUtf8(value_); }

String String::FromUtf8(std::string_view utf8) { return String(text_detail::DecodeUtf8Lossy(utf8)); }

String operator+(const String& left, const String& right) {
    String joined(left);
    joined += right;
    return joined;
}

}  // namespace Vx::Base
