// The LZMA SDK's decoder, run in slices over a buffer of the exact size.
#include "LzmaStream.h"

#include <algorithm>
#include <cstdlib>

extern "C" {
#include <LzmaDec.h>
}

namespace lzmastream {

namespace {

void* lzmaAlloc(void*, size_t size) { return std::malloc(size); }
void lzmaFree(void*, void* address) { std::free(address); }
ISzAlloc lzmaAllocator = {lzmaAlloc, lzmaFree};

static_assert(kPropertiesSize == LZMA_PROPS_SIZE, "the SDK's properties size");
constexpr size_t kDecodeSlice = 1u << 20;

void setError(std::string* error, std::string text)
{
    if (error)
        *error = std::move(text);
}

} // namespace

bool decodeExactly(const uint8_t* data, size_t packedSize, uint8_t* out, size_t outSize, const std::atomic<bool>* stop,
                   std::string* error, bool wholeStream)
{
    CLzmaDec decoder;
    LzmaDec_Construct(&decoder);
    SRes result = LzmaDec_AllocateProbs(&decoder, data, unsigned(kPropertiesSize), &lzmaAllocator);
    if (result != SZ_OK) {
        setError(error, "LZMA data is damaged (decoder error " + std::to_string(result) + ")");
        return false;
    }
    decoder.dic = out;
    decoder.dicBufSize = outSize;
    LzmaDec_Init(&decoder);
    const uint8_t* in = data + kPropertiesSize;
    size_t inLeft = packedSize;
    ELzmaStatus status = LZMA_STATUS_NOT_SPECIFIED;
    bool stopped = false;
    while (decoder.dicPos < outSize) {
        if (stop && stop->load(std::memory_order_relaxed)) {
            stopped = true;
            break;
        }
        SizeT limit = std::min<SizeT>(outSize, decoder.dicPos + kDecodeSlice);
        SizeT consumed = inLeft;
        size_t before = decoder.dicPos;
        result = LzmaDec_DecodeToDic(&decoder, limit, in, &consumed, LZMA_FINISH_ANY, &status);
        in += consumed;
        inLeft -= consumed;
        if (result != SZ_OK || status == LZMA_STATUS_FINISHED_WITH_MARK)
            break;
        if (status == LZMA_STATUS_NEEDS_MORE_INPUT) {
            result = SZ_ERROR_INPUT_EOF;
            break;
        }
        if (consumed == 0 && decoder.dicPos == before)
            break;   // no progress: ends as a short result below
    }
    size_t produced = decoder.dicPos;
    bool endsThere = true;
    if (wholeStream && !stopped && result == SZ_OK && produced == outSize) {
        SizeT consumed = inLeft;
        SRes end = LzmaDec_DecodeToDic(&decoder, outSize, in, &consumed, LZMA_FINISH_END, &status);
        endsThere = end == SZ_OK && status == LZMA_STATUS_MAYBE_FINISHED_WITHOUT_MARK && consumed == inLeft;
    }
    LzmaDec_FreeProbs(&decoder, &lzmaAllocator);
    if (stopped) {
        setError(error, "stopped");
        return false;
    }
    if (result != SZ_OK || produced != outSize) {
        setError(error, result != SZ_OK ? "LZMA data is damaged (decoder error " + std::to_string(result) + ")"
                                        : "LZMA data ends after " + std::to_string(produced) + " of " +
                                              std::to_string(outSize) + " bytes");
        return false;
    }
    if (!endsThere) {
        setError(error, "LZMA data does not end where its unpacked size does");
        return false;
    }
    return true;
}

} // namespace lzmastream
