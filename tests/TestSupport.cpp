// Helpers shared by the Windows tests.
#include "TestSupport.h"

#include <FileTree.h>
#include <platform/Handle.h>
#include <platform/Utf.h>

#include <mutex>

namespace testing_support {

namespace {

std::mutex boxesLock;
std::vector<MessageBoxCapture::Box> capturedBoxes;

int captureBox(HWND, const wchar_t* text, const wchar_t* title, UINT style)
{
    std::lock_guard<std::mutex> lock(boxesLock);
    capturedBoxes.push_back({text, title ? title : L"", style, title == nullptr});
    return IDOK;
}

} // namespace

TempDir::TempDir()
{
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static unsigned counter = 0;
    path_ = std::wstring(base) + L"orvo-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++counter) + L"\\";
    CreateDirectoryW(path_.c_str(), nullptr);
}

TempDir::~TempDir()
{
    deleteTree(path_, true);
}

bool writeFile(const std::wstring& path, const std::string& bytes)
{
    platform::UniqueHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
}

std::string readFile(const std::wstring& path)
{
    platform::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file)
        return {};
    std::string out(GetFileSize(file.get(), nullptr), '\0');
    DWORD read = 0;
    ReadFile(file.get(), &out[0], DWORD(out.size()), &read, nullptr);
    out.resize(read);
    return out;
}

void pumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool pumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        pumpMessages();
    }
    return true;
}

std::wstring widen(const std::string& utf8)
{
    return utf8ToWide(std::string_view(utf8));
}

std::string narrow(const std::wstring& text)
{
    return wideToUtf8(text);
}

MessageBoxCapture::MessageBoxCapture()
    : previous_(setMessageBoxHandler(captureBox))
{
    std::lock_guard<std::mutex> lock(boxesLock);
    capturedBoxes.clear();
}

MessageBoxCapture::~MessageBoxCapture()
{
    setMessageBoxHandler(previous_);
}

std::vector<MessageBoxCapture::Box> MessageBoxCapture::boxes() const
{
    std::lock_guard<std::mutex> lock(boxesLock);
    return capturedBoxes;
}

namespace {

// Under Wine the link functions do nothing, but a host symbolic link shows up as a directory
// reparse point, which is what a link looks like to the code under test.
using UnixName = char*(CDECL*)(const wchar_t*);
UnixName wineUnixName()
{
    return reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

// Wine hands back the host command's process before the command has run and with no reliable
// exit code, so callers poll for its effect.
void runHostCommand(std::wstring commandLine)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return;
    WaitForSingleObject(info.hProcess, 10000);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
}

std::wstring hostPath(const std::wstring& path)
{
    char* unix = wineUnixName()(path.c_str());
    std::wstring text = unix ? widen(unix) : std::wstring();
    HeapFree(GetProcessHeap(), 0, unix);
    return text;
}

bool isDirectoryLink(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool isFileLink(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

} // namespace

bool makeLink(const std::wstring& link, const std::wstring& target, bool directory)
{
    auto made = [&] { return directory ? isDirectoryLink(link) : isFileLink(link); };
    if (CreateSymbolicLinkW(link.c_str(), target.c_str(), (directory ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | 0x2) && made())
        return true;
    if (!wineUnixName())
        return false;
    runHostCommand(L"Z:\\bin\\ln -s \"" + hostPath(target) + L"\" \"" + hostPath(link) + L"\"");
    for (int i = 0; i < 100 && !made(); ++i)
        Sleep(50);
    if (made())
        return true;
    // a host link Wine does not show as a link is no use, and must not stay behind
    runHostCommand(L"Z:\\bin\\rm -f \"" + hostPath(link) + L"\"");
    return false;
}

bool makeDirectoryLink(const std::wstring& link, const std::wstring& target)
{
    return makeLink(link, target, true);
}

void removeDirectoryLink(const std::wstring& link)
{
    if (!wineUnixName()) {
        if (isDirectoryLink(link))
            RemoveDirectoryW(link.c_str());
        else if (isFileLink(link))
            DeleteFileW(link.c_str());
        return;
    }
    runHostCommand(L"Z:\\bin\\rm -f \"" + hostPath(link) + L"\"");
    for (int i = 0; i < 100 && GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(50);
}


} // namespace testing_support
