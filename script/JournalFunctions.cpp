// System functions that keep the install journal: the installer's scripts make folders, keep
// replaced files, write registry values and register servers through them, so everything lands
// in the journal; the uninstaller's scripts undo it step by step.
#include "JournalFunctions.h"

#include "ScriptConvert.h"
#include "SystemFunctions.h"

#include <FileTree.h>
#include <WindowsJournalSystem.h>
#include <platform/CriticalSection.h>
#include <platform/Handle.h>
#include <platform/StepLog.h>

#include <windows.h>

#include <map>
#include <memory>
#include <mutex>
#include <set>

extern "C" {
#include <lauxlib.h>
}

namespace {

using Kind = JournalRecord::Kind;

// Records are saved once this many are new and the last save is this old, so a crash loses
// little. Every save writes the whole journal again: saving by count alone made an install of
// thousands of small files write its journal hundreds of times over.
constexpr size_t kSaveEvery = 32;
constexpr ULONGLONG kSaveEveryMs = 500;

// One journal per process, shared by the UI script and the worker: the worker writes the files,
// the UI script the registry afterwards.
struct ActiveJournal {
    std::wstring folder;                  // the install folder, with its trailing "\"; empty: none
    std::vector<JournalRecord> records;
    size_t unsaved = 0;
    ULONGLONG lastSaved = 0;   // GetTickCount64 of the last save
    WindowsJournalSystem system;
    std::unique_ptr<JournalReplay> removal;   // an uninstall under way over `records`
    bool removalRestart = false;
    // Folders this session made, lower case with their trailing "\": they were empty when made, so
    // a file about to be written in one needs no look for an older copy to keep. Under Wine each
    // look that finds nothing scans the whole folder for another letter case.
    std::set<std::wstring> made;
};

platform::ProcessCriticalSection journalLock;
ActiveJournal& journal()
{
    static ActiveJournal* active = new ActiveJournal;   // never destroyed: a worker may outlive main
    return *active;
}

std::wstring lowerCase(std::wstring text)
{
    if (!text.empty())
        CharLowerBuffW(&text[0], DWORD(text.size()));
    return text;
}

std::wstring withBackslashes(std::wstring path)
{
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

bool isFolderPath(const std::wstring& path)
{
    return !path.empty() && path.back() == L'\\';
}

void append(ActiveJournal& active, JournalRecord record)
{
    if (active.folder.empty())
        return;
    active.records.push_back(std::move(record));
    if (++active.unsaved >= kSaveEvery && GetTickCount64() - active.lastSaved >= kSaveEveryMs &&
        saveJournal(active.folder, active.records)) {
        active.unsaved = 0;
        active.lastSaved = GetTickCount64();
    }
}

bool save(ActiveJournal& active)
{
    if (active.folder.empty())
        return false;
    if (!saveJournal(active.folder, active.records))
        return false;
    active.unsaved = 0;
    active.lastSaved = GetTickCount64();
    return true;
}

int pushFailure(lua_State* L, const std::string& why)
{
    lua_pushnil(L);
    lua_pushstring(L, why.c_str());
    return 2;
}

// journalBegin(folder, version) -> true: starts an install session, after the records of every
// earlier install into the folder. A damaged journal is kept aside and a new one begun: the
// install must not be blocked by it, and the damaged copy stays for whoever looks.
int journalBegin(lua_State* L)
{
    std::wstring folder = withBackslashes(scriptStringArg(L, 1));
    if (!isFolderPath(folder))
        return pushFailure(L, "the install folder must end with \\");
    std::lock_guard<platform::ProcessCriticalSection> hold(journalLock);
    ActiveJournal& active = journal();
    active.folder = folder;
    active.records.clear();
    active.made.clear();
    active.removal.reset();
    std::string error;
    if (!loadJournal(folder, &active.records, &error) && error != "missing") {
        std::wstring path = folder + kJournalFileName;
        MoveFileExW(path.c_str(), (path + L".damaged").c_str(), MOVEFILE_REPLACE_EXISTING);
        active.records.clear();
    }
    JournalRecord session;
    session.kind = Kind::session;
    session.path = wideToUtf8(scriptStringArg(L, 2));
    active.records.push_back(session);
    lua_pushboolean(L, 1);
    return 1;
}

// journalCreateDirectory(path) -> boolean: makes every missing level, recording each one made.
int journalCreateDirectory(lua_State* L)
{
    std::wstring path = withBackslashes(scriptStringArg(L, 1));
    if (!isFolderPath(path))
        path += L'\\';
    std::lock_guard<platform::ProcessCriticalSection> hold(journalLock);
    // A level made outside Program Files gets rights of its own, not the drive root's, under which
    // any user could change what this process registers and the uninstaller later runs.
    std::vector<std::wstring> madeLevels;
    createDirectoryChain(path, &madeLevels);
    for (const std::wstring& level : madeLevels) {
        platform::logStep(L"folder made: " + level);
        journal().made.insert(lowerCase(level));
        JournalRecord record;
        record.kind = Kind::folder;
        record.path = wideToUtf8(level);
        append(journal(), record);
    }
    DWORD attributes = GetFileAttributesW(path.c_str());
    bool made = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (!made)
        platform::logStep(L"folder could not be made: " + path);
    lua_pushboolean(L, made);
    return 1;
}

// journalKeepFile(path) -> boolean: before a file is written. A file already there is moved
// aside whole, so a rollback can put it back; false when it cannot be moved (it is in use).
int journalKeepFile(lua_State* L)
{
    std::wstring path = withBackslashes(scriptStringArg(L, 1));
    std::lock_guard<platform::ProcessCriticalSection> hold(journalLock);
    ActiveJournal& active = journal();
    JournalRecord record;
    record.kind = Kind::file;
    record.path = wideToUtf8(path);
    // A file planted in a made folder since is found by extractFile's CREATE_NEW, which then
    // writes beside it and moves over it; the record written here has the rollback delete it.
    size_t slash = path.rfind(L'\\');
    bool inMadeFolder = slash != std::wstring::npos && active.made.count(lowerCase(path.substr(0, slash + 1)));
    DWORD attributes = inMadeFolder ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            lua_pushboolean(L, 0);
            return 1;
        }
        std::wstring kept;
        for (int n = 1; kept.empty() || GetFileAttributesW(kept.c_str()) != INVALID_FILE_ATTRIBUTES; ++n)
            kept = path + L".~orvo" + std::to_wstring(n);
        if (!MoveFileExW(path.c_str(), kept.c_str(), 0)) {
            lua_pushboolean(L, 0);
            return 1;
        }
        record.kept = wideToUtf8(kept);
        append(active, record);
        // the journal must know where the old file went before anything else can happen
        save(active);
    } else {
        append(active, record);
    }
    lua_pushboolean(L, 1);
    return 1;
}

