#include "client/IapTextFormatter.h"

#include <string>
#include <vector>

using namespace Vx;
using Vx::Base::String;

namespace {

// Reads "N$" at `at`; returns the position after it, or `at` when there is none.
std::size_t ReadPosition(const std::wstring& text, std::size_t at, int& position) {
    std::size_t end = at;
    long long value = 0;
    while (end < text.size() && text[end] >= L'0' && text[end] <= L'9' && value < 1000) {
        value = value * 10 + (text[end] - L'0');
        ++end;
    }
    if (end == at || end >= text.size() || text[end] != L'$' || value < 1) return at;
    position = static_cast<int>(value);
    return end + 1;
}

}  // namespace

result IapTextFormatter::Format(const String& format, std::initializer_list<Argument> arguments, int maxLength,
                                String& out) {
    if (maxLength < 0) return E_INVALID_ARG;
    const std::vector<Argument> args(arguments);
    const std::wstring& text = format.ToStdWString();
    std::wstring result;
    bool allFilled = true;
    std::size_t nextArgument = 0;
    for (std::size_t at = 0; at < text.size();) {
        if (text[at] != L'%') {
            result += text[at++];
            continue;
        }
        if (at + 1 < text.size() && text[at + 1] == L'%') {
            result += L'%';
            at += 2;
            continue;
        }
        int position = 0;
        std::size_t kindAt = ReadPosition(text, at + 1, position);
        wchar_t kind = kindAt < text.size() ? text[kindAt] : L'\0';
        std::size_t index = position > 0 ? static_cast<std::size_t>(position - 1) : nextArgument;
        bool known = kind == L's' || kind == L'd';
        if (!known || index >= args.size() || args[index].IsText() != (kind == L's')) {
            // Copied as it stands, so a reader sees that something is missing.
            allFilled = false;
            std::size_t end = known ? kindAt + 1 : kindAt;
            if (end == at) end = at + 1;
            result.append(text, at, end - at);
            at = end;
            continue;
        }
        result += kind == L's' ? args[index].GetText().ToStdWString() : std::to_wstring(args[index].GetNumber());
        if (position == 0) ++nextArgument;
        at = kindAt + 1;
    }
    if (result.size() > static_cast<std::size_t>(maxLength)) result.resize(static_cast<std::size_t>(maxLength));
    out = String(std::move(result));
    return allFilled ? E_SUCCESS : E_INVALID_FORMAT;
}
