// Test helper: reports what another process's toolkit window looks like from outside, for the
// end-to-end scripts: its rectangle and region, its shadow window and its tooltip.
// Usage: window_probe TITLE prints one line each:
//   window VISIBLE LEFT TOP RIGHT BOTTOM ENABLED       (or "window none")
//   region LEFT TOP RIGHT BOTTOM                       (or "region none")
//   shadow VISIBLE LEFT TOP RIGHT BOTTOM EXSTYLE HANDLE (or "shadow none")
//   tooltip VISIBLE                                     (or "tooltip none")
// window_probe --exists HANDLE prints "exists 1" or "exists 0".
// window_probe --box TITLE exits 0 when a dialog box with that title is shown, else 1.
// window_probe --popup prints "popup VISIBLE LEFT TOP RIGHT BOTTOM" for a combo box's drop-down (a
//   toolkit tool window without owner that is not layered; a shown one first), or "popup none".
// Exit 0 otherwise; 2 for bad usage.
#include <platform/Gdi.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>

namespace {

constexpr wchar_t kToolkitClass[] = L"WINDOW:234:000";

struct OwnedSearch {
    HWND owner;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK findOwned(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<OwnedSearch*>(param);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (_wcsicmp(name, search->className) == 0 && GetWindow(window, GW_OWNER) == search->owner) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND ownedWindow(HWND owner, const wchar_t* className)
{
    OwnedSearch search{owner, className, nullptr};
    EnumWindows(findOwned, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void printRect(const char* what, HWND window)
{
    RECT area{};
    GetWindowRect(window, &area);
    std::printf("%s %d %ld %ld %ld %ld", what, IsWindowVisible(window) ? 1 : 0, area.left, area.top, area.right,
                area.bottom);
}

struct PopupSearch {
    HWND found;
    bool visible;
};

BOOL CALLBACK findPopup(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<PopupSearch*>(param);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    if (wcscmp(name, kToolkitClass) != 0 || !(exStyle & WS_EX_TOOLWINDOW) || (exStyle & WS_EX_LAYERED) ||
        GetWindow(window, GW_OWNER))
        return TRUE;
    if (!search->found || (!search->visible && IsWindowVisible(window))) {
        search->found = window;
        search->visible = IsWindowVisible(window) != FALSE;
    }
    return TRUE;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 3 && wcscmp(argv[1], L"--exists") == 0) {
        HWND window = reinterpret_cast<HWND>(uintptr_t(wcstoull(argv[2], nullptr, 0)));
        std::printf("exists %d\n", IsWindow(window) ? 1 : 0);
        return 0;
    }
    if (argc == 3 && wcscmp(argv[1], L"--box") == 0) {
        HWND box = FindWindowW(L"#32770", argv[2]);
        return box && IsWindowVisible(box) ? 0 : 1;
    }
    if (argc == 2 && wcscmp(argv[1], L"--popup") == 0) {
        PopupSearch search{nullptr, false};
        EnumWindows(findPopup, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            printRect("popup", search.found);
        else
            std::printf("popup none");
        std::printf("\n");
        return 0;
    }
    if (argc != 2)
        return 2;
    HWND window = FindWindowW(kToolkitClass, argv[1]);
    if (!window) {
        std::printf("window none\nregion none\nshadow none\ntooltip none\n");
        return 0;
    }
    printRect("window", window);
    std::printf(" %d\n", IsWindowEnabled(window) ? 1 : 0);

    platform::RegionHandle region(CreateRectRgn(0, 0, 0, 0));
    RECT box{};
    if (GetWindowRgn(window, region.get()) != ERROR && GetRgnBox(region.get(), &box) != ERROR)
        std::printf("region %ld %ld %ld %ld\n", box.left, box.top, box.right, box.bottom);
    else
        std::printf("region none\n");

    if (HWND shadow = ownedWindow(window, kToolkitClass)) {
        printRect("shadow", shadow);
        std::printf(" 0x%lx 0x%llx\n", static_cast<unsigned long>(GetWindowLongPtrW(shadow, GWL_EXSTYLE)),
                    static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(shadow)));
    } else {
        std::printf("shadow none\n");
    }

    if (HWND tip = ownedWindow(window, L"tooltips_class32"))
        std::printf("tooltip %d\n", IsWindowVisible(tip) ? 1 : 0);
    else
        std::printf("tooltip none\n");
    std::fflush(stdout);
    return 0;
}
