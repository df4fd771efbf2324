// The shipped worker script over the shipped payload: every step, every notification and every
// file, into a folder whose name holds the closing brackets of long strings.
#include <BackgroundWork.h>
#include <FileSystem.h>
#include <SRService.h>
#include <ScriptState.h>
#include <Toolkit.h>
#include <platform/Handle.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <map>
#include <memory>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

using namespace testing_support;

namespace {

// The fields of a notification text, read the way the UI script reads it: "return " + text.
struct Notification {
    bool parsed = false;
    int code = -1;
    int position = 0, range = 0;
    std::string text, file, error;
};

Notification evaluate(const std::string& source)
{
    Notification n;
    lua_State* L = luaL_newstate();
    if (luaL_loadstring(L, ("return " + source).c_str()) == LUA_OK && lua_pcall(L, 0, 1, 0) == LUA_OK &&
        lua_istable(L, -1)) {
        n.parsed = true;
        auto integer = [&](const char* name) {
            lua_getfield(L, -1, name);
            int value = int(lua_tointeger(L, -1));
            lua_pop(L, 1);
            return value;
        };
        auto string = [&](const char* name) {
            lua_getfield(L, -1, name);
            std::string value = lua_isstring(L, -1) ? lua_tostring(L, -1) : "";
            lua_pop(L, 1);
            return value;
        };
        n.code = integer("code");
        n.position = integer("position");
        n.range = integer("range");
        n.text = string("text");
        n.file = string("file");
        n.error = string("error");
    }
    lua_close(L);
    return n;
}

// Every file below `root`, by relative path with backslashes.
void listTree(const std::wstring& root, const std::wstring& relative, std::map<std::wstring, std::string>& out)
{
    WIN32_FIND_DATAW data;
    platform::FindHandle find(FindFirstFileW((root + relative + L"*").c_str(), &data));
    if (!find)
        return;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            listTree(root, relative + name + L"\\", out);
        else
            out[relative + name] = readFile(root + relative + name);
    } while (FindNextFileW(find.get(), &data));
}

std::wstring windowsPath(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return L"Z:" + widen(path);
}

class ShippedWorker : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CopyFileW(windowsPath(ORVO_SHIPPED_WORKER).c_str(), dir.file(L"LG.lua").c_str(), FALSE));
        ASSERT_TRUE(CopyFileW(windowsPath(ORVO_SHIPPED_PAYLOAD).c_str(), dir.file(L"program.lz").c_str(), FALSE));
        files = std::make_unique<LocalFileSystem>(dir.path());
        // this test is no installer: the uninstaller is written from the shipped one
        LuaWork::setUninstallerSource(windowsPath(ORVO_SHIPPED_INSTALLER));
        ASSERT_TRUE(SRService::start());
        ASSERT_TRUE(Toolkit::start());
        ASSERT_TRUE(Toolkit::addGlobalHandler(EventCode::WorkerNotification, this, onNotification));
    }
    void TearDown() override
    {
        Toolkit::shutdown();
        SRService::stop();
        files.reset();
        LuaWork::setUninstallerSource({});
    }

    static void onNotification(void* target, Control*, ControlEvent* event)
    {
        auto* self = static_cast<ShippedWorker*>(target);
        std::string source = reinterpret_cast<const char*>(event->wparam);
        Notification n = evaluate(source);
        self->seen.push_back(n);
        event->lparam = 1;
        if (!n.parsed) {
            ADD_FAILURE() << "not a table: " << source;
            event->lparam = 2;
        } else if (n.code == 5) {
            // the locked file: let it go, then retry once
            ++self->retries;
            self->locked.reset();
            event->lparam = 4;
        }
    }

    TempDir dir;
    std::unique_ptr<LocalFileSystem> files;
    MessageBoxCapture capture;
    std::vector<Notification> seen;
    platform::UniqueHandle locked;
    int retries = 0;
};

// The shipped payload (in solid blocks) and the same files packed one by one must install the same.
class ShippedWorkerPackages : public ShippedWorker, public ::testing::WithParamInterface<const char*> {};

} // namespace

INSTANTIATE_TEST_SUITE_P(SolidAndPerFile, ShippedWorkerPackages,
                         ::testing::Values(ORVO_SHIPPED_PAYLOAD, ORVO_PERFILE_PAYLOAD));

