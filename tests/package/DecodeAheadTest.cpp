// Decoders running ahead of the reader: the reader's bytes and failures in any request order, order
// learning within a budget, and stopping while busy.
#include <DecodeAhead.h>
#include <Package.h>
#include <PackageWriter.h>
#include <platform/Utf.h>

#include "TestContent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

namespace {

constexpr uint64_t kUntouched = 0xDEADBEEF;

using testcontent::File;
using testcontent::content;

// Names in mixed letter case, so that the package's order and a case-blind walk differ.
std::vector<File> payload()
{
    std::vector<File> files;
    const char16_t* names[] = {u"Alpha.dll", u"Zeta.exe", u"beta.dll", u"bin/Core.dll", u"bin/app.exe",
                               u"bin/sub/Deep.txt", u"bin_tools/x.dll", u"data/readme.txt", u"Data2/b.bin",
                               u"gamma.dat", u"Kappa/noise.bin", u"empty.txt", u"omega.txt", u"Mu.ini"};
    unsigned seed = 1;
    for (const char16_t* name : names) {
        std::u16string n = name;
        size_t size = n == u"empty.txt" ? 0 : 20000 + 7919 * (seed % 9);
        files.push_back({n, content(size, seed, n.find(u"noise") != std::u16string::npos)});
        ++seed;
    }
    std::sort(files.begin(), files.end(), [](const File& a, const File& b) { return a.name < b.name; });
    return files;
}

std::vector<uint8_t> pack(const std::vector<File>& files)
{
    PackageWriter writer(1);
    std::string error;
    for (const File& f : files)
        EXPECT_TRUE(writer.add(f.name, f.data.data(), f.data.size(), &error)) << error;
    return writer.finish();
}

std::u16string folded(std::u16string name)
{
    for (char16_t& c : name)
        c = c == u'/' ? u'\\' : c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c;
    return name;
}

struct Fixture {
    std::vector<File> files = payload();
    std::vector<uint8_t> image = pack(files);
    std::unique_ptr<Package> package = Package::open(image.data(), image.size());
    std::vector<std::u16string> names() const
    {
        std::vector<std::u16string> out;
        for (const File& f : files)
            out.push_back(f.name);
        return out;
    }
};

// Every request must give exactly what the plain reader gives: the same bytes, or null with
// `size` untouched.
void expectSameAsReader(const Package& package, DecodeAhead& ahead, const std::vector<std::u16string>& requests,
                        const std::string& what)
{
    for (const std::u16string& name : requests) {
        uint64_t wantSize = kUntouched, gotSize = kUntouched;
        EntryBuffer want(package.readEntry(name, &wantSize));
        EntryBuffer got(ahead.readEntry(name, &gotSize));
        ASSERT_EQ(bool(got), bool(want)) << what << ": " << utf16ToUtf8(name);
        ASSERT_EQ(gotSize, wantSize) << what << ": " << utf16ToUtf8(name);
        if (want) {
            ASSERT_TRUE(std::equal(want.get(), want.get() + wantSize, got.get())) << what << ": " << utf16ToUtf8(name);
        }
    }
}

} // namespace

TEST(DecodeAhead, AnyRequestOrderGivesTheReadersResults)
{
    Fixture f;
    ASSERT_TRUE(f.package);
    std::vector<std::u16string> inOrder = f.names();
    std::vector<std::u16string> reversed(inOrder.rbegin(), inOrder.rend());
    std::vector<std::u16string> shuffled = inOrder;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(5));
    std::vector<std::u16string> repeated;
    for (size_t i = 0; i < inOrder.size(); ++i)
        repeated.insert(repeated.end(), {inOrder[i], inOrder[i], inOrder[(i * 5) % inOrder.size()]});
    std::vector<std::u16string> withMissing;
    for (const std::u16string& name : inOrder)
        withMissing.insert(withMissing.end(), {name + u"x", name, u"BETA.DLL", u"bin\\Core.dll", u""});
    std::vector<std::u16string> caseBlind = inOrder;
    std::stable_sort(caseBlind.begin(), caseBlind.end(),
                     [](const std::u16string& a, const std::u16string& b) { return folded(a) < folded(b); });

    const std::vector<std::pair<const char*, std::vector<std::u16string>>> orders = {
        {"in order", inOrder}, {"reversed", reversed},        {"random", shuffled},
        {"repeated", repeated}, {"missing names", withMissing}, {"case-blind", caseBlind}};
    // budgets: everything fits; room for about two entries (some given up); smaller than any
    // packed entry (all decoded on request)
    uint64_t largest = 0;
    for (const File& file : f.files)
        largest = std::max<uint64_t>(largest, file.data.size());
    for (size_t budget : {DecodeAhead::kDefaultBudget, size_t(100000), size_t(1000)}) {
        for (unsigned decoders : {1u, 2u, 3u}) {
            for (const auto& [what, requests] : orders) {
                DecodeAhead ahead(*f.package, decoders, budget);
                expectSameAsReader(*f.package, ahead, requests,
                                   std::string(what) + ", budget " + std::to_string(budget) + ", decoders " +
                                       std::to_string(decoders));
                EXPECT_LE(ahead.stats().peakBytes, std::max<uint64_t>(budget, 2 * largest));
            }
        }
    }
}

