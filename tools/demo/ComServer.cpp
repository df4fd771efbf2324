// The demo product's in-process COM servers (the capture filter and the crash-dump module): one
// class each, registered under its class id by regsvr32, so an installation leaves visible keys.
// SERVER_CLSID (braced text) and SERVER_NAME come from the build.
#include <windows.h>
#include <objbase.h>
#include <olectl.h>

#include <atomic>
#include <string>

namespace {

HMODULE thisModule = nullptr;
std::atomic<long> liveObjects{0};
std::atomic<long> locks{0};

const wchar_t kClassId[] = SERVER_CLSID;
const wchar_t kName[] = SERVER_NAME;

// The one class: it offers IUnknown and nothing else, which is all a registration check needs.
class Server : public IUnknown {
public:
    Server() { ++liveObjects; }
    virtual ~Server() { --liveObjects; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown) {
            *out = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(++references_); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        long left = --references_;
        if (left == 0)
            delete this;
        return ULONG(left);
    }

private:
    std::atomic<long> references_{1};
};

class Factory : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // The factory is static: it lives as long as the module.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        Server* server = new (std::nothrow) Server();
        if (!server)
            return E_OUTOFMEMORY;
        HRESULT result = server->QueryInterface(iid, out);
        server->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        locks += lock ? 1 : -1;
        return S_OK;
    }
};

Factory factory;

std::wstring classKey()
{
    return std::wstring(L"CLSID\\") + kClassId;
}

bool setString(HKEY root, const std::wstring& subKey, const wchar_t* name, const std::wstring& value)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG result = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 DWORD((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*)
{
    if (reason == DLL_PROCESS_ATTACH) {
        thisModule = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID classId, REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    CLSID ours;
    if (FAILED(CLSIDFromString(kClassId, &ours)) || classId != ours)
        return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return liveObjects == 0 && locks == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer()
{
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(thisModule, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return SELFREG_E_CLASS;
    bool ok = setString(HKEY_CLASSES_ROOT, classKey(), nullptr, kName) &&
              setString(HKEY_CLASSES_ROOT, classKey() + L"\\InprocServer32", nullptr, path) &&
              setString(HKEY_CLASSES_ROOT, classKey() + L"\\InprocServer32", L"ThreadingModel", L"Both");
    return ok ? S_OK : SELFREG_E_CLASS;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer()
{
    LONG result = RegDeleteTreeW(HKEY_CLASSES_ROOT, classKey().c_str());
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_CLASS;
}
