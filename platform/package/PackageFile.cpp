#include "platform/package/PackageFile.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <algorithm>
#include <fstream>
#include <set>

#include "platform/package/PackageSigningKey.h"

namespace Vx::App::Package {
namespace {

constexpr char kMagic[8] = {'V', 'X', 'P', 'K', 'G', '\x1a', '\r', '\n'};
constexpr std::size_t kHeaderSize = 20;
constexpr std::uint32_t kMaxManifestSize = 1 << 20;
constexpr std::uint32_t kMaxFiles = 100000;
constexpr std::uint32_t kMaxPathLength = 4096;
// Format 2 ends with the digest, the signer's public key and the signature.
constexpr std::size_t kSignedTrailerSize =
    PackageFile::kDigestSize + PackageSigningKey::kPublicKeySize + PackageSigningKey::kSignatureSize;

bool Fail(std::string* error, std::string message) {
    if (error) *error = std::move(message);
    return false;
}

result Reject(std::string* error, std::string message, result r) {
    Fail(error, std::move(message));
    return r;
}

std::string Digest(std::string_view bytes) {
    QByteArray digest = QCryptographicHash::hash(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                                 QCryptographicHash::Sha256);
    return digest.toStdString();
}

void PutU16(std::string& out, std::uint16_t v) {
    for (int i = 0; i < 2; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xff);
}
void PutU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xff);
}
void PutU64(std::string& out, std::uint64_t v) {
    for (int i = 0; i < 8; ++i)
        out += static_cast<char>((v >> (8 * i)) & 0xff);
}

// Reads little-endian numbers and byte runs, never past the end.
class Reader {
public:
    explicit Reader(std::string_view bytes) : bytes_(bytes) {}
    bool U16(std::uint16_t& v) { return Number(v); }
    bool U32(std::uint32_t& v) { return Number(v); }
    bool U64(std::uint64_t& v) { return Number(v); }
    bool Bytes(std::uint64_t count, std::string_view& out) {
        if (count > bytes_.size() - pos_) return false;
        out = bytes_.substr(pos_, static_cast<std::size_t>(count));
        pos_ += static_cast<std::size_t>(count);
        return true;
    }
    bool AtEnd() const { return pos_ == bytes_.size(); }

private:
    template <typename T>
    bool Number(T& v) {
        if (sizeof(T) > bytes_.size() - pos_) return false;
        v = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i) {
            v |= static_cast<T>(static_cast<T>(static_cast<unsigned char>(bytes_[pos_ + i])) << (8 * i));
        }
        pos_ += sizeof(T);
        return true;
    }
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

std::string ManifestText(const PackageContents& contents) {
    std::string text = "packageId=" + contents.packageId + "\nversion=" + contents.version + "\n";
    for (const auto& app : contents.applications)
        text += "app=" + app.appId + "=" + app.executable + "\n";
    return text;
}

bool ParseManifest(std::string_view text, PackageContents& out, std::string* error) {
    bool haveId = false, haveVersion = false;
    while (!text.empty()) {
        std::size_t newline = text.find('\n');
        if (newline == std::string_view::npos) return Fail(error, "manifest: last line is not terminated");
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline + 1);
        if (line.empty()) continue;
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) return Fail(error, "manifest: line without '='");
        std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "packageId") {
            if (haveId) return Fail(error, "manifest: packageId given twice");
            out.packageId = value;
            haveId = true;
        } else if (key == "version") {
            if (haveVersion) return Fail(error, "manifest: version given twice");
            out.version = value;
            haveVersion = true;
        } else if (key == "app") {
            std::size_t split = value.find('=');
            if (split == std::string_view::npos) return Fail(error, "manifest: app line is not APP_ID=EXECUTABLE");
            out.applications.push_back({std::string(value.substr(0, split)), std::string(value.substr(split + 1))});
        }
        // Other keys belong to later writers of format version 1; they are skipped.
    }
    if (!haveId || !haveVersion) return Fail(error, "manifest: packageId or version missing");
    return true;
}

bool IsIdChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == '-';
}

}  // namespace

bool PackageFile::IsValidId(std::string_view id) {
    if (id.empty() || id.size() > 128 || id.front() == '.') return false;
    for (char c : id) {
        if (!IsIdChar(c)) return false;
    }
    return true;
}

