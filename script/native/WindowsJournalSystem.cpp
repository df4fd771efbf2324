// The journal's system calls on Windows: files, folders, delete-at-boot, registry, regsvr32.
#include "WindowsJournalSystem.h"

#include <platform/Handle.h>
#include <platform/Utf.h>

#include <windows.h>

namespace {

constexpr REGSAM kRegistryView = KEY_WOW64_64KEY;
constexpr DWORD kRegsvr32Wait = 60 * 1000;

struct RootName {
    HKEY key;
    const char* name;
};
const RootName kRoots[] = {
    {HKEY_CLASSES_ROOT, "HKCR"},
    {HKEY_CURRENT_USER, "HKCU"},
    {HKEY_LOCAL_MACHINE, "HKLM"},
    {HKEY_USERS, "HKU"},
};

std::wstring wide(const std::string& text)
{
    return utf8ToWide(text);
}

// Folders are named with their trailing separator in the journal; the file functions want none.
std::wstring withoutTrailingSlash(const std::string& path)
{
    std::wstring out = wide(path);
    while (out.size() > 3 && (out.back() == L'\\' || out.back() == L'/'))
        out.pop_back();
    return out;
}

void clearReadOnly(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(path.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
}

std::wstring journalPath(const std::wstring& folder)
{
    return folder + kJournalFileName;
}

} // namespace

HKEY journalRootKey(const std::string& name)
{
    for (const RootName& root : kRoots)
        if (name == root.name)
            return root.key;
    return nullptr;
}

std::string journalRootName(HKEY key)
{
    for (const RootName& root : kRoots)
        if (key == root.key)
            return root.name;
    return {};
}

std::optional<RegistryData> readRegistryValue(HKEY root, const std::wstring& key, const std::wstring& name)
{
    platform::RegKey opened;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE | kRegistryView, opened.out()) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(opened.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    RegistryData data{type, std::string(size, '\0')};
    if (size && RegQueryValueExW(opened.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data.bytes[0]),
                                 &size) != ERROR_SUCCESS)
        return std::nullopt;
    data.bytes.resize(size);
    return data;
}

std::optional<FileFacts> WindowsJournalSystem::fileFacts(const std::string& path)
{
    platform::UniqueHandle file(CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file)
        return std::nullopt;
    FileFacts facts;
    static thread_local char buffer[1 << 16];
    DWORD read = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
        facts.check = journalCrc32(buffer, read, facts.check);
        facts.size += read;
    }
    return facts;
}

bool WindowsJournalSystem::exists(const std::string& path)
{
    return GetFileAttributesW(withoutTrailingSlash(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WindowsJournalSystem::deleteFile(const std::string& path)
{
    std::wstring file = wide(path);
    clearReadOnly(file);
    return DeleteFileW(file.c_str()) != 0;
}

bool WindowsJournalSystem::deleteAtReboot(const std::string& path)
{
    return MoveFileExW(withoutTrailingSlash(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

bool WindowsJournalSystem::moveReplacing(const std::string& from, const std::string& to)
{
    std::wstring target = wide(to);
    clearReadOnly(target);
    return MoveFileExW(wide(from).c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool WindowsJournalSystem::removeEmptyFolder(const std::string& path)
{
    return RemoveDirectoryW(withoutTrailingSlash(path).c_str()) != 0;
}

bool WindowsJournalSystem::setValue(const std::string& root, const std::string& key, const std::string& name,
                                    const std::optional<RegistryData>& data)
{
    HKEY rootKey = journalRootKey(root);
    if (!rootKey || key.empty())
        return false;
    platform::RegKey opened;
    if (!data) {
        if (RegOpenKeyExW(rootKey, wide(key).c_str(), 0, KEY_SET_VALUE | kRegistryView, opened.out()) != ERROR_SUCCESS)
            return true;   // nothing left to remove
        LSTATUS status = RegDeleteValueW(opened.get(), wide(name).c_str());
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    if (RegCreateKeyExW(rootKey, wide(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE | kRegistryView,
                        nullptr, opened.out(), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExW(opened.get(), wide(name).c_str(), 0, data->type,
                          reinterpret_cast<const BYTE*>(data->bytes.data()), DWORD(data->bytes.size())) == ERROR_SUCCESS;
}

bool WindowsJournalSystem::deleteEmptyKey(const std::string& root, const std::string& key)
{
    HKEY rootKey = journalRootKey(root);
    if (!rootKey || key.find_first_not_of('\\') == std::string::npos)
        return false;
    platform::RegKey opened;
    if (RegOpenKeyExW(rootKey, wide(key).c_str(), 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | kRegistryView,
                      opened.out()) != ERROR_SUCCESS)
        return true;
    DWORD subKeys = 0, values = 0;
    if (RegQueryInfoKeyW(opened.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
        subKeys || values)
        return false;
    opened.reset();
    return RegDeleteKeyExW(rootKey, wide(key).c_str(), kRegistryView, 0) == ERROR_SUCCESS;
}

void WindowsJournalSystem::unregisterServer(const std::string& path)
{
    runRegsvr32(L"/s /u \"" + wide(path) + L"\"");
}

void runRegsvr32(const std::wstring& arguments)
{
    wchar_t system[MAX_PATH] = {};
    UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    std::wstring program = std::wstring(system, length) + L"\\regsvr32.exe";
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, system,
                        &startup, &info))
        return;
    platform::UniqueHandle process(info.hProcess), thread(info.hThread);
    WaitForSingleObject(process.get(), kRegsvr32Wait);
}

bool saveJournal(const std::wstring& folder, const std::vector<JournalRecord>& records)
{
    const std::string text = formatJournal(records);
    const std::wstring path = journalPath(folder), fresh = path + L".new";
    {
        platform::UniqueHandle file(CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        if (!file || !WriteFile(file.get(), text.data(), DWORD(text.size()), &written, nullptr) ||
            written != text.size() || !FlushFileBuffers(file.get())) {
            file.reset();
            DeleteFileW(fresh.c_str());
            return false;
        }
    }
    clearReadOnly(path);
    if (MoveFileExW(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(fresh.c_str());
    return false;
}

bool loadJournal(const std::wstring& folder, std::vector<JournalRecord>* records, std::string* error)
{
    platform::UniqueHandle file(CreateFileW(journalPath(folder).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        *error = "missing";
        return false;
    }
    LARGE_INTEGER size{};
    // far more than any install writes: a bigger file is not ours
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > (64 << 20)) {
        *error = "unreadable";
        return false;
    }
    std::string text(size_t(size.QuadPart), '\0');
    DWORD read = 0;
    if (!text.empty() && (!ReadFile(file.get(), &text[0], DWORD(text.size()), &read, nullptr) || read != text.size())) {
        *error = "unreadable";
        return false;
    }
    JournalParse parsed = parseJournal(text);
    if (!parsed.ok()) {
        *error = parsed.error;
        return false;
    }
    *records = std::move(parsed.records);
    return true;
}
