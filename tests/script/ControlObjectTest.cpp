// Control objects of a window built from markup, through the real UI script state: the text box's,
// the edit's, the slide show's and the progress bar's methods, class names, the flag bits a script may not write, objects of
// freed controls, and getWindow on a control of the shadow window.
#include "ui/markup/MarkupFixture.h"

#include <Button.h>
#include <Panel.h>
#include <ProgressBar.h>
#include <ProxyWindow.h>
#include <ScriptRegistry.h>
#include <ScriptState.h>
#include <ShadowedWindow.h>
#include <WindowBase.h>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

using namespace testing_support;

namespace {

const char kMarkup[] = R"(<Window initSize="300,200"><Canvas>
    <TextBox id="1" x="10" y="10" width="200" height="32" text="C:\Program Files\"/>
    <ProgressBar id="2" x="10" y="50" width="200" height="8"/>
    <CheckBox id="3" x="10" y="70" width="100" height="24"/>
    <Label id="4" x="10" y="100" width="100" height="24" text="label"/>
    <Canvas id="6" x="10" y="130" width="200" height="40"><Button id="7"/><Button id="8"/></Canvas>
    <Edit id="9" x="220" y="10" width="70" height="100"/>
    <PowerPoint id="11" x="220" y="120" width="70" height="70"/>
</Canvas></Window>)";
const char kShadowMarkup[] = R"(<Window><Canvas><Button id="1" x="0" y="0" width="10" height="10"/></Canvas></Window>)";

std::vector<std::string> notes;

int note(lua_State* L)
{
    notes.push_back(luaL_checkstring(L, 1));
    return 0;
}

// T.destroy(obj): the control leaves its panel and is deleted, as a window tear-down would.
int destroy(lua_State* L)
{
    Control* c = controlFromSelf(L, 1);
    if (c && c->parent())
        static_cast<Panel*>(c->parent())->removeChild(c);
    delete c;
    return 0;
}

// T.newButton(panelObj) -> a new button's object (the pool may give it a freed control's address)
int newButton(lua_State* L)
{
    auto* panel = dynamic_cast<Panel*>(controlFromSelf(L, 1));
    if (!panel)
        return 0;
    auto* button = new Button;
    panel->addChild(button);
    pushControlObject(L, button);
    return 1;
}

// T.progress(obj) -> range, position
int progress(lua_State* L)
{
    auto* bar = dynamic_cast<ProgressBar*>(controlFromSelf(L, 1));
    if (!bar)
        return 0;
    lua_pushinteger(L, bar->range());
    lua_pushinteger(L, bar->position());
    return 2;
}

// T.shadowRoot(win) -> the object of the shadow window's root control
int shadowRoot(lua_State* L)
{
    auto* window = dynamic_cast<ShadowedWindow*>(windowFromSelf(L, 1));
    pushControlObject(L, window && window->proxy() ? window->proxy()->root() : nullptr);
    return 1;
}

class ControlObjects : public MarkupFixture {
protected:
    void TearDown() override
    {
        WindowBase::destroyAll();
        MarkupFixture::TearDown();
    }

    // Runs `source` after `w = createWindow("main.xml")`; every box is a failure.
    void run(const std::string& source)
    {
        notes.clear();
        addPackage(L"frame.lz", {{L"main.xml", kMarkup}, {L"proxywindow.xml", kShadowMarkup}});
        std::wstring error;
        ASSERT_TRUE(loadFramePackage(L"frame.lz", &error)) << narrow(error);
        files.files[L"UI.lua"] = "require 'registry'\nw = createWindow('main.xml')\n" + source;
        MessageBoxCapture capture;
        createUiScriptState(&uiScriptState);
        const luaL_Reg functions[] = {{"note", note},         {"destroy", destroy},       {"newButton", newButton},
                                      {"progress", progress}, {"shadowRoot", shadowRoot}, {nullptr, nullptr}};
        luaL_newlib(uiScriptState, functions);
        lua_setglobal(uiScriptState, "T");
        runScriptFile(&uiScriptState, L"UI.lua");
        for (const auto& box : capture.boxes())
            ADD_FAILURE() << "box: " << narrow(box.text);
    }
};

using Notes = std::vector<std::string>;

} // namespace

