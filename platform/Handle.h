// Owners for kernel, search and registry handles, windows and hooks: closed exactly once, on every path.
#pragma once

#include "UniqueResource.h"

#include <windows.h>

namespace platform {

// A HANDLE given back with `Close`; null and INVALID_HANDLE_VALUE (the failure value of
// CreateFileW, FindFirstFileW and Toolhelp snapshots) both mean empty.
template <BOOL(WINAPI* Close)(HANDLE)>
struct HandleTraits {
    using Type = HANDLE;
    static constexpr Type empty = nullptr;
    static Type normal(Type handle) { return handle == INVALID_HANDLE_VALUE ? nullptr : handle; }
    static void close(Type handle) { Close(handle); }
};

// Kernel object handle, closed with CloseHandle.
using UniqueHandle = UniqueResource<HandleTraits<CloseHandle>>;
// Search handle of FindFirstFileW, closed with FindClose.
using FindHandle = UniqueResource<HandleTraits<FindClose>>;

// Open registry key, closed with RegCloseKey. The predefined root keys are never owned.
using RegKey = UniqueResource<PointerTraits<HKEY, RegCloseKey>>;

// A window destroyed with DestroyWindow, unless the platform has destroyed it already (an owned
// window goes with its owner).
struct WindowTraits {
    using Type = HWND;
    static constexpr Type empty = nullptr;
    static Type normal(Type window) { return window; }
    static void close(Type window)
    {
        if (IsWindow(window))
            DestroyWindow(window);
    }
};
using UniqueWindow = UniqueResource<WindowTraits>;

// A hook removed with UnhookWindowsHookEx.
using UniqueHook = UniqueResource<PointerTraits<HHOOK, UnhookWindowsHookEx>>;

}  // namespace platform
