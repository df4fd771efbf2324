// Folder helpers as the host's cleanup uses them: listing, deletion with and without clearing
// read-only attributes, folder chains.
#include <FileTree.h>
#include <FolderRights.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <sddl.h>
#include <shlobj.h>

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

// A folder reached through a link at a level above is not the folder the caller named: the
// cleanup of %APPDATA%\Nubelo\ must not empty what a linked level leads to.
TEST(DeleteTree, AFolderReachedThroughALinkIsLeftAlone)
{
    TempDir outside;
    CreateDirectoryW(outside.file(L"inner").c_str(), nullptr);
    writeFile(outside.file(L"inner\\precious.txt"), "x");
    TempDir dir;
    std::wstring target = outside.path();
    target.pop_back();
    if (!makeDirectoryLink(dir.file(L"Nubelo"), target))
        GTEST_SKIP() << "no directory links on this system";
    deleteTree(dir.file(L"Nubelo\\inner\\"), true);
    bool kept = exists(outside.file(L"inner\\precious.txt"));
    removeDirectoryLink(dir.file(L"Nubelo"));
    EXPECT_TRUE(kept);
}

namespace {

struct Rights {
    bool isProtected = false;
    std::vector<std::pair<std::wstring, ACCESS_MASK>> allowed;   // SID text, rights
};

Rights rightsOf(PSECURITY_DESCRIPTOR descriptor)
{
    Rights rights;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    rights.isProtected = (control & SE_DACL_PROTECTED) != 0;
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted) || !present || !acl)
        return rights;
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        if (!GetAce(acl, i, reinterpret_cast<void**>(&ace)) || ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        wchar_t* sid = nullptr;
        if (ConvertSidToStringSidW(&ace->SidStart, &sid)) {
            rights.allowed.emplace_back(sid, ace->Mask);
            LocalFree(sid);
        }
    }
    return rights;
}

Rights rightsOfFolder(const std::wstring& path)
{
    DWORD size = 0;
    GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
    std::vector<BYTE> buffer(size ? size : 1);
    if (!GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, buffer.data(), size, &size))
        return {};
    return rightsOf(buffer.data());
}

ACCESS_MASK allowedTo(const Rights& rights, const wchar_t* sid)
{
    ACCESS_MASK mask = 0;
    for (const auto& [who, granted] : rights.allowed)
        if (who == sid)
            mask |= granted;
    return mask;
}

} // namespace

// A custom install folder outside Program Files (on another drive, say) would inherit the drive
// root's rights, under which every user may change what runs as administrator later.
TEST(CreateDirectoryChain, LevelsMadeOutsideProgramFilesGetProgramFilesRights)
{
    // the descriptor asked for: SYSTEM and Administrators full, Users read and execute, protected
    PSECURITY_DESCRIPTOR asked = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(kInstallFolderRights, SDDL_REVISION_1, &asked, nullptr));
    Rights wanted = rightsOf(asked);
    LocalFree(asked);
    EXPECT_TRUE(wanted.isProtected);
    EXPECT_EQ(allowedTo(wanted, L"S-1-5-18"), FILE_ALL_ACCESS);
    EXPECT_EQ(allowedTo(wanted, L"S-1-5-32-544"), FILE_ALL_ACCESS);
    EXPECT_EQ(allowedTo(wanted, L"S-1-5-32-545"), ACCESS_MASK(FILE_GENERIC_READ | FILE_GENERIC_EXECUTE));
    EXPECT_EQ(wanted.allowed.size(), 3u) << "nobody else";

    // where it is asked for
    wchar_t programFiles[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, programFiles, CSIDL_PROGRAM_FILES, FALSE);
    TempDir temp;
    const struct {
        std::wstring path;
        bool own;
    } cases[] = {
        {L"C:\\OrvoRightsTest\\", true},
        {L"D:\\Somewhere\\OrvoNubelo", true},
        {std::wstring(programFiles) + L"\\OrvoNubelo\\", false},
        {std::wstring(programFiles) + L"\\..\\OrvoRightsTest\\", true},
        {temp.file(L"x"), false},   // the user's own profile: protecting one level would protect nothing
    };
    for (const auto& c : cases)
        EXPECT_EQ(needsOwnRights(c.path), c.own) << narrow(c.path);

    // what the created folder got, as far as the file system keeps it; an existing folder keeps its own
    const std::wstring existing = L"C:\\OrvoRightsKept", created = L"C:\\OrvoRightsTest";
    RemoveDirectoryW((created + L"\\a").c_str());
    RemoveDirectoryW(created.c_str());
    CreateDirectoryW(existing.c_str(), nullptr);
    Rights before = rightsOfFolder(existing);
    std::vector<std::wstring> made, none;
    createDirectoryChain(created + L"\\a\\", &made);
    createDirectoryChain(existing + L"\\", &none);
    Rights got = rightsOfFolder(created), kept = rightsOfFolder(existing);
    // what the install journal records, to remove on uninstall or rollback
    EXPECT_EQ(made, (std::vector<std::wstring>{created + L"\\", created + L"\\a\\"}));
    EXPECT_TRUE(none.empty());
    RemoveDirectoryW((created + L"\\a").c_str());
    RemoveDirectoryW(created.c_str());
    RemoveDirectoryW(existing.c_str());
    EXPECT_EQ(allowedTo(got, L"S-1-5-18"), FILE_ALL_ACCESS);
    EXPECT_EQ(allowedTo(got, L"S-1-5-32-545") & (FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE | WRITE_DAC), 0u);
    // nothing for everyone, where the drive root gives everyone (under Wine: anyone) read access
    EXPECT_EQ(allowedTo(got, L"S-1-1-0"), 0u);
    EXPECT_EQ(kept.isProtected, before.isProtected);
    EXPECT_EQ(kept.allowed, before.allowed);
}
