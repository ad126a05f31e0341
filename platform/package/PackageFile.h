#pragma once
// The package file: a header, a manifest naming the package and its
// applications, the files, and a SHA-256 digest over everything before it.
// docs/packages.md describes the bytes.
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
};

class PackageFile {
public:
    static constexpr std::uint16_t kFormatVersion = 1;
    static constexpr std::size_t kDigestSize = 32;

    // E_INVALID_ARG when the contents are not a valid package; error says why.
    static result Serialize(const PackageContents& contents, std::string& out, std::string* error = nullptr);
    // E_INVALID_FORMAT for anything but a complete, intact, valid package.
    static result Parse(std::string_view bytes, PackageContents& out, std::string* error = nullptr);
    static result Validate(const PackageContents& contents, std::string* error = nullptr);
    // Hex SHA-256 of the whole file, for display.
    static std::string DigestHex(std::string_view bytes);

    // Package, application ids and versions become folder and file names:
    // letters, digits, '.', '_', '-' ('+' too in versions), not starting with '.'.
    static bool IsValidId(std::string_view id);
    static bool IsValidVersion(std::string_view version);
    static bool IsSafeRelativePath(std::string_view path);
};

}  // namespace Vx::App::Package
