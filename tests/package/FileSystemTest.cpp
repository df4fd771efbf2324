// File systems: resource and folder reads, the trailing zeros, failures that leave `size` alone.
#include <FileSystem.h>
#include <PackedScript.h>
#include <Scripts.h>

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

// A script orvo-build stores packed is read back as its text through either file system's .lua
// names; any damage to the stored form (what the self-check would have caught first) reads as a
// script that cannot be read, never as other text; other names and plain scripts are served as
// they are.
TEST(LocalFileSystem, PackedScriptsReadAsTheirTextAndDamagedOnesNotAtAll)
{
    std::string text = "local steps = {\n";
    for (int i = 0; i < 400; ++i)
        text += "    {1, [[doc\\folder\\file" + std::to_string(i) + ".txt]]},\n";
    text += "}\nreturn #steps\n";
    std::vector<uint8_t> stored;
    std::string error;
    ASSERT_TRUE(storedScript(std::vector<uint8_t>(text.begin(), text.end()), &stored, &error)) << error;
    ASSERT_TRUE(packedscript::isPacked(stored.data(), stored.size()));
    ASSERT_LT(stored.size(), text.size() / 4);
    std::string packed(stored.begin(), stored.end());
    std::vector<uint8_t> tiny;
    ASSERT_TRUE(storedScript({'x', '=', '1'}, &tiny, &error));
    EXPECT_EQ(std::string(tiny.begin(), tiny.end()), "x=1") << "a script packing does not shrink stays text";

    auto changed = [&](size_t at, uint8_t bits) {
        std::string out = packed;
        out[at] = char(out[at] ^ bits);
        return out;
    };
    struct Case {
        const char* what;
        const wchar_t* name;
        std::string bytes;
        std::string served;
    };
    const Case cases[] = {
        {"packed", L"LG.lua", packed, text},
        {"packed, name in capitals", L"UI.LUA", packed, text},
        {"plain text", L"UI.lua", text, text},
        {"packed under another name", L"program.lz", packed, packed},
        {"size one more", L"LG.lua", changed(4, 0x01), "<null>"},
        {"size absurd", L"LG.lua", changed(7, 0x40), "<null>"},
        {"properties", L"LG.lua", changed(8, 0xFF), "<null>"},
        {"first stream byte", L"LG.lua", changed(13, 0x01), "<null>"},
        {"middle of the stream", L"LG.lua", changed(packed.size() / 2, 0x10), "<null>"},
        {"last byte", L"LG.lua", changed(packed.size() - 1, 0x01), "<null>"},
        {"cut short", L"LG.lua", packed.substr(0, packed.size() - 1), "<null>"},
        {"a byte more", L"LG.lua", packed + "x", "<null>"},
        {"marker alone", L"LG.lua", packed.substr(0, 4), "<null>"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        ASSERT_TRUE(writeFile(dir.file(c.name), c.bytes)) << c.what;
        LocalFileSystem fs(dir.path());
        uint64_t size = kUntouched;
        std::string got = take(fs, c.name, &size);
        EXPECT_TRUE(got == c.served) << c.what;
        if (c.served == "<null>")
            EXPECT_EQ(size, kUntouched) << c.what;
    }
}
