// The Lua test runner: a LocalFileSystem over the script folder, the real state, and `T`.
#include "LuaTestRunner.h"

#include <FileSystem.h>
#include <ScriptState.h>
#include <SystemShutdown.h>

#include <gtest/gtest.h>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

namespace testing_support {

namespace {

// No test may restart the machine: programs that run scripts refuse the restart unless a test
// installs calls of its own.
BOOL refuseRestart(UINT, DWORD)
{
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}
const bool restartRefused = (setSystemShutdownCalls({nullptr, refuseRestart}), true);

LuaTestResult* current = nullptr;   // not owned; the run in progress
std::map<DWORD, HANDLE> spawned;    // helper processes started by the script

std::string describe(lua_State* L, int index)
{
    if (lua_isnoneornil(L, index))
        return "nil";
    if (lua_type(L, index) == LUA_TSTRING)
        return "\"" + std::string(lua_tostring(L, index)) + "\"";
    lua_getglobal(L, "tostring");
    lua_pushvalue(L, index);
    lua_call(L, 1, 1);
    std::string text = lua_tostring(L, -1) ? lua_tostring(L, -1) : "?";
    lua_pop(L, 1);
    return text;
}

int check(lua_State* L)
{
    if (!lua_toboolean(L, 1))
        current->failures.push_back(luaL_optstring(L, 2, "check failed"));
    return 0;
}

int eq(lua_State* L)
{
    bool same = lua_type(L, 1) == lua_type(L, 2) && lua_rawequal(L, 1, 2);
    if (!same)
        current->failures.push_back(std::string(luaL_optstring(L, 3, "eq")) + ": got " + describe(L, 1) +
                                    ", expected " + describe(L, 2));
    return 0;
}

int record(lua_State* L)
{
    current->recorded[luaL_checkstring(L, 1)] = describe(L, 2);
    return 0;
}

int spawn(lua_State* L)
{
    std::wstring exe = widen(luaL_checkstring(L, 1));
    std::wstring commandLine = L"\"" + exe + L"\" " + widen(luaL_optstring(L, 2, ""));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return 0;
    CloseHandle(info.hThread);
    spawned[info.dwProcessId] = info.hProcess;
    lua_pushnumber(L, info.dwProcessId);
    return 1;
}

int exitCode(lua_State* L)
{
    auto found = spawned.find(DWORD(luaL_checkinteger(L, 1)));
    if (found == spawned.end())
        return 0;
    if (WaitForSingleObject(found->second, DWORD(luaL_optinteger(L, 2, 0))) != WAIT_OBJECT_0)
        return 0;
    DWORD code = 0;
    GetExitCodeProcess(found->second, &code);
    lua_pushnumber(L, code);
    return 1;
}

int setReadOnly(lua_State* L)
{
    std::wstring path = widen(luaL_checkstring(L, 1));
    SetFileAttributesW(path.c_str(), GetFileAttributesW(path.c_str()) | FILE_ATTRIBUTE_READONLY);
    return 0;
}

int isReadOnly(lua_State* L)
{
    DWORD attributes = GetFileAttributesW(widen(luaL_checkstring(L, 1)).c_str());
    lua_pushboolean(L, attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY));
    return 1;
}

void stopSpawned()
{
    for (auto& [pid, process] : spawned) {
        if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT)
            TerminateProcess(process, 1);
        CloseHandle(process);
    }
    spawned.clear();
}

} // namespace

std::wstring windowsPathOf(const char* unixPath)
{
    std::wstring path = L"Z:" + widen(unixPath);
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

std::wstring helperProgram()
{
    return windowsPathOf(ORVO_TEST_HELPER);
}

LuaTestResult runLuaTest(const std::wstring& script, const TempDir& dir, const std::map<std::string, std::string>& values)
{
    LuaTestResult result;
    current = &result;
    MessageBoxCapture capture;
    {
        LocalFileSystem files(windowsPathOf(ORVO_TEST_LUA_DIR) + L"\\");
        createUiScriptState(&uiScriptState);
        lua_State* L = uiScriptState;
        const luaL_Reg functions[] = {
            {"check", check}, {"eq", eq}, {"record", record}, {"spawn", spawn}, {"exitCode", exitCode},
            {"setReadOnly", setReadOnly}, {"isReadOnly", isReadOnly}, {nullptr, nullptr},
        };
        luaL_newlib(L, functions);
        lua_pushstring(L, narrow(dir.path()).c_str());
        lua_setfield(L, -2, "dir");
        lua_pushstring(L, narrow(helperProgram()).c_str());
        lua_setfield(L, -2, "helper");
        for (const auto& [name, value] : values) {
            lua_pushstring(L, value.c_str());
            lua_setfield(L, -2, name.c_str());
        }
        lua_setglobal(L, "T");
        result.ran = runScriptFile(&uiScriptState, script.c_str());
    }
    stopSpawned();
    result.boxes = capture.boxes();
    current = nullptr;
    return result;
}

void expectClean(const LuaTestResult& result)
{
    EXPECT_TRUE(result.ran) << "the script did not reach its end";
    for (const std::string& failure : result.failures)
        ADD_FAILURE() << failure;
    for (const auto& box : result.boxes)
        ADD_FAILURE() << "unexpected box \"" << narrow(box.title) << "\": " << narrow(box.text);
}

} // namespace testing_support
