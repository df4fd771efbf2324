// UI script state creation and the protected run of a script file.
#include "ScriptState.h"

#include "BackgroundWork.h"
#include "ScriptConvert.h"
#include "SystemApi.h"

#include <FileSystem.h>
#include <MessageBox.h>

#include <windows.h>

#include <string>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

lua_State* uiScriptState = nullptr;

namespace {

constexpr wchar_t kErrorTitle[] = L"错误";

} // namespace

int createUiScriptState(lua_State** state)
{
    lua_State* L = luaL_newstate();
    luaL_openlibs(L);
    registerSystemApi(L);
    LuaWork::registerStartWork(L);
    *state = L;
    return 1;
}

bool runScriptFile(lua_State** state, const wchar_t* name)
{
    lua_State* L = *state;
    if (!L)
        return false;
    bool ok = false;
    FileSystem* files = currentFileSystem();
    uint64_t size = 0;
    void* text = files ? files->readFile(name, &size) : nullptr;
    if (!text) {
        // The script is part of the installer; its absence is reported like any script failure.
        std::wstring message = L"无法读取脚本文件 " + std::wstring(name ? name : L"");
        showMessageBox(nullptr, message.c_str(), kErrorTitle, MB_OK);
    } else {
        int top = lua_gettop(L);
        // The buffer ends in zero bytes, so it is a string chunk as it stands; the chunk is named by
        // its text, and error positions read as the library's usual string-chunk form.
        if (luaL_loadstring(L, static_cast<const char*>(text)) == LUA_OK && lua_pcall(L, 0, LUA_MULTRET, 0) == LUA_OK) {
            ok = true;
        } else {
            std::wstring message = utf8ToWide(lua_tostring(L, -1));
            showMessageBox(nullptr, message.c_str(), kErrorTitle, MB_OK);
        }
        lua_settop(L, top);
        files->freeData(text);
    }
    lua_close(L);
    *state = nullptr;
    return ok;
}
