// Rights of the folder levels the installer creates.
#include "FolderRights.h"

#include <windows.h>
#include <sddl.h>
#include <shlobj.h>

const wchar_t kInstallFolderRights[] = L"D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

namespace {

std::wstring fullPath(const std::wstring& path)
{
    wchar_t full[1024];
    DWORD length = GetFullPathNameW(path.c_str(), DWORD(std::size(full)), full, nullptr);
    std::wstring out = length > 0 && length < std::size(full) ? std::wstring(full, length) : path;
    if (out.empty() || out.back() != L'\\')
        out += L'\\';
    return out;
}

bool under(const std::wstring& path, int csidl)
{
    wchar_t base[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, base, csidl, FALSE) || !base[0])
        return false;
    const std::wstring folder = fullPath(base), full = fullPath(path);
    return full.size() >= folder.size() &&
           CompareStringOrdinal(full.c_str(), int(folder.size()), folder.c_str(), int(folder.size()), TRUE) == CSTR_EQUAL;
}

} // namespace

bool needsOwnRights(const std::wstring& path)
{
    return !under(path, CSIDL_PROGRAM_FILES) && !under(path, CSIDL_PROGRAM_FILESX86) && !under(path, CSIDL_PROFILE);
}

bool createFolderLevel(const std::wstring& path)
{
    if (!needsOwnRights(path))
        return CreateDirectoryW(path.c_str(), nullptr) != 0;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kInstallFolderRights, SDDL_REVISION_1, &descriptor, nullptr))
        return false;   // never created with weaker rights than asked for
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
    bool created = CreateDirectoryW(path.c_str(), &attributes) != 0;
    LocalFree(descriptor);
    return created;
}
