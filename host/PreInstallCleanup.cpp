// Pre-install cleanup: stops leftovers of the installed application and removes its folders.
#include "PreInstallCleanup.h"

#include <FileTree.h>
#include <LinkSafe.h>
#include <ProcessTermination.h>

#include <windows.h>
#include <shlobj.h>

namespace {

constexpr int kRoamingAppData = CSIDL_APPDATA;       // 26
constexpr int kCommonStartup = CSIDL_COMMON_STARTUP;  // 24, not the all-users Start menu (22)
constexpr wchar_t kMonitorExe[] = L"nubmon.exe";

// Only processes running from the codecs folder itself are stopped, by their full path: a file
// another program planted there (named like a system program, say) stops nothing elsewhere, and
// a codecs folder that is a link, or reached through one, stops nothing at all.
void stopApplicationProcesses(const std::wstring& appData)
{
    const std::wstring codecs = appData + L"\\Nubelo\\codecs\\";
    if (!isPlainFolder(appData + L"\\Nubelo") || !isPlainFolder(codecs))
        return;
    for (const std::wstring& listed : listFiles(codecs, L"*.exe")) {
        if (listed.find(kMonitorExe) == std::wstring::npos)
            terminateByModulePath(toBackslashes(listed));
    }
    terminateByModulePath(codecs + kMonitorExe);
}

} // namespace

std::optional<std::wstring> systemSpecialFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE))
        return std::nullopt;
    return std::wstring(path);
}

// An empty answer counts as unresolved: glued to the suffix it would name a folder at the root
// of the current drive.
std::optional<std::wstring> resolved(const SpecialFolderLookup& lookup, int csidl)
{
    std::optional<std::wstring> folder = lookup(csidl);
    if (folder && folder->empty())
        return std::nullopt;
    return folder;
}

void runPreInstallCleanup(const SpecialFolderLookup& lookup)
{
    if (std::optional<std::wstring> appData = resolved(lookup, kRoamingAppData)) {
        stopApplicationProcesses(*appData);
        deleteTree(*appData + L"\\Nubelo\\", true);
    }
    if (std::optional<std::wstring> startup = resolved(lookup, kCommonStartup))
        deleteTree(*startup + L"\\OrvoPelora\\", false);
}
