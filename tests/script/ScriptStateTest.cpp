// Running a script file: the protected run, the "错误" box for load and run errors, the closed state.
#include <FileSystem.h>
#include <ScriptFailure.h>
#include <ScriptState.h>

#include "TestSupport.h"

#include <gtest/gtest.h>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
}

using namespace testing_support;

namespace {

// Runs `source` as UI.lua from a fresh folder; returns the boxes shown.
std::vector<MessageBoxCapture::Box> runScript(const std::string& source, TempDir& dir, bool* ran = nullptr)
{
    MessageBoxCapture capture;
    EXPECT_TRUE(writeFile(dir.file(L"UI.lua"), source));
    LocalFileSystem fs(dir.path());
    createUiScriptState(&uiScriptState);
    EXPECT_NE(uiScriptState, nullptr);
    bool ok = runScriptFile(&uiScriptState, L"UI.lua");
    if (ran)
        *ran = ok;
    EXPECT_EQ(uiScriptState, nullptr) << "the state is closed after every run";
    return capture.boxes();
}

std::string luaPath(const std::wstring& path)
{
    std::string out = narrow(path);
    for (char& c : out)
        if (c == '\\')
            c = '/';
    return out;
}

} // namespace

TEST(RunScriptFile, RunsTheScriptWithTheStandardLibraries)
{
    TempDir dir;
    std::string out = luaPath(dir.file(L"out.txt"));
    bool ran = false;
    auto boxes = runScript("local f = io.open('" + out + "', 'w')\n"
                           "f:write(string.format('%d %s %d', bit32.band(12, 10), table.concat({'a','b'}), math.max(1, 7)))\n"
                           "f:close()\n",
                           dir, &ran);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(readFile(dir.file(L"out.txt")), "8 ab 7");
}

// A module planted where LUA_PATH or LUA_CPATH point (the current folder, Downloads) is never
// loaded by the elevated state, and no C module can be loaded by name.
TEST(RunScriptFile, RequireLoadsNothingFromDiskWhateverTheEnvironmentSays)
{
    TempDir dir;
    std::string base = luaPath(dir.path());
    writeFile(dir.file(L"planted.lua"), "PLANTED = true\nreturn true\n");
    _putenv_s("LUA_PATH", (base + "?.lua;./?.lua").c_str());
    _putenv_s("LUA_CPATH", (base + "?.dll;./?.dll").c_str());
    std::string out = luaPath(dir.file(L"out.txt"));
    bool ran = false;
    auto boxes = runScript("local loaded = pcall(require, 'planted')\n"
                           "local f = io.open('" + out + "', 'w')\n"
                           "f:write(tostring(loaded), tostring(PLANTED), type(package.loadlib), '|', package.path, '|',\n"
                           "        package.cpath, '|', #package.searchers, tostring(pcall(require, 'registry')))\n"
                           "f:close()\n",
                           dir, &ran);
    _putenv_s("LUA_PATH", "");
    _putenv_s("LUA_CPATH", "");
    EXPECT_TRUE(ran);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(readFile(dir.file(L"out.txt")), "falsenilnil|||1true");
}

TEST(RunScriptFile, RunErrorShowsOneBoxNamingTheChunkAndLine)
{
    TempDir dir;
    bool ran = true;
    auto boxes = runScript("local x = 1\nerror('安装失败')\n", dir, &ran);
    EXPECT_FALSE(ran);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, L"错误");
    EXPECT_EQ(boxes[0].style, UINT(MB_OK));
    EXPECT_EQ(boxes[0].text, L"[string \"local x = 1...\"]:2: 安装失败");
}

TEST(RunScriptFile, SyntaxErrorShowsTheLoaderMessage)
{
    TempDir dir;
    auto boxes = runScript("-- broken\nlocal = 3\n", dir);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, L"错误");
    EXPECT_EQ(boxes[0].text.rfind(L"[string \"-- broken...\"]:2:", 0), 0u) << narrow(boxes[0].text);
}

TEST(RunScriptFile, NonStringErrorValueGivesAnEmptyText)
{
    TempDir dir;
    auto boxes = runScript("error({})", dir);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"");
}

TEST(RunScriptFile, MissingScriptIsReportedAndTheStateClosed)
{
    TempDir dir;
    MessageBoxCapture capture;
    LocalFileSystem fs(dir.path());
    createUiScriptState(&uiScriptState);
    EXPECT_FALSE(runScriptFile(&uiScriptState, L"UI.lua"));
    EXPECT_EQ(uiScriptState, nullptr);
    auto boxes = capture.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, L"错误");
    EXPECT_NE(boxes[0].text.find(L"UI.lua"), std::wstring::npos);
}

namespace {

struct LoopRecord {
    std::vector<std::string>* ended;
    std::string name;
    static void end(void* context)
    {
        auto* self = static_cast<LoopRecord*>(context);
        self->ended->push_back(self->name);
    }
};

// Calls a function raising `message` the way a window procedure calls a handler.
bool callFailing(lua_State* L, const char* message)
{
    luaL_loadstring(L, (std::string("error('") + message + "')").c_str());
    return callScriptProtected(L, 0, 1);
}

} // namespace

TEST(ScriptFailure, EveryLoopInTheNestHearsOfTheFirstErrorInnermostFirst)
{
    lua_State* L = luaL_newstate();
    std::vector<std::string> ended;
    LoopRecord dialog{&ended, "dialog"}, box{&ended, "box"};
    {
        ScriptFailureScope dialogScope(LoopRecord::end, &dialog);
        {
            ScriptFailureScope boxScope(LoopRecord::end, &box);   // a message box over the dialog
            EXPECT_FALSE(callFailing(L, "first"));
            EXPECT_TRUE(lua_isnil(L, -1)) << "a nil stands in for the result";
            lua_pop(L, 1);
            EXPECT_FALSE(callFailing(L, "second"));   // pending already: nobody is told again
            lua_pop(L, 1);
            EXPECT_EQ(ended, (std::vector<std::string>{"box", "dialog"}));
        }
        const char* message = nullptr;
        ASSERT_TRUE(takePendingScriptError(L, &message));
        EXPECT_NE(std::string(message).find("first"), std::string::npos) << message;
        lua_pop(L, 1);

        // the box has closed; the next error reaches the dialog alone
        ended.clear();
        EXPECT_FALSE(callFailing(L, "third"));
        lua_pop(L, 1);
        EXPECT_EQ(ended, (std::vector<std::string>{"dialog"}));
        takePendingScriptError(L, &message);
        lua_pop(L, 1);
    }
    // no loop runs: an error is kept, and nobody is told
    ended.clear();
    EXPECT_FALSE(callFailing(L, "fourth"));
    EXPECT_TRUE(ended.empty());
    lua_close(L);
}