bool PackageFile::IsValidVersion(std::string_view version) {
    if (version.empty() || version.size() > 64 || version.front() == '.') return false;
    for (char c : version) {
        if (!IsIdChar(c) && c != '+') return false;
    }
    return true;
}

bool PackageFile::IsSafeRelativePath(std::string_view path) {
    if (path.empty() || path.size() > kMaxPathLength || path.front() == '/') return false;
    while (true) {
        std::size_t slash = path.find('/');
        std::string_view segment = path.substr(0, slash);
        if (segment.empty() || segment == "." || segment == "..") return false;
        for (char c : segment) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f || c == '\\') return false;
        }
        if (slash == std::string_view::npos) return true;
        path.remove_prefix(slash + 1);
    }
}

result PackageFile::Validate(const PackageContents& contents, std::string* error) {
    if (!IsValidId(contents.packageId))
        return Reject(error, "invalid package id '" + contents.packageId + "'", E_INVALID_ARG);
    if (!IsValidVersion(contents.version))
        return Reject(error, "invalid version '" + contents.version + "'", E_INVALID_ARG);
    if (contents.applications.empty()) return Reject(error, "the package holds no application", E_INVALID_ARG);
    if (contents.files.size() > kMaxFiles) return Reject(error, "too many files", E_INVALID_ARG);

    std::set<std::string> files, folders;
    for (const auto& file : contents.files) {
        if (!IsSafeRelativePath(file.path)) return Reject(error, "unsafe file path '" + file.path + "'", E_INVALID_ARG);
        if ((file.mode & ~0777u) != 0) return Reject(error, "bad mode for '" + file.path + "'", E_INVALID_ARG);
        if (!files.insert(file.path).second)
            return Reject(error, "file '" + file.path + "' given twice", E_INVALID_ARG);
        for (std::size_t slash = file.path.find('/'); slash != std::string::npos;
             slash = file.path.find('/', slash + 1)) {
            folders.insert(file.path.substr(0, slash));
        }
    }
    for (const auto& folder : folders) {
        if (files.count(folder)) return Reject(error, "'" + folder + "' is both a file and a folder", E_INVALID_ARG);
    }
    std::set<std::string> appIds;
    for (const auto& app : contents.applications) {
        if (!IsValidId(app.appId)) return Reject(error, "invalid application id '" + app.appId + "'", E_INVALID_ARG);
        if (!appIds.insert(app.appId).second)
            return Reject(error, "application '" + app.appId + "' given twice", E_INVALID_ARG);
        // Another package's application would run with that package's rights.
        if (GetPackagePart(app.appId) != contents.packageId) {
            return Reject(error,
                          "application '" + app.appId + "' belongs to package '" +
                              std::string(GetPackagePart(app.appId)) + "', not to '" + contents.packageId +
                              "': a package provides only applications named " + contents.packageId + " or " +
                              contents.packageId + ".NAME",
                          E_INVALID_ARG);
        }
        auto file = std::find_if(contents.files.begin(), contents.files.end(),
                                 [&](const PackageEntry& entry) { return entry.path == app.executable; });
        if (file == contents.files.end()) {
            return Reject(error, "executable '" + app.executable + "' of '" + app.appId + "' is not in the package",
                          E_INVALID_ARG);
        }
        if ((file->mode & 0100) == 0) return Reject(error, "'" + app.executable + "' is not executable", E_INVALID_ARG);
    }
    return E_SUCCESS;
}

namespace {

// Header, manifest and file entries of a valid package.
result WriteBody(const PackageContents& contents, std::uint16_t formatVersion, std::string& out, std::string* error) {
    result r = PackageFile::Validate(contents, error);
    if (IsFailed(r)) return r;
    std::string manifest = ManifestText(contents);
    if (manifest.size() > kMaxManifestSize) return Reject(error, "manifest too large", E_INVALID_ARG);
    std::string bytes(kMagic, sizeof kMagic);
    PutU16(bytes, formatVersion);
    PutU16(bytes, 0);
    PutU32(bytes, static_cast<std::uint32_t>(manifest.size()));
    PutU32(bytes, static_cast<std::uint32_t>(contents.files.size()));
    bytes += manifest;
    for (const auto& file : contents.files) {
        PutU32(bytes, static_cast<std::uint32_t>(file.path.size()));
        bytes += file.path;
        PutU32(bytes, file.mode);
        PutU64(bytes, file.data.size());
        bytes += file.data;
    }
    out = std::move(bytes);
    return E_SUCCESS;
}

}  // namespace

