// Run-time lookups of system functions and the process's DLL search restriction.
#include "SystemApis.h"

#include <string>

namespace platform {

namespace {

template <typename Function>
void resolve(HMODULE module, const char* name, Function& slot)
{
    slot = module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

SystemApis lookUp()
{
    SystemApis apis;
    HMODULE msimg32 = loadSystemLibrary(L"msimg32.dll");
    resolve(msimg32, "AlphaBlend", apis.alphaBlend);
    // Imported directly, oleacc.dll would be searched for beside the executable before the first
    // instruction runs, where nothing could restrict the search yet.
    HMODULE oleacc = loadSystemLibrary(L"oleacc.dll");
    resolve(oleacc, "LresultFromObject", apis.lresultFromObject);
    resolve(oleacc, "AccessibleObjectFromWindow", apis.accessibleObjectFromWindow);
    return apis;
}

}  // namespace

void restrictDllSearch()
{
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Also takes the current folder out of the search of any loader that ignores the default.
    SetDllDirectoryW(L"");
}

HMODULE loadSystemLibrary(const wchar_t* name)
{
    HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module && GetLastError() == ERROR_INVALID_PARAMETER) {
        // Windows 7 without the update that brought the flag: the full System32 path, searched nowhere
        wchar_t system[MAX_PATH];
        UINT length = GetSystemDirectoryW(system, MAX_PATH);
        std::wstring path = std::wstring(system, length) + L"\\" + name;
        if (length > 0 && path.size() < MAX_PATH)
            module = LoadLibraryW(path.c_str());
    }
    return module;
}

const SystemApis& systemApis()
{
    static const SystemApis apis = lookUp();
    return apis;
}

}  // namespace platform