// journalFileWritten(path, userData [, size, check]) -> boolean: records the written file's size
// and check value; without the two (extractFile returns them from the bytes it wrote) they are
// read from the file.
int journalFileWritten(lua_State* L)
{
    std::string path = wideToUtf8(withBackslashes(scriptStringArg(L, 1)));
    bool userData = scriptBooleanArg(L, 2);
    std::optional<FileFacts> facts;
    if (lua_type(L, 3) == LUA_TNUMBER && lua_type(L, 4) == LUA_TNUMBER && scriptIntegerArg(L, 3) >= 0) {
        facts = FileFacts{};
        facts->size = scriptIntegerArg(L, 3);
        facts->check = uint32_t(scriptIntegerArg(L, 4));
    }
    std::lock_guard<platform::ProcessCriticalSection> hold(journalLock);
    ActiveJournal& active = journal();
    if (!facts)
        facts = active.system.fileFacts(path);
    JournalRecord* record = nullptr;
    const size_t sessionStart = lastSessionStart(active.records);
    for (size_t i = active.records.size(); i-- > sessionStart;) {
        if (active.records[i].kind == Kind::file && active.records[i].path == path) {
            record = &active.records[i];
            break;
        }
    }
    JournalRecord added;
    if (!record) {
        added.kind = Kind::file;
        added.path = path;
        record = &added;
    }
    record->userData = userData;
    if (facts) {
        record->size = facts->size;
        record->check = facts->check;
    }
    if (record == &added)
        append(active, added);
    lua_pushboolean(L, facts.has_value());
    return 1;
}

