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

} // namespace testing_support
