#include "platform/package/PackageSigningKey.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "platform/base/PlatformHome.h"
#include "platform/content/FileSink.h"
#include "platform/package/CryptoLibraryPrivate.h"
#include "platform/package/PackageTrustStore.h"

namespace fs = std::filesystem;

namespace Vx::App::Package {
namespace {

constexpr std::size_t kSeedSize = 32;
constexpr std::uintmax_t kMaxKeyFileSize = 64 * 1024;

// Only ever given an object that the loaded library made.
struct PkeyFree {
    void operator()(EVP_PKEY* key) const { CryptoLibrary::Get()->EVP_PKEY_free(key); }
};
struct BioFree {
    void operator()(BIO* bio) const { CryptoLibrary::Get()->BIO_free(bio); }
};
struct MdCtxFree {
    void operator()(EVP_MD_CTX* ctx) const { CryptoLibrary::Get()->EVP_MD_CTX_free(ctx); }
};
using Pkey = std::unique_ptr<EVP_PKEY, PkeyFree>;
using Bio = std::unique_ptr<BIO, BioFree>;
using MdCtx = std::unique_ptr<EVP_MD_CTX, MdCtxFree>;

const unsigned char* Bytes(std::string_view data) { return reinterpret_cast<const unsigned char*>(data.data()); }

result Fail(std::string* error, std::string message, result r) {
    if (error) *error = std::move(message);
    return r;
}

bool ReadSmallFile(const std::string& path, std::string& text, std::string* error, result& r) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        r = Fail(error, "no key file at " + path, E_OBJ_NOT_FOUND);
        return false;
    }
    if (fs::file_size(path, ec) > kMaxKeyFileSize) {
        r = Fail(error, path + " is too large to be a key file", E_INVALID_FORMAT);
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        r = Fail(error, "cannot read " + path, E_IO);
        return false;
    }
    return true;
}

// Writes text beside path and renames it into place, with the given mode.
result WriteFileAtomically(const std::string& path, std::string_view text, unsigned int mode, bool replace,
                           std::string* error) {
    fs::path target = fs::absolute(path);
    Content::FileSink sink;
    result r = sink.Open(target.parent_path().string(), mode);
    if (!IsFailed(r)) r = sink.Write(text);
    if (!IsFailed(r))
        r = sink.Commit(target.string(), replace ? Content::CommitMode::Replace : Content::CommitMode::NoReplace);
    if (IsFailed(r)) return Fail(error, "cannot write " + target.string() + ": " + GetErrorMessage(r), r);
    return E_SUCCESS;
}

// The loaded library, or null with the reason in `error` (when given).
const CryptoLibrary* Crypto(std::string* error) {
    std::string why;
    const CryptoLibrary* c = CryptoLibrary::Get(&why);
    if (!c && error) *error = why;
    return c;
}

// `key` came from the loaded library.
std::string RawPublicKey(EVP_PKEY* key) {
    const CryptoLibrary* c = CryptoLibrary::Get();
    std::string raw(PackageSigningKey::kPublicKeySize, '\0');
    std::size_t size = raw.size();
    if (c->EVP_PKEY_get_raw_public_key(key, reinterpret_cast<unsigned char*>(raw.data()), &size) != 1 ||
        size != raw.size()) {
        return {};
    }
    return raw;
}

}  // namespace

result PackageSigningKey::Generate() {
    const CryptoLibrary* c = Crypto(nullptr);
    if (!c) return E_SYSTEM;
    std::string seed(kSeedSize, '\0');
    if (c->RAND_bytes(reinterpret_cast<unsigned char*>(seed.data()), static_cast<int>(seed.size())) != 1)
        return E_SYSTEM;
    Pkey key(c->EVP_PKEY_new_raw_private_key(EVP_PKEY_ED25519, nullptr, Bytes(seed), seed.size()));
    if (!key) return E_SYSTEM;
    std::string publicKey = RawPublicKey(key.get());
    if (publicKey.empty()) return E_SYSTEM;
    privateKey_ = std::move(seed);
    publicKey_ = std::move(publicKey);
    return E_SUCCESS;
}

result PackageSigningKey::Load(const std::string& path, std::string* error) {
    std::string text;
    result r = E_SUCCESS;
    if (!ReadSmallFile(path, text, error, r)) return r;
    const CryptoLibrary* c = Crypto(error);
    if (!c) return E_SYSTEM;
    Bio bio(c->BIO_new_mem_buf(text.data(), static_cast<int>(text.size())));
    Pkey key(bio ? c->PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr) : nullptr);
    if (!key || c->EVP_PKEY_get_base_id(key.get()) != EVP_PKEY_ED25519) {
        return Fail(error, path + " holds no Ed25519 private key (make one with iap-package keygen)", E_INVALID_FORMAT);
    }
    std::string seed(kSeedSize, '\0');
    std::size_t size = seed.size();
    if (c->EVP_PKEY_get_raw_private_key(key.get(), reinterpret_cast<unsigned char*>(seed.data()), &size) != 1 ||
        size != seed.size()) {
        return Fail(error, "cannot use the key in " + path, E_INVALID_FORMAT);
    }
    privateKey_ = std::move(seed);
    publicKey_ = RawPublicKey(key.get());
    return E_SUCCESS;
}

