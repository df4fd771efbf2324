// The setup log: a file opened once, whole lines appended under a lock.
#include "SetupLog.h"

#include <FileTree.h>
#include <platform/Utf.h>

#include <windows.h>

#include <cwchar>
#include <mutex>

bool SetupLog::open(const std::wstring& path)
{
    std::lock_guard<platform::CriticalSection> hold(lock_);
    file_.reset();
    const std::wstring file = toBackslashes(path);
    const size_t slash = file.find_last_of(L'\\');
    if (slash != std::wstring::npos && slash > 0)
        createDirectoryChain(file.substr(0, slash));
    file_.reset(CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    return bool(file_);
}

void SetupLog::close()
{
    std::lock_guard<platform::CriticalSection> hold(lock_);
    file_.reset();
}

bool SetupLog::isOpen() const
{
    std::lock_guard<platform::CriticalSection> hold(lock_);
    return bool(file_);
}

void SetupLog::write(const std::wstring& line)
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t stamp[32];
    swprintf(stamp, 32, L"%04u-%02u-%02u %02u:%02u:%02u.%03u  ", now.wYear, now.wMonth, now.wDay, now.wHour,
             now.wMinute, now.wSecond, now.wMilliseconds);
    std::wstring text = stamp + line;
    for (wchar_t& c : text)
        if (c == L'\r' || c == L'\n')
            c = L' ';
    const std::string bytes = wideToUtf8(text) + "\r\n";

    std::lock_guard<platform::CriticalSection> hold(lock_);
    if (!file_)
        return;
    DWORD written = 0;
    WriteFile(file_.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

SetupLog& setupLog()
{
    static SetupLog* log = new SetupLog;
    return *log;
}
