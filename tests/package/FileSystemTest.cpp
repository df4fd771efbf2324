// File systems: resource and folder reads, the trailing zeros, failures that leave `size` alone.
#include <FileSystem.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace testing_support;

namespace {

constexpr uint64_t kUntouched = 0xDEADBEEF;

std::string take(FileSystem& fs, const wchar_t* name, uint64_t* size)
{
    void* data = fs.readFile(name, size);
    if (!data)
        return "<null>";
    auto bytes = static_cast<const char*>(data);
    std::string out(bytes, size_t(*size));
    EXPECT_EQ(std::memcmp(bytes + *size, "\0\0\0\0", 4), 0) << "4 zero bytes must follow the data";
    fs.freeData(data);
    return out;
}

} // namespace

TEST(ResourceFileSystem, ReadsARegisteredResourceWithFourZeroBytesAfterIt)
{
    ResourceFileSystem fs;
    fs.addResource(L"UI.lua", 111);
    uint64_t size = kUntouched;
    EXPECT_EQ(take(fs, L"UI.lua", &size), "-- resource text\nreturn 1\n");
    EXPECT_EQ(size, 26u);
}

TEST(ResourceFileSystem, UnknownNamesAndMissingResourcesLeaveSizeAlone)
{
    ResourceFileSystem fs;
    fs.addResource(L"UI.lua", 111);
    fs.addResource(L"gone.lz", 199);   // registered, but the executable has no such resource
    uint64_t size = kUntouched;
    EXPECT_EQ(fs.readFile(L"never.lua", &size), nullptr);
    EXPECT_EQ(fs.readFile(L"ui.lua", &size), nullptr) << "names are case-sensitive";
    EXPECT_EQ(fs.readFile(L"gone.lz", &size), nullptr);
    EXPECT_EQ(fs.readFile(L"", &size), nullptr);
    EXPECT_EQ(size, kUntouched);
}

TEST(ResourceFileSystem, RegisteringANameAgainReplacesItsId)
{
    ResourceFileSystem fs;
    fs.addResource(L"data", 111);
    fs.addResource(L"data", 112);
    uint64_t size = 0;
    EXPECT_EQ(take(fs, L"data", &size), "second");
}

TEST(ResourceFileSystem, EmptyResourceGivesFourZeroBytesAndSizeZero)
{
    ResourceFileSystem fs;
    fs.addResource(L"empty", 120);
    uint64_t size = kUntouched;
    EXPECT_EQ(take(fs, L"empty", &size), "");
    EXPECT_EQ(size, 0u);
}

TEST(LocalFileSystem, RootWithBackslashReadsFilesInsideIt)
{
    TempDir dir;
    ASSERT_TRUE(writeFile(dir.file(L"UI.lua"), "print('hi')"));
    LocalFileSystem fs(dir.path());
    uint64_t size = kUntouched;
    EXPECT_EQ(take(fs, L"UI.lua", &size), "print('hi')");
    EXPECT_EQ(size, 11u);
    EXPECT_EQ(fs.readFile(L"missing.lua", &size), nullptr);
    EXPECT_EQ(size, 11u);
}

TEST(LocalFileSystem, RootWithoutBackslashIsGluedToTheName)
{
    TempDir dir;
    std::wstring root = dir.path().substr(0, dir.path().size() - 1);   // "...\orvo-test-N"
    ASSERT_TRUE(writeFile(root + L"UI.lua", "glued"));
    LocalFileSystem fs(root);
    uint64_t size = 0;
    EXPECT_EQ(take(fs, L"UI.lua", &size), "glued");
    DeleteFileW((root + L"UI.lua").c_str());
}

TEST(LocalFileSystem, EmptyAndNonAsciiFilesRead)
{
    TempDir dir;
    ASSERT_TRUE(writeFile(dir.file(L"空.txt"), ""));
    LocalFileSystem fs(dir.path());
    uint64_t size = kUntouched;
    EXPECT_EQ(take(fs, L"空.txt", &size), "");
    EXPECT_EQ(size, 0u);
}

TEST(LocalFileSystem, AFileHeldOpenWithoutSharingIsNotRead)
{
    TempDir dir;
    ASSERT_TRUE(writeFile(dir.file(L"locked.bin"), "data"));
    HANDLE held = CreateFileW(dir.file(L"locked.bin").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    LocalFileSystem fs(dir.path());
    uint64_t size = kUntouched;
    EXPECT_EQ(fs.readFile(L"locked.bin", &size), nullptr);
    EXPECT_EQ(size, kUntouched);
    CloseHandle(held);
    EXPECT_EQ(take(fs, L"locked.bin", &size), "data");
}

TEST(CurrentFileSystem, IsTheMostRecentlyConstructedOneUntilItGoes)
{
    ResourceFileSystem resources;
    EXPECT_EQ(currentFileSystem(), &resources);
    {
        LocalFileSystem local(L"C:\\");
        EXPECT_EQ(currentFileSystem(), &local);
    }
    EXPECT_EQ(currentFileSystem(), nullptr) << "a destroyed file system must not stay current";
}
