// Test helper: waits for a message box with the given title in any process, saves its text and
// presses one of its buttons, the way a person would. Working inside Wine, it needs no X tools.
// Usage: answer_box TITLE [BUTTON_ID [TEXT_FILE [TIMEOUT_MS]]]. Exit 0 answered, 1 no box, 2 usage.
#include <platform/Handle.h>
#include <platform/Utf.h>

#include <windows.h>

#include <cwchar>
#include <string>

namespace {

BOOL CALLBACK collectText(HWND child, LPARAM param)
{
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    if (_wcsicmp(className, L"Static") != 0)
        return TRUE;
    int length = GetWindowTextLengthW(child);
    if (length <= 0)
        return TRUE;
    std::wstring text(size_t(length) + 1, L'\0');
    GetWindowTextW(child, &text[0], length + 1);
    text.resize(size_t(length));
    *reinterpret_cast<std::wstring*>(param) += text;
    return TRUE;
}

void saveUtf8(const wchar_t* path, const std::wstring& text)
{
    std::string bytes = wideToUtf8(text);
    platform::UniqueHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!file)
        return;
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2)
        return 2;
    int button = argc > 2 ? _wtoi(argv[2]) : IDOK;
    const wchar_t* textFile = argc > 3 && *argv[3] ? argv[3] : nullptr;
    DWORD timeout = argc > 4 ? DWORD(_wtoi(argv[4])) : 30000;
    for (DWORD waited = 0; waited < timeout; waited += 50) {
        HWND box = FindWindowW(L"#32770", argv[1]);
        if (box && IsWindowVisible(box)) {
            std::wstring text;
            EnumChildWindows(box, collectText, reinterpret_cast<LPARAM>(&text));
            if (textFile)
                saveUtf8(textFile, text);
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
            // Gone before we return, so the caller's next look finds the next box, not this one.
            for (int i = 0; i < 100 && IsWindow(box); ++i)
                Sleep(20);
            return 0;
        }
        Sleep(50);
    }
    return 1;
}
