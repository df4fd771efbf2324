// orvo-build: from a project file and a folder of files to a finished (and signed) installer,
// with no compiler: resources are written into a copy of the prebuilt installer stub.
#include "FileIo.h"
#include "InstallableNames.h"
#include "PayloadPacker.h"
#include "Progress.h"
#include "Project.h"
#include "ResourceDigests.h"
#include "Scripts.h"
#include "Signing.h"

#include <NamedResources.h>
#include <PeResources.h>
#include <Sha256.h>
#include <UninstallerImage.h>
#include <platform/Utf.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr int kOk = 0, kFailed = 1, kUsage = 2;
constexpr const char* kVersion = ORVO_BUILD_VERSION;
const char kUsageText[] =
    "usage: orvo-build [options] PROJECT.lua\n"
    "  --output FILE       the installer to write (project key output)\n"
    "  --payload DIR       the folder to install (project key payload)\n"
    "  --stub FILE         the installer stub (project key stub; default: the shipped one)\n"
    "  --set KEY=VALUE     any other project key\n"
    "  --data DIR          the shipped stubs, templates and packages (default: beside the tool)\n"
    "  --cache DIR         the cache of packed files (project key cache; default: the user's cache folder)\n"
    "  --no-cache          pack everything, keep nothing\n"
    "  --keep DIR          also write each resource as it goes into the installer\n"
    "  --no-uninstaller    install the payload as it is, without unins000.exe\n"
    "  --jobs N            packing threads (default: every core)\n"
    "  --quiet             only errors and the SHA-256 line\n"
    "  --version\n"
    "       orvo-build --digests OUT.bin ID=FILE...   the digest resource over the given resources\n"
    "       orvo-build --resources EXE                what an executable carries: type, name, language, size\n";

// Stubs, templates and the default packages, as the release archive lays them out.
struct DataFiles {
    fs::path stub, uiTemplate, workerTemplate, uninstallTemplate, frame, style;
};

int fail(const std::string& text)
{
    std::fprintf(stderr, "orvo-build: %s\n", text.c_str());
    return kFailed;
}

fs::path toolFolder(const char* argv0)
{
#ifdef _WIN32
    std::wstring path(32768, L'\0');
    DWORD length = GetModuleFileNameW(nullptr, &path[0], DWORD(path.size()));
    path.resize(length);
    return fs::path(path).parent_path();
#else
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::absolute(fs::u8path(argv0)).parent_path() : self.parent_path();
#endif
}

// The data folder: --data, else share/orvo-build beside the tool's bin folder, else the tool's own.
fs::path dataFolder(const fs::path& given, const fs::path& tool)
{
    if (!given.empty())
        return given;
    std::error_code ec;
    fs::path shared = tool.parent_path() / "share" / "orvo-build";
    return fs::is_directory(shared, ec) ? shared : tool;
}

std::vector<uint8_t> bytesOf(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// Every file and folder under `root`, sorted by entry name; false for anything else there.
bool listTree(const fs::path& root, std::vector<std::pair<std::u16string, fs::path>>* files,
              std::vector<std::u16string>* folders, std::string* error)
{
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        std::u16string name = it->path().lexically_relative(root).generic_u16string();
        if (it->is_directory(ec))
            folders->push_back(name);
        else if (it->is_regular_file(ec))
            files->push_back({name, it->path()});
        else {
            *error = show(it->path()) + " is neither a file nor a folder";
            return false;
        }
    }
    if (ec) {
        *error = "cannot list " + show(root) + ": " + ec.message();
        return false;
    }
    std::sort(files->begin(), files->end());
    std::sort(folders->begin(), folders->end());
    return true;
}

