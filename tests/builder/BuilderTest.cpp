// orvo-build's pieces: the project file's checks, the payload name rules, the cached packing, and
// the PE resource writer read back through the Windows loader.
#include <InstallableNames.h>
#include <PayloadPacker.h>
#include <PeResources.h>
#include <Project.h>
#include <SelfCheck.h>

#include <gtest/gtest.h>
#include <windows.h>

#include <imagehlp.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

fs::path scratch(const char* name)
{
    fs::path folder = fs::temp_directory_path() / "orvo-builder-test" / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

void writeText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<uint8_t> readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const char kGood[] = "name = 'Demo', version = '1.2', publisher = 'Us', executable = 'app.exe', payload = 'files'";

} // namespace

// Each broken project names what is wrong; the good one loads with its defaults.
TEST(ProjectFile, ErrorsNameTheKey)
{
    fs::path folder = scratch("project");
    fs::create_directories(folder / "files");
    struct Case {
        std::string body;
        std::string expected;   // empty: loads
    };
    const Case cases[] = {
        {std::string("return {") + kGood + "}", ""},
        {std::string("return {") + kGood + ", nmae = 'x'}", "key 'nmae': unknown key"},
        {"return {name = 'Demo', version = '1', publisher = 'Us', executable = 'a.exe'}", "key 'payload': missing"},
        {std::string("return {") + kGood + ", level = 12}", "key 'level': a whole number from 0 to 9"},
        {std::string("return {") + kGood + ", version = 3}", "key 'version': a text is needed"},
        {"return {name = 'Demo', version = '1', publisher = 'Us', executable = 'a.exe', payload = 'gone'}",
         "key 'payload':"},
        {std::string("return {") + kGood + ", install_folder = 'CON'}", "key 'install_folder'"},
        {std::string("return {") + kGood + ", install_folder = 'Demo. '}", "ends in a dot or a space"},
        {std::string("return {") + kGood + ", sign = {pkcs12 = 'files', password_env = 'P'}}", "key 'sign.pkcs12'"},
        {std::string("return {") + kGood + ", sign = {pkcs12 = 'c.p12'}}", "key 'sign.password_env'"},
        {std::string("return {") + kGood + ", sign = {certificate = 'c.pem'}}", "key 'sign.key': missing"},
        {std::string("return {") + kGood + ", sign = {colour = 1}}", "key 'sign.colour': unknown key"},
        {"return 5", "must return a table"},
        {"return {", "project.lua"},
        {"local f = io.open('x') return {}", "io"},
        {"while true do end", "runs too long"},
    };
    for (const Case& c : cases) {
        writeText(folder / "project.lua", c.body);
        Project project;
        std::string error;
        bool loaded = loadProject(folder / "project.lua", {}, &project, &error);
        if (c.expected.empty()) {
            EXPECT_TRUE(loaded) << c.body << ": " << error;
            EXPECT_EQ(project.installFolder, "Demo");
            EXPECT_EQ(project.payload, (folder / "files").lexically_normal());
        } else {
            EXPECT_FALSE(loaded) << c.body;
            EXPECT_NE(error.find(c.expected), std::string::npos) << c.body << " gave: " << error;
        }
    }
    // the command line's values win, checked like the file's
    writeText(folder / "project.lua", std::string("return {") + kGood + "}");
    Project project;
    std::string error;
    EXPECT_FALSE(loadProject(folder / "project.lua", {{"solid", "99"}}, &project, &error));
    EXPECT_NE(error.find("key 'solid'"), std::string::npos) << error;
}

