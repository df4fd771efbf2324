// One LZMA stream decoded into a buffer of the exact size it must fill, refusing anything less
// than a clean decode: the package reader's entries, blocks and index, and packed scripts.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace lzmastream {

// The properties bytes before a stream: lc/lp/pb, then the dictionary size.
constexpr size_t kPropertiesSize = 5;

// Decodes the stream after the 5 properties bytes at `data` (`packedSize` bytes of it) into
// exactly `outSize` bytes at `out`. The decoder runs in slices so that a reader told to stop (by
// `stop`, which may be null) lets go within one slice; sliced or not, the bytes are the same. A
// damaged stream must not pass as the file: anything short of a clean decode of every byte fails.
// With `wholeStream` the stream must also end exactly there, its last byte read and the range
// coder finished: a changed byte that only the end would show (which a block's members before it
// would not) fails too. False with the reason in `error` (which may be null).
bool decodeExactly(const uint8_t* data, size_t packedSize, uint8_t* out, size_t outSize, const std::atomic<bool>* stop,
                   std::string* error, bool wholeStream = false);

} // namespace lzmastream
