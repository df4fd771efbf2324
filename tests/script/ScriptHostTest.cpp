// The UI script's view of native objects: registries, control methods, handlers through the event
// bridge, the message bridge, and script errors raised under native frames.
#include <FileSystem.h>
#include <ScriptState.h>
#include <WindowObject.h>
#include <ScriptRegistry.h>

#include <Button.h>
#include <CheckBox.h>
#include <Grid.h>
#include <Label.h>
#include <StackPanel.h>
#include <PackageWriter.h>
#include <SRService.h>
#include <Toolkit.h>

#include "TestSupport.h"
#include "ui/core/FakeHost.h"

#include <gtest/gtest.h>

#include <memory>

#include <stdexcept>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

using namespace testing_support;

namespace {

// The native side a script test drives: a small attached tree and a stand-in window.
struct Scene {
    FakeHost host;
    Grid* root = nullptr;
    std::vector<std::string> log;   // what the test globals observed
    int64_t lastAnswer = -1;
};
Scene* scene = nullptr;   // not owned; the scene of the running test

Control* controlArg(lua_State* L)
{
    return controlFromSelf(L, 1);
}

// tree() -> root object of: Grid { Button id 1, CheckBox id 2, Label id 3, StackPanel { Button id 4 } }
int tree(lua_State* L)
{
    pushControlObject(L, scene->root);
    return 1;
}

// deliver(obj, code [, direction]) -> handled: the toolkit delivering an event, as a window
// procedure would, with native frames between the script and its handlers.
int deliver(lua_State* L)
{
    Control* c = controlArg(L);
    if (!c)
        return 0;
    ControlEvent event;
    event.code = int32_t(luaL_checkinteger(L, 2));
    event.direction = int32_t(luaL_optinteger(L, 3, Direct));
    event.wparam = 7;
    event.lparam = 9;
    c->dispatch(event);
    lua_pushboolean(L, event.handled);
    return 1;
}

// destroy(obj): the control is removed from its panel and deleted.
int destroy(lua_State* L)
{
    Control* c = controlArg(L);
    if (c && c->parent())
        static_cast<Panel*>(c->parent())->removeChild(c);
    delete c;
    return 0;
}

// newButton(parentObj) -> object of a new button appended to the panel
int newButton(lua_State* L)
{
    auto panel = dynamic_cast<Panel*>(controlArg(L));
    if (!panel)
        return 0;
    auto button = new Button;
    panel->addChild(button);
    pushControlObject(L, button);
    return 1;
}

// window() -> the stand-in window's script object
int window(lua_State* L)
{
    registerScriptWindow(L, &scene->host);
    return 1;
}

// notify(text) -> answer: a worker notification broadcast on the UI thread
int notify(lua_State* L)
{
    std::string text = luaL_checkstring(L, 1);
    ControlEvent event;
    event.code = EventCode::WorkerNotification;
    event.direction = Direct;
    event.wparam = reinterpret_cast<uintptr_t>(text.c_str());
    Toolkit::broadcast(event);
    scene->lastAnswer = event.lparam;
    lua_pushnumber(L, lua_Number(event.lparam));
    return 1;
}

// windowGone(): the stand-in window is destroyed
int windowGone(lua_State* L)
{
    onScriptWindowDestroyed(L, &scene->host);
    return 0;
}

// pump(path): runs the UI thread's messages, as a modal loop does, until the file exists.
int pump(lua_State* L)
{
    std::wstring path = widen(luaL_checkstring(L, 1));
    pumpMessagesUntil([&] { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; });
    return 0;
}

// failOnChange(obj): a native ValueChange handler on the control that fails with an exception,
// as a native handler that runs out of memory would.
void failingHandler(void*, Control*, ControlEvent*)
{
    throw std::runtime_error("native handler failed");
}
int failOnChange(lua_State* L)
{
    if (Control* c = controlArg(L))
        c->addHandler(EventCode::ValueChange, c, failingHandler);
    return 0;
}

int note(lua_State* L)
{
    scene->log.push_back(luaL_checkstring(L, 1));
    return 0;
}

struct Outcome {
    std::vector<MessageBoxCapture::Box> boxes;
    std::vector<std::string> log;
    bool ran = false;
};

class ScriptHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        SRService::start();
        Toolkit::start();
        scene_.root = new Grid;
        auto a = new Button;
        a->intProperties.set(PropertyKey::id, 1);
        auto b = new CheckBox;
        b->intProperties.set(PropertyKey::id, 2);
        auto c = new Label;
        c->intProperties.set(PropertyKey::id, 3);
        auto stack = new StackPanel;
        auto d = new Button;
        d->intProperties.set(PropertyKey::id, 4);
        stack->addChild(d);
        for (Control* child : {static_cast<Control*>(a), static_cast<Control*>(b), static_cast<Control*>(c),
                               static_cast<Control*>(stack)})
            scene_.root->addChild(child);
        scene_.host.attachRoot(scene_.root);
        scene = &scene_;
    }

    void TearDown() override
    {
        scene_.host.detachRoot(scene_.root);
        delete scene_.root;
        scene = nullptr;
        Toolkit::shutdown();
        SRService::stop();
        // Only now that every worker has ended: a worker frees its package through this file
        // system after its last word to the UI script, which may already have returned.
        files_.reset();
    }

    Outcome run(const std::string& source)
    {
        Outcome outcome;
        MessageBoxCapture capture;
        EXPECT_TRUE(writeFile(dir_.file(L"UI.lua"), source));
        files_ = std::make_unique<LocalFileSystem>(dir_.path());
        createUiScriptState(&uiScriptState);
        const luaL_Reg globals[] = {
            {"tree", tree}, {"deliver", deliver}, {"destroy", destroy}, {"newButton", newButton},
            {"window", window}, {"notify", notify}, {"windowGone", windowGone}, {"note", note}, {"pump", pump},
            {"failOnChange", failOnChange},
            {nullptr, nullptr},
        };
        lua_pushglobaltable(uiScriptState);
        luaL_setfuncs(uiScriptState, globals, 0);
        lua_pop(uiScriptState, 1);
        outcome.ran = runScriptFile(&uiScriptState, L"UI.lua");
        outcome.boxes = capture.boxes();
        outcome.log = scene_.log;
        return outcome;
    }

    // Runs a script that must end cleanly; its note() calls come back.
    std::vector<std::string> runClean(const std::string& source)
    {
        Outcome outcome = run(source);
        EXPECT_TRUE(outcome.ran);
        for (const auto& box : outcome.boxes)
            ADD_FAILURE() << "box: " << narrow(box.text);
        return outcome.log;
    }

    // A payload and a worker script for startWork, beside UI.lua.
    void prepareWorker(const std::string& workerScript)
    {
        PackageWriter writer(5);
        std::string error;
        const std::string bytes = "payload bytes";
        ASSERT_TRUE(writer.add(u"bin/app.dll", reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &error));
        std::vector<uint8_t> image = writer.finish();
        ASSERT_TRUE(writeFile(dir_.file(L"program.lz"), std::string(image.begin(), image.end())));
        ASSERT_TRUE(writeFile(dir_.file(L"LG.lua"), workerScript));
    }
    std::string luaPath(const std::wstring& name) const
    {
        std::string path = narrow(dir_.file(name));
        for (char& c : path)
            if (c == '\\')
                c = '/';
        return path;
    }

    Scene scene_;
    TempDir dir_;
    std::unique_ptr<LocalFileSystem> files_;
};

