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

TEST(CreateDirectoryChain, MixedSeparatorsAndDoubledOnes)
{
    TempDir dir;
    std::wstring base = dir.path();
    base.pop_back();
    createDirectoryChain(base + L"/x//y\\\\z/");
    EXPECT_TRUE(exists(dir.file(L"x\\y\\z")));
}
