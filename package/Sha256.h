// SHA-256 digests from the platform's own implementation: CNG on Windows, OpenSSL's libcrypto elsewhere.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace sha256 {

using Digest = std::array<uint8_t, 32>;

// The digest of `size` bytes at `data`. False when the platform's implementation cannot be had
// (on Windows: bcrypt.dll or its SHA-256 provider missing), so that a caller can refuse rather
// than pass data it could not check. Safe to call from several threads at once.
bool digest(const void* data, size_t size, Digest* out);

} // namespace sha256
