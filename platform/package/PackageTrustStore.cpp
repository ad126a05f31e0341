#include "platform/package/PackageTrustStore.h"

#include <filesystem>

#include "platform/base/PlatformHome.h"
#include "platform/package/PackageSigningKey.h"

namespace fs = std::filesystem;

namespace Vx::App::Package {
namespace {

std::string KeyPath(const std::string& home, std::string_view publicKey) {
    return PackageTrustStore::GetFolder(home) + "/" + PackageSigningKey::Fingerprint(publicKey) + ".pub";
}

}  // namespace

std::string PackageTrustStore::GetFolder(const std::string& home) { return home + "/trusted-keys"; }

bool PackageTrustStore::IsTrusted(const std::string& home, std::string_view publicKey) {
    if (publicKey.size() != PackageSigningKey::kPublicKeySize) return false;
    // The file name only finds the key; its contents decide.
    std::string stored;
    return !IsFailed(PackageSigningKey::ReadPublicKey(KeyPath(home, publicKey), stored)) && stored == publicKey;
}

result PackageTrustStore::Trust(const std::string& home, std::string_view publicKey, std::string* error) {
    if (publicKey.size() != PackageSigningKey::kPublicKeySize) {
        if (error) *error = "not an Ed25519 public key";
        return E_INVALID_ARG;
    }
    if (IsTrusted(home, publicKey)) return E_SUCCESS;
    Base::CreatePrivateFolders(GetFolder(home));
    return PackageSigningKey::WritePublicKey(KeyPath(home, publicKey), publicKey, 0600, error);
}

result PackageTrustStore::Distrust(const std::string& home, std::string_view publicKey) {
    if (!IsTrusted(home, publicKey)) return E_OBJ_NOT_FOUND;
    std::error_code ec;
    return fs::remove(KeyPath(home, publicKey), ec) ? E_SUCCESS : E_IO;
}

std::vector<std::string> PackageTrustStore::List(const std::string& home) {
    std::vector<std::string> keys;
    std::error_code ec;
    for (fs::directory_iterator it(GetFolder(home), ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().extension() != ".pub") continue;
        std::string key;
        if (!IsFailed(PackageSigningKey::ReadPublicKey(it->path().string(), key))) keys.push_back(key);
    }
    return keys;
}

}  // namespace Vx::App::Package
