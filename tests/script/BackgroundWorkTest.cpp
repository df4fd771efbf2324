// Background work through the real UI state: startWork, the worker's script state, notifications
// answered by a native handler of event 1024, extraction from a test package, and the error boxes.
#include <BackgroundWork.h>
#include <FileSystem.h>
#include <FileTree.h>
#include <NotifyRunable.h>
#include <Package.h>
#include <PackageWriter.h>
#include <SRService.h>
#include <ScriptState.h>
#include <Toolkit.h>

#include "TestSupport.h"

#include <gtest/gtest.h>
#include <platform/Utf.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <random>

using namespace testing_support;

namespace {

// A Lua long-bracket literal of a path or text.
std::string luaLong(const std::string& text)
{
    return "[==[" + text + "]==]";
}
std::string luaLong(const std::wstring& text)
{
    return luaLong(narrow(text));
}

bool exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int codeOf(const std::string& text)
{
    size_t at = text.find("code=");
    return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + 5);
}

bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 20000)
{
    return pumpMessagesUntil(done, timeoutMs);
}

// Runs orvo-run.exe over `dir` and returns its exit code; fails the test when it does not end.
DWORD runDevelopmentRunner(const TempDir& dir)
{
    std::wstring runner = L"Z:" + widen(ORVO_TEST_RUNNER);
    for (wchar_t& c : runner)
        if (c == L'/')
            c = L'\\';
    std::wstring commandLine = L"\"" + runner + L"\" \"" + dir.path() + L".\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(runner.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        ADD_FAILURE() << "orvo-run did not start";
        return DWORD(-1);
    }
    CloseHandle(process.hThread);
    DWORD code = DWORD(-1);
    if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &code);
    } else {
        ADD_FAILURE() << "orvo-run did not end";
        TerminateProcess(process.hProcess, 1);   // or it would hold the test's output open
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hProcess);
    return code;
}

// Sets an environment variable for this process and the programs it starts, while it lives.
class EnvironmentOverride {
public:
    EnvironmentOverride(const wchar_t* name, const wchar_t* value) : name_(name)
    {
        SetEnvironmentVariableW(name, value);
    }
    ~EnvironmentOverride() { SetEnvironmentVariableW(name_, nullptr); }

private:
    const wchar_t* name_;
};

// Bytes that LZMA packs (text with some noise), or noise that is stored as is.
std::string payloadBytes(size_t size, unsigned seed, bool noise)
{
    std::mt19937 random(seed);
    std::string out(size, '\0');
    static const char kWords[] = "worker extracts every entry while decoders run ahead ";
    for (size_t i = 0; i < size; ++i)
        out[i] = noise || random() % 8 == 0 ? char(random()) : kWords[(i + seed) % (sizeof kWords - 1)];
    return out;
}

// An image of `files` packed at level 1, with the LZMA stream of `damaged` (when given) spoilt.
std::string packImage(const std::map<std::string, std::string>& files, const std::string& damaged = "")
{
    PackageWriter writer(1);
    std::string error;
    for (const auto& [name, bytes] : files)
        EXPECT_TRUE(writer.add(utf8ToUtf16(name), reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &error))
            << error;
    std::vector<uint8_t> image = writer.finish();
    if (!damaged.empty()) {
        auto package = Package::open(image.data(), image.size());
        const Package::Entry* entry = package ? package->find(utf8ToUtf16(damaged)) : nullptr;
        EXPECT_TRUE(entry && entry->unpackedSize > 0) << damaged << " must be packed to be spoilt";
        if (entry)
            image[entry->dataOffset + 5] = 0xFF;   // an LZMA stream starts with a zero byte
    }
    return std::string(image.begin(), image.end());
}

class BackgroundWork : public ::testing::Test {
protected:
    void SetUp() override
    {
        files = std::make_unique<LocalFileSystem>(dir.path());
        ASSERT_TRUE(SRService::start());
        ASSERT_TRUE(Toolkit::start());
        std::string error;
        PackageWriter writer(5);
        for (const auto& [name, bytes] : std::map<std::u16string, std::string>{
                 {u"bin/app.dll", "app bytes"},
                 {u"bin/sub/deep.txt", std::string(5000, 'd')},
                 {u"data/readme.txt", "read me"}})
            ASSERT_TRUE(writer.add(name, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &error)) << error;
        std::vector<uint8_t> image = writer.finish();
        ASSERT_TRUE(writeFile(dir.file(L"test.lz"), std::string(image.begin(), image.end())));
    }
    void TearDown() override
    {
        Toolkit::shutdown();
        SRService::stop();
        files.reset();
    }