// journalWriteRegistry(root, key, name, value) -> boolean: a number is written as a DWORD,
// anything else as a string; the keys it makes and the value it replaces are recorded.
int journalWriteRegistry(lua_State* L)
{
    HKEY root = reinterpret_cast<HKEY>(static_cast<intptr_t>(scriptIntegerArg(L, 1)));
    std::string rootName = journalRootName(root);
    std::wstring key = scriptStringArg(L, 2), name = scriptStringArg(L, 3);
    if (rootName.empty() || key.find_first_not_of(L'\\') == std::wstring::npos) {
        lua_pushboolean(L, 0);
        return 1;
    }
    RegistryData data;
    std::wstring shown;   // for the log
    if (lua_type(L, 4) == LUA_TNUMBER) {
        DWORD number = DWORD(uint64_t(scriptIntegerArg(L, 4)) & 0xFFFFFFFFu);
        data = RegistryData{REG_DWORD, std::string(reinterpret_cast<const char*>(&number), sizeof number)};
        shown = std::to_wstring(number);
    } else {
        shown = scriptStringArg(L, 4);
        data = RegistryData{REG_SZ, std::string(reinterpret_cast<const char*>(shown.c_str()), (shown.size() + 1) * sizeof(wchar_t))};
    }
    std::lock_guard<platform::ProcessCriticalSection> hold(journalLock);
    ActiveJournal& active = journal();
    // the keys on the way, outermost first
    for (size_t at = 0; at != std::wstring::npos;) {
        at = key.find(L'\\', at + 1);
        std::wstring level = key.substr(0, at);
        platform::RegKey existing;
        if (RegOpenKeyExW(root, level.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, existing.out()) == ERROR_SUCCESS)
            continue;
        if (RegCreateKeyExW(root, level.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                            nullptr, existing.out(), nullptr) != ERROR_SUCCESS)
            break;
        JournalRecord record;
        record.kind = Kind::key;
        record.root = rootName;
        record.path = wideToUtf8(level);
        append(active, record);
    }
    JournalRecord record;
    record.kind = Kind::value;
    record.root = rootName;
    record.path = wideToUtf8(key);
    record.name = wideToUtf8(name);
    record.type = data.type;
    record.data = data.bytes;
    if (std::optional<RegistryData> previous = readRegistryValue(root, key, name)) {
        record.hadPrevious = true;
        record.previousType = previous->type;
        record.previousData = previous->bytes;
    }
    bool written = active.system.setValue(rootName, record.path, record.name, data);
    if (written)
        append(active, record);
    platform::logStep((written ? L"registry value written: " : L"registry value NOT written: ") + utf8ToWide(rootName) +
                      L"\\" + key + L"\\" + (name.empty() ? L"(default)" : name) + L" = " + shown);
    lua_pushboolean(L, written);
    return 1;
}

// journalRecord(kind, path): "shortcut" for a shortcut file made, "server" for a module that
// regsvr32 registered.
int journalRecord(lua_State* L)
{
    std::string kind = wideToUtf8(scriptStringArg(L, 1));
    JournalRecord record;
    if (kind == "shortcut")
        record.kind = Kind::shortcut;
    else if (kind == "server")
        record.kind = Kind::server;
    else
        return 0;
    record.path = wideToUtf8(withBackslashes(scriptStringArg(L, 2)));
    std::lock_guard<platform::ProcessCriticalSection> hold(journalLock);
    append(journal(), record);
    return 0;
}

// journalInstalledSize() -> integer: KiB of every file the journal lists, each path counted once.
int journalInstalledSize(lua_State* L)
{
    std::lock_guard<platform::ProcessCriticalSection> hold(journalLock);
    std::map<std::string, int64_t> sizes;
    for (const JournalRecord& record : journal().records)
        if (record.kind == Kind::file && record.size >= 0)
            sizes[record.path] = record.size;
    int64_t total = 0;
    for (const auto& size : sizes)
        total += size.second;
    pushScriptInteger(L, (total + 1023) / 1024);
    return 1;
}

int journalSave(lua_State* L)
{
    std::lock_guard<platform::ProcessCriticalSection> hold(journalLock);
    lua_pushboolean(L, save(journal()));
    return 1;
}

// journalFinish() -> boolean: the install is complete; the replaced files it kept go.
int journalFinish(lua_State* L)
{
    std::lock_guard<platform::ProcessCriticalSection> hold(journalLock);
    ActiveJournal& active = journal();
    for (size_t i = lastSessionStart(active.records); i < active.records.size(); ++i) {
        JournalRecord& record = active.records[i];
        if (record.kind != Kind::file || record.kept.empty())
            continue;
        if (!active.system.deleteFile(record.kept))
            active.system.deleteAtReboot(record.kept);
        record.kept.clear();
    }
    lua_pushboolean(L, save(active));
    return 1;
}

// journalRollback(): undoes the current session, newest first. The journal keeps the earlier
// installs' records; with none left it goes before the folders it lies in are removed.
int journalRollback(lua_State* L)
{
    std::lock_guard<platform::ProcessCriticalSection> hold(journalLock);
    ActiveJournal& active = journal();
    if (active.folder.empty())
        return 0;
    std::string folder = wideToUtf8(active.folder);
    JournalReplay replay(active.records, JournalReplay::Mode::rollback, folder, active.system);
    std::vector<JournalRecord> remaining = replay.remaining();
    if (remaining.empty()) {
        std::wstring path = active.folder + kJournalFileName;
        DeleteFileW(path.c_str());
        DeleteFileW((path + L".new").c_str());
    }
    replay.run();
    active.records = std::move(remaining);
    if (!active.records.empty())
        save(active);
    active.folder.clear();
    return 0;
}

