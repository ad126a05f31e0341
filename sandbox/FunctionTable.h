#pragma once

#include <string>
#include <string_view>

namespace Sandbox {

// The store protocol's function numbers and names, as the device knows them.
namespace FunctionTable {

inline constexpr int kCountrySearch = 2200;
inline constexpr int kGetCountryList = 2250;
inline constexpr int kCountrySearchEx = 2300;
inline constexpr int kCheckAppUpgrade = 2306;
inline constexpr int kCheckPassword = 5012;
inline constexpr int kGetPurchasedAppsItemList = 6003;
inline constexpr int kGetAppsItemList = 6005;
inline constexpr int kGetPaymentMethodSearch = 6007;
inline constexpr int kGetPurchaseId = 6020;

// The server name of a function id, or an empty view for an unknown id.
std::string_view NameOf(int functionId);

// The id of a server name (exact match), or 0 when no function has that name.
int IdOf(std::string_view name);

// Resolves "getAppsItemList" or "6005" to 6005; 0 when neither matches a
// known function.
int Resolve(std::string_view nameOrId);

}  // namespace FunctionTable
}  // namespace Sandbox
