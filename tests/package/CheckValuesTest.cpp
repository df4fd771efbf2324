// Check values: packages from the writer verify, a changed byte fails its entry only, hostile check entries are refused.
#include <CheckValues.h>
#include <DecodeAhead.h>
#include <Package.h>
#include <PackageWriter.h>

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

struct File {
    std::u16string name;
    std::vector<uint8_t> data;
};

uint32_t readU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void putU32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

// Stored noise, packed text, text with noise (packed, partly), an empty file and a one-byte one.
std::vector<File> sampleFiles()
{
    std::mt19937 random(7);
    std::vector<uint8_t> noise(3000), text, mixed(70000);
    for (uint8_t& b : noise)
        b = uint8_t(random());
    for (int i = 0; i < 2000; ++i)
        for (char c : std::string("line of text ") + std::to_string(i) + "\n")
            text.push_back(uint8_t(c));
    for (size_t i = 0; i < mixed.size(); ++i)
        mixed[i] = (i / 512) % 2 ? uint8_t(random()) : uint8_t("compressible "[i % 13]);
    return {{u"bin/noise.dat", noise}, {u"docs/readme.txt", text}, {u"mixed.bin", mixed}, {u"empty", {}},
            {u"one", {'1'}}};
}

std::vector<uint8_t> pack(const std::vector<File>& files, bool checkValues = true)
{
    PackageWriter writer(5, checkValues);
    std::string error;
    for (const File& f : files)
        EXPECT_TRUE(writer.add(f.name, f.data.data(), f.data.size(), &error)) << error;
    return writer.finish();
}

bool readsAs(const Package& package, const File& file)
{
    uint64_t size = 0;
    EntryBuffer data(package.readEntry(file.name, &size));
    return data && std::vector<uint8_t>(data.get(), data.get() + size) == file.data;
}

// A package from the writer taken apart around its check-value entry, to be put together again
// with one of a test's making: the other entries' data, the directory before the entry's record,
// and that record.
struct Parts {
    std::vector<uint8_t> data, directory, checkRecord;
};

Parts split(const std::vector<uint8_t>& image)
{
    size_t end = image.size() - 8;   // the closing zero and the trailer
    size_t directory = readU32(&image[image.size() - 4]) ^ Package::kKey;
    size_t record = end - (16 + sizeof checkvalues::kEntryName);
    Parts parts;
    parts.checkRecord.assign(image.begin() + record, image.begin() + end);
    parts.data.assign(image.begin(), image.begin() + readU32(&parts.checkRecord[4]));
    parts.directory.assign(image.begin() + directory, image.begin() + record);
    return parts;
}

std::vector<uint8_t> assemble(const Parts& parts, const std::vector<uint8_t>& checks, int checkRecords = 1)
{
    std::vector<uint8_t> image = parts.data;
    image.insert(image.end(), checks.begin(), checks.end());
    uint32_t directory = uint32_t(image.size());
    image.insert(image.end(), parts.directory.begin(), parts.directory.end());
    for (int i = 0; i < checkRecords; ++i) {
        std::vector<uint8_t> record = parts.checkRecord;
        putU32(&record[4], uint32_t(parts.data.size()));
        putU32(&record[8], uint32_t(checks.size()));
        image.insert(image.end(), record.begin(), record.end());
    }
    image.resize(image.size() + 8);
    putU32(&image[image.size() - 4], directory ^ Package::kKey);
    return image;
}

std::vector<checkvalues::Record> recordsOf(const std::vector<File>& files)
{
    std::vector<checkvalues::Record> records;
    for (const File& f : files) {
        records.push_back({f.name, uint32_t(f.data.size()), {}});
        EXPECT_TRUE(sha256::digest(f.data.data(), f.data.size(), &records.back().digest));
    }
    return records;
}

// The entry's bytes after a change, with its own digest made right again, so that the reader
// has to refuse the change for what it is rather than for a wrong digest.
void reseal(std::vector<uint8_t>& checks)
{
    sha256::Digest own;
    ASSERT_TRUE(sha256::digest(checks.data(), checks.size() - 32, &own));
    std::copy(own.begin(), own.end(), checks.end() - 32);
}

} // namespace

TEST(CheckValues, KnownSha256Vectors)
{
    const struct {
        std::string input;
        const char* hex;
    } vectors[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& v : vectors) {
        sha256::Digest digest;
        ASSERT_TRUE(sha256::digest(v.input.data(), v.input.size(), &digest));
        char hex[65];
        for (size_t i = 0; i < 32; ++i)
            std::snprintf(hex + 2 * i, 3, "%02x", digest[i]);
        EXPECT_STREQ(hex, v.hex) << v.input.size() << " bytes";
    }
}

TEST(CheckValues, WriterPackagesCarryThemAndOlderPackagesStillRead)
{
    std::vector<File> files = sampleFiles();
    for (bool checked : {true, false}) {
        std::vector<uint8_t> image = pack(files, checked);
        auto package = Package::open(image.data(), image.size());
        ASSERT_TRUE(package);
        EXPECT_EQ(package->hasCheckValues(), checked);
        EXPECT_EQ(package->records().size(), files.size() + (checked ? 1 : 0));
        EXPECT_EQ(package->index().size(), files.size()) << "the check-value entry is no lookup entry";
        EXPECT_EQ(package->find(checkvalues::kEntryName), nullptr);
        for (const File& f : files) {
            EXPECT_TRUE(readsAs(*package, f));
            EXPECT_EQ(package->find(f.name)->checked, checked);
        }
    }
    PackageWriter writer(5);
    std::string error;
    EXPECT_FALSE(writer.add(checkvalues::kEntryName, nullptr, 0, &error)) << "no file may take the reserved name";
}

