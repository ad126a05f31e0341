#pragma once

#include <string>
#include <string_view>

namespace Sandbox::TextUtil {

// Strict decimal integer: optional '-', digits only, within int range.
bool ParseInt(std::string_view text, int& out);

bool EqualsIgnoreCase(std::string_view a, std::string_view b);

std::string Trim(std::string_view text);

// Now, in UTC, as YYYYMMDDhhmmss.
std::string UtcStamp();

// True for 127.0.0.0/8, ::1 and IPv4-mapped loopback addresses.
bool IsLoopbackAddress(std::string_view address);

}  // namespace Sandbox::TextUtil
