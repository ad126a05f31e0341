#pragma once
// The platform string: wide characters (one wchar_t per code point on Linux).
// Text is converted to UTF-8 only at boundaries (XML, HTTP, files, IPC).
#include <string>
#include <string_view>

#include "platform/base/Object.h"
#include "platform/base/Result.h"

namespace Vx::Base {

class String : public Object {
public:
    String() = default;
    String(const wchar_t* text);  // NOLINT: literals convert implicitly
    String(const char* utf8);     // NOLINT: UTF-8; invalid bytes become U+FFFD
    String(wchar_t ch);           // NOLINT
    String(const String& other) = default;
    String(String&& other) noexcept = default;
    explicit String(std::wstring text) : value_(std::move(text)) {}
    ~String() override = default;

    String& operator=(const String& other) = default;
    String& operator=(String&& other) noexcept = default;
    String& operator=(const wchar_t* text);
    String& operator+=(const String& other);
    String& operator+=(wchar_t ch);

    int GetLength() const { return static_cast<int>(value_.size()); }
    bool IsEmpty() const { return value_.empty(); }
    const wchar_t* GetPointer() const { return value_.c_str(); }
    void Clear() { value_.clear(); }

    result Append(const String& text);
    result Append(const wchar_t* text);
    result Append(wchar_t ch);
    result Append(int value);
    result Append(long value);
    result Append(long long value);
    result Append(unsigned int value);
    result Append(double value);  // the same text as Double::ToString

    result Insert(const String& text, int index);
    result Remove(int startIndex, int count);
    result GetCharAt(int index, wchar_t& out) const;
    result SetCharAt(wchar_t ch, int index);

    // E_OUT_OF_RANGE when startIndex is outside [0, length); E_OBJ_NOT_FOUND when absent.
    result IndexOf(wchar_t ch, int startIndex, int& indexOf) const;
    result IndexOf(const String& text, int startIndex, int& indexOf) const;
    result LastIndexOf(wchar_t ch, int startIndex, int& indexOf) const;
    // E_OUT_OF_RANGE unless 0 <= startIndex <= length and the piece lies inside.
    result SubString(int startIndex, String& out) const;
    result SubString(int startIndex, int length, String& out) const;

    bool StartsWith(const String& prefix, int startIndex = 0) const;
    bool EndsWith(const String& suffix) const;
    bool Contains(const String& text) const;
    result Replace(wchar_t original, wchar_t replacement);
    result Replace(const String& original, const String& replacement);
    void Trim();
    result ToLowerCase(String& out) const;
    result ToUpperCase(String& out) const;
    String ToLower() const;

    bool Equals(const Object& other) const override;
    bool Equals(const String& other, bool caseSensitive) const;
    int GetHashCode() const override;
    int CompareTo(const String& other) const { return value_.compare(other.value_); }

    bool operator==(const String& other) const { return value_ == other.value_; }
    bool operator!=(const String& other) const { return value_ != other.value_; }
    bool operator<(const String& other) const { return value_ < other.value_; }
    wchar_t operator[](int index) const { return value_[static_cast<std::size_t>(index)]; }

    // Bridges for the platform's own code and for tests.
    const std::wstring& ToStdWString() const { return value_; }
    std::string ToUtf8() const;
    static String FromUtf8(std::string_view utf8);

private:
    std::wstring value_;
};

String operator+(const String& left, const String& right);

}  // namespace Vx::Base