// Every byte of every entry's data, stored or packed, changed in turn (a sample of positions in the
// larger ones): that entry alone fails, directly and through decoders ahead; a changed byte of the
// check-value entry itself or of the directory refuses the package.
TEST(CheckValues, OneChangedByteFailsItsEntryOnly)
{
    std::vector<File> files = sampleFiles();
    const std::vector<uint8_t> image = pack(files);
    auto intact = Package::open(image.data(), image.size());
    ASSERT_TRUE(intact);
    size_t stored = 0, packed = 0;
    for (const File& victim : files) {
        const Package::Entry* entry = intact->find(victim.name);
        ASSERT_TRUE(entry);
        ++(entry->unpackedSize ? packed : stored);
        for (size_t at = 0; at < entry->storedSize; at += 1 + entry->storedSize / 40) {
            std::vector<uint8_t> changed = image;
            changed[entry->dataOffset + at] ^= 0x01;
            auto package = Package::open(changed.data(), changed.size());
            ASSERT_TRUE(package) << "entry data is not the directory's business";
            DecodeAhead ahead(*package, 2, size_t(1) << 20);
            for (const File& f : files) {
                bool good = &f != &victim;
                EXPECT_EQ(readsAs(*package, f), good) << "byte " << at << " of " << entry->storedSize;
                uint64_t size = 0;
                EntryBuffer data(ahead.readEntry(f.name, &size));
                EXPECT_EQ(bool(data), good);
            }
        }
    }
    EXPECT_GE(stored, 2u);
    EXPECT_GE(packed, 2u);

    const Package::Entry& checks = intact->records().back();
    size_t directory = readU32(&image[image.size() - 4]) ^ Package::kKey;
    for (size_t at = checks.dataOffset; at < image.size() - 4; ++at) {
        if (at >= checks.dataOffset + checks.storedSize && at < directory)
            continue;
        std::vector<uint8_t> changed = image;
        changed[at] ^= 0x01;
        auto package = Package::open(changed.data(), changed.size());
        // A changed name of the check-value entry's own record leaves a package without check values
        // (its entries then read as an older package's); anything else is refused.
        if (package) {
            EXPECT_FALSE(package->hasCheckValues()) << "byte " << at;
            EXPECT_GE(at, image.size() - 8 - 16) << "only the entry's name may leave a package";
        }
    }
}

TEST(CheckValues, HostileCheckEntriesAreRefused)
{
    std::vector<File> files = sampleFiles();
    Parts parts = split(pack(files));
    sha256::Digest directory;
    ASSERT_TRUE(sha256::digest(parts.directory.data(), parts.directory.size(), &directory));
    auto encoded = [&](const std::vector<checkvalues::Record>& records) {
        std::vector<uint8_t> out;
        EXPECT_TRUE(checkvalues::encode(directory, records, false, &out));
        return out;
    };
    const std::vector<checkvalues::Record> good = recordsOf(files);
    {
        std::vector<uint8_t> image = assemble(parts, encoded(good));
        auto package = Package::open(image.data(), image.size());
        ASSERT_TRUE(package && package->hasCheckValues()) << "the parts go together again";
    }

    auto with = [&](std::function<void(std::vector<checkvalues::Record>&)> change) {
        std::vector<checkvalues::Record> records = good;
        change(records);
        return encoded(records);
    };
    auto tampered = [&](std::function<void(std::vector<uint8_t>&)> change) {
        std::vector<uint8_t> bytes = encoded(good);
        change(bytes);
        reseal(bytes);
        return bytes;
    };
    const struct {
        const char* what;
        std::vector<uint8_t> checks;
        int checkRecords;
    } cases[] = {
        {"duplicate name", with([](auto& r) { r[1].name = r[0].name; }), 1},
        {"a name not in the package", with([](auto& r) { r[2].name = u"not/there"; }), 1},
        {"an entry left out", with([](auto& r) { r.pop_back(); }), 1},
        {"an extra record", with([](auto& r) { r.push_back(r[0]); }), 1},
        {"100,000 records", with([](auto& r) { r.assign(100000, r[0]); }), 1},
        {"another size", with([](auto& r) { r[0].size += 1; }), 1},
        {"another directory", encoded(good), 2},
        {"one byte short", tampered([](auto& b) { b.erase(b.end() - 33); }), 1},
        {"one byte more", tampered([](auto& b) { b.insert(b.end() - 32, 0); }), 1},
        {"count beyond the records", tampered([](auto& b) { b[4] += 1; }), 1},
        {"count of 100,000", tampered([](auto& b) { putU32(&b[4], 100000); }), 1},
        {"name length 0", tampered([](auto& b) { b[40] = 0; b[41] = 0; }), 1},
        {"name length past the entry", tampered([](auto& b) { b[40] = 0xFF; b[41] = 0x03; }), 1},
        {"other magic", tampered([](auto& b) { b[3] = '3'; }), 1},
        {"a solid package's form, no blocks", tampered([](auto& b) { b[3] = '2'; }), 1},
        {"directory digest changed", tampered([](auto& b) { b[8] ^= 1; }), 1},
        {"own digest changed", [&] { auto b = encoded(good); b.back() ^= 1; return b; }(), 1},
        {"too short for a header", std::vector<uint8_t>(71, 0), 1},
        {"empty", {}, 1},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> image = assemble(parts, c.checks, c.checkRecords);
        std::string error;
        EXPECT_FALSE(Package::open(image.data(), image.size(), &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
}
