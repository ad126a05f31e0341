#include "sandbox/PasswordHash.h"

#include "sandbox/RandomId.h"
#include "sandbox/TextUtil.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <vector>

namespace Sandbox::PasswordHash {
namespace {

constexpr size_t kSaltBytes = 16;
constexpr size_t kHashBytes = 32;
// Bounds on a stored count, so that a doctored row cannot stall a check.
constexpr int kMaxIterations = 10000000;

std::string ToHex(const std::vector<unsigned char>& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char b : bytes) {
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return text;
}

bool FromHex(const std::string& text, std::vector<unsigned char>& bytes) {
    if (text.empty() || text.size() % 2) return false;
    bytes.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        int value = 0;
        for (char c : {text[i], text[i + 1]}) {
            value <<= 4;
            if (c >= '0' && c <= '9')
                value |= c - '0';
            else if (c >= 'a' && c <= 'f')
                value |= c - 'a' + 10;
            else
                return false;
        }
        bytes.push_back(static_cast<unsigned char>(value));
    }
    return true;
}

bool Derive(const std::string& password, const std::vector<unsigned char>& salt, int iterations,
            std::vector<unsigned char>& out) {
    out.assign(kHashBytes, 0);
    return PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt.data(),
                             static_cast<int>(salt.size()), iterations, EVP_sha256(), static_cast<int>(out.size()),
                             out.data()) == 1;
}

struct Parts {
    int iterations = 0;
    std::vector<unsigned char> salt;
    std::vector<unsigned char> hash;
};

bool Split(const std::string& stored, Parts& parts) {
    const std::string prefix = kPrefix;
    if (stored.compare(0, prefix.size(), prefix) != 0) return false;
    const size_t first = stored.find('$', prefix.size());
    const size_t second = first == std::string::npos ? first : stored.find('$', first + 1);
    if (second == std::string::npos) return false;
    return TextUtil::ParseInt(stored.substr(prefix.size(), first - prefix.size()), parts.iterations) &&
           parts.iterations >= 1 && parts.iterations <= kMaxIterations &&
           FromHex(stored.substr(first + 1, second - first - 1), parts.salt) &&
           FromHex(stored.substr(second + 1), parts.hash) && parts.hash.size() == kHashBytes;
}

}  // namespace

std::string Hash(const std::string& password, int iterations) {
    std::vector<unsigned char> salt;
    std::vector<unsigned char> hash;
    if (iterations < 1 || iterations > kMaxIterations || !FromHex(RandomId::Hex(kSaltBytes), salt) ||
        !Derive(password, salt, iterations, hash))
        return {};
    return std::string(kPrefix) + std::to_string(iterations) + "$" + ToHex(salt) + "$" + ToHex(hash);
}

bool Verify(const std::string& password, const std::string& stored) {
    Parts parts;
    std::vector<unsigned char> hash;
    if (!Split(stored, parts) || !Derive(password, parts.salt, parts.iterations, hash)) return false;
    return CRYPTO_memcmp(hash.data(), parts.hash.data(), kHashBytes) == 0;
}

bool IsHash(const std::string& text) {
    Parts parts;
    return Split(text, parts);
}

}  // namespace Sandbox::PasswordHash
