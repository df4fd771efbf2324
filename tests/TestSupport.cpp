// Helpers shared by the Windows tests.
#include "TestSupport.h"

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

void removeTree(const std::wstring& dir)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring path = dir + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(path + L"\\");
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(dir.c_str());
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
    removeTree(path_);
}

bool writeFile(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(file);
    return ok;
}

std::string readFile(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string out(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    ReadFile(file, &out[0], DWORD(out.size()), &read, nullptr);
    CloseHandle(file);
    out.resize(read);
    return out;
}

std::wstring widen(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), &out[0], n);
    return out;
}

std::string narrow(const std::wstring& text)
{
    if (text.empty())
        return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &out[0], n, nullptr, nullptr);
    return out;
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