// A folder packed as it is (markup or styles of the project's own) the way the shipped package of
// its kind is: the markup file by file (the window reads its pages one at a time), the styles in one
// solid block (the window reads most of them at start, from one decode).
bool packFolder(const fs::path& folder, PackOptions options, bool solid, std::vector<uint8_t>* image, std::string* error)
{
    options.solidBytes = solid ? uint32_t(64) << 20 : 0;
    std::vector<std::pair<std::u16string, fs::path>> files;
    std::vector<std::u16string> folders;
    if (!listTree(folder, &files, &folders, error))
        return false;
    std::vector<PackInput> inputs;
    for (const auto& [name, path] : files)
        inputs.push_back({name, path, nullptr, 0});
    PackCounters counters;
    return packFiles(inputs, options, &counters, image, nullptr, error);
}

struct Options {
    fs::path project, data, keep;
    std::map<std::string, std::string> overrides;
    bool noCache = false, quiet = false, noUninstaller = false;
    unsigned jobs = 0;
};

int build(const Options& o, const fs::path& tool)
{
    auto started = std::chrono::steady_clock::now();
    Project p;
    std::string error;
    if (!loadProject(o.project, o.overrides, &p, &error))
        return fail(error), kUsage;

    // the shipped files, the project's own in their place where it names them
    fs::path data = dataFolder(o.data, tool);
    DataFiles d{data / "PeloraSetup.exe", data / "templates" / "UI.lua", data / "templates" / "LG.lua.in",
                data / "templates" / "uninstall.lua", data / "frame.lz", data / "style.lz"};
    if (!p.stub.empty())
        d.stub = p.stub;
    // Projects made for the first release name the separate uninstaller program there was then.
    if (!p.uninstaller.empty() && !o.quiet)
        std::fprintf(stderr, "orvo-build: key 'uninstaller' is ignored: the installer writes its uninstaller from its own stub\n");
    std::error_code ec;
    if (!p.templates.empty())
        for (fs::path* t : {&d.uiTemplate, &d.workerTemplate, &d.uninstallTemplate})
            if (fs::is_regular_file(p.templates / t->filename(), ec))
                *t = p.templates / t->filename();
    for (const fs::path* f : {&d.stub, &d.uiTemplate, &d.workerTemplate, &d.uninstallTemplate})
        if (!fs::is_regular_file(*f, ec))
            return fail(show(*f) + " is missing (a release archive unpacked whole has it; or see --data)");

    // the payload: names every Windows installation can make
    std::vector<std::pair<std::u16string, fs::path>> files;
    std::vector<std::u16string> folders;
    if (!listTree(p.payload, &files, &folders, &error))
        return fail(error);
    std::vector<std::u16string> all;
    for (const auto& f : files)
        all.push_back(f.first);
    all.insert(all.end(), folders.begin(), folders.end());
    std::u16string uninstallerName = u"unins000.exe";
    if (!o.noUninstaller)
        all.push_back(uninstallerName);
    size_t root = std::string("C:\\Program Files\\").size() + utf8ToUtf16(p.installFolder).size() + 1;
    std::vector<std::string> problems = treeProblems(all, root);
    if (!problems.empty()) {
        std::string text = show(p.payload) + ": " + std::to_string(problems.size()) + " name(s) cannot be installed:";
        for (size_t i = 0; i < problems.size() && i < 20; ++i)
            text += "\n  " + problems[i];
        return fail(text);
    }
    for (const auto& f : files)
        if (!o.noUninstaller && foldCase(f.first) == uninstallerName)
            return fail(show(p.payload) + ": unins000.exe is the uninstaller's name; the payload must not hold a file of that name");
    std::u16string wanted = foldCase(utf8ToUtf16(p.executable));
    std::replace(wanted.begin(), wanted.end(), u'\\', u'/');
    bool found = false;
    for (const auto& f : files)
        found = found || foldCase(f.first) == wanted;
    if (!found)
        return fail(show(o.project) + ": key 'executable': " + p.executable + " is not a file of the payload");
    std::replace(p.executable.begin(), p.executable.end(), '/', '\\');

    // the time every written stamp takes: SOURCE_DATE_EPOCH, else the newest input's
    // (the uninstaller's from its own inputs alone, so that a changed payload file leaves it, and
    // its place in the cache, as it was)
    int64_t when = 0, uninstallerWhen = 0;
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch && *epoch) {
        char* end = nullptr;
        when = uninstallerWhen = std::strtoll(epoch, &end, 10);
        if (*end || when < 0)
            return fail("SOURCE_DATE_EPOCH is not a number of seconds");
    } else {
        for (const fs::path& f : {o.project, d.stub, d.uninstallTemplate, p.markup.empty() ? d.frame : p.markup,
                                  p.skin.empty() ? d.style : p.skin})
            uninstallerWhen = std::max(uninstallerWhen, modifiedTime(f));
        std::vector<fs::path> inputs{d.uiTemplate, d.workerTemplate};
        for (const auto& f : files)
            inputs.push_back(f.second);
        when = uninstallerWhen;
        for (const fs::path& f : inputs)
            when = std::max(when, modifiedTime(f));
    }
    uint32_t stamp = uint32_t(std::min<int64_t>(when, UINT32_MAX));
    uint32_t uninstallerStamp = uint32_t(std::min<int64_t>(uninstallerWhen, UINT32_MAX));

    PackOptions packing;
    packing.level = p.level;
    packing.solidBytes = p.solidMiB << 20;
    packing.checkValues = p.checkValues;
    packing.jobs = o.jobs ? o.jobs : std::max(1u, std::thread::hardware_concurrency());
    if (!o.noCache)
        packing.cache = p.cache.empty() ? defaultCacheFolder() : p.cache;

    // markup and styles: the project's folders packed, or the shipped packages
    std::vector<uint8_t> frame, style;
    if (!(p.markup.empty() ? readFile(d.frame, &frame, &error) : packFolder(p.markup, packing, false, &frame, &error)) ||
        !(p.skin.empty() ? readFile(d.style, &style, &error) : packFolder(p.skin, packing, true, &style, &error)))
        return fail(error);

    // the scripts
    std::string uiTemplate, workerTemplate, uninstallTemplate, ui, worker, uninstallUi;
    if (!readText(d.uiTemplate, &uiTemplate, &error) || !readText(d.workerTemplate, &workerTemplate, &error) ||
        !readText(d.uninstallTemplate, &uninstallTemplate, &error))
        return fail(error);
    if (!fillProductBlock(uiTemplate, p, &ui, &error))
        return fail(show(d.uiTemplate) + " " + error);
    if (!fillProductBlock(uninstallTemplate, p, &uninstallUi, &error))
        return fail(show(d.uninstallTemplate) + " " + error);
    // the worker's steps follow the package's order, known once it is packed; a template without
    // their place is refused before that
    if (!fillWorkerSteps(workerTemplate, {}, &worker, &error))
        return fail(show(d.workerTemplate) + " " + error);

    // the uninstaller: the stub with the project's names, markup and styles, signed; the installer
    // carries what makes it out of its own executable, and writes it at install time
    std::vector<uint8_t> uninstallerFile, uninstallerWritten, uninstallStored;
    uninstaller::Recipe recipe;
    if (!o.noUninstaller) {
        PeImage image;
        std::vector<uint8_t> raw;
        if (!storedScript(bytesOf(uninstallUi), &uninstallStored, &error))
            return fail(error);
        if (!readFile(d.stub, &raw, &error) || !PeImage::parse(std::move(raw), &image, &error))
            return fail(show(d.stub) + ": " + error);
        setNamedResource(image, ORVO_ID_FRAME_PACKAGE, frame);
        setNamedResource(image, ORVO_ID_STYLE_PACKAGE, style);
        if (!uninstaller::writeImage(std::move(image), uninstallStored, uninstallerStamp, &uninstallerWritten, &error))
            return fail(show(d.stub) + ": " + error);
        uninstallerFile = uninstallerWritten;
        if (p.sign.enabled()) {
            fs::path unsigned_ = temporaryBeside(fs::temp_directory_path() / "orvo-build-unins000.exe");
            fs::path signed_ = temporaryBeside(unsigned_);
            bool ok = writeFileAtomically(unsigned_, uninstallerFile, &error) &&
                      signExecutable(p.sign, uninstallerWhen, unsigned_, signed_, &error) && readFile(signed_, &uninstallerFile, &error);
            fs::remove(unsigned_, ec);
            fs::remove(signed_, ec);
            if (!ok)
                return fail("signing the uninstaller: " + error);
        }
        if (!uninstaller::describe(uninstallerStamp, uninstallStored, uninstallerWritten, uninstallerFile, &recipe, &error))
            return fail(error);
    }

    // the payload (the uninstaller is written beside it at install time)
    std::vector<PackInput> inputs;
    uint64_t payloadBytes = 0;
    for (const auto& [name, path] : files) {
        uint64_t size = fs::file_size(path, ec);
        payloadBytes += ec ? 0 : size;
        inputs.push_back({name, path, nullptr, size});
    }
    std::sort(inputs.begin(), inputs.end(), [](const PackInput& a, const PackInput& b) { return a.name < b.name; });
    if (!o.quiet)
        std::printf("orvo-build %s: %s %s, %zu files (%s MB) from %s\n", kVersion, p.name.c_str(), p.version.c_str(),
                    inputs.size(), megabytes(payloadBytes).c_str(), show(p.payload).c_str());
    std::vector<uint8_t> program;
    std::vector<size_t> packageOrder;
    PackCounters counters;
    {
        Progress progress(counters, inputs.size(), payloadBytes, o.quiet);
        bool ok = packFiles(inputs, packing, &counters, &program, &packageOrder, &error);
        progress.stop();
        if (!ok)
            return fail(error);
    }

    // the worker's steps: the folders, then the files in the package's order
    std::vector<std::u16string> filesInOrder;
    for (size_t index : packageOrder)
        filesInOrder.push_back(inputs[index].name);
    if (!fillWorkerSteps(workerTemplate, workerSteps(folders, filesInOrder, o.noUninstaller ? u"" : uninstallerName), &worker, &error))
        return fail(show(d.workerTemplate) + " " + error);

    // the installer: the stub with the five resources and their digests
    // the scripts go in packed; the kept copies are their text, for reading
    std::vector<uint8_t> uiBytes = bytesOf(ui), workerBytes = bytesOf(worker), uiStored, workerStored;
    if (!storedScript(uiBytes, &uiStored, &error) || !storedScript(workerBytes, &workerStored, &error))
        return fail(error);
    std::vector<uint8_t> recipeBytes = o.noUninstaller ? std::vector<uint8_t>() : uninstaller::serialise(recipe);
    std::vector<std::pair<uint32_t, const std::vector<uint8_t>*>> checked{{ORVO_ID_UI_SCRIPT, &uiStored},
                                                                         {ORVO_ID_FRAME_PACKAGE, &frame},
                                                                         {ORVO_ID_WORKER_SCRIPT, &workerStored},
                                                                         {ORVO_ID_PROGRAM_PACKAGE, &program},
                                                                         {ORVO_ID_STYLE_PACKAGE, &style}};
    if (!o.noUninstaller)
        checked.push_back({ORVO_ID_UNINSTALLER, &recipeBytes});
    std::vector<uint8_t> digests = resourceDigests(checked);
    if (digests.empty())
        return fail("SHA-256 is not available");
    std::vector<uint8_t> installer;
    {
        PeImage image;
        std::vector<uint8_t> raw;
        if (!readFile(d.stub, &raw, &error) || !PeImage::parse(std::move(raw), &image, &error))
            return fail(show(d.stub) + ": " + error);
        setNamedResource(image, ORVO_ID_UI_SCRIPT, uiStored);
        setNamedResource(image, ORVO_ID_FRAME_PACKAGE, frame);
        setNamedResource(image, ORVO_ID_WORKER_SCRIPT, workerStored);
        setNamedResource(image, ORVO_ID_PROGRAM_PACKAGE, program);
        setNamedResource(image, ORVO_ID_STYLE_PACKAGE, style);
        setNamedResource(image, ORVO_ID_DIGESTS, digests);
        if (!o.noUninstaller)
            setNamedResource(image, ORVO_ID_UNINSTALLER, recipeBytes);
        if (!image.write(stamp, &installer, &error))
            return fail(show(d.stub) + ": " + error);
    }

    if (!o.keep.empty()) {
        fs::create_directories(o.keep, ec);
        for (const auto& [name, bytes] : std::vector<std::pair<const char*, const std::vector<uint8_t>*>>{
                 {"UI.lua", &uiBytes}, {"LG.lua", &workerBytes}, {"frame.lz", &frame}, {"program.lz", &program},
                 {"style.lz", &style}, {"digests.bin", &digests}, {"unins000.exe", &uninstallerFile}}) {
            // an unchanged file keeps its time, so that what depends on it is not made again
            std::vector<uint8_t> old;
            std::string ignored;
            if ((o.noUninstaller && bytes == &uninstallerFile) ||
                (readFile(o.keep / name, &old, &ignored) && old == *bytes))
                continue;
            if (!writeFileAtomically(o.keep / name, *bytes, &error))
                return fail(error);
        }
    }

    // written whole, signed, then renamed into place: a failure leaves no output behind
    if (!p.output.parent_path().empty())
        fs::create_directories(p.output.parent_path(), ec);
    fs::path unsignedFile = temporaryBeside(p.output);
    if (!writeFileAtomically(unsignedFile, installer, &error))
        return fail(error);
    fs::path finalFile = unsignedFile;
    if (p.sign.enabled()) {
        finalFile = temporaryBeside(p.output);
        bool ok = signExecutable(p.sign, when, unsignedFile, finalFile, &error);
        fs::remove(unsignedFile, ec);
        if (!ok)
            return fail("signing the installer: " + error);
        if (!readFile(finalFile, &installer, &error)) {
            fs::remove(finalFile, ec);
            return fail(error);
        }
    }
    // the installer must write exactly the uninstaller made here, from its own bytes as they ship
    if (!o.noUninstaller) {
        std::vector<uint8_t> derived;
        error.clear();
        if (!uninstaller::finish(installer.data(), installer.size(), recipe, &derived, &error) || derived != uninstallerFile) {
            fs::remove(finalFile, ec);
            return fail("the installer would not write its uninstaller as made here: " +
                        (error.empty() ? std::string("it comes out different") : error));
        }
    }
    fs::rename(finalFile, p.output, ec);
    if (ec) {
        fs::remove(finalFile, ec);
        return fail("cannot write " + show(p.output));
    }

    sha256::Digest digest{};
    sha256::digest(installer.data(), installer.size(), &digest);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (!o.quiet) {
        char ratio[16];
        std::snprintf(ratio, sizeof ratio, "%.1f%%", payloadBytes ? 100.0 * double(installer.size()) / double(payloadBytes) : 0.0);
        std::printf("%zu files, payload %s MB, installer %s MB (%s), %.1f s, %s; %zu packed, %zu from the cache\n",
                    inputs.size(), megabytes(payloadBytes).c_str(), megabytes(installer.size()).c_str(), ratio, seconds,
                    p.sign.enabled() ? "signed" : "not signed", size_t(counters.unitsPacked), size_t(counters.unitsCached));
    }
    std::printf("SHA-256 %s  %s\n", hexDigest(digest).c_str(), show(p.output).c_str());
    return kOk;
}

