// Launching through the desktop's shell, and the system folders programs are started from.
#include "ShellLaunch.h"

#include <platform/Com.h>
#include <platform/Handle.h>

#include <windows.h>
#include <shellapi.h>
// IShellDispatch2's method keeps its own name, not the shell function's A/W macro
#undef ShellExecute
#include <exdisp.h>
#include <shldisp.h>
#include <shlobj.h>

#include <algorithm>

namespace {

bool isElevated()
{
    platform::UniqueHandle token;
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw))
        return true;   // unknown counts as elevated: the careful routes are taken
    token.reset(raw);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    if (!GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof(elevation), &size))
        return true;
    return elevation.TokenIsElevated != 0;
}

platform::Bstr bstr(const std::wstring& text)
{
    return platform::Bstr(SysAllocStringLen(text.data(), UINT(text.size())));
}

// The shell's own IShellDispatch2: desktop window of IShellWindows -> its browser -> the active
// view's background dispatch -> Application. Calls on it run in explorer's process.
platform::ComPtr<IShellDispatch2> desktopShell()
{
    platform::ComPtr<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows, windows.outVoid())))
        return {};
    platform::VariantScope location, root;
    location.get().vt = VT_I4;
    location.get().lVal = CSIDL_DESKTOP;
    long hwnd = 0;
    platform::ComPtr<IDispatch> dispatch;
    if (windows->FindWindowSW(&location.get(), &root.get(), SWC_DESKTOP, &hwnd, SWFO_NEEDDISPATCH, dispatch.out()) != S_OK ||
        !dispatch)
        return {};
    auto provider = dispatch.query<IServiceProvider>(IID_IServiceProvider);
    platform::ComPtr<IShellBrowser> browser;
    if (!provider || FAILED(provider->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.outVoid())))
        return {};
    platform::ComPtr<IShellView> view;
    if (FAILED(browser->QueryActiveShellView(view.out())) || !view)
        return {};
    platform::ComPtr<IDispatch> background;
    if (FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.outVoid())) || !background)
        return {};
    auto folderView = background.query<IShellFolderViewDual>(IID_IShellFolderViewDual);
    platform::ComPtr<IDispatch> application;
    if (!folderView || FAILED(folderView->get_Application(application.out())) || !application)
        return {};
    return application.query<IShellDispatch2>(IID_IShellDispatch2);
}

bool askDesktopShell(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory)
{
    platform::ComScope com;
    platform::ComPtr<IShellDispatch2> shell = desktopShell();
    if (!shell)
        return false;
    platform::Bstr name = bstr(file);
    platform::VariantScope arguments, folder, verb, show;
    arguments.get().vt = VT_BSTR;
    arguments.get().bstrVal = SysAllocString(parameters.c_str());
    folder.get().vt = VT_BSTR;
    folder.get().bstrVal = SysAllocString(directory.c_str());
    verb.get().vt = VT_BSTR;
    verb.get().bstrVal = SysAllocString(L"open");
    show.get().vt = VT_I4;
    show.get().lVal = SW_SHOWNORMAL;
    return SUCCEEDED(shell->ShellExecute(name.get(), arguments.get(), folder.get(), verb.get(), show.get()));
}

bool shellExecute(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory)
{
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
    info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&info) != 0;
}

} // namespace

std::wstring systemFolder()
{
    wchar_t path[MAX_PATH] = {};
    UINT length = GetSystemDirectoryW(path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring(L"C:\\Windows\\System32");
}

std::wstring windowsFolder()
{
    wchar_t path[MAX_PATH] = {};
    UINT length = GetSystemWindowsDirectoryW(path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring(L"C:\\Windows");
}

std::wstring quoted(const std::wstring& text)
{
    std::wstring bare = text;
    bare.erase(std::remove(bare.begin(), bare.end(), L'"'), bare.end());
    return L"\"" + bare + L"\"";
}

LaunchRoute launchUnelevated(const std::wstring& file, const std::wstring& parameters, const std::wstring& directory)
{
    if (askDesktopShell(file, parameters, directory))
        return LaunchRoute::desktopShell;
    if (!isElevated())
        return shellExecute(file, parameters, directory) ? LaunchRoute::notElevated : LaunchRoute::failed;
    // explorer.exe started with a path asks the shell that already runs to open it and ends; the
    // shell has the user's rights. Arguments cannot travel that way, and are not needed here.
    if (parameters.empty() && shellExecute(windowsFolder() + L"\\explorer.exe", quoted(file), systemFolder()))
        return LaunchRoute::explorerHandOff;
    return LaunchRoute::failed;
}
