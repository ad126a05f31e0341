#pragma once
// An Ed25519 key that signs packages, and the checks that devices make with
// the public half. Keys are kept in PEM files (PKCS#8 private keys, X.509
// SubjectPublicKeyInfo public keys), so that standard tools read them too.
#include <string>
#include <string_view>

#include "platform/base/Result.h"

namespace Vx::App::Package {

class PackageSigningKey {
public:
    static constexpr std::size_t kPublicKeySize = 32;
    static constexpr std::size_t kSignatureSize = 64;

    PackageSigningKey() = default;

    // Makes a new random key. E_SYSTEM when the random source fails.
    result Generate();
    // Reads a private key file. E_OBJ_NOT_FOUND when missing, E_INVALID_FORMAT
    // when it holds no Ed25519 private key; error says which.
    result Load(const std::string& path, std::string* error = nullptr);
    // Writes the private key readable by the owner only; the file is replaced
    // whole or not at all. E_OBJ_ALREADY_EXIST when replace is false and the
    // file exists.
    result Save(const std::string& path, bool replace, std::string* error = nullptr) const;

    bool IsValid() const { return publicKey_.size() == kPublicKeySize; }
    // The raw 32 bytes of the public key.
    const std::string& GetPublicKey() const { return publicKey_; }
    // A 64-byte signature of data.
    result Sign(std::string_view data, std::string& signature) const;

    static bool Verify(std::string_view publicKey, std::string_view data, std::string_view signature);
    // First 16 bytes of the SHA-256 of the raw public key, in hex: how people
    // and file names refer to a key.
    static std::string Fingerprint(std::string_view publicKey);
    static result WritePublicKey(const std::string& path, std::string_view publicKey, unsigned int mode = 0644,
                                 std::string* error = nullptr);
    static result ReadPublicKey(const std::string& path, std::string& publicKey, std::string* error = nullptr);

    // The platform home's own developer key, $home/keys/developer.key. Made on
    // first use (and then trusted by that home, see PackageTrustStore), so that
    // packages made on this device install on it.
    static result LoadDeveloperKey(const std::string& home, PackageSigningKey& key, std::string* error = nullptr);
    static std::string GetDeveloperKeyPath(const std::string& home);

private:
    std::string privateKey_;  // raw 32-byte seed
    std::string publicKey_;
};

}  // namespace Vx::App::Package
