#include "sandbox/SensitiveParams.h"

#include <cctype>
#include <string_view>

namespace Sandbox::SensitiveParams {
namespace {

// Matched inside the name once it is lower case with '_' and '-' removed.
constexpr std::string_view kContains[] = {
    "password", "passwd",   "pwd",          "passcode",   "secret",         // passwords
    "cardnum",  "cardno",                                                   // card numbers
    "cvc",      "cvv",      "securitycode", "expiration", "expiry",         // card codes
    "resident", "identity", "nationalid",   "authnid",    "birth",  "otp",  // identity and one-time codes
};
// Whole names only: inside other names they mean something else ("errNo",
// "businessNumber", "company").
constexpr std::string_view kExact[] = {"pin", "authpin", "cardpin", "pincode", "pan", "nid", "rrn", "ssn"};

std::string Normalised(const std::string& name) {
    std::string out;
    for (char c : name) {
        if (c == '_' || c == '-') continue;
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

}  // namespace

bool IsSensitive(const std::string& name) {
    const std::string key = Normalised(name);
    for (std::string_view word : kExact) {
        if (key == word) return true;
    }
    for (std::string_view word : kContains) {
        if (key.find(word) != std::string::npos) return true;
    }
    return false;
}

void Mask(std::vector<std::pair<std::string, std::string>>& params) {
    for (auto& [name, value] : params) {
        if (!value.empty() && IsSensitive(name)) value = kMask;
    }
}

}  // namespace Sandbox::SensitiveParams