result PackageFile::SerializeUnsigned(const PackageContents& contents, std::string& out, std::string* error) {
    std::string bytes;
    result r = WriteBody(contents, kUnsignedFormatVersion, bytes, error);
    if (IsFailed(r)) return r;
    bytes += Digest(bytes);
    out = std::move(bytes);
    return E_SUCCESS;
}

result PackageFile::Serialize(const PackageContents& contents, const PackageSigningKey& key, std::string& out,
                              std::string* error) {
    if (!key.IsValid()) return Reject(error, "no signing key", E_INVALID_ARG);
    std::string bytes;
    result r = WriteBody(contents, kFormatVersion, bytes, error);
    if (IsFailed(r)) return r;
    bytes += Digest(bytes);
    bytes += key.GetPublicKey();
    std::string signature;
    if (IsFailed(key.Sign(bytes, signature))) return Reject(error, "signing failed", E_SYSTEM);
    bytes += signature;
    out = std::move(bytes);
    return E_SUCCESS;
}

result PackageFile::Sign(std::string_view bytes, const PackageSigningKey& key, std::string& out, std::string* error) {
    PackageContents contents;
    result r = Parse(bytes, contents, error);
    if (IsFailed(r)) return r;
    return Serialize(contents, key, out, error);
}

result PackageFile::Parse(std::string_view bytes, PackageContents& out, std::string* error) {
    if (bytes.size() < kHeaderSize + kDigestSize ||
        bytes.substr(0, sizeof kMagic) != std::string_view(kMagic, sizeof kMagic)) {
        return Reject(error, "not a package file", E_INVALID_FORMAT);
    }
    std::uint16_t version = 0;
    Reader(bytes.substr(sizeof kMagic)).U16(version);
    if (version != kFormatVersion && version != kUnsignedFormatVersion) {
        return Reject(error,
                      "unsupported format version " + std::to_string(version) +
                          " (this platform reads versions 1 and 2); update the platform",
                      E_INVALID_FORMAT);
    }
    std::size_t trailer = version == kFormatVersion ? kSignedTrailerSize : kDigestSize;
    if (bytes.size() < kHeaderSize + trailer) return Reject(error, "truncated package file", E_INVALID_FORMAT);
    std::string_view body = bytes.substr(0, bytes.size() - trailer);
    if (Digest(body) != bytes.substr(body.size(), kDigestSize))
        return Reject(error, "digest mismatch: the file is damaged", E_INVALID_FORMAT);
    std::string signerKey;
    if (version == kFormatVersion) {
        std::string_view signedPart = bytes.substr(0, bytes.size() - PackageSigningKey::kSignatureSize);
        std::string_view key = bytes.substr(body.size() + kDigestSize, PackageSigningKey::kPublicKeySize);
        if (!PackageSigningKey::Verify(key, signedPart, bytes.substr(signedPart.size()))) {
            return Reject(error, "the signature does not match: the package was changed after it was signed",
                          E_INVALID_FORMAT);
        }
        signerKey = key;
    }

    Reader reader(body.substr(sizeof kMagic + 2));
    std::uint16_t flags = 0;
    std::uint32_t manifestSize = 0, fileCount = 0;
    reader.U16(flags);
    reader.U32(manifestSize);
    reader.U32(fileCount);
    if (flags != 0) return Reject(error, "unknown flags", E_INVALID_FORMAT);
    if (manifestSize > kMaxManifestSize || fileCount > kMaxFiles)
        return Reject(error, "header out of range", E_INVALID_FORMAT);

    PackageContents contents;
    std::string_view manifest;
    if (!reader.Bytes(manifestSize, manifest)) return Reject(error, "truncated manifest", E_INVALID_FORMAT);
    if (!ParseManifest(manifest, contents, error)) return E_INVALID_FORMAT;
    for (std::uint32_t i = 0; i < fileCount; ++i) {
        std::uint32_t pathLength = 0, mode = 0;
        std::uint64_t size = 0;
        std::string_view path, data;
        if (!reader.U32(pathLength) || pathLength > kMaxPathLength || !reader.Bytes(pathLength, path) ||
            !reader.U32(mode) || !reader.U64(size) || !reader.Bytes(size, data)) {
            return Reject(error, "truncated or malformed file entry " + std::to_string(i + 1), E_INVALID_FORMAT);
        }
        contents.files.push_back({std::string(path), mode, std::string(data)});
    }
    if (!reader.AtEnd()) return Reject(error, "unexpected bytes after the last file", E_INVALID_FORMAT);
    if (IsFailed(Validate(contents, error))) return E_INVALID_FORMAT;
    contents.signerKey = std::move(signerKey);
    out = std::move(contents);
    return E_SUCCESS;
}

