// lzpack: creates, lists, extracts and verifies installer packages, on Linux and on Windows.
#include "PackageWriter.h"
#include "ParallelPacker.h"

#include <Blocks.h>
#include <CheckValues.h>
#include <DecodeAhead.h>
#include <Package.h>
#include <platform/Utf.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kOk = 0, kDamaged = 1, kUsage = 2;

const char kUsageText[] =
    "usage: lzpack create [--store | --lzma[=LEVEL]] [--solid[=MIB]] [--jobs=N] [--no-check-values] OUT.lz DIR\n"
    "       lzpack list PKG\n"
    "       lzpack extract PKG DESTDIR [NAME...]\n"
    "       lzpack verify PKG\n";

int usage(const std::string& why = {})
{
    if (!why.empty())
        std::fprintf(stderr, "lzpack: %s\n", why.c_str());
    std::fputs(kUsageText, stderr);
    return kUsage;
}

void fail(const std::string& text)
{
    std::fprintf(stderr, "lzpack: %s\n", text.c_str());
}

std::string show(const fs::path& path)
{
    auto text = path.u8string();
    return std::string(text.begin(), text.end());
}

fs::path fromUtf16(const std::u16string& text)
{
    return fs::path(text);
}

bool readWhole(const fs::path& path, std::vector<uint8_t>* out, std::string* error)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        *error = "cannot open " + show(path);
        return false;
    }
    // in one read when the size is known; a file that changes meanwhile is read as it now is
    std::streamoff size = in.tellg();
    if (size > 0 && in.seekg(0)) {
        out->resize(size_t(size));
        in.read(reinterpret_cast<char*>(out->data()), size);
        out->resize(size_t(in.gcount()));
        if (in.gcount() == size && in.peek() == std::char_traits<char>::eof())
            return true;
        in.clear();
    } else {
        in.clear();
        in.seekg(0);
        out->clear();
    }
    out->insert(out->end(), std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        *error = "cannot read " + show(path);
        return false;
    }
    return true;
}

bool writeWhole(const fs::path& path, const uint8_t* data, size_t size, std::string* error)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out)
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    if (out)
        out.close();
    if (!out) {
        *error = "cannot write " + show(path);
        return false;
    }
    return true;
}

// A package image together with the opened reader over it.
struct Opened {
    std::vector<uint8_t> image;
    std::unique_ptr<Package> package;
};

bool openPackage(const std::string& arg, const fs::path& path, Opened* opened)
{
    std::string error;
    if (!readWhole(path, &opened->image, &error)) {
        fail(error);
        return false;
    }
    opened->package = Package::open(opened->image.data(), opened->image.size(), &error);
    if (!opened->package) {
        fail(arg + ": damaged directory: " + error);
        return false;
    }
    return true;
}

// Every core by default: packing is by far the slowest step of a build.
unsigned defaultJobs()
{
    unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? cores : 1;
}

bool parseCount(const std::string& text, unsigned* jobs)
{
    if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *jobs = unsigned(std::stoul(text));
    return *jobs >= 1;
}

