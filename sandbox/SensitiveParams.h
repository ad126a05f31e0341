#pragma once

#include <string>
#include <utility>
#include <vector>

namespace Sandbox {

// Parameters whose values must not be kept or shown: passwords and PINs,
// card numbers, security codes, expiry dates, identity numbers and one-time
// codes. Judged by the name alone, in any letter case, so that a function
// added later is covered without a list to keep up to date.
namespace SensitiveParams {

inline constexpr const char* kMask = "***";

bool IsSensitive(const std::string& name);

// The values of sensitive parameters replaced by kMask (empty ones stay empty).
void Mask(std::vector<std::pair<std::string, std::string>>& params);

}  // namespace SensitiveParams
}  // namespace Sandbox
