// The self-check against the real installer: whole, one byte changed in each resource, cut short.
#include <NamedResources.h>
#include <SelfCheck.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace testing_support;

namespace {

std::wstring installerPath()
{
    std::wstring path = L"Z:" + widen(ORVO_TEST_INSTALLER);
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

// A module loaded as a data file: its resources are read straight from the file's bytes.
class DataFile {
public:
    explicit DataFile(const std::wstring& path) : module_(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~DataFile()
    {
        if (module_)
            FreeLibrary(module_);
    }
    HMODULE get() const { return module_; }

private:
    HMODULE module_;
};

// Where resource `id` lies in the file: a data-file module maps the file flat, so the distance
// from its base is the file offset (checked against the file's bytes by the caller).
bool locate(const DataFile& file, int id, size_t* offset, size_t* size)
{
    HRSRC found = FindResourceW(file.get(), MAKEINTRESOURCEW(id), ORVO_WIDE_NAME(ORVO_RESOURCE_TYPE));
    HGLOBAL loaded = found ? LoadResource(file.get(), found) : nullptr;
    auto bytes = static_cast<const uint8_t*>(loaded ? LockResource(loaded) : nullptr);
    if (!bytes)
        return false;
    *offset = size_t(bytes - reinterpret_cast<const uint8_t*>(uintptr_t(file.get()) & ~uintptr_t(3)));
    *size = SizeofResource(file.get(), found);
    return true;
}

std::wstring checkCopy(const std::wstring& path)
{
    DataFile copy(path);
    return copy.get() ? checkResources(copy.get()) : L"not loadable";
}

} // namespace

TEST(SelfCheck, TheBuiltInstallerIsWhole)
{
    EXPECT_EQ(narrow(checkImageFile(installerPath())), "");
    EXPECT_EQ(narrow(checkCopy(installerPath())), "");
}

// Every named resource and the digests themselves, changed at their first, middle and last byte.
TEST(SelfCheck, OneChangedByteInAnyResourceIsFound)
{
    const std::string image = readFile(installerPath());
    ASSERT_FALSE(image.empty());
    DataFile original(installerPath());
    ASSERT_TRUE(original.get());
    TempDir dir;
    const std::wstring copy = dir.file(L"Setup.exe");
    const struct {
        int id;
        const char* reason;
    } cases[] = {
        {ORVO_ID_UI_SCRIPT, "resource 111 does not match its SHA-256"},
        {ORVO_ID_FRAME_PACKAGE, "resource 113 does not match its SHA-256"},
        {ORVO_ID_WORKER_SCRIPT, "resource 114 does not match its SHA-256"},
        {ORVO_ID_PROGRAM_PACKAGE, "resource 115 does not match its SHA-256"},
        {ORVO_ID_STYLE_PACKAGE, "resource 116 does not match its SHA-256"},
        {ORVO_ID_DIGESTS, nullptr},   // any reason: the digests no longer describe the resources
    };
    for (const auto& c : cases) {
        size_t offset = 0, size = 0;
        ASSERT_TRUE(locate(original, c.id, &offset, &size)) << c.id;
        ASSERT_GT(size, 0u);
        ASSERT_LE(offset + size, image.size());
        for (size_t at : {size_t(0), size / 2, size - 1}) {
            std::string changed = image;
            changed[offset + at] = char(changed[offset + at] ^ 0x40);
            ASSERT_TRUE(writeFile(copy, changed));
            std::string reason = narrow(checkCopy(copy));
            if (c.reason)
                EXPECT_EQ(reason, c.reason) << "byte " << at << " of resource " << c.id;
            else
                EXPECT_NE(reason, "") << "byte " << at << " of resource " << c.id;
            EXPECT_EQ(narrow(checkImageFile(copy)), "") << "the file itself keeps its length";
        }
    }
}

TEST(SelfCheck, ACopyCutShortIsFound)
{
    const std::string image = readFile(installerPath());
    TempDir dir;
    for (size_t cut : {size_t(1), size_t(4096), image.size() / 2, image.size() - 10}) {
        ASSERT_TRUE(writeFile(dir.file(L"Setup.exe"), image.substr(0, image.size() - cut)));
        EXPECT_NE(narrow(checkImageFile(dir.file(L"Setup.exe"))), "") << "cut by " << cut;
    }
    EXPECT_NE(narrow(checkImageFile(dir.file(L"missing.exe"))), "");
}
