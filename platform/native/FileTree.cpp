// Folder enumeration, recursive deletion and folder-chain creation.
#include "FileTree.h"

#include "FolderRights.h"
#include "LinkSafe.h"

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

namespace {

void deleteOpened(HANDLE item, const std::wstring& path, bool clearReadOnly);

// A link among the children (as the folder lists it, or as its handle or final path shows it) goes
// as a link: never opened as a folder, never emptied.
void deleteChild(const std::wstring& child, bool listedAsLink, bool clearReadOnly)
{
    platform::UniqueHandle opened = openItself(child, DELETE | FILE_LIST_DIRECTORY | FILE_WRITE_ATTRIBUTES);
    if (!opened)
        return;
    if (listedAsLink || !liesAt(opened.get(), child))
        deleteByHandle(opened.get());
    else
        deleteOpened(opened.get(), child, clearReadOnly);
}

// Deletes the opened item `path` (already checked to be no link and to lie where its path says)
// and, for a folder, everything below it first. Every child is opened itself and deleted through
// its handle: a link among them goes as a link, whatever it points to, so a junction planted in a
// user-writable folder can never make this elevated process empty the folder it points to.
void deleteOpened(HANDLE item, const std::wstring& path, bool clearReadOnly)
{
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(item, FileBasicInfo, &basic, sizeof(basic)))
        return;
    if ((basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        // Listed through the held handle itself: the folder cannot be renamed or swapped for a
        // link meanwhile (no delete sharing), and the names are those of what was checked.
        alignas(8) BYTE buffer[16384];
        for (auto kind = FileFullDirectoryRestartInfo;
             GetFileInformationByHandleEx(item, kind, buffer, sizeof(buffer)); kind = FileFullDirectoryInfo) {
            for (auto* entry = reinterpret_cast<FILE_FULL_DIR_INFO*>(buffer);;
                 entry = reinterpret_cast<FILE_FULL_DIR_INFO*>(reinterpret_cast<BYTE*>(entry) + entry->NextEntryOffset)) {
                std::wstring name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
                if (name != L"." && name != L"..")
                    deleteChild(path + L"\\" + name, (entry->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0,
                                clearReadOnly);
                if (entry->NextEntryOffset == 0)
                    break;
            }
        }
    }
    if (clearReadOnly && (basic.FileAttributes & FILE_ATTRIBUTE_READONLY) && !(basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        basic.FileAttributes &= ~DWORD(FILE_ATTRIBUTE_READONLY);
        basic.CreationTime.QuadPart = basic.LastAccessTime.QuadPart = basic.LastWriteTime.QuadPart = basic.ChangeTime.QuadPart = 0;
        SetFileInformationByHandle(item, FileBasicInfo, &basic, sizeof(basic));
    }
    deleteByHandle(item);
}

} // namespace

void deleteTree(const std::wstring& folder, bool clearReadOnly)
{
    if (onlySeparators(folder))
        return;
    std::wstring bare = toBackslashes(folder);
    while (bare.size() > 1 && isSeparator(bare.back()) && bare[bare.size() - 2] != L':')
        bare.pop_back();
    platform::UniqueHandle top = openItself(bare, DELETE | FILE_LIST_DIRECTORY | FILE_WRITE_ATTRIBUTES);
    if (!top)
        return;
    // The folder itself may be a link: it is then removed as a link, whatever it points to.
    if (isLink(top.get())) {
        deleteByHandle(top.get());
        return;
    }
    // A link at a level above (the folder reached through a junction) leaves everything alone.
    if (!liesAt(top.get(), bare))
        return;
    deleteOpened(top.get(), bare, clearReadOnly);
}

void createDirectoryChain(const std::wstring& folder, std::vector<std::wstring>* made)
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
            if (createFolderLevel(prefix) && made)
                made->push_back(prefix);
        }
        pos = end + 1;
    }
}
