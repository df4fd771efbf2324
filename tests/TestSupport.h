// Helpers shared by the Windows tests: temporary folders, files, and message-box capture.
#pragma once

#include <MessageBox.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// A fresh folder under the temp path, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::wstring& path() const { return path_; }   // ends with a backslash
    std::wstring file(const std::wstring& name) const { return path_ + name; }

private:
    std::wstring path_;
};

bool writeFile(const std::wstring& path, const std::string& bytes);
// Runs the thread's messages (and so the task service's tasks) until `done` or the time-out;
// false on the time-out.
bool pumpMessagesUntil(const std::function<bool()>& done, DWORD timeoutMs = 20000);
// Dispatches whatever the thread's queue holds now, without waiting.
void pumpMessages();
std::string readFile(const std::wstring& path);
std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& text);

// Records every message box instead of showing it, for as long as it lives; answers IDOK.
class MessageBoxCapture {
public:
    struct Box {
        std::wstring text, title;
        UINT style;
        bool defaultTitle;   // shown with a null title, so with the platform's default caption
    };
    MessageBoxCapture();
    ~MessageBoxCapture();
    std::vector<Box> boxes() const;

private:
    MessageBoxHandler previous_;
};

// A symbolic link at `link` to `target`, seen by the code under test as a reparse point. Under
// Wine the link functions do nothing, so a host link is made instead. False when neither works.
bool makeLink(const std::wstring& link, const std::wstring& target, bool directory);
bool makeDirectoryLink(const std::wstring& link, const std::wstring& target);
// Removes the link itself, never what it points to.
void removeDirectoryLink(const std::wstring& link);

} // namespace testing_support
