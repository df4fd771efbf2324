// Benchmark: every entry of a package extracted by the worker script through extractFile.
//   extract_bench.exe FOLDER PACKAGE DEST
// FOLDER holds PACKAGE; the worker writes every entry below DEST (which must exist). Prints one
// line: entries, bytes, seconds of the extractFile loop, seconds from startWork to the worker's
// end (package read and opened included), peak working set and peak pagefile use in bytes.
#include <FileSystem.h>
#include <MessageBox.h>
#include <Package.h>
#include <SRService.h>
#include <ScriptState.h>
#include <platform/Utf.h>

#include <TestSupport.h>

#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <set>
#include <string>

using testing_support::narrow;
using testing_support::readFile;
using testing_support::writeFile;

namespace {

// A script error would otherwise wait for a click on a real box.
int reportBox(HWND, const wchar_t* text, const wchar_t* title, UINT)
{
    std::fprintf(stderr, "extract_bench: box \"%s\": %s\n", narrow(title ? title : L"").c_str(),
                 narrow(text ? text : L"").c_str());
    return IDOK;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: extract_bench FOLDER PACKAGE DEST\n");
        return 2;
    }
    std::wstring folder = argv[1], packageName = argv[2], dest = argv[3];
    if (folder.back() != L'\\')
        folder += L'\\';
    if (dest.back() != L'\\')
        dest += L'\\';

    // The entry list and the folders they need, from the same package, before anything is timed.
    LocalFileSystem files(folder);
    uint64_t size = 0;
    void* image = files.readFile(packageName.c_str(), &size);
    if (!image) {
        std::fprintf(stderr, "extract_bench: cannot read the package\n");
        return 1;
    }
    std::string error;
    std::unique_ptr<Package> package = Package::open(image, size_t(size), &error);
    if (!package) {
        std::fprintf(stderr, "extract_bench: %s\n", error.c_str());
        return 1;
    }
    std::string names = "{";
    std::set<std::string> folders;
    uint64_t bytes = 0;
    for (const auto& [name, record] : package->index()) {
        std::string utf8 = utf16ToUtf8(name);
        names += "[==[" + utf8 + "]==],";
        bytes += package->records()[record].unpackedSize ? package->records()[record].unpackedSize
                                                        : package->records()[record].storedSize;
        for (size_t slash = utf8.find('/'); slash != std::string::npos; slash = utf8.find('/', slash + 1))
            folders.insert(utf8.substr(0, slash));
    }
    names += "}";
    size_t entries = package->index().size();
    package.reset();
    files.freeData(image);
    for (const std::string& sub : folders) {
        std::wstring path = dest;
        for (char c : sub)
            path += c == '/' ? L'\\' : wchar_t(c);   // generated names are ASCII
        CreateDirectoryW(path.c_str(), nullptr);
    }

    std::wstring result = folder + L"extract_bench.result";
    std::string worker =
        "local n, failed = 0, 0\n"
        "local started = os.clock()\n"
        "for _, name in ipairs(config.names) do\n"
        "    if extractFile(name, config.dest .. name:gsub('/', '\\\\')) then n = n + 1 else failed = failed + 1 end\n"
        "end\n"
        "local f = assert(io.open(config.result, 'w'))\n"
        "f:write(n, ' ', failed, ' ', os.clock() - started)\n"
        "f:close()\n";
    std::string configuration = "{dest=[==[" + narrow(dest) + "]==], result=[==[" + narrow(result) +
                                "]==], names=" + names + "}";
    if (!writeFile(folder + L"extract_bench_worker.lua", worker) ||
        !writeFile(folder + L"extract_bench_ui.lua", "startWork('extract_bench_worker.lua', [==[" +
                                                         narrow(packageName) + "]==], [===[" + configuration + "]===])\n")) {
        std::fprintf(stderr, "extract_bench: cannot write the scripts into the folder\n");
        return 1;
    }

    setMessageBoxHandler(reportBox);
    SRService::start();
    auto started = std::chrono::steady_clock::now();
    createUiScriptState(&uiScriptState);
    runScriptFile(&uiScriptState, L"extract_bench_ui.lua");
    SRService::stop();   // returns when the worker has ended
    double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));

    unsigned long extracted = 0, failed = 0;
    double loop = 0;
    if (std::sscanf(readFile(result).c_str(), "%lu %lu %lf", &extracted, &failed, &loop) != 3 || failed != 0 ||
        extracted != entries) {
        std::fprintf(stderr, "extract_bench: the worker extracted %lu of %zu entries\n", extracted, entries);
        return 1;
    }
    DeleteFileW(result.c_str());
    std::printf("entries %zu bytes %llu loop %.3f total %.3f peak_ws %llu peak_pagefile %llu\n", entries,
                static_cast<unsigned long long>(bytes), loop, total,
                static_cast<unsigned long long>(memory.PeakWorkingSetSize),
                static_cast<unsigned long long>(memory.PeakPagefileUsage));
    return 0;
}