TEST(InstallableNames, RefusesWhatWindowsCannotMake)
{
    const std::pair<std::u16string, bool> names[] = {
        {u"readme.txt", true},  {u"直播 设置.ini", true}, {u"CON", false},      {u"con.txt", false},
        {u"Com1", false},       {u"LPT9.log", false},     {u"COM10", true},     {u"NUL ", false},
        {u"trailing.", false},  {u"space ", false},       {u"a]", false},       {u"a]b", true},
        {u"a:b", false},        {u"q?", false},           {std::u16string(256, u'x'), false},
    };
    for (const auto& [name, fine] : names)
        EXPECT_EQ(nameProblem(name).empty(), fine) << std::string(name.begin(), name.end());

    std::vector<std::string> problems =
        treeProblems({u"docs/Read.txt", u"Docs/other.txt", u"ok/fine.txt", u"x/aux.dll", u"deep/" + std::u16string(240, u'y')},
                     std::string("C:\\Program Files\\Demo\\").size());
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_NE(problems[0].find("differ only in letter case"), std::string::npos) << problems[0];
    EXPECT_NE(problems[1].find("x/aux.dll"), std::string::npos) << problems[1];
    EXPECT_NE(problems[2].find("too long once installed"), std::string::npos) << problems[2];
}

// Solid packing through the cache: the same image cold, warm and uncached; a cache entry damaged on
// disk is packed anew, never trusted; other settings never reuse an entry.
TEST(CachedPacking, SameImageAndDamagedEntriesPackedAnew)
{
    fs::path cache = scratch("cache");
    std::vector<std::vector<uint8_t>> contents;
    for (int i = 0; i < 12; ++i) {
        std::string text;
        while (text.size() < size_t(6000 + 3000 * i))
            text += "line " + std::to_string(i * 7 + text.size() % 13) + " of a file that compresses\r\n";
        contents.emplace_back(text.begin(), text.end());
    }
    std::vector<PackInput> inputs;
    for (size_t i = 0; i < contents.size(); ++i) {
        std::u16string name = (i % 3 ? u"docs/note" : u"bin/part") + std::u16string(1, char16_t(u'a' + i)) +
                              (i % 2 ? u".txt" : u".dll");
        inputs.push_back({name, {}, &contents[i], contents[i].size()});
    }
    PackOptions options;
    options.level = 1;
    options.solidBytes = 40000;
    options.jobs = 2;
    auto pack = [&](PackCounters* counters, std::vector<size_t>* order = nullptr) {
        std::vector<uint8_t> image;
        std::string error;
        EXPECT_TRUE(packFiles(inputs, options, counters, &image, order, &error)) << error;
        return image;
    };
    PackCounters uncached;
    std::vector<size_t> order;
    std::vector<uint8_t> expected = pack(&uncached, &order);
    ASSERT_EQ(order.size(), inputs.size());
    size_t units = uncached.unitsPacked;
    ASSERT_GT(units, 2u);
    ASSERT_LT(units, inputs.size());   // some blocks hold several files

    options.cache = cache;
    PackCounters cold, warm, damaged, other;
    EXPECT_EQ(pack(&cold), expected);
    EXPECT_EQ(size_t(cold.unitsPacked), units);
    EXPECT_EQ(pack(&warm), expected);
    EXPECT_EQ(size_t(warm.unitsCached), units);

    // one byte changed in two of the entries: those two are packed again, the image is the same
    size_t changed = 0;
    for (const auto& entry : fs::recursive_directory_iterator(cache))
        if (entry.is_regular_file() && changed < 2) {
            std::vector<uint8_t> bytes = readBytes(entry.path());
            bytes[bytes.size() / 2] ^= 0x20;
            std::ofstream(entry.path(), std::ios::binary | std::ios::trunc)
                .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            ++changed;
        }
    ASSERT_EQ(changed, 2u);
    EXPECT_EQ(pack(&damaged), expected);
    EXPECT_EQ(size_t(damaged.unitsPacked), 2u);
    EXPECT_EQ(size_t(damaged.unitsCached), units - 2);

    options.solidBytes = 50000;
    pack(&other);
    EXPECT_EQ(size_t(other.unitsCached), 0u);
}