using Log = std::vector<std::string>;

} // namespace

TEST_F(ScriptHost, RegistryModuleDefinesTheRegistryFunctionsAndEventCodes)
{
    // Every code a script can name, as the controls deliver them; worker notifications (1024)
    // are for global handlers only and have no name there.
    EXPECT_EQ(runClean(R"(
        require "registry"
        note(type(lua_addControl) .. " " .. type(lua_invokeHandlers) .. " " .. type(lua_onTimer))
        local expected = {
            Attached = 0, Detached = 1, GotFocus = 2, LostFocus = 3, PrevKeyDown = 4, KeyDown = 5,
            PrevKeyUp = 6, KeyUp = 7, PrevKeyPress = 8, KeyPress = 9, GotCapture = 10, LostCapture = 11,
            PrevLButtonDown = 12, LButtonDown = 13, PrevLButtonUp = 14, LButtonUp = 15,
            PrevRButtonDown = 16, RButtonDown = 17, PrevRButtonUp = 18, RButtonUp = 19,
            LButtonDbClick = 20, RButtonDbClick = 21, PrevMouseWheel = 22, MouseWheel = 23,
            MouseMove = 25, MouseEnter = 26, MouseLeave = 27, QueryCursor = 28,
            Click = 30, ValueChange = 31, Notify = 32,
        }
        for name, code in pairs(expected) do
            if event[name] ~= code then note(name .. " is " .. tostring(event[name])) end
        end
        for name, code in pairs(event) do
            if expected[name] == nil then note("unexpected " .. name .. " = " .. tostring(code)) end
        end
        note("checked")
    )"), (Log{"function function function", "checked"}));
}

TEST_F(ScriptHost, AControlReachedTwiceIsTheSameTable)
{
    EXPECT_EQ(runClean(R"(
        require "registry"
        local root = tree()
        local first = root:getFirstChild()
        note(tostring(first == root:getChild(0)))
        note(tostring(first:getParent() == root))
        note(tostring(root:getChild(1):getPrevious() == first))
        note(tostring(root:getLastChild():getFirstChild():getParent():getParent() == root))
    )"), (Log{"true", "true", "true", "true"}));
}

TEST_F(ScriptHost, ObjectsOfDestroyedControlsAnswerNothing)
{
    EXPECT_EQ(runClean(R"(
        require "registry"
        local root = tree()
        local label = root:getChild(2)
        note(label:getName())
        destroy(label)
        note(label:getName())
        note(select("#", label:getText()) .. " " .. select("#", label:getParent()) .. " " .. select("#", label:readFlag(1)))
        label:setText("ignored")
        local added = newButton(root)
        note(tostring(added ~= label) .. " " .. added:getName())
    )"), (Log{"Control", "nil", "0 0 0", "true Button"}));
}

TEST_F(ScriptHost, ClassNamesAndFamilyMethods)
{
    EXPECT_EQ(runClean(R"(
        require "registry"
        local root = tree()
        note(root:getName() .. " " .. root:getChild(0):getName() .. " " .. root:getChild(1):getName() .. " " .. root:getChild(2):getName())
        note(tostring(root:getChild(4)) .. " " .. tostring(root:getChild(-3) == root:getFirstChild()))
        note(type(root:getChild(1).setCheck) .. " " .. type(root:getChild(2).setCheck) .. " " .. type(root:getChild(0).getChild))
    )"), (Log{"Panel Button Button Control", "nil true", "function nil nil"}));
}

TEST_F(ScriptHost, GetChildBeyondTheIntegerRangeIsNil)
{
    EXPECT_EQ(runClean(R"(
        require "registry"
        local root = tree()
        note(tostring(root:getChild(2^32)) .. " " .. tostring(root:getChild(2^31)) .. " " .. tostring(root:getChild(2^40 + 1)))
        note(tostring(root:getChild(-2^32) == root:getFirstChild()))
    )"), (Log{"nil nil nil", "true"}));
}

TEST_F(ScriptHost, ANativeFailureInsideAMethodDoesNotEscapeIntoTheScript)
{
    EXPECT_EQ(runClean(R"(
        require "registry"
        local box = tree():getChild(1)
        failOnChange(box)
        note(select("#", box:setCheck(true)))
        note(tostring(box:getCheck()))
    )"), (Log{"0", "true"}));
}

TEST_F(ScriptHost, SetCheckSendsValueChangeOnlyOnAChange)
{
    EXPECT_EQ(runClean(R"(
        require "registry"
        local box = tree():getChild(1)
        box:addHandler(event.ValueChange, function(sender) note("changed " .. tostring(sender:getCheck())) end)
        box:setCheck(true)
        box:setCheck(true)
        box:setCheck(false)
    )"), (Log{"changed true", "changed false"}));
}

TEST_F(ScriptHost, FlagsTextColourAndVisibility)
{
    EXPECT_EQ(runClean(R"(
        require "registry"
        local label = tree():getChild(2)
        label:writeFlag(10, true)
        note(tostring(label:readFlag(10)) .. " " .. tostring(label:readFlag(42)))
        label:writeFlag(42, false)
        note(tostring(label:readFlag(10)))
        note("[" .. label:getText() .. "]")
        label:setText("许可协议")
        note(label:getText())
        label:setVisible(false)
        note(tostring(label:getVisible()) .. " " .. tostring(label:getEnabled()))
    )"), (Log{"true true", "false", "[]", "许可协议", "false true"}));
}

TEST_F(ScriptHost, HandlersRunInOrderAndTheFirstTrueStopsTheRest)
{
    EXPECT_EQ(runClean(R"(
        require "registry"
        local button = tree():getChild(0)
        button:addHandler(event.Click, function(s, code, w, l) note("first " .. code .. " " .. w .. " " .. l) return true end)
        button:addHandler(event.Click, function() note("second") end)
        note(tostring(deliver(button, event.Click)))
    )"), (Log{"first 30 7 9", "true"}));
}

TEST_F(ScriptHost, AddingTwiceCallsTwiceAndRemovingOnceLeavesOne)
{
    EXPECT_EQ(runClean(R"(
        require "registry"
        local button = tree():getChild(0)
        local function h() note("h") end
        button:addHandler(event.Click, h)
        button:addHandler(event.Click, h)
        deliver(button, event.Click)
        button:removeHandler(event.Click, h)
        deliver(button, event.Click)
        button:removeHandler(event.Click, h)
        deliver(button, event.Click)
        -- after the last one went, adding again registers the bridge exactly once
        button:addHandler(event.Click, h)
        deliver(button, event.Click)
    )"), (Log{"h", "h", "h", "h"}));
}

TEST_F(ScriptHost, BubblingEventsReachAncestorsWithTheirOwnObjectAsSender)
{
    EXPECT_EQ(runClean(R"(
        require "registry"
        local root = tree()
        local inner = root:getLastChild():getFirstChild()
        root:addHandler(event.LButtonDown, function(sender) note("root sees " .. tostring(sender == root)) end)
        inner:addHandler(event.LButtonDown, function(sender) note("inner sees " .. tostring(sender == inner)) end)
        deliver(inner, event.LButtonDown, 1)
    )"), (Log{"inner sees true", "root sees true"}));
}

TEST_F(ScriptHost, AnErrorInAHandlerEndsTheScriptWithOneBox)
{
    Outcome outcome = run(R"(-- installer flow
        require "registry"
        local button = tree():getChild(0)
        button:addHandler(event.Click, function()
            note("handler")
            error("点击失败")
        end)
        button:addHandler(event.Click, function() note("never") end)
        deliver(button, event.Click)
        note("after")
    )");
    EXPECT_FALSE(outcome.ran);
    EXPECT_EQ(outcome.log, Log{"handler"});
    ASSERT_EQ(outcome.boxes.size(), 1u);
    EXPECT_EQ(outcome.boxes[0].title, L"错误");
    EXPECT_EQ(outcome.boxes[0].text, L"[string \"-- installer flow...\"]:6: 点击失败");
}

TEST_F(ScriptHost, TheScriptsOwnPcallCannotSwallowAHandlerError)
{
    Outcome outcome = run(R"(-- guarded
        require "registry"
        local button = tree():getChild(0)
        button:addHandler(event.Click, function() error("deep") end)
        local ok = pcall(deliver, button, event.Click)
        note("survived " .. tostring(ok))
    )");
    EXPECT_FALSE(outcome.ran);
    EXPECT_EQ(outcome.log, Log{});
    ASSERT_EQ(outcome.boxes.size(), 1u);
    EXPECT_EQ(outcome.boxes[0].text, L"[string \"-- guarded...\"]:4: deep");
}

TEST_F(ScriptHost, NestedHandlerErrorsShowOnlyTheFirst)
{
    Outcome outcome = run(R"(-- nested
        require "registry"
        local root = tree()
        local a, b = root:getChild(0), root:getChild(1)
        b:addHandler(event.Click, function() error("inner") end)
        a:addHandler(event.Click, function() deliver(b, event.Click) note("still in a") error("outer") end)
        deliver(a, event.Click)
    )");
    EXPECT_EQ(outcome.log, Log{});
    ASSERT_EQ(outcome.boxes.size(), 1u);
    EXPECT_EQ(outcome.boxes[0].text, L"[string \"-- nested...\"]:5: inner");
}

TEST_F(ScriptHost, MessageHandlerAnswersTheWorker)
{
    EXPECT_EQ(runClean(R"(
        require "registry"
        note("before " .. notify("{code=1}"))
        local win = window()
        win:setMessageHandler(function(text)
            local message = load("return " .. text)()
            note("got " .. message.code)
            return message.code == 5 and 4 or 1
        end)
        note("answer " .. notify("{code=5,file=[[C:\\a.dll]]}"))
        win:setMessageHandler(function() return "not a number" end)
        note("answer " .. notify("{code=4,position=1,text=[[x]]}"))
    )"), (Log{"before 0", "got 5", "answer 4", "answer 0"}));
}

TEST_F(ScriptHost, MessageHandlerSetTwiceRunsTwiceAndAWindowGoneStopsIt)
{
    EXPECT_EQ(runClean(R"(
        require "registry"
        local win = window()
        local calls = 0
        win:setMessageHandler(function() calls = calls + 1 return calls end)
        win:setMessageHandler(function() calls = calls + 1 return calls end)
        note("answer " .. notify("{code=1}") .. " after " .. calls .. " calls")
        windowGone()
        note("answer " .. notify("{code=1}") .. " after " .. calls .. " calls")
        note(select("#", win:setMessageHandler(function() end)))
    )"), (Log{"answer 2 after 2 calls", "answer 0 after 2 calls", "0"}));
}

TEST_F(ScriptHost, AnErrorInTheMessageHandlerEndsTheScript)
{
    Outcome outcome = run(R"(-- messages
        require "registry"
        window():setMessageHandler(function(text) error("bad notification " .. text) end)
        note("answer " .. notify("{code=6}"))
    )");
    EXPECT_EQ(outcome.log, Log{});
    ASSERT_EQ(outcome.boxes.size(), 1u);
    EXPECT_EQ(outcome.boxes[0].text, L"[string \"-- messages...\"]:3: bad notification {code=6}");
    EXPECT_EQ(scene_.lastAnswer, 2) << "the worker is told to stop when the handler failed";
}

TEST_F(ScriptHost, AWindowObjectNeverRegisteredDoesNothing)
{
    EXPECT_EQ(runClean(R"(
        require "registry"
        local win = window()
        local fake = { setMessageHandler = win.setMessageHandler }
        note(select("#", fake:setMessageHandler(function() return 5 end)))
        note("answer " .. notify("{code=1}"))
    )"), (Log{"0", "answer 0"}));
}

TEST_F(ScriptHost, RegistryFunctionsKeepTheirContracts)
{
    EXPECT_EQ(runClean(R"(
        require "registry"
        -- "nothing" is no value at all, not nil
        local function s(...) if select("#", ...) == 0 then return "none" end return tostring((...)) end
        local d = {}
        local f, g = function() end, function() return "yes" end
        note(s(lua_addHandler(d, 30, f)) .. " " .. s(lua_addHandler(d, 30, g)))
        note(s(lua_invokeHandlers(d, nil, 30, 0, 0)) .. " " .. s(lua_invokeHandlers(d, nil, 31, 0, 0)))
        note(s(lua_removeHandler(d, 30, f)) .. " " .. s(lua_removeHandler(d, 30, g)) .. " " .. s(lua_removeHandler(d, 99, g)))
        local windows, obj = {}, {}
        note(tostring(lua_queryWindowHandle(windows, obj)) .. " " .. tostring(lua_invokeMessageHandler(windows, obj, "x")))
        lua_addWindow(windows, obj, 12)
        note(tostring(lua_queryWindow(windows, 12) == obj) .. " " .. tostring(lua_invokeMessageHandler(windows, obj, "x")))
        lua_removeWindow(windows, 12)
        note(tostring(lua_queryWindow(windows, 12)))
        local timers, ticks = {}, {}
        lua_setTimer(timers, 1, function() ticks[#ticks + 1] = "a" end, 100)
        lua_setTimer(timers, 2, function() ticks[#ticks + 1] = "b" end, 200)
        lua_setTimer(timers, 3, function() ticks[#ticks + 1] = "c" end, 100)
        lua_onTimer(timers, 2)
        lua_killTimer(timers, 2, 100)
        lua_onTimer(timers, 2)
        lua_removeTimer(timers, 100)
        lua_onTimer(timers, 1)
        lua_onTimer(timers, 3)
        note(table.concat(ticks) .. " " .. #timers)
    )"), (Log{"true none", "true none", "none true true", "0 0", "true 0", "nil", "bb 1"}));
}

TEST_F(ScriptHost, AScriptWithoutTheRegistryFunctionsIsToldWhy)
{
    Outcome outcome = run("local root = tree()\nnote('unreached')\n");
    EXPECT_EQ(outcome.log, Log{});
    ASSERT_EQ(outcome.boxes.size(), 1u);
    EXPECT_NE(outcome.boxes[0].text.find(L"lua_queryControl is not defined"), std::wstring::npos)
        << narrow(outcome.boxes[0].text);
}

TEST_F(ScriptHost, WorkerNotificationsReachTheUiScriptsMessageHandlerAndItsAnswersComeBack)
{
    prepareWorker("local got = {}\n"
                  "got[#got + 1] = notifyMessage('{code=3,range=2}')\n"
                  "got[#got + 1] = notifyMessage('{code=5,file=[[C:\\\\Pelora\\\\bin\\\\app.dll]]}')\n"
                  "got[#got + 1] = tostring(extractFile('bin\\\\app.dll', '" + luaPath(L"app.dll") + "'))\n"
                  "got[#got + 1] = notifyMessage('{code=2}')\n"
                  "local f = assert(io.open('" + luaPath(L"done.part") + "', 'w'))\n"
                  "f:write(table.concat(got, ',')) f:close()\n"
                  "os.rename('" + luaPath(L"done.part") + "', '" + luaPath(L"done") + "')\n");
    EXPECT_EQ(runClean(R"(
        require "registry"
        local win = window()
        win:setMessageHandler(function(text)
            local message = load("return " .. text)()
            -- the worker's last notification races the answer file: it may come before pump returns
            if message.code == 11 then return 1 end
            note("ui got " .. message.code .. (message.file and (" " .. message.file) or ""))
            return message.code == 5 and 4 or 1
        end)
        startWork("LG.lua", "program.lz", "")
        pump(")" + luaPath(L"done") + R"(")
    )"), (Log{"ui got 3", "ui got 5 C:\\Pelora\\bin\\app.dll", "ui got 2"}));
    EXPECT_EQ(readFile(dir_.file(L"done")), "1,4,true,1");
    EXPECT_EQ(readFile(dir_.file(L"app.dll")), "payload bytes");
}

TEST_F(ScriptHost, AMessageHandlerErrorEndsTheUiScriptAndTheWaitingWorkerHearsStop)
{
    prepareWorker("local answer = notifyMessage('{code=6,error=[[x]]}')\n"
                  "local f = assert(io.open('" + luaPath(L"done.part") + "', 'w'))\n"
                  "f:write(tostring(answer)) f:close()\n"
                  "os.rename('" + luaPath(L"done.part") + "', '" + luaPath(L"done") + "')\n");
    Outcome outcome = run(R"(-- fatal
        require "registry"
        window():setMessageHandler(function(text) error("cannot show " .. text) end)
        startWork("LG.lua", "program.lz", "")
        pump(")" + luaPath(L"done") + R"(")
        note("after the pump")
    )");
    EXPECT_EQ(outcome.log, Log{});
    ASSERT_EQ(outcome.boxes.size(), 1u);
    EXPECT_EQ(outcome.boxes[0].text, L"[string \"-- fatal...\"]:3: cannot show {code=6,error=[[x]]}");
    // Once seen, the file may still be on its way to its reader under a loaded machine: wait for its text.
    pumpMessagesUntil([&] { return !readFile(dir_.file(L"done")).empty(); }, 5000);
    EXPECT_EQ(readFile(dir_.file(L"done")), "2");
}

TEST_F(ScriptHost, AScriptsOwnGlobalsHooksNeverRaiseUnderNativeFrames)
{
    Outcome outcome = run(R"(-- strict
        require "registry"
        local button = tree():getChild(0)
        button:addHandler(event.Click, function() note("handler") end)
        lua_invokeHandlers = nil
        setmetatable(_G, { __index = function(_, name) error("undefined global " .. name) end })
        deliver(button, event.Click)
        note("after")
    )");
    EXPECT_EQ(outcome.log, Log{});
    ASSERT_EQ(outcome.boxes.size(), 1u);
    EXPECT_EQ(outcome.boxes[0].text.find(L"undefined global"), std::wstring::npos) << narrow(outcome.boxes[0].text);
}