// --digests OUT ID=FILE...: the build's own installers for tests carry digests of chosen files.
int writeDigests(const std::vector<std::string>& args)
{
    if (args.size() < 3)
        return std::fputs(kUsageText, stderr), kUsage;
    std::vector<std::vector<uint8_t>> contents(args.size() - 2);
    std::vector<std::pair<uint32_t, const std::vector<uint8_t>*>> resources;
    std::string error;
    for (size_t i = 2; i < args.size(); ++i) {
        size_t equals = args[i].find('=');
        if (equals == std::string::npos)
            return fail("--digests takes ID=FILE, not " + args[i]), kUsage;
        if (!readFile(fs::u8path(args[i].substr(equals + 1)), &contents[i - 2], &error))
            return fail(error);
        resources.push_back({uint32_t(std::atoi(args[i].c_str())), &contents[i - 2]});
    }
    std::vector<uint8_t> digests = resourceDigests(resources);
    if (digests.empty())
        return fail("SHA-256 is not available");
    return writeFileAtomically(fs::u8path(args[1]), digests, &error) ? kOk : fail(error);
}

// --resources EXE: what an executable carries, one line each: type, name, language, size.
int listResources(const std::vector<std::string>& args)
{
    if (args.size() != 2)
        return std::fputs(kUsageText, stderr), kUsage;
    std::vector<uint8_t> raw;
    std::string error;
    PeImage image;
    if (!readFile(fs::u8path(args[1]), &raw, &error) || !PeImage::parse(std::move(raw), &image, &error))
        return fail(args[1] + ": " + error);
    auto key = [](const ResourceKey& k) { return k.text.empty() ? std::to_string(k.id) : utf16ToUtf8(k.text); };
    for (const Resource& r : image.resources())
        std::printf("%s %s %u %zu\n", key(r.type).c_str(), key(r.name).c_str(), unsigned(r.language), r.data.size());
    return kOk;
}

