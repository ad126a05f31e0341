#include "platform/base/Number.h"

#include <charconv>
#include <cmath>
#include <string>

namespace Vx::Base {
namespace {

// Numbers are ASCII; any other character makes the text invalid.
bool ToAscii(const String& text, std::string& out) {
    out.clear();
    out.reserve(static_cast<std::size_t>(text.GetLength()));
    // Character by character: a narrow text needs no wide form for this.
    for (int i = 0; i < text.GetLength(); ++i) {
        wchar_t c = text[i];
        if (c <= 0 || c >= 0x80) return false;
        out += static_cast<char>(c);
    }
    return true;
}

template <typename T>
result ParseSigned(const String& text, T& out) {
    std::string ascii;
    if (!ToAscii(text, ascii) || ascii.empty()) return E_NUM_FORMAT;
    const char* first = ascii.data();
    const char* last = first + ascii.size();
    if (*first == '+') {
        ++first;  // from_chars accepts '-' only; "+-1" stays invalid
        if (first == last || *first == '-' || *first == '+') return E_NUM_FORMAT;
    }
    T value{};
    auto [end, error] = std::from_chars(first, last, value, 10);
    if (error != std::errc() || end != last) return E_NUM_FORMAT;
    out = value;
    return E_SUCCESS;
}

}  // namespace

result Integer::Parse(const String& text, int& out) { return ParseSigned(text, out); }

String Integer::ToString(int value) { return String(std::to_wstring(value)); }

result LongLong::Parse(const String& text, long long& out) { return ParseSigned(text, out); }

String LongLong::ToString(long long value) { return String(std::to_wstring(value)); }

result Double::Parse(const String& text, double& out) {
    std::string ascii;
    if (!ToAscii(text, ascii) || ascii.empty()) return E_NUM_FORMAT;
    const char* first = ascii.data();
    const char* last = first + ascii.size();
    if (*first == '+') {
        ++first;  // as for integers, "+-1" stays invalid
        if (first == last || *first == '-' || *first == '+') return E_NUM_FORMAT;
    }
    double value = 0;
    auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error != std::errc() || end != last || !std::isfinite(value)) return E_NUM_FORMAT;
    out = value;
    return E_SUCCESS;
}

String Double::ToString(double value) {
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc()) return String(L"0");
    return String::FromUtf8(std::string_view(buffer, static_cast<std::size_t>(end - buffer)));
}

int Double::Compare(double left, double right) {
    if (std::isnan(left) || std::isnan(right)) {
        if (std::isnan(left) && std::isnan(right)) return 0;
        return std::isnan(left) ? 1 : -1;
    }
    if (left < right) return -1;
    return left > right ? 1 : 0;
}

}  // namespace Vx::Base