TEST(DecodeAhead, DamagedEntryFailsAloneWhetherDecodedAheadOrOnRequest)
{
    Fixture f;
    const Package::Entry* victim = f.package->find(u"bin/app.exe");
    ASSERT_TRUE(victim && victim->unpackedSize > 0);
    std::vector<uint8_t> damaged = f.image;
    damaged[victim->dataOffset + 5] = 0xFF;   // an LZMA stream starts with a zero byte
    auto package = Package::open(damaged.data(), damaged.size());
    ASSERT_TRUE(package);

    for (bool settled : {true, false}) {
        DecodeAhead ahead(*package, 2);
        if (settled)
            ahead.settle();   // everything that can be decoded ahead has been tried
        for (const File& file : f.files) {
            uint64_t size = kUntouched;
            EntryBuffer got(ahead.readEntry(file.name, &size));
            if (file.name == u"bin/app.exe") {
                EXPECT_FALSE(got) << "settled " << settled;
                EXPECT_EQ(size, kUntouched);
                EXPECT_FALSE(EntryBuffer(ahead.readEntry(file.name, &size))) << "asked again";
            } else {
                ASSERT_TRUE(got) << utf16ToUtf8(file.name);
                ASSERT_EQ(size, file.data.size());
                EXPECT_TRUE(std::equal(file.data.begin(), file.data.end(), got.get())) << utf16ToUtf8(file.name);
            }
        }
    }
}

// With room for two entries, only the predicted ones are decoded; after each request the decoder
// settles, so a request finds its entry ready exactly when the prediction was right.
TEST(DecodeAhead, FollowsTheOrderTheReaderWalksIn)
{
    std::vector<File> files;
    for (char16_t c = u'a'; c <= u'p'; ++c) {
        std::u16string name = (c % 3 == 0 ? u"Dir/" : u"dir_") + std::u16string(1, c % 2 ? char16_t(c - 32) : c);
        files.push_back({name + u".dll", content(30000, c)});
    }
    std::sort(files.begin(), files.end(), [](const File& a, const File& b) { return a.name < b.name; });
    std::vector<uint8_t> image = pack(files);
    auto package = Package::open(image.data(), image.size());
    ASSERT_TRUE(package);

    std::vector<std::u16string> inOrder;
    for (const File& file : files)
        inOrder.push_back(file.name);
    std::vector<std::u16string> caseBlind = inOrder;
    std::stable_sort(caseBlind.begin(), caseBlind.end(),
                     [](const std::u16string& a, const std::u16string& b) { return folded(a) < folded(b); });
    ASSERT_NE(caseBlind, inOrder) << "the test needs orders that differ";
    std::vector<std::u16string> reversed(inOrder.rbegin(), inOrder.rend());

    for (const auto& [what, requests] : std::vector<std::pair<const char*, std::vector<std::u16string>>>{
             {"package order", inOrder}, {"case-blind", caseBlind}, {"reversed", reversed}}) {
        DecodeAhead ahead(*package, 1, 2 * 30000 + 100);
        for (const std::u16string& name : requests) {
            ahead.settle();
            uint64_t size = 0;
            EXPECT_TRUE(EntryBuffer(ahead.readEntry(name, &size))) << utf16ToUtf8(name);
        }
        // a few requests to learn from; every later one was ready
        EXPECT_GE(ahead.stats().ready, requests.size() - 3) << what;
        EXPECT_EQ(ahead.stats().waited, 0u) << what;
    }
}

TEST(DecodeAhead, StopsWhileDecodingAndWithEntriesReady)
{
    // entries of several decoding slices each, so that decoders are mid-entry when told to stop
    std::vector<File> files;
    for (int i = 0; i < 4; ++i)
        files.push_back({u"big" + std::u16string(1, char16_t(u'0' + i)), content(5u << 19, 40 + i)});
    std::vector<uint8_t> image = pack(files);
    auto package = Package::open(image.data(), image.size());
    ASSERT_TRUE(package);
    for (int round = 0; round < 10; ++round) {
        DecodeAhead ahead(*package, 2);
        if (round % 2) {
            uint64_t size = 0;
            EntryBuffer first(ahead.readEntry(u"big0", &size));
            ASSERT_TRUE(first);
            EXPECT_EQ(size, files[0].data.size());
        }
    }   // each destruction must end its decoders and free what they held
}

TEST(DecodeAhead, WithoutDecodersReadsAreThePlainReadersOnTheCallersThread)
{
    Fixture f;
    DecodeAhead ahead(*f.package, 0);
    EXPECT_EQ(ahead.decoders(), 0u);
    ahead.settle();
    expectSameAsReader(*f.package, ahead, f.names(), "no decoders");
    EXPECT_EQ(ahead.stats().ready + ahead.stats().waited + ahead.stats().onDemand + ahead.stats().stored, 0u);
}
