#include "sandbox/TextUtil.h"

#include <ctime>

#include <cctype>
#include <charconv>

namespace Sandbox::TextUtil {

std::string UtcStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[16];
    std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &utc);
    return text;
}

bool ParseInt(std::string_view text, int& out) {
    if (text.empty() || text.front() == '+') return false;
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end) return false;
    out = value;
    return true;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string Trim(std::string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return std::string(text.substr(begin, end - begin));
}

bool IsLoopbackAddress(std::string_view address) {
    constexpr std::string_view kMapped = "::ffff:";
    if (address.size() > kMapped.size() && EqualsIgnoreCase(address.substr(0, kMapped.size()), kMapped))
        address.remove_prefix(kMapped.size());
    return address == "::1" || address.substr(0, 4) == "127.";
}

}  // namespace Sandbox::TextUtil
