// Control object methods. Each resolves `self` first and does nothing for a control that is gone.
#include "ControlObject.h"

#include "ScriptBridges.h"
#include "ScriptConvert.h"
#include "ScriptFailure.h"
#include "ScriptRegistry.h"
#include "SystemFunctions.h"

#include <Control.h>
#include <ControlHost.h>
#include <Panel.h>
#include <PropertyKey.h>

#include <algorithm>
#include <cstdint>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

namespace {

// Every method is registered through guarded: a native handler that fails while a method sends
// an event (ValueChange, focus, visibility) must not unwind through the script runtime.
using sysapi::guarded;

int getWindow(lua_State* L)
{
    Control* c = controlFromSelf(L);
    if (!c)
        return 0;
    if (c->window())
        pushWindowObject(L, c->window());
    else
        lua_pushnil(L);
    return 1;
}

template <Control* (Control::*link)() const>
int pushLink(lua_State* L)
{
    Control* c = controlFromSelf(L);
    if (!c)
        return 0;
    pushControlObject(L, (c->*link)());
    return 1;
}

int getEnabled(lua_State* L)
{
    Control* c = controlFromSelf(L);
    if (!c)
        return 0;
    lua_pushboolean(L, c->hasFlags(Flag::enabled));
    return 1;
}

int setEnabled(lua_State* L)
{
    if (Control* c = controlFromSelf(L))
        c->setEnabled(scriptBooleanArg(L, 2));
    return 0;
}

int setVisible(lua_State* L)
{
    if (Control* c = controlFromSelf(L))
        c->setVisible(scriptBooleanArg(L, 2));
    return 0;
}

int getVisible(lua_State* L)
{
    Control* c = controlFromSelf(L);
    if (!c)
        return 0;
    lua_pushboolean(L, c->hasFlags(Flag::visible));
    return 1;
}

int setFocus(lua_State* L)
{
    Control* c = controlFromSelf(L);
    if (c && c->window())
        c->window()->setFocus(c);
    return 0;
}

int setStyle(lua_State* L)
{
    if (Control* c = controlFromSelf(L)) {
        c->textProperties.set(PropertyKey::style, scriptStringArg(L, 2));
        c->invalidate();
    }
    return 0;
}

int repaint(lua_State* L)
{
    if (Control* c = controlFromSelf(L))
        c->invalidate();
    return 0;
}

// Calls the registry function `name` (lua_addHandler or lua_removeHandler) with the dispatcher
// of self, the code and the function; true when it answered with a true value.
bool changeHandlerList(lua_State* L, const char* name, int32_t code)
{
    lua_settop(L, 3);
    pushControlDispatcher(L, 1);
    if (!lua_istable(L, -1))
        return false;
    lua_pushinteger(L, code);
    lua_pushvalue(L, 3);
    pushRawGlobal(L, name);
    lua_insert(L, -4);
    callScriptProtected(L, 3, 1);
    return lua_toboolean(L, -1);
}

int addHandler(lua_State* L)
{
    Control* c = controlFromSelf(L);
    // only functions can be called when the event comes
    if (!c || !lua_isfunction(L, 3))
        return 0;
    int32_t code = int32_t(scriptIntegerArg(L, 2));
    // the list of this code was created just now: the control's first script handler for it
    if (changeHandlerList(L, "lua_addHandler", code))
        c->addHandler(code, c, scriptEventBridge);
    return 0;
}

int removeHandler(lua_State* L)
{
    Control* c = controlFromSelf(L);
    if (!c)
        return 0;
    int32_t code = int32_t(scriptIntegerArg(L, 2));
    // no list of this code remains
    if (changeHandlerList(L, "lua_removeHandler", code))
        c->removeHandler(code, c, scriptEventBridge);
    return 0;
}

int getName(lua_State* L)
{
    Control* c = controlFromSelf(L);
    pushScriptString(L, c ? c->className() : L"nil");
    return 1;
}

int setText(lua_State* L)
{
    if (Control* c = controlFromSelf(L))
        c->setTextProperty(scriptStringArg(L, 2));
    return 0;
}

int getText(lua_State* L)
{
    Control* c = controlFromSelf(L);
    if (!c)
        return 0;
    const std::wstring* text = c->textProperties.get(PropertyKey::text);
    pushScriptString(L, text ? *text : std::wstring());
    return 1;
}

int setToolTip(lua_State* L)
{
    if (Control* c = controlFromSelf(L))
        c->textProperties.set(PropertyKey::tooltip, scriptStringArg(L, 2));
    return 0;
}

int setColor(lua_State* L)
{
    if (Control* c = controlFromSelf(L)) {
        c->intProperties.set(PropertyKey::color, int32_t(scriptIntegerArg(L, 2)));
        c->invalidate();
    }
    return 0;
}

// Bit numbers wrap at 32: the script sees the low half of the flag word.
uint64_t flagBit(lua_State* L)
{
    return uint64_t(1) << (uint64_t(scriptIntegerArg(L, 2)) % 32);
}

int writeFlag(lua_State* L)
{
    if (Control* c = controlFromSelf(L)) {
        uint64_t bit = flagBit(L);
        // the bits the toolkit keeps in step with the window and with object lifetime are refused
        c->writeFlags(bit, scriptBooleanArg(L, 3));
    }
    return 0;
}

int readFlag(lua_State* L)
{
    Control* c = controlFromSelf(L);
    if (!c)
        return 0;
    lua_pushboolean(L, (c->flags() & flagBit(L)) != 0);
    return 1;
}

// Panel family: the child list.
Panel* panelFromSelf(lua_State* L)
{
    Control* c = controlFromSelf(L);
    return c && c->hasFlags(Flag::container) ? dynamic_cast<Panel*>(c) : nullptr;
}

int getFirstChild(lua_State* L)
{
    Panel* p = panelFromSelf(L);
    if (!p)
        return 0;
    pushControlObject(L, p->firstChild());
    return 1;
}

int getLastChild(lua_State* L)
{
    Panel* p = panelFromSelf(L);
    if (!p)
        return 0;
    pushControlObject(L, p->lastChild());
    return 1;
}

int getChild(lua_State* L)
{
    Panel* p = panelFromSelf(L);
    if (!p)
        return 0;
    // Clamped rather than cut to 32 bits: 2^32 must stay past the end, not wrap to the first child.
    int64_t index = std::clamp<int64_t>(scriptIntegerArg(L, 2), INT32_MIN, INT32_MAX);
    pushControlObject(L, p->childAt(int32_t(index)));
    return 1;
}

// Button family: the checked state.
int setCheck(lua_State* L)
{
    if (Control* c = controlFromSelf(L))
        c->setChecked(scriptBooleanArg(L, 2));
    return 0;
}

int getCheck(lua_State* L)
{
    Control* c = controlFromSelf(L);
    if (!c)
        return 0;
    lua_pushboolean(L, c->hasFlags(Flag::checked));
    return 1;
}

// The faces a control kind offers beyond the common methods (ControlKind.h).
template <class Face>
Face* selfAs(lua_State* L)
{
    return dynamic_cast<Face*>(controlFromSelf(L));
}

// A text box or an edit keeps its text itself (bounded, with its caret), not in the `text` property.
int ownSetText(lua_State* L)
{
    if (auto* own = selfAs<OwnText>(L))
        own->setOwnText(scriptStringArg(L, 2));
    return 0;
}

int ownGetText(lua_State* L)
{
    auto* own = selfAs<OwnText>(L);
    if (!own)
        return 0;
    pushScriptString(L, own->ownText());
    return 1;
}

// Progress counts beyond 32 bits saturate rather than wrap to a different sign.
int32_t int32Arg(lua_State* L, int index)
{
    return int32_t(std::clamp<int64_t>(scriptIntegerArg(L, index), INT32_MIN, INT32_MAX));
}

int progressSetRange(lua_State* L)
{
    if (auto* bar = selfAs<FillLevel>(L))
        bar->setFillRange(int32Arg(L, 2));
    return 0;
}

int progressSetPosition(lua_State* L)
{
    if (auto* bar = selfAs<FillLevel>(L))
        bar->setFillPosition(int32Arg(L, 2));
    return 0;
}

// List boxes and combo boxes: items of text.
int addItem(lua_State* L)
{
    if (auto* list = selfAs<ItemList>(L))
        list->appendItem(scriptStringArg(L, 2));
    return 0;
}

// Sliders: the value 0 … 100 (setValue limits it; ValueChange when it changes).
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
        slider->pickValue(int32Arg(L, 2));
    return 0;
}

