// libFuzzer target: any byte string opened as a package, every entry read directly and through decoders ahead, fails cleanly.
#include <DecodeAhead.h>
#include <Package.h>

#include <cstdint>
#include <cstdlib>

namespace {

// Decoding is real work per input; entries claiming more than this are skipped so that the
// fuzzer spends its time on the directory and stream parsing rather than on allocating.
constexpr uint32_t kLargestDecoded = 16u << 20;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto package = Package::open(data, size);
    if (!package)
        return 0;
    for (const Package::Entry& entry : package->records()) {
        if (entry.unpackedSize > kLargestDecoded)
            continue;
        uint64_t length = 0;
        uint8_t* buffer = package->readRecord(entry, &length);
        if (buffer) {
            // touch every byte so the sanitizers see reads of the whole result
            volatile uint8_t sum = 0;
            for (uint64_t i = 0; i < length; ++i)
                sum = uint8_t(sum + buffer[i]);
            Package::freeEntry(buffer);
        }
    }
    for (const auto& named : package->index()) {
        const Package::Entry* entry = package->find(named.first);
        if (!entry || entry->unpackedSize > kLargestDecoded)
            continue;
        uint64_t length = 0;
        Package::freeEntry(package->readEntry(named.first, &length));
    }
    // the same through decoders running ahead within a small budget, in reverse order and with
    // every name asked for twice
    DecodeAhead ahead(*package, 2, size_t(1) << 20);
    for (auto named = package->index().rbegin(); named != package->index().rend(); ++named) {
        const Package::Entry* entry = package->find(named->first);
        if (!entry || entry->unpackedSize > kLargestDecoded)
            continue;
        for (int twice = 0; twice < 2; ++twice) {
            uint64_t length = 0;
            Package::freeEntry(ahead.readEntry(named->first, &length));
        }
    }
    return 0;
}
