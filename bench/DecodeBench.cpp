// Benchmark: decoding every entry of a package without writing it, on the caller's thread alone
// and with decoders running ahead on every core; the lower bound of extraction.
//   decode_bench.exe PACKAGE
// Entries are asked for the way the shipped worker script lists them (without regard to letter
// case). Prints one line: entries, bytes, decoders, seconds alone, seconds with decoders, and how
// the requests were served.
#include <DecodeAhead.h>
#include <Package.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace {

std::u16string folded(std::u16string name)
{
    for (char16_t& c : name)
        c = c == u'/' ? u'\\' : c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c;
    return name;
}

template <typename Read>
double timed(const std::vector<std::u16string>& names, uint64_t* bytes, Read read)
{
    auto started = std::chrono::steady_clock::now();
    *bytes = 0;
    for (const std::u16string& name : names) {
        uint64_t size = 0;
        uint8_t* buffer = read(name, &size);
        if (!buffer) {
            std::fprintf(stderr, "decode_bench: an entry did not decode\n");
            std::exit(1);
        }
        *bytes += size;
        Package::freeEntry(buffer);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: decode_bench PACKAGE\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::vector<uint8_t> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string error;
    std::unique_ptr<Package> package = Package::open(image.data(), image.size(), &error);
    if (!package) {
        std::fprintf(stderr, "decode_bench: %s\n", error.c_str());
        return 1;
    }
    std::vector<std::u16string> names;
    for (const auto& entry : package->index())
        names.push_back(entry.first);
    std::stable_sort(names.begin(), names.end(),
                     [](const std::u16string& a, const std::u16string& b) { return folded(a) < folded(b); });

    uint64_t bytes = 0;
    double alone = timed(names, &bytes, [&](const std::u16string& name, uint64_t* size) {
        return package->readEntry(name, size);
    });
    unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    DecodeAhead::Stats stats;
    double ahead = 0;
    {
        auto started = std::chrono::steady_clock::now();
        DecodeAhead decoders(*package, cores);
        timed(names, &bytes, [&](const std::u16string& name, uint64_t* size) { return decoders.readEntry(name, size); });
        stats = decoders.stats();
        ahead = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    }
    std::printf("entries %zu bytes %llu decoders %u alone %.3f ahead %.3f ready %zu waited %zu on_demand %zu "
                "stored %zu dropped %zu peak_held %llu\n",
                names.size(), static_cast<unsigned long long>(bytes), cores, alone, ahead, stats.ready, stats.waited,
                stats.onDemand, stats.stored, stats.dropped, static_cast<unsigned long long>(stats.peakBytes));
    return 0;
}