int run(const std::vector<std::string>& args, const fs::path& tool)
{
    if (!args.empty() && args[0] == "--digests")
        return writeDigests(args);
    if (!args.empty() && args[0] == "--resources")
        return listResources(args);
    Options o;
    auto pathValue = [](const std::string& value) { return show(fs::absolute(fs::u8path(value))); };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        bool more = i + 1 < args.size();
        if (a == "--version") {
            std::printf("orvo-build %s\n", kVersion);
            return kOk;
        } else if (a == "--help" || a == "-h") {
            std::fputs(kUsageText, stdout);
            return kOk;
        } else if ((a == "--output" || a == "--payload" || a == "--stub" || a == "--uninstaller" || a == "--cache") && more) {
            o.overrides[a.substr(2)] = pathValue(args[++i]);
        } else if (a == "--set" && more && args[i + 1].find('=') != std::string::npos) {
            std::string pair = args[++i];
            o.overrides[pair.substr(0, pair.find('='))] = pair.substr(pair.find('=') + 1);
        } else if (a == "--data" && more) {
            o.data = fs::u8path(args[++i]);
        } else if (a == "--keep" && more) {
            o.keep = fs::u8path(args[++i]);
        } else if (a == "--jobs" && more) {
            o.jobs = unsigned(std::max(1, std::atoi(args[++i].c_str())));
        } else if (a == "--no-uninstaller") {
            o.noUninstaller = true;
        } else if (a == "--no-cache") {
            o.noCache = true;
        } else if (a == "--quiet") {
            o.quiet = true;
        } else if (!a.empty() && a[0] != '-' && o.project.empty()) {
            o.project = fs::absolute(fs::u8path(a));
        } else {
            std::fprintf(stderr, "orvo-build: unknown or incomplete option %s\n%s", a.c_str(), kUsageText);
            return kUsage;
        }
    }
    if (o.project.empty()) {
        std::fputs(kUsageText, stderr);
        return kUsage;
    }
    return build(o, tool);
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv)
{
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(wideToUtf8(argv[i]));
    return run(args, toolFolder(nullptr));
}
#else
int main(int argc, char** argv)
{
    return run(std::vector<std::string>(argv + 1, argv + argc), toolFolder(argv[0]));
}
#endif
