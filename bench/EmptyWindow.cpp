// The yardstick of the installer's start-up: an empty program built the way the installer is
// (static, the same manifest, the same DLL search restriction) that shows a window of the
// installer's size in the middle of the screen, paints it one colour and closes half a second later.
// With ORVO_STARTUP_TRACE=1 it writes the same "first paint" line as the installer.
#include <platform/StartupTrace.h>
#include <platform/SystemApis.h>

#include <windows.h>

__attribute__((constructor(101))) static void restrictDllSearchFirst()
{
    platform::restrictDllSearch();
}

namespace {

constexpr UINT_PTR kCloseTimer = 1;

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        HBRUSH brush = CreateSolidBrush(RGB(0x2E, 0x7D, 0xF6));
        FillRect(dc, &paint.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(hwnd, &paint);
        platform::startupMarkOnce(L"first paint");
        SetTimer(hwnd, kCloseTimer, 500, nullptr);
        return 0;
    }
    case WM_TIMER:
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wparam, lparam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    platform::startupMark(L"entry point");
    WNDCLASSEXW windowClass{sizeof windowClass};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = L"OrvoEmptyWindow";
    RegisterClassExW(&windowClass);
    const int width = 600, height = 400;
    HWND hwnd = CreateWindowExW(0, windowClass.lpszClassName, L"Empty", WS_POPUP,
                                (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr,
                                instance, nullptr);
    if (!hwnd)
        return 1;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
