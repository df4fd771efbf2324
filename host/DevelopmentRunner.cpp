// orvo-run: lets a publisher try scripts, markup and skins from a folder without rebuilding.
#include "DevelopmentRunner.h"

#include "Installer.h"

#include <MessageBox.h>
#include <platform/Utf.h>

#include <windows.h>

#include <string>

namespace {

constexpr wchar_t kRunnerTitle[] = L"orvo-run";
constexpr wchar_t kUsage[] = L"Usage: orvo-run.exe FOLDER\n"
                             L"Runs the installer with UI.lua, frame.lz, LG.lua, program.lz and style.lz "
                             L"read from FOLDER.";

void reportUsageError(const std::wstring& problem)
{
    std::wstring text = problem + L"\n\n" + kUsage;
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if (err && err != INVALID_HANDLE_VALUE) {
        std::wstring line = L"orvo-run: " + problem + L"\n";
        std::string utf8 = wideToUtf8(line);
        DWORD written = 0;
        WriteFile(err, utf8.data(), DWORD(utf8.size()), &written, nullptr);
    }
    showMessageBox(nullptr, text.c_str(), kRunnerTitle, MB_OK | MB_ICONERROR);
}

// The folder as an absolute path with its trailing backslash: the file system glues names to it,
// and a script may change the current folder (setCurrentDirectory) while it runs.
std::wstring folderRoot(const wchar_t* folder)
{
    DWORD needed = GetFullPathNameW(folder, 0, nullptr, nullptr);
    if (needed == 0)
        return {};
    std::wstring full(needed, L'\0');
    DWORD length = GetFullPathNameW(folder, needed, &full[0], nullptr);
    if (length == 0 || length >= needed)
        return {};
    full.resize(length);
    if (full.back() != L'\\' && full.back() != L'/')
        full += L'\\';
    return full;
}

} // namespace

int runDevelopmentRunner(int argc, wchar_t** argv)
{
    if (argc != 2 || !argv[1] || !*argv[1]) {
        reportUsageError(argc < 2 ? L"no folder given." : L"give exactly one folder.");
        return 2;
    }
    // `orvo-run "C:\my folder\"` reaches us as `C:\my folder"`: the shell's quoting rules turn
    // the closing quote after a backslash into a literal one.
    std::wstring folder = argv[1];
    while (!folder.empty() && folder.back() == L'"')
        folder.pop_back();
    std::wstring root = folder.empty() ? std::wstring() : folderRoot(folder.c_str());
    DWORD attributes = root.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(root.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        reportUsageError(L"folder not found: " + std::wstring(argv[1]));
        return 2;
    }
    return runInstaller([&root] { return std::make_unique<LocalFileSystem>(root); });
}
