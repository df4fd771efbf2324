/* A stand-in for a system DLL planted beside the installer: whoever loads it leaves a marker
 * "loaded-NAME.txt" (NAME: the file name it was loaded under) in the folder ORVO_CANARY_DIR names.
 * It offers the exports the installer's own callers would look for, so a loader that takes it is
 * satisfied and the marker, not a failed start, tells what happened. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t folder[MAX_PATH], module[MAX_PATH], marker[2 * MAX_PATH];
    DWORD length = GetEnvironmentVariableW(L"ORVO_CANARY_DIR", folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !GetModuleFileNameW(self, module, MAX_PATH))
        return TRUE;
    const wchar_t* name = module;
    for (const wchar_t* at = module; *at; ++at)
        if (*at == L'\\' || *at == L'/')
            name = at + 1;
    wsprintfW(marker, L"%s\\loaded-%s.txt", folder, name);
    HANDLE file = CreateFileW(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, module, (DWORD)(lstrlenW(module) * sizeof(wchar_t)), &written, NULL);
        CloseHandle(file);
    }
    return TRUE;
}

__declspec(dllexport) LRESULT WINAPI LresultFromObject(REFIID iid, WPARAM wparam, void* object)
{
    (void)iid, (void)wparam, (void)object;
    return 0;
}

__declspec(dllexport) HRESULT WINAPI AccessibleObjectFromWindow(HWND window, DWORD id, REFIID iid, void** out)
{
    (void)window, (void)id, (void)iid;
    if (out)
        *out = NULL;
    return E_FAIL;
}

__declspec(dllexport) BOOL WINAPI AlphaBlend(HDC a, int b, int c, int d, int e, HDC f, int g, int h, int i, int j,
                                             BLENDFUNCTION k)
{
    (void)a, (void)b, (void)c, (void)d, (void)e, (void)f, (void)g, (void)h, (void)i, (void)j, (void)k;
    return FALSE;
}

__declspec(dllexport) HRESULT WINAPI DllRegisterServer(void)
{
    return S_OK;
}

__declspec(dllexport) HRESULT WINAPI DllUnregisterServer(void)
{
    return S_OK;
}
