#include "sandbox/RandomId.h"

#include <openssl/rand.h>

#include <vector>

namespace Sandbox::RandomId {

std::string Hex(size_t byteCount) {
    std::vector<unsigned char> bytes(byteCount);
    if (byteCount == 0 || RAND_bytes(bytes.data(), static_cast<int>(byteCount)) != 1) return {};
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return text;
}

}  // namespace Sandbox::RandomId
