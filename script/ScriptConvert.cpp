// Argument reading and pushing shared by every binding.
#include "ScriptConvert.h"

#include <cmath>
#include <limits>

extern "C" {
#include <lua.h>
}

std::wstring scriptStringArg(lua_State* L, int index)
{
    // lua_tostring turns a number argument into its text in place, which is the library's own rule.
    if (lua_type(L, index) != LUA_TSTRING && lua_type(L, index) != LUA_TNUMBER)
        return {};
    return utf8ToWide(lua_tostring(L, index));
}

int64_t scriptIntegerArg(lua_State* L, int index)
{
    int isNumber = 0;
    lua_Number n = lua_tonumberx(L, index, &isNumber);
    if (!isNumber || std::isnan(n))
        return 0;
    // A plain cast of an out-of-range double is undefined; saturate instead.
    if (n >= 9223372036854775808.0)
        return std::numeric_limits<int64_t>::max();
    if (n < -9223372036854775808.0)
        return std::numeric_limits<int64_t>::min();
    return int64_t(n);
}

bool scriptBooleanArg(lua_State* L, int index)
{
    return lua_toboolean(L, index) != 0;
}

void pushScriptString(lua_State* L, const std::wstring& text)
{
    std::string utf8 = wideToUtf8(text);
    lua_pushlstring(L, utf8.data(), utf8.size());
}

void pushScriptInteger(lua_State* L, int64_t value)
{
    lua_pushnumber(L, lua_Number(value));
}
