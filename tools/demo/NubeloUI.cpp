// The demo product's application: a small real window, so that "finish and launch" starts
// something a person (or a test) can see running.
#include <windows.h>

#include <string>

namespace {

constexpr wchar_t kClass[] = L"NubeloUIWindow";
constexpr wchar_t kTitle[] = L"Pelora";

std::wstring commandLineArgument;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        HBRUSH background = CreateSolidBrush(RGB(0x1F, 0x6F, 0xEB));
        FillRect(dc, &client, background);
        DeleteObject(background);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
        std::wstring text = L"Pelora 8.0.0.5";
        if (!commandLineArgument.empty())
            text += L"\n" + commandLineArgument;
        DrawTextW(dc, text.c_str(), -1, &client, DT_CENTER | DT_VCENTER | DT_NOPREFIX | DT_WORDBREAK);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int show)
{
    // The URL protocol passes the link as the only argument.
    if (commandLine)
        commandLineArgument = commandLine;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    windowClass.lpszClassName = kClass;
    if (!RegisterClassExW(&windowClass))
        return 1;
    HWND window = CreateWindowExW(0, kClass, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 480, 320,
                                  nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
