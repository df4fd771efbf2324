// The worker thread: its script state, the configuration chunk, notifyMessage and extractFile.
#include "BackgroundWork.h"

#include "NotifyRunable.h"
#include "ScriptFailure.h"
#include "ScriptState.h"
#include "ScriptConvert.h"
#include "ScriptModules.h"
#include "SystemApi.h"

#include <FileSystem.h>
#include <InstallJournal.h>
#include <LoadedPackage.h>
#include <NamedResources.h>
#include <UninstallerImage.h>
#include <SRService.h>
#include <platform/CallbackBoundary.h>
#include <Toolkit.h>
#include <ControlEvent.h>
#include <platform/Com.h>
#include <platform/Handle.h>
#include <platform/StepLog.h>
#include <platform/Sync.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

namespace LuaWork {

namespace {

// The worker's last notification, sent however its script ended: {code=11,error=[[...]]}, the
// error empty when the script ran to its end. A UI that has not seen the final code by then
// knows the installation did not finish.
constexpr const char kEndedCode[] = "11";
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

// The error value on top of the stack as box text; error() may raise values other than strings.
std::wstring errorText(lua_State* L)
{
    if (const char* text = lua_tostring(L, -1))
        return utf8ToWide(text);
    return L"(error object is a " + utf8ToWide(luaL_typename(L, -1)) + L" value)";
}

// The last worker started, duplicated so that waitForWork can wait for it while the reaper owns
// the original handle. UI thread only.
platform::UniqueHandle lastWorker;

// Text in Lua long brackets of a level it does not contain, for a notification's string field.
std::string longBracket(const std::string& text)
{
    std::string level;
    while (text.find("]" + level + "]") != std::string::npos)
        level += "=";
    const std::string lead = !text.empty() && (text[0] == '\r' || text[0] == '\n') ? "\n" : "";
    return "[" + level + "[" + lead + text + "]" + level + "]";
}

enum class Extracted { written, damaged, unwritable };

// What extractFile tells the journal about a written file, from the bytes it wrote: reading the
// file back for its check value would double the install's reads.
struct WrittenFacts {
    uint64_t size = 0;
    uint32_t check = 0;
};

// Writes the bytes to a file made with CREATE_NEW: a name that already exists (planted, or left
// by another run) is never opened. A write that fails half-way deletes what it made, so no
// half-written file stays under the name. False with `made` false when nothing was created.
bool writeNew(const std::wstring& path, const char* bytes, DWORD size, bool* made)
{
    platform::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    *made = bool(file);
    if (!file)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file.get(), bytes, size, &written, nullptr) && written == size;
    file.reset();
    if (!ok)
        DeleteFileW(path.c_str());
    return ok;
}

// The journal has recorded the destination before this runs (journalKeepFile moved any file
// there aside and the journal names the path), so the entry is written under its final name
// directly: a rollback or an uninstall deletes it, and a failed write deletes it at once. Only
// when a file has appeared there since is it written beside the destination and moved over it
// once every byte is on disk. A read that fails its check value (Package::readEntry) writes
// nothing at all.
Extracted writeBytes(const char* bytes, uint64_t size, const std::wstring& destination, WrittenFacts* facts)
{
    if (size > MAXDWORD) {
        platform::logStep(L"file could not be written: " + destination);
        return Extracted::unwritable;
    }
    bool made = false;
    bool ok = writeNew(destination, bytes, DWORD(size), &made);
    if (!made && GetLastError() == ERROR_FILE_EXISTS) {
        std::wstring partial;
        for (unsigned attempt = 0; attempt < 8 && !made; ++attempt) {
            partial = destination + L"." + std::to_wstring(GetCurrentThreadId()) + L"-" + std::to_wstring(attempt) +
                      L".partial";
            ok = writeNew(partial, bytes, DWORD(size), &made);
            if (!made && GetLastError() != ERROR_FILE_EXISTS)
                break;
        }
        if (ok) {
            DWORD attributes = GetFileAttributesW(destination.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
                SetFileAttributesW(destination.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
            ok = MoveFileExW(partial.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
            if (!ok)
                DeleteFileW(partial.c_str());
        }
    }
    if (!ok) {
        platform::logStep(L"file could not be written: " + destination);
        return Extracted::unwritable;
    }
    facts->size = size;
    facts->check = journalCrc32(bytes, size_t(size));
    platform::logStep(L"file written: " + destination + L" (" + std::to_wstring(size) + L" bytes)");
    return Extracted::written;
}

Extracted extractEntry(LoadedPackage& package, std::wstring entry, const std::wstring& destination, WrittenFacts* facts)
{
    // Entries are stored with forward slashes; scripts write paths either way.
    std::replace(entry.begin(), entry.end(), L'\\', L'/');
    uint64_t size = 0;
    EntryBuffer buffer(package.readEntry(entry.c_str(), &size));
    if (!buffer) {
        platform::logStep(L"package entry missing or damaged: " + entry);
        return Extracted::damaged;
    }
    return writeBytes(reinterpret_cast<const char*>(buffer.get()), size, destination, facts);
}

// The installer the uninstaller is written from when not the running one (tests only).
std::wstring uninstallerSource;

// A view of a whole file, read-only.
class MappedFile {
public:
    explicit MappedFile(const std::wstring& path)
    {
        // no writer may change it while it is read; the result is checked against its digest anyway
        platform::UniqueHandle file(
            CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size{};
        if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || uint64_t(size.QuadPart) > SIZE_MAX)
            return;
        platform::UniqueHandle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
        view_ = mapping ? MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0) : nullptr;
        size_ = view_ ? size_t(size.QuadPart) : 0;
    }
    ~MappedFile()
    {
        if (view_)
            UnmapViewOfFile(view_);
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    const uint8_t* data() const { return static_cast<const uint8_t*>(view_); }
    size_t size() const { return size_; }

private:
    void* view_ = nullptr;
    size_t size_ = 0;
};

// The uninstaller, written from the running installer's own file by the recipe in its image (which
// the self-check has covered): the file is whatever lies at the installer's path now, so only a
// result that matches the recipe's digest is written. A program without a recipe (the development
// runner) copies the finished uninstaller its folder holds, as orvo-build keeps it.
Extracted writeUninstallerFile(const std::wstring& destination, WrittenFacts* facts)
{
    std::wstring path = uninstallerSource;
    HMODULE module = GetModuleHandleW(nullptr);
    HMODULE loaded = nullptr;
    if (path.empty()) {
        path.assign(32768, L'\0');
        DWORD length = GetModuleFileNameW(nullptr, &path[0], DWORD(path.size()));
        path.resize(length < path.size() ? length : 0);
    } else {
        module = loaded = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    }
    std::string why;
    std::vector<uint8_t> bytes;
    size_t recipeSize = 0;
    const uint8_t* recipeBytes = module ? namedResourceBytes(module, ORVO_ID_UNINSTALLER, &recipeSize) : nullptr;
    if (!recipeBytes) {
        if (loaded)
            FreeLibrary(loaded);
        FileBuffer copy = FileBuffer::read(currentFileSystem(), L"unins000.exe");
        if (copy)
            return writeBytes(reinterpret_cast<const char*>(copy.data()), copy.size(), destination, facts);
        platform::logStep(L"the uninstaller cannot be written: the program carries none, and its folder holds no unins000.exe");
        return Extracted::damaged;
    }
    uninstaller::Recipe recipe;
    if (uninstaller::parse(recipeBytes, recipeSize, &recipe, &why)) {
        MappedFile installer(path);
        if (!installer.data())
            why = "the installer's own file cannot be read";
        else
            uninstaller::finish(installer.data(), installer.size(), recipe, &bytes, &why);
    }
    if (loaded)
        FreeLibrary(loaded);
    if (bytes.empty()) {
        platform::logStep(L"the uninstaller cannot be written: " + utf8ToWide(why));
        return Extracted::damaged;
    }
    return writeBytes(reinterpret_cast<const char*>(bytes.data()), bytes.size(), destination, facts);
}

// What extractFile answers and extractFiles hands over for one file: true, size, check; or false
// and why. Returns how many values it pushed.
int pushExtracted(lua_State* L, Extracted result, const WrittenFacts& facts)
{
    lua_pushboolean(L, result == Extracted::written);
    if (result == Extracted::written) {
        pushScriptInteger(L, int64_t(facts.size));
        pushScriptInteger(L, int64_t(facts.check));
        return 3;
    }
    lua_pushstring(L, result == Extracted::damaged ? "damaged" : "unwritable");
    return 2;
}

// extractFile(entry, destination) -> true, size, check; or false and "damaged" (the entry cannot
// be read from the package: retrying will not help) or "unwritable" (the file cannot be written:
// it may be held open); upvalue 1 is the worker's LoadedPackage. The size and check value are
// for journalFileWritten.
int extractFile(lua_State* L)
{
    auto* work = static_cast<LoadedPackage*>(lua_touserdata(L, lua_upvalueindex(1)));
    Extracted result = Extracted::damaged;
    WrittenFacts facts;
    try {
        if (work && *work)
            result = extractEntry(*work, scriptStringArg(L, 1), scriptStringArg(L, 2), &facts);
    } catch (...) {
        result = Extracted::unwritable;
    }
    return pushExtracted(L, result, facts);
}

// writeUninstaller(destination) -> what extractFile answers: the uninstaller written from the
// installer's own executable, for journalFileWritten.
int writeUninstaller(lua_State* L)
{
    Extracted result = Extracted::damaged;
    WrittenFacts facts;
    try {
        result = writeUninstallerFile(scriptStringArg(L, 1), &facts);
    } catch (...) {
        result = Extracted::unwritable;
    }
    return pushExtracted(L, result, facts);
}

// How many files extractFiles keeps in flight. Creating a file is mostly waiting for the system
// (Wine's server, a file system filter on Windows); several in flight overlap those waits while
// the decoders keep the cores busy.
constexpr size_t kWriters = 4;

// One file of an extractFiles batch: what to write, and once `done`, how it went.
struct BatchFile {
    std::wstring entry;
    std::wstring destination;
    Extracted result = Extracted::damaged;
    WrittenFacts facts;
    bool done = false;
};

// The writers of one batch: each takes the next file not yet begun, in the batch's order (the
// package's, so that blocks are asked for in the order they are decoded). Destruction stops them
// from beginning another file and waits for the ones being written.
class BatchWriters {
public:
    BatchWriters(LoadedPackage* package, std::vector<BatchFile>& files) : package_(package), files_(files)
    {
        size_t count = std::min(kWriters, files.size());
        try {
            for (size_t i = 0; i < count; ++i)
                threads_.emplace_back([this] { run(); });
        } catch (...) {
            // no thread to spare: whatever was started, or this thread in wait(), does the work
        }
    }
    ~BatchWriters()
    {
        stop_.store(true);
        for (std::thread& thread : threads_)
            thread.join();
    }
    BatchWriters(const BatchWriters&) = delete;
    BatchWriters& operator=(const BatchWriters&) = delete;

    // Waits for file `index`, writing it here if no writer has begun it.
    void wait(size_t index)
    {
        if (threads_.empty())
            writeNext();
        std::unique_lock<platform::Mutex> lock(mutex_);
        done_.wait(lock, [&] { return files_[index].done; });
    }
    void stop() { stop_.store(true); }

private:
    void run()
    {
        while (!stop_.load() && writeNext()) {
        }
    }
    bool writeNext()
    {
        size_t index = next_.fetch_add(1);
        if (index >= files_.size())
            return false;
        BatchFile& file = files_[index];
        WrittenFacts facts;
        // without a package every file is damaged, as extractFile says
        Extracted result = Extracted::damaged;
        try {
            if (package_ && *package_)
                result = extractEntry(*package_, file.entry, file.destination, &facts);
        } catch (...) {
            result = Extracted::unwritable;
        }
        {
            std::lock_guard<platform::Mutex> hold(mutex_);
            file.result = result;
            file.facts = facts;
            file.done = true;
        }
        done_.notify_all();
        return true;
    }

    LoadedPackage* package_;
    std::vector<BatchFile>& files_;
    std::atomic<size_t> next_{0};
    std::atomic<bool> stop_{false};
    platform::Mutex mutex_;
    platform::ConditionVariable done_;
    std::vector<std::thread> threads_;
};

// Hands each file's result to the script's function (stack index 2), in the batch's order, as the
// writers finish them. 1: every file handed over; 0: the function returned false; -1: it raised
// an error, which is left on the stack. No C++ object outlives this call, so the caller may
// raise the error.
int handBatchOver(lua_State* L, LoadedPackage* package, std::vector<BatchFile>& files)
{
    BatchWriters writers(package, files);
    for (size_t i = 0; i < files.size(); ++i) {
        writers.wait(i);
        const BatchFile& file = files[i];
        lua_pushvalue(L, 2);
        pushScriptInteger(L, int64_t(i + 1));
        int arguments = 1 + pushExtracted(L, file.result, file.facts);
        if (lua_pcall(L, arguments, 1, 0) != LUA_OK) {
            writers.stop();
            return -1;
        }
        bool goOn = lua_type(L, -1) != LUA_TBOOLEAN || lua_toboolean(L, -1);
        lua_pop(L, 1);
        if (!goOn) {
            writers.stop();
            return 0;
        }
    }
    return 1;
}

// extractFiles(files, written) -> boolean: writes a batch of payload files, each as extractFile
// writes one, several at a time. `files` is a list of {entry, destination}; written(i, true, size,
// check) or written(i, false, why) is called on this thread for each in the list's order as soon as
// it is done (why as extractFile gives it). When written returns false no further file is begun
// and no further call comes: extractFiles returns false once the files being written are done.
// Files of the batch after the one that stopped it may have been written by then, so the journal
// must already name every file of the batch.
int extractFiles(lua_State* L)
{
    auto* work = static_cast<LoadedPackage*>(lua_touserdata(L, lua_upvalueindex(1)));
    luaL_checktype(L, 1, LUA_TTABLE);
    luaL_checktype(L, 2, LUA_TFUNCTION);
    int status = 0;
    try {
        std::vector<BatchFile> files(lua_rawlen(L, 1));
        for (size_t i = 0; i < files.size(); ++i) {
            lua_rawgeti(L, 1, int(i + 1));
            if (lua_type(L, -1) == LUA_TTABLE) {
                lua_rawgeti(L, -1, 1);
                files[i].entry = scriptStringArg(L, -1);
                lua_rawgeti(L, -2, 2);
                files[i].destination = scriptStringArg(L, -1);
                lua_pop(L, 2);
            }
            lua_pop(L, 1);
        }
        status = handBatchOver(L, work, files);
    } catch (...) {
        // no room for the batch (or a writer's bookkeeping): nothing was handed over
        status = 0;
    }
    if (status < 0)
        return lua_error(L);
    lua_pushboolean(L, status > 0);
    return 1;
}

// A progress notification the worker does not wait for: it owns its text, and a stop answer (or
// a service that will never run it) is remembered for the worker's next notifyProgress.
class PostedNotification : public SRService::IRunable {
public:
    PostedNotification(std::string text, std::shared_ptr<std::atomic<bool>> stopped)
        : text_(std::move(text)), stopped_(std::move(stopped))
    {
    }
    void run() override
    {
        ControlEvent event;
        event.code = EventCode::WorkerNotification;
        event.direction = Direct;
        event.wparam = reinterpret_cast<uint64_t>(text_.c_str());
        event.lparam = 0;
        event.handled = 0;
        platform::callbackBoundary(L"LuaWork: a progress handler", [&] { Toolkit::broadcast(event); });
        if (int32_t(uint32_t(event.lparam & 0xFFFFFFFF)) == kStopAnswer)
            stopped_->store(true);
    }
    void discard() override { stopped_->store(true); }

private:
    std::string text_;
    std::shared_ptr<std::atomic<bool>> stopped_;
};

// Progress goes to the UI thread at most this often; the latest one not yet sent goes before the
// next notification the worker waits for, so the UI always sees the last position.
constexpr ULONGLONG kProgressEveryMs = 100;

// The worker thread's progress: one worker per thread, so thread-local.
struct ProgressState {
    std::string pending;   // the latest progress not yet posted; empty: none
    ULONGLONG lastPosted = 0;
    std::shared_ptr<std::atomic<bool>> stopped = std::make_shared<std::atomic<bool>>(false);
};
thread_local ProgressState progressState;

void postProgress(std::string text)
{
    progressState.lastPosted = GetTickCount64();
    SRService::post(std::make_shared<PostedNotification>(std::move(text), progressState.stopped));
}

void flushProgress()
{
    if (progressState.pending.empty())
        return;
    postProgress(std::move(progressState.pending));
    progressState.pending.clear();
}

int32_t deliver(const char* text)
{
    flushProgress();
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

// notifyProgress(text) -> integer: a notification whose answer the worker does not wait for;
// within kProgressEveryMs of the last one it only replaces the one waiting to go. Returns the
// stop answer once the UI has answered any posted notification with it (or can no longer run
// them), 1 otherwise.
int notifyProgress(lua_State* L)
{
    size_t length = 0;
    const char* text = lua_tolstring(L, 1, &length);
    try {
        std::string copy(text ? text : "", text ? length : 0);
        if (GetTickCount64() - progressState.lastPosted >= kProgressEveryMs) {
            progressState.pending.clear();
            postProgress(std::move(copy));
        } else {
            progressState.pending = std::move(copy);
        }
    } catch (...) {
        progressState.stopped->store(true);
    }
    lua_pushinteger(L, progressState.stopped->load() ? kStopAnswer : 1);
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

// Runs the worker script; returns why it did not run to its end, empty when it did.
std::wstring runWork(WorkParameters& params)
{
    platform::OleScope ole;
    FileSystem* files = currentFileSystem();
    LoadedPackage work;
    std::string why;
    switch (work.load(files, params.package, &why)) {
    case LoadedPackage::Status::loaded:
        break;
    case LoadedPackage::Status::unreadable:
        return L"无法读取安装包 " + params.package;
    case LoadedPackage::Status::damaged:
        return L"无法打开安装包 " + params.package + L": " + utf8ToWide(why);
    }
    // Decoders start now, while the script sets itself up; they end with `work`.
    work.decodeAhead(decodeAheadThreads());

    lua_State* L = luaL_newstate();
    if (!L)
        return L"无法创建脚本环境";
    StateCloser closer{L};
    openScriptLibraries(L);
    registerSystemApi(L);
    lua_pushcfunction(L, notifyMessage);
    lua_setglobal(L, "notifyMessage");
    lua_pushcfunction(L, notifyProgress);
    lua_setglobal(L, "notifyProgress");
    lua_pushlightuserdata(L, &work);
    lua_pushcclosure(L, extractFile, 1);
    lua_setglobal(L, "extractFile");
    lua_pushlightuserdata(L, &work);
    lua_pushcclosure(L, extractFiles, 1);
    lua_setglobal(L, "extractFiles");
    lua_register(L, "writeUninstaller", writeUninstaller);

    runConfiguration(L, params);

    FileBuffer script = FileBuffer::read(files, params.script);
    if (!script)
        return L"无法读取脚本文件 " + params.script;
    int top = lua_gettop(L);
    std::wstring failure;
    if (loadScriptText(L, script.text()) != LUA_OK || lua_pcall(L, 0, 0, 0) != LUA_OK)
        failure = errorText(L);
    lua_settop(L, top);
    reportDecoders(work);
    return failure;
}

DWORD WINAPI workerMain(void* argument)
{
    std::unique_ptr<WorkParameters> params(static_cast<WorkParameters*>(argument));
    if (params->cancelled)
        return 0;
    std::wstring failure = platform::callbackBoundary(L"LuaWork: the worker",
        std::wstring(L"LuaWork: the worker ended on an unexpected failure"), [&] { return runWork(*params); });
    if (!failure.empty())
        platform::logStep(L"worker failed: " + failure);
    // The UI decides what the user sees; a box from this thread would be a second one.
    platform::callbackBoundary(L"LuaWork: reporting the end of the worker", [&] {
        const std::string ended = std::string("{code=") + kEndedCode + ",error=" + longBracket(wideToUtf8(failure)) + "}";
        deliver(ended.c_str());
    });
    return 0;
}

bool startWorker(std::unique_ptr<WorkParameters> params)
{
    // Created suspended so that a thread the service will not take never does any work: nothing
    // would wait for it at shut-down, and its notifications could never be answered.
    HANDLE thread = CreateThread(nullptr, 0, workerMain, params.get(), CREATE_SUSPENDED, nullptr);
    if (!thread)
        return false;
    HANDLE waitable = nullptr;
    DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &waitable, SYNCHRONIZE, FALSE, 0);
    platform::UniqueHandle copy(waitable);
    WorkParameters* handedOver = params.release();
    if (!SRService::addThread(thread)) {
        handedOver->cancelled = true;
        ResumeThread(thread);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        return false;
    }
    lastWorker = std::move(copy);
    ResumeThread(thread);   // the reaper owns the handle now; it stays valid until the thread ends
    return true;
}

// The notification handler of waitForWork: the Lua function in the registry answers.
void headlessMessageBridge(void*, Control*, ControlEvent* event)
{
    lua_State* L = uiScriptState;
    if (!event)
        return;
    if (!L || scriptFailurePending(L)) {
        event->lparam = kStopAnswer;
        return;
    }
    const int top = lua_gettop(L);
    lua_getfield(L, LUA_REGISTRYINDEX, "__workHandler");
    const char* text = reinterpret_cast<const char*>(uintptr_t(event->wparam));
    lua_pushstring(L, text ? text : "");
    const bool answered = callScriptProtected(L, 1, 1);
    event->lparam = !answered ? kStopAnswer : lua_isnumber(L, -1) ? int64_t(lua_tointeger(L, -1)) : 0;
    lua_settop(L, top);
}

// Identifies waitForWork's global handler registration.
int headlessTarget;

// waitForWork(handler) -> boolean: answers the last started worker's notifications with
// handler(text), running the thread's messages (and so the task service) without any window, until
// that worker has ended. False at once when no worker was started.
int waitForWork(lua_State* L)
{
    if (!lastWorker || !lua_isfunction(L, 1)) {
        lua_pushboolean(L, 0);
        return 1;
    }
    lua_pushvalue(L, 1);
    lua_setfield(L, LUA_REGISTRYINDEX, "__workHandler");
    Toolkit::addGlobalHandler(EventCode::WorkerNotification, &headlessTarget, headlessMessageBridge);
    HANDLE worker = lastWorker.get();
    while (MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    Toolkit::removeGlobalHandler(EventCode::WorkerNotification, &headlessTarget, headlessMessageBridge);
    lua_pushnil(L);
    lua_setfield(L, LUA_REGISTRYINDEX, "__workHandler");
    lastWorker.reset();
    lua_pushboolean(L, 1);
    return 1;
}

// startWork(script, package, configuration) -> boolean: whether a worker was started; at once.
int startWork(lua_State* L)
{
    bool started = false;
    try {
        auto params = std::make_unique<WorkParameters>();
        params->script = scriptStringArg(L, 1);
        params->package = scriptStringArg(L, 2);
        size_t length = 0;
        if (const char* configuration = lua_tolstring(L, 3, &length))
            params->configuration.assign(configuration, length);
        started = startWorker(std::move(params));
        if (!started)
            OutputDebugStringW(L"startWork: no worker started (the task service is not running)\n");
    } catch (...) {
        OutputDebugStringW(L"startWork: no worker started\n");
    }
    lua_pushboolean(L, started);
    return 1;
}

} // namespace

void setUninstallerSource(const std::wstring& installer)
{
    uninstallerSource = installer;
}

void registerStartWork(lua_State* L)
{
    lua_pushcfunction(L, startWork);
    lua_setglobal(L, "startWork");
    lua_pushcfunction(L, waitForWork);
    lua_setglobal(L, "waitForWork");
}

} // namespace LuaWork