int playStart(lua_State* L)
{
    if (auto* show = selfAs<SlidePlayer>(L))
        show->startShow();
    return 0;
}

int playStop(lua_State* L)
{
    if (auto* show = selfAs<SlidePlayer>(L))
        show->stopShow();
    return 0;
}

const luaL_Reg commonMethods[] = {
    {"getWindow", guarded<getWindow>},
    {"getParent", guarded<pushLink<&Control::parent>>},
    {"getPrevious", guarded<pushLink<&Control::previousSibling>>},
    {"getNext", guarded<pushLink<&Control::nextSibling>>},
    {"getEnabled", guarded<getEnabled>},
    {"setEnabled", guarded<setEnabled>},
    {"setVisible", guarded<setVisible>},
    {"getVisible", guarded<getVisible>},
    {"setFocus", guarded<setFocus>},
    {"setStyle", guarded<setStyle>},
    {"repaint", guarded<repaint>},
    {"addHandler", guarded<addHandler>},
    {"removeHandler", guarded<removeHandler>},
    {"getName", guarded<getName>},
    {"setText", guarded<setText>},
    {"getText", guarded<getText>},
    {"setToolTip", guarded<setToolTip>},
    {"setColor", guarded<setColor>},
    {"writeFlag", guarded<writeFlag>},
    {"readFlag", guarded<readFlag>},
    {nullptr, nullptr},
};