    void listen() { ASSERT_TRUE(Toolkit::addGlobalHandler(EventCode::WorkerNotification, this, onNotification)); }

    static void onNotification(void* target, Control*, ControlEvent* event)
    {
        auto* self = static_cast<BackgroundWork*>(target);
        std::string text = reinterpret_cast<const char*>(event->wparam);
        self->texts.push_back(text);
        auto answer = self->answers.find(codeOf(text));
        event->lparam = answer == self->answers.end() ? 1 : answer->second;
    }

    // UI.lua starts the worker LG.lua over test.lz with `configuration` and ends at once, as the
    // UI script's click handler would.
    void runUi(const std::string& workerScript, const std::string& configuration = "",
               const std::string& package = "test.lz")
    {
        writeFile(dir.file(L"LG.lua"), workerScript);
        writeFile(dir.file(L"UI.lua"), "startWork('LG.lua', '" + package + "', " + luaLong(configuration) + ")\n");
        createUiScriptState(&uiScriptState);
        ASSERT_TRUE(runScriptFile(&uiScriptState, L"UI.lua"));
    }

    // The worker writes its findings to out.txt and then creates "done".
    std::string finishing(const std::string& expression) const
    {
        return "local f = assert(io.open(" + luaLong(dir.file(L"out.txt")) + ", 'wb'))\n"
               "f:write(" + expression + ")\nf:close()\n"
               "assert(io.open(" + luaLong(dir.file(L"done")) + ", 'wb')):close()\n";
    }
    bool waitForWorker() { return pumpUntil([this] { return exists(dir.file(L"done")); }); }
    std::string out() const { return readFile(dir.file(L"out.txt")); }

    TempDir dir;
    std::unique_ptr<LocalFileSystem> files;
    MessageBoxCapture capture;
    std::vector<std::string> texts;   // notifications seen by the handler, in order
    std::map<int, int64_t> answers;   // code -> answer; 1 otherwise
};

} // namespace

TEST_F(BackgroundWork, ProtocolTextsReachTheHandlerAndItsAnswersReachTheWorker)
{
    listen();
    answers = {{5, 4}, {6, 2}, {10, 1}};
    const std::vector<std::string> sent = {
        "{code=1}",
        "{code=3,range=12}",
        "{code=4,position=3,text=[[C:\\Program Files\\Pelora\\\"x\".dll]]}",
        "{code=5,file=[[C:\\Program Files\\Pelora\\locked.dll]]}",
        "{code=10, file=[[Nubelo.exe\nnubmon.exe]]}",
        "{code=6,error=[[磁盘已满]]}",
        "{code=2}",
    };
    std::string script = "local answers = {}\n";
    for (const std::string& text : sent)
        script += "answers[#answers + 1] = notifyMessage(" + luaLong(text) + ")\n";
    script += finishing("table.concat(answers, ',')");
    runUi(script);
    ASSERT_TRUE(pumpUntil([this] { return !texts.empty() && codeOf(texts.back()) == 11; }));
    std::vector<std::string> expected = sent;
    expected.push_back("{code=11,error=[[]]}");   // the worker's own end, after its script's last
    EXPECT_EQ(texts, expected);
    EXPECT_EQ(out(), "1,1,1,4,1,2,1");
    EXPECT_TRUE(capture.boxes().empty());
}

TEST_F(BackgroundWork, AnswerIsTheLow32BitsOfTheEventsSecondParameter)
{
    listen();
    answers = {{1, int64_t(0x700000000) | 0xFFFFFFFF}, {2, int64_t(0x100000005)}};
    runUi("local a, b = notifyMessage('{code=1}'), notifyMessage('{code=2}')\n" + finishing("a .. ',' .. b"));
    ASSERT_TRUE(waitForWorker());
    EXPECT_EQ(out(), "-1,5");
}

