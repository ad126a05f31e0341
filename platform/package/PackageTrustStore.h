#pragma once
// The keys whose packages a device installs: one PEM public key file per
// trusted key in $IAP_PLATFORM_HOME/trusted-keys/<fingerprint>.pub.
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/Result.h"

namespace Vx::App::Package {

class PackageTrustStore {
public:
    static std::string GetFolder(const std::string& home);
    // publicKey: the raw 32 bytes.
    static bool IsTrusted(const std::string& home, std::string_view publicKey);
    // Adding a key that is already trusted succeeds and changes nothing.
    static result Trust(const std::string& home, std::string_view publicKey, std::string* error = nullptr);
    // E_OBJ_NOT_FOUND when the key was not trusted.
    static result Distrust(const std::string& home, std::string_view publicKey);
    // The raw public keys trusted now; unreadable files are skipped.
    static std::vector<std::string> List(const std::string& home);
};

}  // namespace Vx::App::Package
