// Folder helpers as the host's cleanup uses them: listing, deletion with and without clearing
// read-only attributes, folder chains.
#include <FileTree.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testing_support;

namespace {

bool exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void makeReadOnly(const std::wstring& path)
{
    SetFileAttributesW(path.c_str(), GetFileAttributesW(path.c_str()) | FILE_ATTRIBUTE_READONLY);
}

// Under Wine the link functions do nothing, but a host symbolic link shows up as a directory
// reparse point, which is what a link looks like to the code under test.
using UnixName = char*(CDECL*)(const wchar_t*);
UnixName wineUnixName()
{
    return reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

// Wine hands back the host command's process before the command has run and with no reliable
// exit code, so callers poll for its effect.
void runHostCommand(std::wstring commandLine)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return;
    WaitForSingleObject(info.hProcess, 10000);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
}

std::wstring hostPath(const std::wstring& path)
{
    char* unix = wineUnixName()(path.c_str());
    std::wstring text = unix ? widen(unix) : std::wstring();
    HeapFree(GetProcessHeap(), 0, unix);
    return text;
}

bool isDirectoryLink(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool makeDirectoryLink(const std::wstring& link, const std::wstring& target)
{
    if (CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY | 0x2) && isDirectoryLink(link))
        return true;
    if (!wineUnixName())
        return false;
    runHostCommand(L"Z:\\bin\\ln -s \"" + hostPath(target) + L"\" \"" + hostPath(link) + L"\"");
    for (int i = 0; i < 100 && !isDirectoryLink(link); ++i)
        Sleep(50);
    return isDirectoryLink(link);
}

// Removes the link itself, never what it points to.
void removeDirectoryLink(const std::wstring& link)
{
    if (!wineUnixName()) {
        if (isDirectoryLink(link))
            RemoveDirectoryW(link.c_str());
        return;
    }
    runHostCommand(L"Z:\\bin\\rm -f \"" + hostPath(link) + L"\"");
    for (int i = 0; i < 100 && GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(50);
}

} // namespace

TEST(ListFiles, ListsMatchingFilesOnlyWithTheNormalisedFolder)
{
    TempDir dir;
    writeFile(dir.file(L"a.exe"), "");
    writeFile(dir.file(L"b.txt"), "");
    CreateDirectoryW(dir.file(L"sub.exe").c_str(), nullptr);
    std::wstring slashed = toBackslashes(dir.path());
    std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
    slashed.pop_back();   // no trailing separator: one is added
    std::vector<std::wstring> files = listFiles(slashed, L"*.exe");
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0], dir.file(L"a.exe"));
}

TEST(ListFiles, EmptyFolderListsNothing)
{
    EXPECT_TRUE(listFiles(L"", L"*").empty());
    TempDir dir;
    EXPECT_TRUE(listFiles(dir.file(L"missing"), L"*").empty());
}

TEST(DeleteTree, ClearingReadOnlyRemovesEverything)
{
    TempDir dir;
    std::wstring root = dir.file(L"Nubelo");
    createDirectoryChain(root + L"\\codecs\\deep");
    writeFile(root + L"\\codecs\\deep\\ro.bin", "x");
    makeReadOnly(root + L"\\codecs\\deep\\ro.bin");
    makeReadOnly(root + L"\\codecs");
    deleteTree(root + L"/", true);
    EXPECT_FALSE(exists(root));
}

TEST(DeleteTree, WithoutClearingReadOnlyFilesAndTheirFoldersStay)
{
    TempDir dir;
    std::wstring root = dir.file(L"OrvoPelora");
    createDirectoryChain(root);
    writeFile(root + L"\\old.lnk", "x");
    writeFile(root + L"\\plain.lnk", "x");
    makeReadOnly(root + L"\\old.lnk");
    deleteTree(root + L"\\", false);
    EXPECT_TRUE(exists(root + L"\\old.lnk"));
    EXPECT_FALSE(exists(root + L"\\plain.lnk"));
    EXPECT_TRUE(exists(root));
    SetFileAttributesW((root + L"\\old.lnk").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(DeleteTree, MissingFolderAndEmptyNameChangeNothing)
{
    TempDir dir;
    writeFile(dir.file(L"keep.txt"), "x");
    deleteTree(dir.file(L"missing"), true);
    deleteTree(L"", true);
    deleteTree(L"\\", true);
    deleteTree(L"/", false);
    EXPECT_TRUE(exists(dir.file(L"keep.txt")));
}

// The cleanup runs elevated over a folder the user owns: a link planted there must not lead it
// into deleting whatever the link points to.
TEST(DeleteTree, LinkedFoldersAreNotFollowed)
{
    TempDir outside;
    writeFile(outside.file(L"precious.txt"), "x");
    makeReadOnly(outside.file(L"precious.txt"));
    TempDir dir;
    std::wstring root = dir.file(L"Nubelo");
    createDirectoryChain(root);
    writeFile(root + L"\\cache.bin", "x");
    std::wstring target = outside.path();
    target.pop_back();
    if (!makeDirectoryLink(root + L"\\link", target))
        GTEST_SKIP() << "no directory links on this system";
    deleteTree(root, true);
    bool kept = exists(outside.file(L"precious.txt"));
    removeDirectoryLink(root + L"\\link");
    EXPECT_TRUE(kept);
    EXPECT_FALSE(exists(root + L"\\cache.bin"));
    SetFileAttributesW(outside.file(L"precious.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(DeleteTree, AFolderThatIsItselfALinkIsNotFollowed)
{
    TempDir outside;
    writeFile(outside.file(L"precious.txt"), "x");
    TempDir dir;
    std::wstring target = outside.path();
    target.pop_back();
    if (!makeDirectoryLink(dir.file(L"Nubelo"), target))
        GTEST_SKIP() << "no directory links on this system";
    deleteTree(dir.file(L"Nubelo\\"), true);
    bool kept = exists(outside.file(L"precious.txt"));
    removeDirectoryLink(dir.file(L"Nubelo"));
    EXPECT_TRUE(kept);
}

TEST(CreateDirectoryChain, MixedSeparatorsAndDoubledOnes)
{
    TempDir dir;
    std::wstring base = dir.path();
    base.pop_back();
    createDirectoryChain(base + L"/x//y\\\\z/");
    EXPECT_TRUE(exists(dir.file(L"x\\y\\z")));
}