TEST_F(BackgroundWork, WithoutAHandlerNotifyMessageAnswersZero)
{
    runUi(finishing("tostring(notifyMessage('{code=1}'))"));
    ASSERT_TRUE(waitForWorker());
    EXPECT_EQ(out(), "0");
}

TEST_F(BackgroundWork, ExtractsEntriesNamedWithEitherSlash)
{
    listen();
    std::wstring target = dir.file(L"target\\");
    CreateDirectoryW(target.c_str(), nullptr);
    CreateDirectoryW((target + L"sub").c_str(), nullptr);
    runUi("local t = " + luaLong(target) + "\n"
          "local r = {extractFile('bin\\\\app.dll', t .. 'app.dll'),\n"
          "           extractFile('bin\\\\sub/deep.txt', t .. 'sub\\\\deep.txt'),\n"
          "           extractFile('data/readme.txt', t .. 'readme.txt')}\n" +
          finishing("tostring(r[1]) .. tostring(r[2]) .. tostring(r[3])"));
    ASSERT_TRUE(waitForWorker());
    EXPECT_EQ(out(), "truetruetrue");
    EXPECT_EQ(readFile(target + L"app.dll"), "app bytes");
    EXPECT_EQ(readFile(target + L"sub\\deep.txt"), std::string(5000, 'd'));
    EXPECT_EQ(readFile(target + L"readme.txt"), "read me");
    ASSERT_TRUE(pumpUntil([this] { return !texts.empty(); }));
    EXPECT_EQ(texts, std::vector<std::string>{"{code=11,error=[[]]}"}) << "only the end of the worker";
}

TEST_F(BackgroundWork, MissingEntryIsFalseAndDamagedAndLeavesTheDestinationAlone)
{
    writeFile(dir.file(L"kept.txt"), "kept");
    runUi("local r, why = extractFile('bin/missing.dll', " + luaLong(dir.file(L"kept.txt")) + ")\n" +
          finishing("tostring(r) .. ' ' .. tostring(why)"));
    ASSERT_TRUE(waitForWorker());
    EXPECT_EQ(out(), "false damaged");
    EXPECT_EQ(readFile(dir.file(L"kept.txt")), "kept");
}

// One changed byte in a stored entry, which no decoder would notice: the read fails its check value,
// extractFile says false, and neither the damaged bytes nor a partial file end up in the folder.
TEST_F(BackgroundWork, EntryFailingItsCheckValueIsFalseAndWritesNothing)
{
    std::string image = packImage({{"bin/app.dll", "app bytes"}, {"data/readme.txt", "read me"}});
    auto package = Package::open(image.data(), image.size());
    ASSERT_TRUE(package && package->hasCheckValues());
    const Package::Entry* entry = package->find(u"bin/app.dll");
    ASSERT_TRUE(entry && entry->unpackedSize == 0) << "the entry must be stored to pass every decoder";
    image[entry->dataOffset + 2] ^= 0x20;
    ASSERT_TRUE(writeFile(dir.file(L"test.lz"), image));
    TempDir target;
    writeFile(target.file(L"kept.dll"), "kept");
    runUi("local r = {extractFile('bin/app.dll', " + luaLong(target.file(L"app.dll")) + "),\n"
          "           extractFile('bin/app.dll', " + luaLong(target.file(L"kept.dll")) + "),\n"
          "           extractFile('data/readme.txt', " + luaLong(target.file(L"readme.txt")) + ")}\n" +
          finishing("tostring(r[1]) .. tostring(r[2]) .. tostring(r[3])"));
    ASSERT_TRUE(waitForWorker());
    EXPECT_EQ(out(), "falsefalsetrue");
    EXPECT_FALSE(exists(target.file(L"app.dll")));
    EXPECT_EQ(readFile(target.file(L"kept.dll")), "kept");
    EXPECT_EQ(readFile(target.file(L"readme.txt")), "read me");
    EXPECT_EQ(listFiles(target.path(), L"*").size(), 2u) << "no partial file may be left behind";
}

// The uninstaller is written from the installer's file as it lies on disk, which anyone who could
// write the Downloads folder may have changed: only the exact uninstaller the build made is
// written, and nothing at all otherwise.
namespace {

// A build folder's path as Wine's Z: drive shows it.
std::wstring toWindowsPath(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return L"Z:" + widen(path);
}

} // namespace