TEST_F(ControlObjects, TextBoxAndProgressBarMethods)
{
    run(R"(
        local edit = w:getChild(9)
        edit:setText("one\r\ntwo")
        T.note(edit:getName() .. " " .. edit:getText())
        local show = w:getChild(11)
        T.note(show:getName() .. " " .. type(show.playStart) .. " " .. type(show.playStop) .. " " .. type(edit.playStart))
        local box, bar = w:getChild(1), w:getChild(2)
        T.note(box:getName() .. " " .. bar:getName() .. " " .. w:getChild(3):getName() .. " " .. w:getChild(4):getName())
        T.note(type(bar.setRange) .. " " .. type(box.setRange) .. " " .. type(box.setCheck) .. " " .. type(w:getChild(4).setPosition))
        T.note(box:getText())
        local changes = 0
        box:addHandler(event.ValueChange, function() changes = changes + 1 end)
        box:setText("D:\\Pelora\\")
        box:setText("D:\\Pelora\\")
        T.note(box:getText() .. " " .. changes)
        box:setText(string.rep("x", 2500))
        T.note(#box:getText() .. " " .. changes)

        bar:setRange(230)
        bar:setPosition(500)
        T.note(table.concat({T.progress(bar)}, " "))
        bar:setRange(1000)
        T.note(table.concat({T.progress(bar)}, " "))
        bar:setPosition(-5)
        bar:setRange(2^40)
        T.note(table.concat({T.progress(bar)}, " "))
    )");
    EXPECT_EQ(notes, (Notes{"Edit one\r\ntwo", "PowerPoint function function nil", "TextBox ProgressBar Button Control", "function nil nil nil", "C:\\Program Files\\",
                            "D:\\Pelora\\ 1", "2000 2", "230 230", "1000 230", "2147483647 -5"}));
}

TEST_F(ControlObjects, WriteFlagRefusesTheToolkitsBitsAndAFreedControlAnswersNothing)
{
    run(R"(
        local label, box = w:getChild(4), w:getChild(3)
        -- focused, captured, hovered, container, tab-item mark, script object; also as 34 and -14
        local refused = {}
        for _, bit in ipairs({2, 3, 4, 13, 17, 18, 34, -14}) do
            for _, target in ipairs({label, w:getChild(6)}) do
                local before = target:readFlag(bit)
                target:writeFlag(bit, not before)
                if target:readFlag(bit) ~= before then refused[#refused + 1] = bit end
            end
        end
        T.note("changed: " .. table.concat(refused, ","))
        -- the others change the bit alone: no ValueChange for checked, a label made hit-testable
        local changes = 0
        box:addHandler(event.ValueChange, function() changes = changes + 1 end)
        box:writeFlag(14, true)
        label:writeFlag(10, false)
        T.note(tostring(box:getCheck()) .. " " .. changes .. " " .. tostring(label:readFlag(10)))

        local parent = label:getParent()
        T.destroy(label)
        local other = T.newButton(parent)
        T.note(label:getName() .. " " .. select("#", label:readFlag(1)) .. " " .. select("#", label:getText()) .. " " ..
               select("#", label:writeFlag(10, true)) .. " " .. tostring(other ~= label) .. " " .. other:getName())
    )");
    EXPECT_EQ(notes, (Notes{"changed: ", "true 0 false", "nil 0 0 0 true Button"}));
}

TEST_F(ControlObjects, WindowsAndChildrenSeenFromControls)
{
    run(R"(
        T.note(tostring(w:getRoot():getWindow() == w) .. " " .. tostring(w:getChild(7):getWindow() == w))
        local shadow = T.shadowRoot(w)
        T.note(shadow:getName() .. " " .. tostring(shadow:getWindow()) .. " " .. tostring(shadow:getChild(0):getWindow()))
        local panel = w:getChild(6)
        T.note(tostring(panel:getChild(0) == w:getChild(7)) .. " " .. tostring(panel:getChild(1) == w:getChild(8)) .. " " ..
               tostring(panel:getChild(2)) .. " " .. tostring(panel:getChild(-1) == w:getChild(7)))
    )");
    EXPECT_EQ(notes, (Notes{"true true", "Panel nil nil", "true true nil true"}));
}
