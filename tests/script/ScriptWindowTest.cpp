// Script windows through the real UI state and real windows: createWindow's refusals with the
// builder's reason, a window without its shadow markup, the methods, message handlers and timers
// that go with their window or with the state, message boxes through the seam, and a failing
// timer ending the dialog and the script.
#include "ui/markup/MarkupFixture.h"

#include <ScriptRegistry.h>
#include <ScriptState.h>
#include <ProxyWindow.h>
#include <ShadowedWindow.h>
#include <WindowBase.h>

#include <thread>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

using namespace testing_support;

namespace {

const char kWindowMarkup[] = R"(<Window initSize="300,200"><Canvas>
    <Button id="5" x="10" y="10" width="80" height="30"/></Canvas></Window>)";

std::vector<std::string> notes;   // what the running script noted
int ticks = 0;                    // calls of T.tick

int note(lua_State* L)
{
    notes.push_back(luaL_checkstring(L, 1));
    return 0;
}

int tick(lua_State*)
{
    ++ticks;
    return 0;
}

// T.hasShadow(win): whether the window's shadow window exists.
int hasShadow(lua_State* L)
{
    auto* window = dynamic_cast<ShadowedWindow*>(windowFromSelf(L, 1));
    lua_pushboolean(L, window && window->proxy() && IsWindow(window->proxy()->hwnd));
    return 1;
}

// T.bridges(): how many worker-notification handlers are registered.
int bridges(lua_State* L)
{
    auto entry = Toolkit::instance()->globalHandlers.find(EventCode::WorkerNotification);
    lua_pushinteger(L, entry == Toolkit::instance()->globalHandlers.end() ? 0 : lua_Integer(entry->second.size()));
    return 1;
}

// T.pump(ms): the UI thread's messages, as a loop would run them.
int pump(lua_State* L)
{
    DWORD end = GetTickCount() + DWORD(luaL_checkinteger(L, 1));
    while (int(end - GetTickCount()) > 0) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
    return 0;
}

BOOL CALLBACK countToolkitWindow(HWND window, LPARAM count)
{
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    if (wcscmp(name, WindowBase::kClassName) == 0)
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// Toolkit windows of this thread (other test programs share the desktop).
int toolkitWindows()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), countToolkitWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

class ScriptWindow : public MarkupFixture {
protected:
    void TearDown() override
    {
        WindowBase::destroyAll();
        MarkupFixture::TearDown();
    }

    // Runs `source` as UI.lua over a frame package of `markup` entries; the boxes it showed come back.
    std::vector<MessageBoxCapture::Box> run(const std::string& source, const PackageEntries& markup)
    {
        notes.clear();
        addPackage(L"frame.lz", markup);
        std::wstring error;
        EXPECT_TRUE(loadFramePackage(L"frame.lz", &error)) << narrow(error);
        files.files[L"UI.lua"] = "require 'registry'\n" + source;
        MessageBoxCapture capture;
        createUiScriptState(&uiScriptState);
        const luaL_Reg functions[] = {{"note", note}, {"tick", tick}, {"hasShadow", hasShadow},
                                      {"bridges", bridges}, {"pump", pump}, {nullptr, nullptr}};
        luaL_newlib(uiScriptState, functions);
        lua_setglobal(uiScriptState, "T");
        runScriptFile(&uiScriptState, L"UI.lua");
        return capture.boxes();
    }
};

const PackageEntries kWithShadow = {{L"main.xml", kWindowMarkup}, {L"proxywindow.xml", "<Window/>"}};

} // namespace

TEST_F(ScriptWindow, AWindowThatCannotBeBuiltIsAScriptErrorWithTheBuildersReason)
{
    struct Case {
        const char* name;
        const char* expected;
    };
    const Case cases[] = {
        {"nope.xml", "window markup \"nope.xml\" is not in the frame package"},
        {"broken.xml", "window markup \"broken.xml\": "},
        {"text.xml", "window markup \"text.xml\": the root element \"Nothing\" is not a control"},
    };
    for (const Case& c : cases) {
        auto boxes = run("T.note('before')\ncreateWindow('" + std::string(c.name) + "')\nT.note('after')",
                         {{L"broken.xml", "<Window><Canvas></Window>"}, {L"text.xml", "<Nothing/>"}});
        ASSERT_EQ(boxes.size(), 1u) << c.name;
        EXPECT_EQ(boxes[0].title, L"错误");
        EXPECT_NE(narrow(boxes[0].text).find(c.expected), std::string::npos) << narrow(boxes[0].text);
        EXPECT_EQ(notes, (std::vector<std::string>{"before"}));
    }
}

TEST_F(ScriptWindow, AWindowWithoutItsShadowMarkupWorksWithoutAShadow)
{
    auto boxes = run(R"(
        local w = createWindow("main.xml")
        T.note(tostring(T.hasShadow(w)))
        T.note(w:getChild(5):getName() .. " " .. tostring(w:getChild(6)) .. " " .. w:getRoot():getName())
        w:setPosition(70, 80)
        local x, y = w:getPosition()
        T.note(x .. "," .. y)
        w:setTitle("无影")
        w:updateLayout()
        x, y = w:getPosition()
        T.note(x .. "," .. y)
    )", {{L"main.xml", kWindowMarkup}});
    EXPECT_TRUE(boxes.empty()) << narrow(boxes[0].text);
    EXPECT_EQ(notes, (std::vector<std::string>{"false", "Button nil Panel", "70,80", "70,80"}));
    HWND window = FindWindowW(WindowBase::kClassName, L"无影");
    ASSERT_NE(window, nullptr) << "left open by the script";
    RECT area{};
    GetWindowRect(window, &area);
    EXPECT_EQ(area.right - area.left, 300);
}