const luaL_Reg panelMethods[] = {
    {"getFirstChild", guarded<getFirstChild>},
    {"getLastChild", guarded<getLastChild>},
    {"getChild", guarded<getChild>},
    {nullptr, nullptr},
};

const luaL_Reg buttonMethods[] = {
    {"setCheck", guarded<setCheck>},
    {"getCheck", guarded<getCheck>},
    {nullptr, nullptr},
};

const luaL_Reg ownTextMethods[] = {
    {"setText", guarded<ownSetText>},
    {"getText", guarded<ownGetText>},
    {nullptr, nullptr},
};

const luaL_Reg progressBarMethods[] = {
    {"setRange", guarded<progressSetRange>},
    {"setPosition", guarded<progressSetPosition>},
    {nullptr, nullptr},
};

const luaL_Reg powerPointMethods[] = {
    {"playStart", guarded<playStart>},
    {"playStop", guarded<playStop>},
    {nullptr, nullptr},
};

const luaL_Reg itemMethods[] = {
    {"addItem", guarded<addItem>},
    {nullptr, nullptr},
};

const luaL_Reg sliderMethods[] = {
    {"getValue", guarded<getValue>},
    {"setValue", guarded<setValue>},
    {nullptr, nullptr},
};

// The methods beyond the common ones, as the control's kind says: one family at most.
const luaL_Reg* familyMethods(Control* control)
{
    if (control->hasFlags(Flag::container))
        return panelMethods;
    if (control->kind().scriptCheck)
        return buttonMethods;
    if (dynamic_cast<OwnText*>(control))
        return ownTextMethods;
    if (dynamic_cast<FillLevel*>(control))
        return progressBarMethods;
    if (dynamic_cast<SlidePlayer*>(control))
        return powerPointMethods;
    return nullptr;
}

} // namespace

void setControlMethods(lua_State* L, Control* control)
{
    luaL_setfuncs(L, commonMethods, 0);
    if (const luaL_Reg* methods = familyMethods(control))
        luaL_setfuncs(L, methods, 0);
    // a list box has these beside the panel's
    if (dynamic_cast<ItemList*>(control))
        luaL_setfuncs(L, itemMethods, 0);
    else if (dynamic_cast<PickedValue*>(control))
        luaL_setfuncs(L, sliderMethods, 0);
}
