// Link-safe opening, checking and deletion by handle.
#include "LinkSafe.h"

#include <windows.h>

#include <algorithm>

namespace {

std::wstring comparable(std::wstring path)
{
    std::replace(path.begin(), path.end(), L'/', L'\\');
    wchar_t full[1024];
    DWORD length = GetFullPathNameW(path.c_str(), DWORD(std::size(full)), full, nullptr);
    if (length > 0 && length < std::size(full))
        path.assign(full, length);
    // short (8.3) names, as GetTempPathW may give them, spelled out as the final path has them
    length = GetLongPathNameW(path.c_str(), full, DWORD(std::size(full)));
    if (length > 0 && length < std::size(full))
        path.assign(full, length);
    while (path.size() > 1 && path.back() == L'\\' && path[path.size() - 2] != L':')
        path.pop_back();
    return path;
}

std::wstring withoutLongPrefix(std::wstring path)
{
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        return L"\\" + path.substr(7);
    if (path.compare(0, 4, L"\\\\?\\") == 0)
        return path.substr(4);
    return path;
}

} // namespace

platform::UniqueHandle openItself(const std::wstring& path, DWORD access)
{
    const DWORD sharing = FILE_SHARE_READ | FILE_SHARE_WRITE | ((access & DELETE) ? 0 : FILE_SHARE_DELETE);
    return platform::UniqueHandle(CreateFileW(path.c_str(), access | FILE_READ_ATTRIBUTES | SYNCHRONIZE, sharing, nullptr, OPEN_EXISTING,
                                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

bool isLink(HANDLE item)
{
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(item, FileBasicInfo, &basic, sizeof(basic)))
        return true;   // what cannot be inspected is not trusted
    return (basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::wstring finalPath(HANDLE item)
{
    wchar_t buffer[1024];
    DWORD length = GetFinalPathNameByHandleW(item, buffer, DWORD(std::size(buffer)), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= std::size(buffer))
        return {};
    return withoutLongPrefix(std::wstring(buffer, length));
}

bool liesAt(HANDLE item, const std::wstring& path)
{
    if (isLink(item))
        return false;
    const std::wstring wanted = comparable(path);
    const std::wstring real = finalPath(item);
    return !real.empty() &&
           CompareStringOrdinal(real.c_str(), int(real.size()), wanted.c_str(), int(wanted.size()), TRUE) == CSTR_EQUAL;
}

bool isPlainFolder(const std::wstring& path)
{
    platform::UniqueHandle folder = openItself(path, 0);
    FILE_BASIC_INFO basic{};
    return folder && GetFileInformationByHandleEx(folder.get(), FileBasicInfo, &basic, sizeof(basic)) &&
           (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) && liesAt(folder.get(), path);
}

bool deleteByHandle(HANDLE item)
{
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    return SetFileInformationByHandle(item, FileDispositionInfo, &disposition, sizeof(disposition)) != 0;
}