TEST_P(ShippedWorkerPackages, InstallsEveryFileAndReportsEveryStep)
{
    ASSERT_TRUE(CopyFileW(windowsPath(GetParam()).c_str(), dir.file(L"program.lz").c_str(), FALSE));
    // long strings of level 0 and 1 would both end inside this name
    const std::wstring target = dir.file(L"安装 ]] 目录 ]=] x\\");
    ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
    // a file of the payload held open without sharing: its extraction fails until it is let go
    locked.reset(CreateFileW((target + L"licence.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(locked);

    std::string folder = narrow(target);
    writeFile(dir.file(L"UI.lua"),
              "startWork('LG.lua', 'program.lz', [====[{installPath=[===[" + folder + "]===]}]====])\n");
    createUiScriptState(&uiScriptState);
    ASSERT_TRUE(runScriptFile(&uiScriptState, L"UI.lua"));
    ASSERT_TRUE(pumpMessagesUntil([&] { return !seen.empty() && seen.back().code == 11; }, 60000))
        << seen.size() << " notifications";
    EXPECT_TRUE(capture.boxes().empty());
    // done, then the worker's own end, with no error: it ran to its end
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[seen.size() - 2].code, 2);
    EXPECT_EQ(seen.back().error, "");

    // the protocol: started, the range, one step per operation plus the two registrations, done
    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ(seen[0].code, 1);
    EXPECT_EQ(seen[1].code, 3);
    EXPECT_EQ(seen[1].range, 234);
    // progress is posted at most every few milliseconds: positions only grow, and the last one
    // reaches the end of the range
    int position = 0;
    for (const Notification& n : seen) {
        if (n.code == 4) {
            EXPECT_GT(n.position, position) << n.text;
            position = n.position;
        }
    }
    EXPECT_EQ(position, 234);
    EXPECT_EQ(retries, 1);
    auto lockedReport = std::find_if(seen.begin(), seen.end(), [](const Notification& n) { return n.code == 5; });
    ASSERT_NE(lockedReport, seen.end());
    EXPECT_EQ(lockedReport->file, folder + "licence.txt") << "the path survives the quoting";

    // every file of the payload folder, byte for byte, and the uninstaller written from the
    // installer exactly as the build made it
    std::map<std::wstring, std::string> expected, installed;
    listTree(windowsPath(ORVO_PAYLOAD_FOLDER) + L"\\", L"", expected);
    listTree(target, L"", installed);
    EXPECT_EQ(expected.size(), 218u);
    // beside them the install journal, and no copy of the replaced file is left
    EXPECT_EQ(installed.erase(L"unins000.dat"), 1u);
    EXPECT_TRUE(installed == expected) << installed.size() << " files installed";

    // regsvr32 ran the capture filter's own registration
    wchar_t server[MAX_PATH] = {};
    DWORD size = sizeof server;
    EXPECT_EQ(RegGetValueW(HKEY_CLASSES_ROOT, L"CLSID\\{6B1C3D7E-2F4A-4B8E-9C21-5D7E8F903A11}\\InprocServer32", nullptr,
                           RRF_RT_REG_SZ, nullptr, server, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(_wcsicmp(server, (target + L"Nubelo.ax").c_str()), 0) << narrow(server);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, L"CLSID\\{6B1C3D7E-2F4A-4B8E-9C21-5D7E8F903A11}");
}

// Payload names ending in "]" (which a closing long bracket right after them would complete)
// reach the worker's steps, its notifications and the disk intact.
TEST_F(ShippedWorker, PayloadNamesEndingInABracketInstall)
{
    ASSERT_TRUE(CopyFileW(windowsPath(ORVO_BRACKET_WORKER).c_str(), dir.file(L"LG.lua").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(windowsPath(ORVO_BRACKET_PAYLOAD).c_str(), dir.file(L"program.lz").c_str(), FALSE));
    const std::wstring target = dir.file(L"target]\\");
    std::string folder = narrow(target);
    writeFile(dir.file(L"UI.lua"), "startWork('LG.lua', 'program.lz', [====[{installPath=[===[" + folder + "]===]}]====])\n");
    createUiScriptState(&uiScriptState);
    ASSERT_TRUE(runScriptFile(&uiScriptState, L"UI.lua"));
    ASSERT_TRUE(pumpMessagesUntil([&] { return !seen.empty() && (seen.back().code == 2 || seen.back().code == 6); }, 30000))
        << seen.size() << " notifications";
    EXPECT_TRUE(capture.boxes().empty());
    EXPECT_EQ(seen.back().code, 2);
    std::vector<std::string> texts;
    for (const Notification& n : seen)
        if (n.code == 4)
            texts.push_back(n.text);
    // steps within a few milliseconds of each other are reported by the last of them only; every
    // text that arrived was read back whole (onNotification fails on any that is not a table)
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), "注册Nubelo.ax...");

    std::map<std::wstring, std::string> expected, installed;
    listTree(windowsPath(ORVO_BRACKET_FOLDER) + L"\\", L"", expected);
    listTree(target, L"", installed);
    EXPECT_EQ(expected.size(), 2u);
    EXPECT_EQ(installed.erase(L"unins000.dat"), 1u) << "no install journal";
    EXPECT_TRUE(installed == expected) << installed.size() << " files installed";
}
