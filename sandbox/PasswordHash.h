#pragma once

#include <string>

namespace Sandbox {

// Account passwords are stored as salted PBKDF2-HMAC-SHA256 hashes, written
// "pbkdf2-sha256$ITERATIONS$SALT$HASH" (salt and hash in hex), never as text.
namespace PasswordHash {

inline constexpr const char* kPrefix = "pbkdf2-sha256$";
// Far fewer than a production store would use: every password check of
// the tests and the demo pays for it, and the accounts are made up.
inline constexpr int kIterations = 20000;

// A new hash with a fresh random salt; empty when libcrypto fails.
std::string Hash(const std::string& password, int iterations = kIterations);

// True when stored is a hash in the format above and password matches it.
// Stored text in any other form never matches.
bool Verify(const std::string& password, const std::string& stored);

// Whether text is in the stored format (used to hash plain seed passwords).
bool IsHash(const std::string& text);

}  // namespace PasswordHash
}  // namespace Sandbox