result PackageSigningKey::Save(const std::string& path, bool replace, std::string* error) const {
    if (!IsValid()) return Fail(error, "no key to save", E_INVALID_STATE);
    const CryptoLibrary* c = Crypto(error);
    if (!c) return E_SYSTEM;
    Pkey key(c->EVP_PKEY_new_raw_private_key(EVP_PKEY_ED25519, nullptr, Bytes(privateKey_), privateKey_.size()));
    Bio bio(c->BIO_new(c->BIO_s_mem()));
    if (!key || !bio || c->PEM_write_bio_PrivateKey(bio.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1) {
        return Fail(error, "cannot encode the key", E_SYSTEM);
    }
    char* data = nullptr;
    long size = c->BIO_ctrl(bio.get(), BIO_CTRL_INFO, 0, &data);
    return WriteFileAtomically(path, std::string_view(data, static_cast<std::size_t>(size)), 0600, replace, error);
}

result PackageSigningKey::Sign(std::string_view data, std::string& signature) const {
    if (!IsValid()) return E_INVALID_STATE;
    const CryptoLibrary* c = Crypto(nullptr);
    if (!c) return E_SYSTEM;
    Pkey key(c->EVP_PKEY_new_raw_private_key(EVP_PKEY_ED25519, nullptr, Bytes(privateKey_), privateKey_.size()));
    MdCtx ctx(c->EVP_MD_CTX_new());
    std::string out(kSignatureSize, '\0');
    std::size_t size = out.size();
    if (!key || !ctx || c->EVP_DigestSignInit(ctx.get(), nullptr, nullptr, nullptr, key.get()) != 1 ||
        c->EVP_DigestSign(ctx.get(), reinterpret_cast<unsigned char*>(out.data()), &size, Bytes(data), data.size()) !=
            1 ||
        size != kSignatureSize) {
        return E_SYSTEM;
    }
    signature = std::move(out);
    return E_SUCCESS;
}

bool PackageSigningKey::Verify(std::string_view publicKey, std::string_view data, std::string_view signature) {
    const CryptoLibrary* c = Crypto(nullptr);
    if (!c || publicKey.size() != kPublicKeySize || signature.size() != kSignatureSize) return false;
    Pkey key(c->EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, Bytes(publicKey), publicKey.size()));
    MdCtx ctx(c->EVP_MD_CTX_new());
    return key && ctx && c->EVP_DigestVerifyInit(ctx.get(), nullptr, nullptr, nullptr, key.get()) == 1 &&
           c->EVP_DigestVerify(ctx.get(), Bytes(signature), signature.size(), Bytes(data), data.size()) == 1;
}

std::string PackageSigningKey::Fingerprint(std::string_view publicKey) {
    const CryptoLibrary* c = Crypto(nullptr);
    if (!c) return {};
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (c->EVP_Digest(publicKey.data(), publicKey.size(), digest, &size, c->EVP_sha256(), nullptr) != 1) return {};
    static const char* const kHex = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < 16 && i < size; ++i) {
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 0x0f];
    }
    return text;
}

result PackageSigningKey::WritePublicKey(const std::string& path, std::string_view publicKey, unsigned int mode,
                                         std::string* error) {
    const CryptoLibrary* c = Crypto(error);
    if (!c) return E_SYSTEM;
    Pkey key(c->EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, Bytes(publicKey), publicKey.size()));
    Bio bio(c->BIO_new(c->BIO_s_mem()));
    if (!key || !bio || c->PEM_write_bio_PUBKEY(bio.get(), key.get()) != 1) {
        return Fail(error, "not an Ed25519 public key", E_INVALID_ARG);
    }
    char* data = nullptr;
    long size = c->BIO_ctrl(bio.get(), BIO_CTRL_INFO, 0, &data);
    return WriteFileAtomically(path, std::string_view(data, static_cast<std::size_t>(size)), mode, true, error);
}

result PackageSigningKey::ReadPublicKey(const std::string& path, std::string& publicKey, std::string* error) {
    std::string text;
    result r = E_SUCCESS;
    if (!ReadSmallFile(path, text, error, r)) return r;
    const CryptoLibrary* c = Crypto(error);
    if (!c) return E_SYSTEM;
    Bio bio(c->BIO_new_mem_buf(text.data(), static_cast<int>(text.size())));
    Pkey key(bio ? c->PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr) : nullptr);
    std::string raw = key && c->EVP_PKEY_get_base_id(key.get()) == EVP_PKEY_ED25519 ? RawPublicKey(key.get()) : "";
    if (raw.empty()) {
        return Fail(error, path + " holds no Ed25519 public key (iap-package keygen writes one as KEY.pub)",
                    E_INVALID_FORMAT);
    }
    publicKey = std::move(raw);
    return E_SUCCESS;
}

std::string PackageSigningKey::GetDeveloperKeyPath(const std::string& home) { return home + "/keys/developer.key"; }

result PackageSigningKey::LoadDeveloperKey(const std::string& home, PackageSigningKey& key, std::string* error) {
    std::string path = GetDeveloperKeyPath(home);
    result r = key.Load(path, error);
    if (r != E_OBJ_NOT_FOUND) return r;

    Base::CreatePrivateFolders(fs::path(path).parent_path().string());
    PackageSigningKey made;
    if (IsFailed(made.Generate())) return Fail(error, "cannot make a key: no random source", E_SYSTEM);
    // Two tools may make the key at once: the first one saved is the key.
    r = made.Save(path, false, error);
    if (r == E_OBJ_ALREADY_EXIST) return key.Load(path, error);
    if (IsFailed(r)) return r;
    r = PackageTrustStore::Trust(home, made.GetPublicKey(), error);
    if (IsFailed(r)) return r;
    key = std::move(made);
    return E_SUCCESS;
}

}  // namespace Vx::App::Package
