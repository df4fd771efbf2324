// Folder enumeration, recursive deletion and folder-chain creation.
#include "FileTree.h"

#include <platform/Handle.h>

#include <windows.h>

#include <algorithm>

namespace {

bool isSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

bool onlySeparators(const std::wstring& path)
{
    return std::all_of(path.begin(), path.end(), isSeparator);
}

} // namespace

std::wstring toBackslashes(std::wstring path)
{
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::vector<std::wstring> listFiles(const std::wstring& folder, const std::wstring& pattern)
{
    std::vector<std::wstring> files;
    if (folder.empty())
        return files;
    std::wstring base = toBackslashes(folder);
    if (base.back() != L'\\')
        base += L'\\';
    WIN32_FIND_DATAW data;
    platform::FindHandle find(FindFirstFileW((base + pattern).c_str(), &data));
    if (!find)
        return files;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files.push_back(base + data.cFileName);
    } while (FindNextFileW(find.get(), &data));
    return files;
}

void deleteTree(const std::wstring& folder, bool clearReadOnly)
{
    if (onlySeparators(folder))
        return;
    std::wstring base = clearReadOnly ? toBackslashes(folder) : folder;
    // The folder itself may be a link too; it is then removed as a link, whatever it points to.
    std::wstring bare = base;
    while (bare.size() > 1 && isSeparator(bare.back()) && bare[bare.size() - 2] != L':')
        bare.pop_back();
    DWORD own = GetFileAttributesW(bare.c_str());
    if (own != INVALID_FILE_ATTRIBUTES && (own & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveDirectoryW(bare.c_str());
        return;
    }
    WIN32_FIND_DATAW data;
    {
        // A trailing separator on the folder gives a doubled one here, which the file functions accept.
        platform::FindHandle find(FindFirstFileW((base + L"\\*").c_str(), &data));
        if (find) {
            do {
                std::wstring name = data.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                std::wstring path = base + L"\\" + name;
                // A link (symbolic link or junction) goes by itself: following it would let
                // whoever planted it in a user-writable folder make this elevated process empty
                // the folder it points to, and attribute changes would land on its target too.
                const bool link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
                const bool directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
                if (clearReadOnly && !link && (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY))
                    SetFileAttributesW(path.c_str(), data.dwFileAttributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
                if (directory && link)
                    RemoveDirectoryW(path.c_str());
                else if (directory)
                    deleteTree(path, clearReadOnly);
                else
                    DeleteFileW(path.c_str());
            } while (FindNextFileW(find.get(), &data));
        }
    }
    RemoveDirectoryW(base.c_str());
}

void createDirectoryChain(const std::wstring& folder)
{
    std::wstring path = toBackslashes(folder);
    // Keep a leading run of separators (a UNC or root-relative path): dropping it would create the
    // chain below the current folder instead.
    size_t pos = 0;
    while (pos < path.size() && path[pos] == L'\\')
        ++pos;
    std::wstring prefix = path.substr(0, pos);
    while (pos < path.size()) {
        size_t end = path.find(L'\\', pos);
        if (end == std::wstring::npos)
            end = path.size();
        if (end > pos) {
            prefix += path.substr(pos, end - pos) + L"\\";
            CreateDirectoryW(prefix.c_str(), nullptr);
        }
        pos = end + 1;
    }
}
