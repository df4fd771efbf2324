// System functions the executable does not import: looked up at run time, from System32 only.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace platform {

// Limits where this process loads DLLs from to System32 (and whatever a later call adds by full
// path), so a DLL planted beside the executable, in the current folder or on PATH is never
// loaded. The very first thing the process does, before any code that might load a library.
void restrictDllSearch();

// The DLL from System32 alone (by full path where the search flag is unknown: Windows 7 without
// its update); null when it is not there.
HMODULE loadSystemLibrary(const wchar_t* name);

// The run-time looked-up functions; each is null when its DLL or export is not available, and
// callers go on without it. Resolved once, on first use; never unloaded.
struct SystemApis {
    BOOL(WINAPI* alphaBlend)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION) = nullptr;
    LRESULT(WINAPI* lresultFromObject)(REFIID, WPARAM, IUnknown*) = nullptr;
    HRESULT(WINAPI* accessibleObjectFromWindow)(HWND, DWORD, REFIID, void**) = nullptr;
};
const SystemApis& systemApis();

}  // namespace platform
