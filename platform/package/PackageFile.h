#pragma once
// The package file: a header, a manifest naming the package and its
// applications, the files, a SHA-256 digest over everything before it, and
// the signer's Ed25519 public key and signature. docs/packages.md describes
// the bytes. Whether a device trusts the signer is PackageTrustStore's to say.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/Result.h"

namespace Vx::App::Package {

struct PackageApplication {
    std::string appId;
    std::string executable;  // path of one of the package's files
};

struct PackageEntry {
    std::string path;           // relative, '/'-separated, no "." or ".." segments
    std::uint32_t mode = 0644;  // permission bits
    std::string data;
};

struct PackageContents {
    std::string packageId;
    std::string version;
    std::vector<PackageApplication> applications;
    std::vector<PackageEntry> files;
    std::string signerKey;  // raw public key of the signer; empty for an unsigned (format 1) file
};

class PackageSigningKey;

class PackageFile {
public:
    static constexpr std::uint16_t kFormatVersion = 2;
    static constexpr std::uint16_t kUnsignedFormatVersion = 1;
    static constexpr std::size_t kDigestSize = 32;

    // A signed package. E_INVALID_ARG when the contents are not a valid
    // package; error says why.
    static result Serialize(const PackageContents& contents, const PackageSigningKey& key, std::string& out,
                            std::string* error = nullptr);
    // The unsigned format 1, which devices no longer install; kept for
    // packages that are signed later (Sign) and for tests.
    static result SerializeUnsigned(const PackageContents& contents, std::string& out, std::string* error = nullptr);
    // The same package, signed (again) with key. E_INVALID_FORMAT when bytes
    // are not an intact package.
    static result Sign(std::string_view bytes, const PackageSigningKey& key, std::string& out,
                       std::string* error = nullptr);
    // E_INVALID_FORMAT for anything but a complete, intact, valid package
    // whose signature, when it has one, matches its signer key. An unsigned
    // (format 1) package parses with an empty signerKey.
    static result Parse(std::string_view bytes, PackageContents& out, std::string* error = nullptr);
    // Whether a package file is complete and its digest matches, read in
    // pieces: false for a file damaged or cut short on its way.
    static bool IsIntact(const std::string& path);
    // The package id and version of a package file, from its header and
    // manifest alone (nothing else is read or checked).
    static result ReadIdentity(const std::string& path, std::string& packageId, std::string& version,
                               std::string* error = nullptr);
    static result Validate(const PackageContents& contents, std::string* error = nullptr);
    // Hex SHA-256 of the whole file, for display.
    static std::string DigestHex(std::string_view bytes);

    // Package, application ids and versions become folder and file names:
    // letters, digits, '.', '_', '-' ('+' too in versions), not starting with '.'.
    static bool IsValidId(std::string_view id);
    static bool IsValidVersion(std::string_view version);
    static bool IsSafeRelativePath(std::string_view path);
    // The package an application id belongs to: the part before the first '.'.
    static std::string_view GetPackagePart(std::string_view appId);
    // Negative, zero or positive as a is older than, the same as or newer than
    // b. Dot-separated parts compare as numbers when both are digits.
    static int CompareVersions(std::string_view a, std::string_view b);
};

}  // namespace Vx::App::Package
