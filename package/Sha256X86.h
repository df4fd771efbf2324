// SHA-256 on the processor's SHA instructions (x86-64 with the SHA extensions), where it has them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sha256x86 {

// Whether this processor has the SHA, SSSE3 and SSE4.1 instructions digest() needs. Asked once.
bool available();

// The SHA-256 of `size` bytes at `data`; only when available(). Any thread.
void digest(const void* data, size_t size, uint8_t out[32]);

} // namespace sha256x86
