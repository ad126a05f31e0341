#include "sandbox/PackageVersion.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace Sandbox {
namespace {

bool Split(std::string_view version, std::vector<long long>& parts) {
    parts.clear();
    if (version.empty()) return false;
    size_t pos = 0;
    while (true) {
        const size_t dot = version.find('.', pos);
        const std::string_view piece =
            version.substr(pos, dot == std::string_view::npos ? std::string_view::npos : dot - pos);
        if (piece.empty() || piece.size() > 9) return false;
        long long value = 0;
        const char* end = piece.data() + piece.size();
        auto [ptr, ec] = std::from_chars(piece.data(), end, value);
        if (ec != std::errc() || ptr != end || value < 0) return false;
        parts.push_back(value);
        if (dot == std::string_view::npos) return true;
        pos = dot + 1;
    }
}

}  // namespace

bool PackageVersion::IsValid(std::string_view version) {
    std::vector<long long> parts;
    return Split(version, parts);
}

int PackageVersion::Compare(std::string_view a, std::string_view b) {
    std::vector<long long> left;
    std::vector<long long> right;
    Split(a, left);
    Split(b, right);
    const size_t count = std::max(left.size(), right.size());
    for (size_t i = 0; i < count; ++i) {
        const long long l = i < left.size() ? left[i] : 0;
        const long long r = i < right.size() ? right[i] : 0;
        if (l != r) return l < r ? -1 : 1;
    }
    return 0;
}

}  // namespace Sandbox
