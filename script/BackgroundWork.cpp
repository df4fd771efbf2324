// The worker thread: its script state, the configuration chunk, notifyMessage and extractFile.
#include "BackgroundWork.h"

#include "NotifyRunable.h"
#include "ScriptConvert.h"
#include "SystemApi.h"

#include <FileSystem.h>
#include <LoadedPackage.h>
#include <MessageBox.h>
#include <SRService.h>
#include <platform/Com.h>
#include <platform/Handle.h>

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <string>
#include <thread>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

namespace LuaWork {

namespace {

constexpr wchar_t kErrorTitle[] = L"错误";
// More decoders than this only share the same budget.
constexpr unsigned long kMostDecoders = 16;

// What startWork hands to its worker. Each worker gets its own copy, so a second startWork can
// never change what a running worker reads.
struct WorkParameters {
    std::wstring script;
    std::wstring package;
    std::string configuration;   // UTF-8 script text of a table constructor, unchanged
    bool cancelled = false;      // set before the thread runs when it must not do the work
};

struct StateCloser {
    lua_State* L;
    ~StateCloser() { lua_close(L); }
};

void showError(const std::wstring& text)
{
    showMessageBox(nullptr, text.c_str(), kErrorTitle, MB_OK);
}

// The error value on top of the stack as box text; error() may raise values other than strings.
std::wstring errorText(lua_State* L)
{
    if (const char* text = lua_tostring(L, -1))
        return utf8ToWide(text);
    return L"(error object is a " + utf8ToWide(luaL_typename(L, -1)) + L" value)";
}

// The entry is written to a new file beside the destination, which takes the destination's name
// only once every byte is on disk: a write that fails half-way never leaves a partial file under
// the file's name. A read that fails its check value (Package::readEntry) writes nothing at all.
bool extractEntry(LoadedPackage& package, std::wstring entry, const std::wstring& destination)
{
    // Entries are stored with forward slashes; scripts write paths either way.
    std::replace(entry.begin(), entry.end(), L'\\', L'/');
    uint64_t size = 0;
    EntryBuffer buffer(package.readEntry(entry.c_str(), &size));
    if (!buffer || size > MAXDWORD)
        return false;

    // CREATE_NEW: a name that already exists (planted, or left by another run) is never opened
    std::wstring partial;
    platform::UniqueHandle file;
    for (unsigned attempt = 0; attempt < 8 && !file; ++attempt) {
        partial = destination + L"." + std::to_wstring(GetCurrentThreadId()) + L"-" + std::to_wstring(attempt) +
                  L".partial";
        file.reset(CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file && GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    if (!file)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file.get(), buffer.get(), DWORD(size), &written, nullptr) && written == size;
    file.reset();
    if (ok) {
        DWORD attributes = GetFileAttributesW(destination.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            SetFileAttributesW(destination.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
        ok = MoveFileExW(partial.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    }
    if (!ok)
        DeleteFileW(partial.c_str());
    return ok;
}

// extractFile(entry, destination) -> boolean; upvalue 1 is the worker's LoadedPackage.
int extractFile(lua_State* L)
{
    auto* work = static_cast<LoadedPackage*>(lua_touserdata(L, lua_upvalueindex(1)));
    bool ok = false;
    try {
        ok = work && *work && extractEntry(*work, scriptStringArg(L, 1), scriptStringArg(L, 2));
    } catch (...) {
        ok = false;
    }
    lua_pushboolean(L, ok);
    return 1;
}

int32_t deliver(const char* text)
{
    std::shared_ptr<NotifyRunable> task(new NotifyRunable(text));
    if (!task->usable())
        return kStopAnswer;
    // A refused task has already been discarded, which answered "stop"; the wait then ends at once.
    SRService::post(task);
    return task->waitForAnswer();
}

// notifyMessage(text) -> integer: blocks until the UI thread has answered.
int notifyMessage(lua_State* L)
{
    const char* text = lua_tostring(L, 1);
    int32_t answer = kStopAnswer;
    try {
        answer = deliver(text ? text : "");
    } catch (...) {
        answer = kStopAnswer;
    }
    lua_pushinteger(L, answer);
    return 1;
}

// config: a configuration that is not a valid expression leaves `config` unset, silently.
void runConfiguration(lua_State* L, WorkParameters& params)
{
    if (params.configuration.empty())
        return;
    params.configuration = "config = " + params.configuration;
    OutputDebugStringA((params.configuration + "\n").c_str());
    int top = lua_gettop(L);
    if (luaL_loadstring(L, params.configuration.c_str()) == LUA_OK)
        lua_pcall(L, 0, 0, 0);
    lua_settop(L, top);
}

// How many threads decode the payload ahead of extractFile: one per core, none on a single core
// (reads then stay on the worker's thread). ORVO_DECODE_AHEAD overrides it for measurements:
// 0 turns decoding ahead off, N asks for N decoders.
unsigned decodeAheadThreads()
{
    wchar_t value[16];
    DWORD length = GetEnvironmentVariableW(L"ORVO_DECODE_AHEAD", value, 16);
    if (length > 0 && length < 16) {
        wchar_t* end = nullptr;
        unsigned long asked = std::wcstoul(value, &end, 10);
        if (end != value && *end == 0)
            return unsigned(std::min(asked, kMostDecoders));
    }
    unsigned cores = std::thread::hardware_concurrency();
    return cores > 1 ? unsigned(std::min<unsigned long>(cores, kMostDecoders)) : 0;
}

// One line for the debugger: how the worker's requests were served.
void reportDecoders(const LoadedPackage& work)
{
    const DecodeAhead* decoders = work.decoders();
    if (!decoders)
        return;
    DecodeAhead::Stats stats = decoders->stats();
    std::string line = "LuaWork: " + std::to_string(decoders->decoders()) + " decoders; entries ready " +
                       std::to_string(stats.ready) + ", waited for " + std::to_string(stats.waited) +
                       ", decoded on request " + std::to_string(stats.onDemand) + ", stored " +
                       std::to_string(stats.stored) + ", given up " +
                       std::to_string(stats.dropped) + "; most held " + std::to_string(stats.peakBytes) + " bytes\n";
    OutputDebugStringA(line.c_str());
}

void runWork(WorkParameters& params)
{
    platform::OleScope ole;
    FileSystem* files = currentFileSystem();
    LoadedPackage work;
    std::string why;
    switch (work.load(files, params.package, &why)) {
    case LoadedPackage::Status::loaded:
        break;
    case LoadedPackage::Status::unreadable:
        showError(L"无法读取安装包 " + params.package);
        return;
    case LoadedPackage::Status::damaged:
        showError(L"无法打开安装包 " + params.package + L": " + utf8ToWide(why));
        return;
    }
    // Decoders start now, while the script sets itself up; they end with `work`.
    work.decodeAhead(decodeAheadThreads());

    lua_State* L = luaL_newstate();
    if (!L) {
        showError(L"无法创建脚本环境");
        return;
    }
    StateCloser closer{L};
    luaL_openlibs(L);
    registerSystemApi(L);
    lua_pushcfunction(L, notifyMessage);
    lua_setglobal(L, "notifyMessage");
    lua_pushlightuserdata(L, &work);
    lua_pushcclosure(L, extractFile, 1);
    lua_setglobal(L, "extractFile");

    runConfiguration(L, params);

    FileBuffer script = FileBuffer::read(files, params.script);
    if (!script) {
        showError(L"无法读取脚本文件 " + params.script);
        return;
    }
    int top = lua_gettop(L);
    if (luaL_loadstring(L, script.text()) != LUA_OK || lua_pcall(L, 0, 0, 0) != LUA_OK)
        showError(errorText(L));   // shown from this thread: it blocks only the worker
    lua_settop(L, top);
    reportDecoders(work);
}

DWORD WINAPI workerMain(void* argument)
{
    std::unique_ptr<WorkParameters> params(static_cast<WorkParameters*>(argument));
    if (params->cancelled)
        return 0;
    try {
        runWork(*params);
    } catch (...) {
        OutputDebugStringW(L"LuaWork: the worker ended on an unexpected failure\n");
    }
    return 0;
}

bool startWorker(std::unique_ptr<WorkParameters> params)
{
    // Created suspended so that a thread the service will not take never does any work: nothing
    // would wait for it at shut-down, and its notifications could never be answered.
    HANDLE thread = CreateThread(nullptr, 0, workerMain, params.get(), CREATE_SUSPENDED, nullptr);
    if (!thread)
        return false;
    WorkParameters* handedOver = params.release();
    if (!SRService::addThread(thread)) {
        handedOver->cancelled = true;
        ResumeThread(thread);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        return false;
    }
    ResumeThread(thread);   // the reaper owns the handle now; it stays valid until the thread ends
    return true;
}

// startWork(script, package, configuration): returns nothing, at once.
int startWork(lua_State* L)
{
    try {
        auto params = std::make_unique<WorkParameters>();
        params->script = scriptStringArg(L, 1);
        params->package = scriptStringArg(L, 2);
        size_t length = 0;
        if (const char* configuration = lua_tolstring(L, 3, &length))
            params->configuration.assign(configuration, length);
        if (!startWorker(std::move(params)))
            OutputDebugStringW(L"startWork: no worker started (the task service is not running)\n");
    } catch (...) {
        OutputDebugStringW(L"startWork: no worker started\n");
    }
    return 0;
}

} // namespace

void registerStartWork(lua_State* L)
{
    lua_pushcfunction(L, startWork);
    lua_setglobal(L, "startWork");
}

} // namespace LuaWork
