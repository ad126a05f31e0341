#pragma once

#include <string_view>

namespace Sandbox {

// Dotted numeric versions ("1.0.2"); missing parts count as 0, so 1.0 equals 1.0.0.
class PackageVersion {
public:
    static bool IsValid(std::string_view version);

    // <0, 0 or >0 like strcmp; both versions must be valid.
    static int Compare(std::string_view a, std::string_view b);
};

}  // namespace Sandbox