// journalOpenRemoval(folder [, program [, allowed]]) -> steps | nil, why: reads the journal for
// an uninstall. A missing or damaged journal removes nothing. `program`, the uninstaller that was
// started from the install folder, is left for finishDeferredRemoval; `allowed` lists the
// registry keys, values and shortcut the uninstall may touch (see JournalReplay::restrictTo).
int journalOpenRemoval(lua_State* L)
{
    std::wstring folder = withBackslashes(scriptStringArg(L, 1));
    if (!isFolderPath(folder))
        return pushFailure(L, "the install folder must end with \\");
    std::lock_guard<platform::ProcessCriticalSection> hold(journalLock);
    ActiveJournal& active = journal();
    active.removal.reset();
    active.folder.clear();
    active.records.clear();
    std::string error;
    if (!loadJournal(folder, &active.records, &error)) {
        active.records.clear();
        return pushFailure(L, error);
    }
    active.removal = std::make_unique<JournalReplay>(active.records, JournalReplay::Mode::uninstall,
                                                     wideToUtf8(folder), active.system);
    if (lua_gettop(L) >= 2)
        active.removal->defer(wideToUtf8(withBackslashes(scriptStringArg(L, 2))));
    if (lua_istable(L, 3)) {
        std::vector<std::string> allowed;
        for (int i = 1;; ++i) {
            lua_rawgeti(L, 3, i);
            if (!lua_isstring(L, -1)) {
                lua_pop(L, 1);
                break;
            }
            allowed.push_back(wideToUtf8(scriptStringArg(L, -1)));
            lua_pop(L, 1);
        }
        active.removal->restrictTo(std::move(allowed));
    }
    active.removalRestart = false;
    pushScriptInteger(L, int64_t(active.removal->steps()));
    return 1;
}

// journalRemoveNext() -> path | nil: undoes the next record of the uninstall.
int journalRemoveNext(lua_State* L)
{
    std::lock_guard<platform::ProcessCriticalSection> hold(journalLock);
    ActiveJournal& active = journal();
    std::string what;
    if (!active.removal || !active.removal->next(&what))
        return 0;
    lua_pushstring(L, what.c_str());
    return 1;
}

// journalFinishRemoval(folder) -> restartNeeded: the journal itself goes last; true when
// something could only be scheduled for deletion at the next boot.
int journalFinishRemoval(lua_State* L)
{
    std::wstring folder = withBackslashes(scriptStringArg(L, 1));
    std::lock_guard<platform::ProcessCriticalSection> hold(journalLock);
    ActiveJournal& active = journal();
    if (!active.removal)
        return 0;
    active.removal->run();
    bool restart = active.removal->restartNeeded();
    std::string path = wideToUtf8(folder + kJournalFileName);
    if (active.system.exists(path) && !active.system.deleteFile(path) && active.system.deleteAtReboot(path))
        restart = true;
    lua_pushboolean(L, restart);
    return 1;
}

const luaL_Reg kJournalFunctions[] = {
    {"journalBegin", sysapi::guarded<journalBegin>},
    {"journalCreateDirectory", sysapi::guarded<journalCreateDirectory>},
    {"journalKeepFile", sysapi::guarded<journalKeepFile>},
    {"journalFileWritten", sysapi::guarded<journalFileWritten>},
    {"journalWriteRegistry", sysapi::guarded<journalWriteRegistry>},
    {"journalRecord", sysapi::guarded<journalRecord>},
    {"journalInstalledSize", sysapi::guarded<journalInstalledSize>},
    {"journalSave", sysapi::guarded<journalSave>},
    {"journalFinish", sysapi::guarded<journalFinish>},
    {"journalRollback", sysapi::guarded<journalRollback>},
    {"journalOpenRemoval", sysapi::guarded<journalOpenRemoval>},
    {"journalRemoveNext", sysapi::guarded<journalRemoveNext>},
    {"journalFinishRemoval", sysapi::guarded<journalFinishRemoval>},
    {nullptr, nullptr},
};

} // namespace

void finishDeferredRemoval()
{
    std::lock_guard<platform::ProcessCriticalSection> hold(journalLock);
    ActiveJournal& active = journal();
    if (!active.removal)
        return;
    active.removal->finishDeferred();
    active.removal.reset();
    active.records.clear();
}

void registerJournalApi(lua_State* L)
{
    lua_pushglobaltable(L);
    luaL_setfuncs(L, kJournalFunctions, 0);
    lua_pop(L, 1);
}
