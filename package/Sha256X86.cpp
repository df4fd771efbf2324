// SHA-256 with the processor's SHA instructions, for the processors that have them.
#include "Sha256X86.h"

#include <cpuid.h>
#include <immintrin.h>

#include <cstring>

namespace sha256x86 {

namespace {

alignas(16) constexpr uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

// The 64 rounds over each 64-byte block. The state is kept as the instructions want it: A, B, E, F
// in one register and C, D, G, H in the other. Each group of four rounds also extends the message
// schedule, which lives in four registers used in turn.
__attribute__((target("sha,sse4.1,ssse3"))) void compress(uint32_t state[8], const uint8_t* data, size_t blocks)
{
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    __m128i cdab = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[0])), 0xB1);
    __m128i efgh = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[4])), 0x1B);
    __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
    __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);

    for (; blocks > 0; --blocks, data += 64) {
        const __m128i abefBefore = abef, cdghBefore = cdgh;
        __m128i w[4];
#pragma GCC unroll 16
        for (int group = 0; group < 16; ++group) {
            __m128i& current = w[group % 4];
            if (group < 4)
                current = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * group)),
                                           byteSwap);
            __m128i message =
                _mm_add_epi32(current, _mm_load_si128(reinterpret_cast<const __m128i*>(&kRound[4 * group])));
            cdgh = _mm_sha256rnds2_epu32(cdgh, abef, message);
            // the schedule four groups ahead: its second half, from this group and the one before
            if (group >= 3 && group <= 14) {
                __m128i& next = w[(group + 1) % 4];
                next = _mm_add_epi32(next, _mm_alignr_epi8(current, w[(group + 3) % 4], 4));
                next = _mm_sha256msg2_epu32(next, current);
            }
            abef = _mm_sha256rnds2_epu32(abef, cdgh, _mm_shuffle_epi32(message, 0x0E));
            // and its first half, from the group before and this one
            if (group >= 1 && group <= 12) {
                __m128i& previous = w[(group + 3) % 4];
                previous = _mm_sha256msg1_epu32(previous, current);
            }
        }
        abef = _mm_add_epi32(abef, abefBefore);
        cdgh = _mm_add_epi32(cdgh, cdghBefore);
    }

    __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
    __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[0]), _mm_blend_epi16(feba, dchg, 0xF0));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[4]), _mm_alignr_epi8(dchg, feba, 8));
}

bool detect()
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d))
        return false;
    const bool ssse3 = c & (1u << 9), sse41 = c & (1u << 19);
    if (!__get_cpuid_count(7, 0, &a, &b, &c, &d))
        return false;
    const bool sha = b & (1u << 29);
    return ssse3 && sse41 && sha;
}

} // namespace

bool available()
{
    static const bool has = detect();
    return has;
}

void digest(const void* data, size_t size, uint8_t out[32])
{
    uint32_t state[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    const auto* bytes = static_cast<const uint8_t*>(data);
    const size_t whole = size / 64;
    compress(state, bytes, whole);

    // the last block or two: what is left, the 0x80 byte, zeros, the length in bits (big-endian)
    uint8_t tail[128] = {};
    const size_t left = size - whole * 64;
    if (left)
        std::memcpy(tail, bytes + whole * 64, left);
    tail[left] = 0x80;
    const size_t tailSize = left + 9 <= 64 ? 64 : 128;
    const uint64_t bits = uint64_t(size) * 8;
    for (int i = 0; i < 8; ++i)
        tail[tailSize - 1 - i] = uint8_t(bits >> (8 * i));
    compress(state, tail, tailSize / 64);

    for (int i = 0; i < 8; ++i) {
        out[4 * i] = uint8_t(state[i] >> 24);
        out[4 * i + 1] = uint8_t(state[i] >> 16);
        out[4 * i + 2] = uint8_t(state[i] >> 8);
        out[4 * i + 3] = uint8_t(state[i]);
    }
}

} // namespace sha256x86