int create(const std::vector<fs::path>& args, const std::vector<std::string>& raw)
{
    PackSettings settings;
    unsigned jobs = defaultJobs();
    size_t i = 0;
    for (; i < raw.size() && raw[i].rfind("--", 0) == 0; ++i) {
        const std::string& opt = raw[i];
        if (opt == "--store") {
            settings.level = -1;
        } else if (opt == "--lzma") {
            settings.level = 5;
        } else if (opt.rfind("--lzma=", 0) == 0 && opt.size() == 8 && opt[7] >= '0' && opt[7] <= '9') {
            settings.level = opt[7] - '0';
        } else if (opt == "--solid") {
            settings.solidBytes = kDefaultSolidBytes;
        } else if (opt.rfind("--solid=", 0) == 0) {
            unsigned mib = 0;
            if (!parseCount(opt.substr(8), &mib) || mib > 1024)
                return usage("--solid takes a block size from 1 to 1024 MiB");
            settings.solidBytes = uint32_t(mib) << 20;
        } else if (opt == "--no-check-values") {
            settings.checkValues = false;
        } else if (opt.rfind("--jobs=", 0) == 0) {
            if (!parseCount(opt.substr(7), &jobs))
                return usage("--jobs takes a number from 1 to 9999");
        } else {
            return usage("unknown option " + opt);
        }
    }
    if (raw.size() - i != 2)
        return usage("create takes OUT.lz and DIR");
    fs::path out = args[i], dir = args[i + 1];
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        fail(show(dir) + " is not a folder");
        return kDamaged;
    }

    // The plan sorts the entries by their UTF-16 names (grouped by extension first when solid), so
    // that the same tree gives the same package on every platform.
    std::vector<std::pair<std::u16string, fs::path>> files;
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (!it->is_regular_file(ec))
            continue;
        std::u16string name = it->path().lexically_relative(dir).generic_u16string();
        files.emplace_back(name, it->path());
    }
    if (ec) {
        fail("cannot list " + show(dir) + ": " + ec.message());
        return kDamaged;
    }
    std::sort(files.begin(), files.end());

    // Packed on every job at once, appended in plan order: the same package for any number of jobs.
    std::vector<PlanInput> inputs;
    for (const auto& [name, path] : files) {
        std::error_code sizeError;
        uintmax_t size = fs::file_size(path, sizeError);
        inputs.push_back({name, sizeError ? 0 : uint64_t(size)});
    }
    auto read = [&files](size_t index, std::vector<uint8_t>* data, std::string* error) {
        return readWhole(files[index].second, data, error);
    };
    PackageWriter writer(settings.level, settings.checkValues);
    size_t failed = 0;
    std::string why;
    if (!ParallelPacker::run(writer, settings, inputs, read, jobs, &failed, &why)) {
        fail(show(files[failed].second) + ": " + why);
        return kDamaged;
    }
    std::vector<uint8_t> image = writer.finish();
    std::string error;
    if (image.empty()) {
        fail(show(out) + ": the check values cannot be computed or do not fit below 2 GiB");
        return kDamaged;
    }
    if (!writeWhole(out, image.data(), image.size(), &error)) {
        fail(error);
        return kDamaged;
    }
    return kOk;
}

// The block map and the check values: the package's own entries, no files.
bool ownEntry(const Package::Entry& entry)
{
    return entry.name == checkvalues::kEntryName || entry.name == blocks::kEntryName;
}

int list(const std::vector<std::string>& raw, const std::vector<fs::path>& args)
{
    if (args.size() != 1)
        return usage("list takes PKG");
    Opened opened;
    if (!openPackage(raw[0], args[0], &opened))
        return kDamaged;
    // in package order, the order extraction reads best in; a member of a block shows stored
    // size 0 and, in a fourth column, its block (counted from 1)
    const Package& package = *opened.package;
    bool solid = !package.blocks().empty();
    for (size_t position : package.lookupRecords()) {
        const Package::Entry& e = package.records()[position];
        std::printf("%s\t%u\t%llu", utf16ToUtf8(e.name).c_str(), e.storedSize, (unsigned long long)e.size());
        if (solid)
            std::printf("\t%u", e.block == Package::kNoBlock ? 0u : e.block + 1);
        std::printf("\n");
    }
    // a note, not a line of the listing, so that scripts reading the entries need not skip it
    if (!opened.package->hasCheckValues())
        std::fprintf(stderr, "lzpack: %s has no check values\n", raw[0].c_str());
    return kOk;
}

int extract(const std::vector<std::string>& raw, const std::vector<fs::path>& args)
{
    if (args.size() < 2)
        return usage("extract takes PKG, DESTDIR and optional names");
    Opened opened;
    if (!openPackage(raw[0], args[0], &opened))
        return kDamaged;
    const fs::path& dest = args[1];

    std::vector<std::u16string> wanted;
    if (args.size() > 2) {
        for (size_t i = 2; i < args.size(); ++i)
            wanted.push_back(utf8ToUtf16(raw[i]));
    } else {
        for (size_t position : opened.package->lookupRecords())
            wanted.push_back(opened.package->records()[position].name);
    }
    // decoded ahead on every core, a block once for all its files; any order the names come in
    // gives the same files
    DecodeAhead decoders(*opened.package, defaultJobs() > 1 ? defaultJobs() : 0);

    int status = kOk;
    for (const std::u16string& name : wanted) {
        std::string shown = utf16ToUtf8(name);
        std::vector<std::u16string> parts;
        if (!safeRelativeParts(name, &parts)) {
            fail(shown + ": refused, the name would leave the destination folder");
            status = kDamaged;
            continue;
        }
        const Package::Entry* entry = opened.package->find(name);
        if (!entry) {
            fail(shown + ": no such entry");
            status = kDamaged;
            continue;
        }
        uint64_t size = 0;
        std::string error;
        uint8_t* data = decoders.readEntry(name, &size);
        if (!data) {
            // read once more, alone, for the reason
            Package::freeEntry(opened.package->readRecord(*entry, &size, &error));
            fail(shown + ": " + (error.empty() ? "cannot be read" : error));
            status = kDamaged;
            continue;
        }
        fs::path target = dest;
        for (const auto& part : parts)
            target /= fromUtf16(part);
        std::error_code ec;
        fs::create_directories(target.parent_path(), ec);
        if (ec) {
            error = "cannot create " + show(target.parent_path()) + ": " + ec.message();
        } else {
            writeWhole(target, data, size_t(size), &error);
        }
        Package::freeEntry(data);
        if (!error.empty()) {
            fail(shown + ": " + error);
            status = kDamaged;
        }
    }
    return status;
}