// The writer keeps the executable's own resources, adds new ones the loader finds, and leaves a
// file the self-check's length rule accepts; a fake signature table must end the file.
TEST(PeResourceWriter, LoaderReadsWhatWasWritten)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    PeImage image;
    std::string error;
    ASSERT_TRUE(PeImage::parse(readBytes(self), &image, &error)) << error;
    size_t own = image.resources().size();

    std::vector<uint8_t> large(3 << 20);
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = uint8_t(i * 7 + (i >> 12));
    Resource a{ResourceKey::string(u"_OrvoResc"), ResourceKey::number(115), 1033, large};
    Resource b{ResourceKey::string(u"_OrvoResc"), ResourceKey::number(111), 1033, {'-', '-', ' ', 'u', 'i'}};
    Resource c{ResourceKey::number(10), ResourceKey::string(u"Extra"), 0, {1, 2, 3}};
    image.setResource(a);
    image.setResource(b);
    image.setResource(c);
    b.data = {'-', '-', ' ', 'n', 'e', 'w'};   // replaced, not added twice
    image.setResource(b);
    std::vector<uint8_t> written;
    ASSERT_TRUE(image.write(1234567890, &written, &error)) << error;

    fs::path folder = scratch("writer");
    fs::path out = folder / "written.exe";
    std::ofstream(out, std::ios::binary).write(reinterpret_cast<const char*>(written.data()), written.size());
    EXPECT_EQ(checkImageFile(out.wstring()), L"");
    DWORD inHeader = 0, computed = 0;
    ASSERT_EQ(MapFileAndCheckSumW(out.c_str(), &inHeader, &computed), DWORD(CHECKSUM_SUCCESS));
    EXPECT_EQ(inHeader, computed) << "the checksum in the header is not the file's";

    // read back: the loader, and the parser again
    HMODULE module = LoadLibraryExW(out.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr);
    auto bytesOf = [&](const wchar_t* type, const wchar_t* name) {
        HRSRC found = FindResourceW(module, name, type);
        if (!found)
            return std::vector<uint8_t>();
        auto p = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
        return std::vector<uint8_t>(p, p + SizeofResource(module, found));
    };
    EXPECT_EQ(bytesOf(L"_OrvoResc", MAKEINTRESOURCEW(115)), large);
    EXPECT_EQ(bytesOf(L"_OrvoResc", MAKEINTRESOURCEW(111)), b.data);
    EXPECT_EQ(bytesOf(RT_RCDATA, L"EXTRA"), c.data);
    FreeLibrary(module);
    PeImage again;
    ASSERT_TRUE(PeImage::parse(written, &again, &error)) << error;
    EXPECT_EQ(again.resources().size(), own + 3);
    for (const Resource& r : image.resources()) {
        bool kept = false;
        for (const Resource& s : again.resources())
            kept = kept || (s.type == r.type && s.name == r.name && s.language == r.language && s.data == r.data);
        EXPECT_TRUE(kept);
    }
    // the same input writes the same bytes
    std::vector<uint8_t> second;
    ASSERT_TRUE(image.write(1234567890, &second, &error));
    EXPECT_EQ(second, written);

    // the written file runs: this test program again, asked for a test that does not exist
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION process{};
    std::wstring line = L"\"" + out.wstring() + L"\" --gtest_filter=None.None";
    ASSERT_TRUE(CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(code, 0u);

    // a certificate table (here a fake one) must be the file's end: bytes after it are refused
    std::vector<uint8_t> signedFile = written;
    uint32_t pe = signedFile[0x3C] | signedFile[0x3D] << 8;
    uint32_t table = uint32_t(signedFile.size()), length = 16;
    signedFile.resize(signedFile.size() + length, 0);
    for (int i = 0; i < 4; ++i) {
        signedFile[pe + 24 + 112 + 32 + i] = uint8_t(table >> (8 * i));
        signedFile[pe + 24 + 112 + 36 + i] = uint8_t(length >> (8 * i));
    }
    std::ofstream(out, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(signedFile.data()), signedFile.size());
    EXPECT_EQ(checkImageFile(out.wstring()), L"");
    signedFile.push_back(0);
    std::ofstream(out, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(signedFile.data()), signedFile.size());
    EXPECT_NE(checkImageFile(out.wstring()).find(L"after its signature"), std::wstring::npos);
}
