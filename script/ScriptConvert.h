// Strings and values across the script boundary: UTF-8 in scripts, UTF-16 in native code.
#pragma once

#include <platform/Utf.h>

#include <cstdint>
#include <string>

struct lua_State;

// A string argument: the library's string conversion (numbers become their decimal text), then
// UTF-16 up to the first NUL. A missing or non-string argument is the empty string.
std::wstring scriptStringArg(lua_State* L, int index);

// An integer argument: a number or numeric string truncated to a signed 64-bit integer (NaN is 0,
// values beyond the range saturate); anything else is 0.
int64_t scriptIntegerArg(lua_State* L, int index);

// A boolean argument by the library's truth rule: only nil, false and a missing argument are false.
bool scriptBooleanArg(lua_State* L, int index);

// Pushes a wide string as UTF-8; the empty string stays the empty script string.
void pushScriptString(lua_State* L, const std::wstring& text);

// Pushes an integer, handle or event parameter as a script number.
void pushScriptInteger(lua_State* L, int64_t value);