int verify(const std::vector<std::string>& raw, const std::vector<fs::path>& args)
{
    if (args.size() != 1)
        return usage("verify takes PKG");
    Opened opened;
    if (!openPackage(raw[0], args[0], &opened))
        return kDamaged;
    // The check-value entry, the directory and their agreement were checked when the package opened;
    // from here every other record is read, and read checked where it has a check value.
    int status = kOk;
    size_t position = 0, entries = 0;
    const Package& package = *opened.package;
    EntryBuffer block;   // the block of the members being read, decoded once for them all
    uint32_t blockIndex = Package::kNoBlock;
    std::string blockError;
    for (const Package::Entry& e : package.records()) {
        ++position;
        if (ownEntry(e))
            continue;
        ++entries;
        std::string error;
        uint64_t size = 0;
        uint8_t* data = nullptr;
        if (e.block != Package::kNoBlock) {
            if (e.block != blockIndex) {
                blockIndex = e.block;
                block.reset(package.readBlock(e.block, &blockError));
            }
            data = block ? package.copyMember(e, block.get(), &size, &error) : nullptr;
            if (!block)
                error = "block " + std::to_string(e.block + 1) + ": " + blockError;
        } else {
            data = package.readRecord(e, &size, &error);
        }
        if (!data) {
            std::string shown = e.name.empty() ? "record " + std::to_string(position) : utf16ToUtf8(e.name);
            fail(raw[0] + ": " + shown + ": " + error);
            status = kDamaged;
            continue;
        }
        Package::freeEntry(data);
    }
    if (status == kOk && !package.hasCheckValues())
        std::printf("%s: %zu entries decode; no check values, so stored entries could not be checked\n",
                    raw[0].c_str(), entries);
    else if (status == kOk)
        std::printf("%s: %zu entries intact, each matching its SHA-256%s\n", raw[0].c_str(), entries,
                    package.blocks().empty() ? "" : " (a block's files, their block's)");
    return status;
}

int run(const std::vector<std::string>& raw, const std::vector<fs::path>& paths)
{
    if (raw.empty())
        return usage();
    const std::string& command = raw[0];
    std::vector<std::string> restRaw(raw.begin() + 1, raw.end());
    std::vector<fs::path> rest(paths.begin() + 1, paths.end());
    if (command == "create")
        return create(rest, restRaw);
    if (command == "list")
        return list(restRaw, rest);
    if (command == "extract")
        return extract(restRaw, rest);
    if (command == "verify")
        return verify(restRaw, rest);
    if (command == "--help" || command == "-h") {
        std::fputs(kUsageText, stdout);
        return kOk;
    }
    return usage("unknown command " + command);
}

// Out of memory or a file-system error the library reports by exception ends in one clear line.
int runGuarded(const std::vector<std::string>& raw, const std::vector<fs::path>& paths)
{
    try {
        return run(raw, paths);
    } catch (const std::exception& e) {
        fail(e.what());
        return kDamaged;
    }
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv)
{
    std::vector<std::string> raw;
    std::vector<fs::path> paths;
    for (int i = 1; i < argc; ++i) {
        std::u16string arg(reinterpret_cast<const char16_t*>(argv[i]));
        raw.push_back(utf16ToUtf8(arg));
        paths.emplace_back(argv[i]);
    }
    return runGuarded(raw, paths);
}
#else
int main(int argc, char** argv)
{
    std::vector<std::string> raw(argv + 1, argv + argc);
    std::vector<fs::path> paths(raw.begin(), raw.end());
    return runGuarded(raw, paths);
}
#endif