bool PackageFile::IsIntact(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return false;
    std::uint64_t size = static_cast<std::uint64_t>(in.tellg());
    std::string header(kHeaderSize, '\0');
    in.seekg(0);
    if (size < kHeaderSize + kDigestSize || !in.read(header.data(), static_cast<std::streamsize>(header.size())) ||
        std::string_view(header).substr(0, sizeof kMagic) != std::string_view(kMagic, sizeof kMagic)) {
        return false;
    }
    std::uint16_t version = 0;
    Reader(std::string_view(header).substr(sizeof kMagic)).U16(version);
    std::size_t trailer = version == kFormatVersion ? kSignedTrailerSize : kDigestSize;
    if (size < kHeaderSize + trailer) return false;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayView(header.data(), static_cast<qsizetype>(header.size())));
    std::uint64_t left = size - trailer - kHeaderSize;
    std::string chunk(1 << 16, '\0');
    while (left > 0) {
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
        if (!in.read(chunk.data(), static_cast<std::streamsize>(n))) return false;
        hash.addData(QByteArrayView(chunk.data(), static_cast<qsizetype>(n)));
        left -= n;
    }
    std::string stored(kDigestSize, '\0');
    if (!in.read(stored.data(), static_cast<std::streamsize>(stored.size()))) return false;
    return hash.result().toStdString() == stored;
}

result PackageFile::ReadIdentity(const std::string& path, std::string& packageId, std::string& version,
                                 std::string* error) {
    std::ifstream in(path, std::ios::binary);
    std::string header(kHeaderSize, '\0');
    if (!in.read(header.data(), static_cast<std::streamsize>(header.size())) ||
        std::string_view(header).substr(0, sizeof kMagic) != std::string_view(kMagic, sizeof kMagic)) {
        return Reject(error, "not a package file", E_INVALID_FORMAT);
    }
    Reader reader(std::string_view(header).substr(sizeof kMagic + 4));
    std::uint32_t manifestSize = 0;
    reader.U32(manifestSize);
    if (manifestSize > kMaxManifestSize) return Reject(error, "header out of range", E_INVALID_FORMAT);
    std::string manifest(manifestSize, '\0');
    if (!in.read(manifest.data(), static_cast<std::streamsize>(manifest.size())))
        return Reject(error, "truncated manifest", E_INVALID_FORMAT);
    PackageContents contents;
    if (!ParseManifest(manifest, contents, error)) return E_INVALID_FORMAT;
    packageId = contents.packageId;
    version = contents.version;
    return E_SUCCESS;
}

std::string_view PackageFile::GetPackagePart(std::string_view appId) { return appId.substr(0, appId.find('.')); }

int PackageFile::CompareVersions(std::string_view a, std::string_view b) {
    auto isNumber = [](std::string_view part) {
        return !part.empty() && std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    while (!a.empty() || !b.empty()) {
        std::string_view partA = a.substr(0, a.find('.')), partB = b.substr(0, b.find('.'));
        a.remove_prefix(std::min(a.size(), partA.size() + 1));
        b.remove_prefix(std::min(b.size(), partB.size() + 1));
        // 1.0 and 1.0.0 are the same version.
        if (partA.empty() && isNumber(partB)) partA = "0";
        if (partB.empty() && isNumber(partA)) partB = "0";
        if (isNumber(partA) && isNumber(partB)) {
            partA.remove_prefix(std::min(partA.find_first_not_of('0'), partA.size()));
            partB.remove_prefix(std::min(partB.find_first_not_of('0'), partB.size()));
            if (partA.size() != partB.size()) return partA.size() < partB.size() ? -1 : 1;
        }
        if (int order = partA.compare(partB); order != 0) return order < 0 ? -1 : 1;
    }
    return 0;
}

std::string PackageFile::DigestHex(std::string_view bytes) {
    return QByteArray::fromStdString(Digest(bytes)).toHex().toStdString();
}

}  // namespace Vx::App::Package
