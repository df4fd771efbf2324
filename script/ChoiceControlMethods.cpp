// The script methods of list boxes, combo boxes and sliders; each does nothing for a control that is gone.
#include "ChoiceControlMethods.h"

#include "ScriptConvert.h"
#include "ScriptRegistry.h"
#include "SystemFunctions.h"

#include <Control.h>

#include <algorithm>
#include <cstdint>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

namespace {

using sysapi::guarded;

template <class T>
T* selfAs(lua_State* L)
{
    return dynamic_cast<T*>(controlFromSelf(L));
}

int addItem(lua_State* L)
{
    if (auto* list = selfAs<ItemList>(L))
        list->appendItem(scriptStringArg(L, 2));
    return 0;
}

int getValue(lua_State* L)
{
    PickedValue* slider = selfAs<PickedValue>(L);
    if (!slider)
        return 0;
    pushScriptInteger(L, slider->pickedValue());
    return 1;
}

int setValue(lua_State* L)
{
    if (PickedValue* slider = selfAs<PickedValue>(L))
        slider->pickValue(int32_t(std::clamp<int64_t>(scriptIntegerArg(L, 2), INT32_MIN, INT32_MAX)));
    return 0;
}

const luaL_Reg itemMethods[] = {
    {"addItem", guarded<addItem>},
    {nullptr, nullptr},
};

const luaL_Reg sliderMethods[] = {
    {"getValue", guarded<getValue>},
    {"setValue", guarded<setValue>},
    {nullptr, nullptr},
};

} // namespace

void setChoiceControlMethods(lua_State* L, Control* control)
{
    if (dynamic_cast<ItemList*>(control))
        luaL_setfuncs(L, itemMethods, 0);
    else if (dynamic_cast<PickedValue*>(control))
        luaL_setfuncs(L, sliderMethods, 0);
}
