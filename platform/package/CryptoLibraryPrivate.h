#pragma once
// The libcrypto functions that signing and signature checks use, resolved
// when first needed: only making keys, signing and installing a package need
// them, and a process that does none of that (a list request) does not load
// libcrypto at all.
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>

#include <string>

// clang-format off
#define VX_CRYPTO_FUNCTIONS(X) \
    X(BIO_ctrl) \
    X(BIO_free) \
    X(BIO_new) \
    X(BIO_new_mem_buf) \
    X(BIO_s_mem) \
    X(EVP_Digest) \
    X(EVP_DigestSign) \
    X(EVP_DigestSignInit) \
    X(EVP_DigestVerify) \
    X(EVP_DigestVerifyInit) \
    X(EVP_MD_CTX_free) \
    X(EVP_MD_CTX_new) \
    X(EVP_PKEY_free) \
    X(EVP_PKEY_get_base_id) \
    X(EVP_PKEY_get_raw_private_key) \
    X(EVP_PKEY_get_raw_public_key) \
    X(EVP_PKEY_new_raw_private_key) \
    X(EVP_PKEY_new_raw_public_key) \
    X(EVP_sha256) \
    X(PEM_read_bio_PUBKEY) \
    X(PEM_read_bio_PrivateKey) \
    X(PEM_write_bio_PUBKEY) \
    X(PEM_write_bio_PrivateKey) \
    X(RAND_bytes)
// clang-format on

namespace Vx::App::Package {

class CryptoLibrary {
public:
    // The functions, loaded on the first call and kept for the process's
    // life; null when libcrypto cannot be loaded, with the reason in `error`.
    static const CryptoLibrary* Get(std::string* error = nullptr);

#define VX_CRYPTO_DECLARE(name) decltype(&::name) name = nullptr;
    VX_CRYPTO_FUNCTIONS(VX_CRYPTO_DECLARE)
#undef VX_CRYPTO_DECLARE
};

}  // namespace Vx::App::Package