TEST_F(BackgroundWork, UninstallerIsWrittenOnlyWhenItComesOutAsTheBuildMadeIt)
{
    const std::wstring installer = toWindowsPath(ORVO_SHIPPED_INSTALLER);
    std::string original = readFile(installer);
    ASSERT_GT(original.size(), 0x2000u);
    std::string changed = original, cut = original.substr(0, original.size() / 2);
    changed[0x1000 + 77] ^= 0x01;   // inside the code, far from any resource
    ASSERT_TRUE(writeFile(dir.file(L"changed.exe"), changed));
    ASSERT_TRUE(writeFile(dir.file(L"cut.exe"), cut));
    const struct {
        std::wstring source;   // empty: the running program, which is no installer
        const char* answer;
    } cases[] = {
        {installer, "true"},
        {dir.file(L"changed.exe"), "false damaged"},
        {dir.file(L"cut.exe"), "false damaged"},
        {L"", "false damaged"},
        // the development runner, no installer either, copies the one its folder holds
        {L"", "true"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(narrow(c.source));
        if (&c == &cases[4])
            ASSERT_TRUE(CopyFileW(toWindowsPath(ORVO_SHIPPED_UNINSTALLER).c_str(), dir.file(L"unins000.exe").c_str(), FALSE));
        DeleteFileW(dir.file(L"done").c_str());
        LuaWork::setUninstallerSource(c.source);
        TempDir target;
        runUi("local r, why = writeUninstaller(" + luaLong(target.file(L"unins000.exe")) + ")\n" +
              finishing("tostring(r) .. (r and '' or ' ' .. tostring(why))"));
        ASSERT_TRUE(waitForWorker());
        LuaWork::setUninstallerSource({});
        EXPECT_EQ(out(), c.answer);
        if (std::string(c.answer) == "true")
            EXPECT_TRUE(readFile(target.file(L"unins000.exe")) == readFile(toWindowsPath(ORVO_SHIPPED_UNINSTALLER)));
        else
            EXPECT_TRUE(listFiles(target.path(), L"*").empty()) << "nothing may be written";
    }
}

TEST_F(BackgroundWork, ReadOnlyDestinationIsReplaced)
{
    writeFile(dir.file(L"old.dll"), "old contents, longer than the new ones");
    SetFileAttributesW(dir.file(L"old.dll").c_str(), FILE_ATTRIBUTE_READONLY);
    runUi("local r = extractFile('bin/app.dll', " + luaLong(dir.file(L"old.dll")) + ")\n" + finishing("tostring(r)"));
    ASSERT_TRUE(waitForWorker());
    EXPECT_EQ(out(), "true");
    EXPECT_EQ(readFile(dir.file(L"old.dll")), "app bytes");
    EXPECT_FALSE(GetFileAttributesW(dir.file(L"old.dll").c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST_F(BackgroundWork, MissingDestinationFolderIsFalse)
{
    runUi("local r, why = extractFile('bin/app.dll', " + luaLong(dir.file(L"nowhere\\app.dll")) + ")\n" +
          finishing("tostring(r) .. ' ' .. tostring(why)"));
    ASSERT_TRUE(waitForWorker());
    EXPECT_EQ(out(), "false unwritable");
    EXPECT_FALSE(exists(dir.file(L"nowhere")));
}

TEST_F(BackgroundWork, ConfigurationArrivesAsTheGlobalConfig)
{
    runUi(finishing("type(config) .. ' ' .. config.dir .. ' ' .. config.n"), "{dir=[[D:\\安装\\]], n=3}");
    ASSERT_TRUE(waitForWorker());
    EXPECT_EQ(out(), "table D:\\安装\\ 3");
}

TEST_F(BackgroundWork, BadConfigurationLeavesConfigUnsetSilently)
{
    runUi(finishing("tostring(config)"), "{dir=[[D:\\]]");
    ASSERT_TRUE(waitForWorker());
    EXPECT_EQ(out(), "nil");
    EXPECT_TRUE(capture.boxes().empty());
}

TEST_F(BackgroundWork, EmptyConfigurationSetsNothing)
{
    runUi(finishing("tostring(config)"));
    ASSERT_TRUE(waitForWorker());
    EXPECT_EQ(out(), "nil");
}

TEST_F(BackgroundWork, WorkerStateHasTheSystemApiButNoUiFunctions)
{
    runUi(finishing("type(fileExists) .. type(getTempFolder) .. type(startWork) .. type(createWindow)"));
    ASSERT_TRUE(waitForWorker());
    EXPECT_EQ(out(), "functionfunctionnilnil");
}

TEST_F(BackgroundWork, WorkerStateLoadsNoCodeFromDisk)
{
    runUi(finishing("type(package.loadlib) .. '|' .. package.cpath .. '|' .. package.path .. '|' .. #package.searchers"));
    ASSERT_TRUE(waitForWorker());
    EXPECT_EQ(out(), "nil|||1");
}

// A worker that fails shows nothing from its own thread: its last notification tells the UI why,
// and the UI shows the one box.
TEST_F(BackgroundWork, WorkerScriptErrorEndsWithTheErrorInItsLastNotification)
{
    listen();
    runUi("-- worker\nnotifyMessage('{code=1}')\nlocal n = nil\nreturn n.field\n");
    ASSERT_TRUE(pumpUntil([this] { return texts.size() >= 2; }));
    SRService::stop();   // joins the worker
    EXPECT_TRUE(capture.boxes().empty());
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1].rfind("{code=11,error=[[[string \"-- worker...\"]:4:", 0), 0u) << texts[1];
}

TEST_F(BackgroundWork, MissingScriptOrPackageEndsTheWorkerWithTheReason)
{
    listen();
    writeFile(dir.file(L"damaged.lz"), "not a package");
    writeFile(dir.file(L"LG.lua"), finishing("'ran'"));
    for (const char* start : {"startWork('absent.lua', 'test.lz', '')", "startWork('LG.lua', 'absent.lz', '')",
                              "startWork('LG.lua', 'damaged.lz', '')"}) {
        texts.clear();
        writeFile(dir.file(L"UI.lua"), start);
        createUiScriptState(&uiScriptState);
        ASSERT_TRUE(runScriptFile(&uiScriptState, L"UI.lua"));
        ASSERT_TRUE(pumpUntil([this] { return !texts.empty(); })) << start;
        EXPECT_EQ(codeOf(texts[0]), 11) << texts[0];
        EXPECT_TRUE(texts[0].find("absent.lua") != std::string::npos || texts[0].find("absent.lz") != std::string::npos ||
                    texts[0].find("damaged.lz") != std::string::npos)
            << texts[0];
    }
    EXPECT_TRUE(capture.boxes().empty());
    EXPECT_FALSE(exists(dir.file(L"done")));
}

// The unattended face: the UI script answers the worker with no window, and waitForWork returns
// once the worker has ended.
TEST_F(BackgroundWork, WaitForWorkAnswersWithTheScriptsHandlerUntilTheWorkerEnds)
{
    writeFile(dir.file(L"LG.lua"), "local a = notifyMessage('{code=5,file=[[x]]}')\n" +
                                       finishing("tostring(a) .. ',' .. tostring(notifyMessage('{code=4}'))"));
    writeFile(dir.file(L"UI.lua"),
              "local seen = {}\n"
              "assert(startWork('LG.lua', 'test.lz', '') == true)\n"
              "assert(waitForWork(function(text) seen[#seen + 1] = text; return #seen == 1 and 4 or 7 end) == true)\n"
              "local f = assert(io.open(" + luaLong(dir.file(L"seen.txt")) + ", 'wb'))\n"
              "f:write(table.concat(seen, ' ')) f:close()\n");
    createUiScriptState(&uiScriptState);
    ASSERT_TRUE(runScriptFile(&uiScriptState, L"UI.lua"));
    EXPECT_EQ(out(), "4,7");
    EXPECT_EQ(readFile(dir.file(L"seen.txt")), "{code=5,file=[[x]]} {code=4} {code=11,error=[[]]}");
}

TEST_F(BackgroundWork, NotificationAfterTheServiceStoppedAnswersStop)
{
    listen();
    runUi("sleep(500)\n" + finishing("tostring(notifyMessage('{code=2}'))"));
    SRService::stop();   // the UI loop is over; stop waits for the worker
    EXPECT_EQ(out(), "2");
    EXPECT_TRUE(texts.empty());
}

TEST_F(BackgroundWork, NotificationStillQueuedAtStopAnswersStop)
{
    listen();
    std::wstring asking = dir.file(L"asking");
    runUi("assert(io.open(" + luaLong(asking) + ", 'wb')):close()\n" +
          finishing("tostring(notifyMessage('{code=4,position=1,text=[[x]]}'))"));
    // No message is retrieved here, so the task stays queued until stop gives it up.
    for (int i = 0; i < 200 && !exists(asking); ++i)
        Sleep(50);
    ASSERT_TRUE(exists(asking));
    Sleep(300);
    SRService::stop();
    EXPECT_EQ(out(), "2");
    EXPECT_TRUE(texts.empty());
}

TEST_F(BackgroundWork, WithoutTheTaskServiceNoWorkerStarts)
{
    SRService::stop();
    writeFile(dir.file(L"LG.lua"), finishing("'ran'"));
    writeFile(dir.file(L"UI.lua"), "local f = assert(io.open(" + luaLong(dir.file(L"started.txt")) +
                                       ", 'wb'))\nf:write(tostring(startWork('LG.lua', 'test.lz', ''))) f:close()\n");
    createUiScriptState(&uiScriptState);
    ASSERT_TRUE(runScriptFile(&uiScriptState, L"UI.lua"));
    EXPECT_EQ(readFile(dir.file(L"started.txt")), "false") << "the UI script learns it";
    Sleep(500);
    EXPECT_FALSE(exists(dir.file(L"done")));
    EXPECT_TRUE(capture.boxes().empty());
}

TEST_F(BackgroundWork, DecodersAheadGiveTheSameFilesInAnyOrderAndFailOnlyTheDamagedEntry)
{
    EnvironmentOverride decoders(L"ORVO_DECODE_AHEAD", L"2");
    const std::string damaged = "bin/Broken.dll";
    std::map<std::string, std::string> files;
    unsigned seed = 1;
    for (const char* name : {"Alpha.dll", "Zeta.exe", "bin/app.exe", "bin/Broken.dll", "bin/sub/Deep.txt",
                             "data/noise.bin", "empty.txt", "readme.txt", "Skin/Logo.png", "skin_extra.xml"}) {
        std::string n = name;
        size_t size = n == "empty.txt" ? 0 : 40000 + 30011 * (seed % 7);
        files[n] = payloadBytes(size, seed++, n == "data/noise.bin" || n == "Skin/Logo.png");
    }
    ASSERT_TRUE(writeFile(dir.file(L"ahead.lz"), packImage(files, damaged)));

    std::vector<std::string> inOrder;
    for (const auto& file : files)
        inOrder.push_back(file.first);
    std::vector<std::string> reversed(inOrder.rbegin(), inOrder.rend());
    std::vector<std::string> shuffled = inOrder;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
    std::vector<std::string> repeated, withMissing;
    for (const std::string& name : inOrder) {
        repeated.insert(repeated.end(), {name, name});
        withMissing.insert(withMissing.end(), {name, name + ".old", "ALPHA.DLL", "bin\\sub\\Deep.txt"});
    }
    const std::vector<std::vector<std::string>> orders = {inOrder, reversed, shuffled, repeated, withMissing};

    // every order extracts into a folder of its own, entry names flattened with "_"
    std::string script = "local root = " + luaLong(dir.path()) + "\nlocal orders = {\n";
    std::string expected;
    for (size_t k = 0; k < orders.size(); ++k) {
        std::string folder = "order" + std::to_string(k) + "\\";
        CreateDirectoryW(dir.file(widen(folder)).c_str(), nullptr);
        script += "{" + luaLong(folder) + ", {";
        for (std::string name : orders[k]) {
            script += luaLong(name) + ",";
            std::replace(name.begin(), name.end(), '\\', '/');
            expected += std::string(files.count(name) && name != damaged ? "true" : "false") + ",";
        }
        script += "}},\n";
    }
    script += "}\nlocal results = {}\n"
              "for _, order in ipairs(orders) do\n"
              "    for _, name in ipairs(order[2]) do\n"
              "        local flat = name:gsub('[/\\\\]', '_')\n"
              "        results[#results + 1] = tostring(extractFile(name, root .. order[1] .. flat))\n"
              "    end\n"
              "end\n" +
              finishing("table.concat(results, ',') .. ','");
    runUi(script, "", "ahead.lz");
    ASSERT_TRUE(waitForWorker());
    EXPECT_EQ(out(), expected);
    for (size_t k = 0; k < orders.size(); ++k) {
        for (const auto& [name, bytes] : files) {
            std::string flat = name;
            std::replace(flat.begin(), flat.end(), '/', '_');
            std::wstring path = dir.file(L"order" + std::to_wstring(k) + L"\\" + widen(flat));
            if (name == damaged)
                EXPECT_FALSE(exists(path)) << "order " << k;
            else
                EXPECT_TRUE(readFile(path) == bytes) << "order " << k << ": " << name;
        }
    }
    EXPECT_TRUE(capture.boxes().empty());
}

// A batch is written several files at a time, but its results come back in the batch's order, one
// call each, with extractFile's answers; a false answer stops the calls, an error comes through.
TEST_F(BackgroundWork, ExtractFilesHandsEveryResultOverInOrderAndStopsWhenTold)
{
    EnvironmentOverride decoders(L"ORVO_DECODE_AHEAD", L"2");
    std::map<std::string, std::string> files;
    for (unsigned i = 0; i < 24; ++i)
        files["f" + std::to_string(i / 10) + std::to_string(i % 10) + ".txt"] = payloadBytes(3000 + 997 * i, i, i % 5 == 0);
    ASSERT_TRUE(writeFile(dir.file(L"batch.lz"), packImage(files, "f07.txt")));
    std::string list;
    for (const auto& file : files)
        list += "{'" + file.first + "', root .. 'all\\\\" + file.first + "'},";
    list += "{'missing.txt', root .. 'all\\\\missing.txt'}, {'f01.txt', root .. 'nowhere\\\\f01.txt'}";
    CreateDirectoryW(dir.file(L"all").c_str(), nullptr);
    CreateDirectoryW(dir.file(L"stop").c_str(), nullptr);
    runUi("local root = " + luaLong(dir.path()) + "\n"
          "local seen = {}\n"
          "local all = extractFiles({" + list + "}, function(i, ok, size, check)\n"
          "    seen[#seen + 1] = i .. (ok and (size == #io.open(root .. 'all\\\\' .. string.format('f%02d.txt', i - 1), 'rb'):read('*a')"
          "        and type(check) == 'number' and '+' or '?') or ':' .. size)\n"
          "end)\n"
          "local calls = 0\n"
          "local stopped = extractFiles({{'f10.txt', root .. 'stop\\\\a'}, {'f11.txt', root .. 'stop\\\\b'},\n"
          "                              {'f12.txt', root .. 'stop\\\\c'}}, function(i) calls = calls + 1; return i < 2 end)\n"
          "local raised, why = pcall(extractFiles, {{'f13.txt', root .. 'stop\\\\d'}}, function() error('from the script') end)\n" +
          finishing("tostring(all) .. ' ' .. table.concat(seen, ',') .. ' ' .. tostring(stopped) .. calls .. ' ' .. "
                    "tostring(raised) .. ' ' .. tostring(why)"),
          "", "batch.lz");
    ASSERT_TRUE(waitForWorker());
    std::string expected = "true ";
    for (unsigned i = 1; i <= 24; ++i)
        expected += std::to_string(i) + (i == 8 ? ":damaged," : "+,");
    expected += "25:damaged,26:unwritable false2 false [string \"?\"]:1: from the script";
    // the error's place names the chunk as the runner loaded it: compare up to it
    std::string got = out();
    EXPECT_EQ(got.substr(0, got.find(" false [")), expected.substr(0, expected.find(" false [")));
    EXPECT_NE(got.find("from the script"), std::string::npos) << got;
    for (const auto& [name, bytes] : files)
        if (name != "f07.txt")
            EXPECT_TRUE(readFile(dir.file(L"all\\" + widen(name))) == bytes) << name;
    EXPECT_FALSE(exists(dir.file(L"all\\f07.txt")));
    EXPECT_FALSE(exists(dir.file(L"nowhere")));
    EXPECT_TRUE(capture.boxes().empty());
}

TEST(NotifyRunable, RefusedTaskAnswersStopAtOnce)
{
    auto task = std::make_shared<LuaWork::NotifyRunable>("{code=1}");
    EXPECT_EQ(SRService::post(task), -1);
    EXPECT_EQ(task->waitForAnswer(), LuaWork::kStopAnswer);
}

TEST(NotifyRunable, TaskDiscardedAtStopAnswersStop)
{
    ASSERT_TRUE(SRService::start());
    auto task = std::make_shared<LuaWork::NotifyRunable>("{code=1}");
    EXPECT_EQ(SRService::post(task), 0);
    SRService::stop();
    EXPECT_EQ(task->waitForAnswer(), LuaWork::kStopAnswer);
}

TEST(NotifyRunable, RunWithoutAToolkitAnswersZero)
{
    LuaWork::NotifyRunable task("{code=1}");
    task.run();
    EXPECT_EQ(task.waitForAnswer(), 0);
}

TEST(BackgroundWorkProcess, WorkerStillRunningWhenTheUiScriptEndsKeepsTheProcessAlive)
{
    TempDir dir;
    PackageWriter writer(-1);
    std::string error;
    ASSERT_TRUE(writer.add(u"a.txt", reinterpret_cast<const uint8_t*>("a"), 1, &error)) << error;
    std::vector<uint8_t> image = writer.finish();
    ASSERT_TRUE(writeFile(dir.file(L"test.lz"), std::string(image.begin(), image.end())));
    writeFile(dir.file(L"UI.lua"), "startWork('LG.lua', 'test.lz', '')\n"
                                   "assert(io.open(" + luaLong(dir.file(L"ui-ended")) + ", 'wb')):close()\n");
    // Nobody answers any more when it asks: the UI script has ended and the service is stopping.
    writeFile(dir.file(L"LG.lua"), "sleep(1500)\n"
                                   "local answer = notifyMessage('{code=2}')\n"
                                   "local f = assert(io.open(" + luaLong(dir.file(L"worker-ended")) + ", 'wb'))\n"
                                   "f:write(tostring(answer))\nf:close()\n");

    EXPECT_EQ(runDevelopmentRunner(dir), 0u);
    EXPECT_TRUE(exists(dir.file(L"ui-ended")));
    EXPECT_EQ(readFile(dir.file(L"worker-ended")), "2") << "the worker finished before the process exited";
}

TEST(BackgroundWorkProcess, WorkerToldToStopEndsItsDecodersAndTheProcessExits)
{
    TempDir dir;
    EnvironmentOverride decoders(L"ORVO_DECODE_AHEAD", L"2");   // inherited by orvo-run
    std::map<std::string, std::string> files;
    for (unsigned i = 0; i < 8; ++i)
        files["part" + std::to_string(i) + ".bin"] = payloadBytes(3u << 19, i, false);   // several decoding slices
    ASSERT_TRUE(writeFile(dir.file(L"test.lz"), packImage(files)));
    writeFile(dir.file(L"UI.lua"), "startWork('LG.lua', 'test.lz', '')\n");
    // The worker extracts one file and asks about a second; with the UI script over, the answer is
    // 2 (stop) while the decoders are busy with the entries after it.
    writeFile(dir.file(L"LG.lua"),
              "local first = extractFile('part0.bin', " + luaLong(dir.file(L"part0.bin")) + ")\n"
              "local answer = notifyMessage('{code=5,file=[[part1.bin]]}')\n"
              "local f = assert(io.open(" + luaLong(dir.file(L"worker-ended")) + ", 'wb'))\n"
              "f:write(tostring(first), ' ', tostring(answer))\nf:close()\n"
              "if answer == 2 then return end\n"
              "extractFile('part1.bin', " + luaLong(dir.file(L"part1.bin")) + ")\n");

    EXPECT_EQ(runDevelopmentRunner(dir), 0u);
    EXPECT_EQ(readFile(dir.file(L"worker-ended")), "true 2");
    EXPECT_TRUE(readFile(dir.file(L"part0.bin")) == files["part0.bin"]);
    EXPECT_FALSE(exists(dir.file(L"part1.bin")));
}
