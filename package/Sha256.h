// SHA-256 digests from the platform's own implementation: CNG on Windows, OpenSSL's libcrypto elsewhere.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace sha256 {

using Digest = std::array<uint8_t, 32>;

// The digest of `size` bytes at `data`. False when the platform's implementation cannot be had
// (on Windows: bcrypt.dll or its SHA-256 provider missing), so that a caller can refuse rather
// than pass data it could not check. Safe to call from several threads at once.
bool digest(const void* data, size_t size, Digest* out);

// Whether `size` bytes (at least 32) end in the SHA-256 of the bytes before them, as the package's
// own entries do; otherwise false, with `error` saying "`what` is damaged" or that SHA-256 is
// not available.
inline bool endsWithOwnDigest(const uint8_t* data, size_t size, const char* what, std::string* error)
{
    Digest own;
    if (!digest(data, size - own.size(), &own)) {
        *error = "SHA-256 is not available";
        return false;
    }
    if (std::memcmp(own.data(), data + size - own.size(), own.size()) != 0) {
        *error = std::string(what) + " is damaged";
        return false;
    }
    return true;
}

} // namespace sha256