TEST_F(ScriptWindow, HandlersAndTimersGoWithTheirWindowAndTheBoxGoesThroughTheSeam)
{
    auto boxes = run(R"(
        local w = createWindow("main.xml")
        T.note(tostring(T.hasShadow(w)))
        w:setMessageHandler(function() return 1 end)
        w:setMessageHandler(function() return 2 end)
        T.note("bridges " .. T.bridges())
        w:setTimer(20, function() T.tick() end)
        local oneShot
        oneShot = w:setTimer(30, function()
            w:killTimer(oneShot)
            T.note("box " .. w:showMessageBox("持续?", "Orvo", 4 + 32))
            w:endDialog(2)
        end)
        T.note("dialog " .. w:showDialog())
        T.note("bridges " .. T.bridges())
        T.note("gone " .. select("#", w:getChild(5)))
    )", kWithShadow);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"持续?");
    EXPECT_EQ(boxes[0].title, L"Orvo");
    EXPECT_EQ(boxes[0].style, UINT(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(notes, (std::vector<std::string>{"true", "bridges 2", "box 1", "dialog 2", "bridges 0", "gone 0"}));
    int after = ticks;
    MSG message;
    for (int i = 0; i < 10; ++i) {
        Sleep(20);
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
    EXPECT_EQ(ticks, after) << "the destroyed window's timer ticks no more";
}

TEST_F(ScriptWindow, TimersStopWhenTheStateCloses)
{
    ticks = 0;
    auto boxes = run(R"(
        local w = createWindow("main.xml")
        w:setTimer(10, function() T.tick() end)
        T.pump(100)
    )", kWithShadow);
    EXPECT_TRUE(boxes.empty());
    EXPECT_GT(ticks, 2);
    int after = ticks;
    // the window outlives the script; a tick now would call into a closed state
    for (int i = 0; i < 10; ++i) {
        Sleep(15);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
    }
    EXPECT_EQ(ticks, after);
}

namespace {

// Answers the first dialog box of this process with a button, from another thread, as a person would.
struct BoxAnswerer {
    static BOOL CALLBACK ours(HWND window, LPARAM found)
    {
        wchar_t name[16] = {};
        DWORD process = 0;
        GetClassNameW(window, name, 16);
        GetWindowThreadProcessId(window, &process);
        if (wcscmp(name, L"#32770") != 0 || process != GetCurrentProcessId() || !IsWindowVisible(window))
            return TRUE;
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    explicit BoxAnswerer(WPARAM button)
        : thread([button] {
              for (int i = 0; i < 200; ++i) {
                  Sleep(50);
                  HWND box = nullptr;
                  EnumWindows(ours, reinterpret_cast<LPARAM>(&box));
                  if (box) {
                      Sleep(200);   // let it finish showing
                      PostMessageW(box, WM_COMMAND, button, 0);
                      return;
                  }
              }
          })
    {
    }
    ~BoxAnswerer() { thread.join(); }
    std::thread thread;
};

} // namespace

TEST_F(ScriptWindow, TheFolderPickerAnswersAPathOrNothingAndClosesWhenTheScriptFails)
{
    {
        BoxAnswerer cancel(IDCANCEL);
        auto boxes = run(R"(
            local w = createWindow("main.xml")
            local path = w:browseForFolder("pick one")
            T.note(tostring(path))
        )", kWithShadow);
        EXPECT_TRUE(boxes.empty());
        EXPECT_EQ(notes, (std::vector<std::string>{"nil"}));
    }
    {
        BoxAnswerer ok(IDOK);
        auto boxes = run(R"(
            local w = createWindow("main.xml")
            local path = w:browseForFolder("pick one")
            T.note(type(path))
        )", kWithShadow);
        EXPECT_TRUE(boxes.empty());
        EXPECT_EQ(notes, (std::vector<std::string>{"string"}));
    }
    auto boxes = run(R"(
        local w = createWindow("main.xml")
        w:setTimer(500, function() error("failed under the picker") end)
        w:browseForFolder("nobody answers")
        T.note("after the picker")
    )", kWithShadow);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(narrow(boxes[0].text).find("failed under the picker"), std::string::npos);
    EXPECT_TRUE(notes.empty());
}

TEST_F(ScriptWindow, AFailingTimerEndsTheDialogAndTheScriptWithOneBox)
{
    auto boxes = run(R"(
        local w = createWindow("main.xml")
        w:setTimer(30, function() error("tick failed") end)
        T.note("dialog")
        w:showDialog()
        T.note("after the dialog")
    )", kWithShadow);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, L"错误");
    EXPECT_NE(narrow(boxes[0].text).find("tick failed"), std::string::npos);
    EXPECT_EQ(notes, (std::vector<std::string>{"dialog"}));
    EXPECT_EQ(toolkitWindows(), 0) << "the dialog's window and its shadow went with it";
}
