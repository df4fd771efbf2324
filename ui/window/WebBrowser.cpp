// WebBrowser: creating, activating and releasing the browser, its events, and the container's answers.
#include "WebBrowser.h"

#include "BrowserKeyboardFilter.h"
#include "WindowBase.h"

#include <ControlHost.h>

#include <exdispid.h>

#include <string>
#include <utility>

namespace {

void debugNote(const wchar_t* text, HRESULT result = S_OK)
{
    wchar_t line[160];
    swprintf(line, 160, L"WebBrowser: %ls (0x%08lX)\n", text, static_cast<unsigned long>(result));
    OutputDebugStringW(line);
}

// A by-reference variant seen through to what it refers to.
const VARIANT* referred(const VARIANT& value)
{
    if (value.vt == (VT_BYREF | VT_VARIANT))
        return value.pvarVal;
    return &value;
}

constexpr UINT kBeforeNavigateArguments = 7;   // pDisp, URL, Flags, TargetFrameName, PostData, Headers, Cancel

} // namespace

WebBrowser::WebBrowser() : Control(kInitialFlags)
{
    addHandler(EventCode::Attached, this, onAttached);
}

WebBrowser::~WebBrowser()
{
    releaseBrowser();
    if (refCount_ != 0) {
        std::wstring note = L"WebBrowser: the browser still holds " + std::to_wstring(refCount_) +
                            L" references to a control that goes\n";
        OutputDebugStringW(note.c_str());
    }
}

void WebBrowser::onAttached(void* target, Control*, ControlEvent*)
{
    auto* self = static_cast<WebBrowser*>(target);
    if (!self->activate())
        self->releaseBrowser();
}

// --- activation and release ---

bool WebBrowser::activate()
{
    auto* host = dynamic_cast<WindowBase*>(window());
    hostWindow_ = host ? host->hwnd : nullptr;
    if (!hostWindow_)
        return false;
    if (!browser_ && !createBrowser())
        return false;
    if (!connectionPoint_ && !connectEvents())
        return false;
    const std::wstring* url = textProperties.get(PropertyKey::url);
    if (url && !url->empty() && !navigate(*url))
        debugNote(L"the browser refused to navigate");   // it stays, showing what it starts with
    return true;
}

bool WebBrowser::createBrowser()
{
    HRESULT result = CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                      IID_IOleObject, oleObject_.outVoid());
    if (FAILED(result) || !oleObject_) {
        debugNote(L"no browser object", result);
        return false;
    }
    DWORD status = 0;
    if (SUCCEEDED(oleObject_->GetMiscStatus(DVASPECT_CONTENT, &status)) && (status & OLEMISC_SETCLIENTSITEFIRST)) {
        result = oleObject_->SetClientSite(this);
        if (FAILED(result)) {
            debugNote(L"the browser refused its client site", result);
            return false;
        }
    }
    RECT client{};
    GetClientRect(hostWindow_, &client);
    result = oleObject_->DoVerb(OLEIVERB_UIACTIVATE, nullptr, this, 0, hostWindow_, &client);
    if (FAILED(result)) {
        debugNote(L"the browser could not be activated in place", result);
        return false;
    }
    browser_ = oleObject_.query<IWebBrowser2>(IID_IWebBrowser2);
    if (!browser_) {
        debugNote(L"the object is no web browser");
        return false;
    }
    return true;
}

bool WebBrowser::connectEvents()
{
    auto window = browser_.query<IOleWindow>(IID_IOleWindow);
    HWND handle = nullptr;
    if (!window || FAILED(window->GetWindow(&handle)) || !handle) {
        debugNote(L"the browser has no window");
        return false;
    }
    browserWindow_ = handle;
    auto container = browser_.query<IConnectionPointContainer>(IID_IConnectionPointContainer);
    HRESULT result = container ? container->FindConnectionPoint(DIID_DWebBrowserEvents2, connectionPoint_.out())
                               : E_NOINTERFACE;
    if (FAILED(result) || !connectionPoint_) {
        debugNote(L"the browser offers no events", result);
        connectionPoint_.reset();
        return false;
    }
    result = connectionPoint_->Advise(static_cast<DWebBrowserEvents2*>(this), &adviseCookie_);
    if (FAILED(result)) {
        debugNote(L"the browser's events could not be connected", result);
        adviseCookie_ = 0;
        return false;
    }
    return true;
}

void WebBrowser::releaseBrowser()
{
    // events first: nothing may reach the control while the browser goes
    if (connectionPoint_ && adviseCookie_)
        connectionPoint_->Unadvise(adviseCookie_);
    adviseCookie_ = 0;
    // closing deactivates the browser in place (it tells the site and the frame); clearing the
    // client site makes it let go of the control's interfaces
    if (auto object = std::move(oleObject_)) {
        object->Close(OLECLOSE_NOSAVE);
        object->SetClientSite(nullptr);
    }
    if (auto browser = std::move(browser_))
        browser->Quit();
    connectionPoint_.reset();
    forgetActiveObject();
    if (browserWindow_ && IsWindow(browserWindow_))
        DestroyWindow(browserWindow_);
    browserWindow_ = nullptr;
    inPlaceActive_ = false;
    subclassed_ = false;
    placed_ = {};
}

void WebBrowser::forgetActiveObject()
{
    if (IOleInPlaceActiveObject* object = std::exchange(activeObject_, nullptr)) {
        BrowserKeyboardFilter::removeActiveObject(object);
        object->Release();
    }
}

bool WebBrowser::navigate(const std::wstring& url)
{
    if (!browser_)
        return false;
    VARIANT target;
    VariantInit(&target);
    target.vt = VT_BSTR;
    target.bstrVal = SysAllocStringLen(url.data(), UINT(url.size()));
    if (!target.bstrVal)
        return false;
    HRESULT result = browser_->Navigate2(&target, nullptr, nullptr, nullptr, nullptr);
    VariantClear(&target);
    return SUCCEEDED(result);
}

void WebBrowser::paint(DeviceContext dc, const Rect& windowRect, const Rect& clip)
{
    Control::paint(dc, windowRect, clip);
    if (!oleObject_ || windowRect == placed_)
        return;
    // The browser was activated before the tree had a layout: it learns the control's place here,
    // and again whenever the layout moves it.
    if (auto object = oleObject_.query<IOleInPlaceObject>(IID_IOleInPlaceObject)) {
        RECT area{windowRect.left, windowRect.top, windowRect.right, windowRect.bottom};
        if (SUCCEEDED(object->SetObjectRects(&area, &area)))
            placed_ = windowRect;
    }
}

// --- IUnknown ---

STDMETHODIMP WebBrowser::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite)
        *object = static_cast<IOleClientSite*>(this);
    else if (iid == IID_IOleInPlaceSite)
        *object = static_cast<IOleInPlaceSite*>(this);
    else if (iid == IID_IOleWindow)
        *object = static_cast<IOleWindow*>(static_cast<IOleInPlaceFrame*>(this));
    else if (iid == IID_IDocHostUIHandler)
        *object = static_cast<IDocHostUIHandler*>(this);
    else if (iid == DIID_DWebBrowserEvents2 || iid == IID_IDispatch)
        *object = static_cast<DWebBrowserEvents2*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) WebBrowser::AddRef()
{
    return ULONG(InterlockedIncrement(&refCount_));
}

// The count never deletes: the control belongs to its tree.
STDMETHODIMP_(ULONG) WebBrowser::Release()
{
    return ULONG(InterlockedDecrement(&refCount_));
}

// --- IOleClientSite ---

STDMETHODIMP WebBrowser::SaveObject() { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::GetMoniker(DWORD, DWORD, IMoniker** moniker)
{
    if (moniker)
        *moniker = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP WebBrowser::GetContainer(IOleContainer** container)
{
    if (container)
        *container = nullptr;
    return E_NOINTERFACE;
}
STDMETHODIMP WebBrowser::ShowObject() { return S_OK; }
STDMETHODIMP WebBrowser::OnShowWindow(BOOL) { return S_OK; }
STDMETHODIMP WebBrowser::RequestNewObjectLayout() { return E_NOTIMPL; }

// --- IOleWindow ---

STDMETHODIMP WebBrowser::GetWindow(HWND* window)
{
    if (!window)
        return E_POINTER;
    *window = hostWindow_;
    return S_OK;
}
STDMETHODIMP WebBrowser::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

// --- IOleInPlaceSite ---

STDMETHODIMP WebBrowser::CanInPlaceActivate() { return S_OK; }
STDMETHODIMP WebBrowser::OnInPlaceActivate()
{
    inPlaceActive_ = true;
    return S_OK;
}
STDMETHODIMP WebBrowser::OnUIActivate() { return S_OK; }

STDMETHODIMP WebBrowser::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, RECT* position,
                                          RECT* clip, OLEINPLACEFRAMEINFO* frameInfo)
{
    if (frame)
        *frame = nullptr;
    if (document)
        *document = nullptr;
    if (!frame || !document || !position || !clip || !frameInfo)
        return E_INVALIDARG;
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    // where the control is in the host window's client area; nothing before it is attached
    Rect area;
    absoluteRect(area);
    *position = {area.left, area.top, area.right, area.bottom};
    *clip = *position;
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = hostWindow_;
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP WebBrowser::Scroll(SIZE) { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::OnUIDeactivate(BOOL) { return S_OK; }
STDMETHODIMP WebBrowser::OnInPlaceDeactivate()
{
    inPlaceActive_ = false;
    return S_OK;
}
STDMETHODIMP WebBrowser::DiscardUndoState() { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::DeactivateAndUndo() { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::OnPosRectChange(const RECT*) { return E_NOTIMPL; }

// --- IOleInPlaceUIWindow and IOleInPlaceFrame ---

STDMETHODIMP WebBrowser::GetBorder(RECT*) { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::RequestBorderSpace(const BORDERWIDTHS*) { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::SetBorderSpace(const BORDERWIDTHS*) { return E_NOTIMPL; }

// Null is the browser saying it has no active object any more.
STDMETHODIMP WebBrowser::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR)
{
    if (object) {
        object->AddRef();
        BrowserKeyboardFilter::addActiveObject(object);
    }
    IOleInPlaceActiveObject* previous = std::exchange(activeObject_, object);
    if (previous) {
        if (previous != object)
            BrowserKeyboardFilter::removeActiveObject(previous);
        previous->Release();
    }
    return S_OK;
}

STDMETHODIMP WebBrowser::InsertMenus(HMENU, OLEMENUGROUPWIDTHS*) { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::SetMenu(HMENU, HOLEMENU, HWND) { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::RemoveMenus(HMENU) { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::SetStatusText(LPCOLESTR) { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::EnableModeless(BOOL) { return S_OK; }
STDMETHODIMP WebBrowser::TranslateAccelerator(MSG*, WORD) { return E_NOTIMPL; }

// --- IDocHostUIHandler ---

STDMETHODIMP WebBrowser::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*)
{
    return S_OK;   // shown by us, that is: not at all
}

STDMETHODIMP WebBrowser::GetHostInfo(DOCHOSTUIINFO* info)
{
    if (!info)
        return E_INVALIDARG;
    info->cbSize = sizeof(DOCHOSTUIINFO);
    info->dwFlags = DOCHOSTUIFLAG_DIALOG | DOCHOSTUIFLAG_DISABLE_HELP_MENU | DOCHOSTUIFLAG_NO3DBORDER;
    info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    return S_OK;
}

STDMETHODIMP WebBrowser::ShowUI(DWORD, IOleInPlaceActiveObject*, IOleCommandTarget*, IOleInPlaceFrame*,
                                IOleInPlaceUIWindow*)
{
    return S_OK;
}
STDMETHODIMP WebBrowser::HideUI() { return S_OK; }
STDMETHODIMP WebBrowser::UpdateUI() { return S_OK; }
STDMETHODIMP WebBrowser::OnDocWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP WebBrowser::OnFrameWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP WebBrowser::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
STDMETHODIMP WebBrowser::TranslateAccelerator(MSG*, const GUID*, DWORD) { return S_FALSE; }
STDMETHODIMP WebBrowser::GetOptionKeyPath(LPOLESTR* key, DWORD)
{
    if (key)
        *key = nullptr;
    return S_FALSE;
}
STDMETHODIMP WebBrowser::GetDropTarget(IDropTarget*, IDropTarget** replacement)
{
    if (replacement)
        *replacement = nullptr;
    return S_FALSE;
}
STDMETHODIMP WebBrowser::GetExternal(IDispatch** external)
{
    if (external)
        *external = nullptr;
    return S_FALSE;
}
STDMETHODIMP WebBrowser::TranslateUrl(DWORD, LPWSTR, LPWSTR* translated)
{
    if (translated)
        *translated = nullptr;
    return S_FALSE;
}
STDMETHODIMP WebBrowser::FilterDataObject(IDataObject*, IDataObject** replacement)
{
    if (replacement)
        *replacement = nullptr;
    return S_FALSE;
}

// --- DWebBrowserEvents2 ---

STDMETHODIMP WebBrowser::GetTypeInfoCount(UINT*) { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
STDMETHODIMP WebBrowser::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

void WebBrowser::filterInnerWindow()
{
    if (subclassed_ || !browserWindow_)
        return;
    // the page's own window: the topmost child of the browser window's topmost child
    HWND shell = GetTopWindow(browserWindow_);
    HWND inner = shell ? GetTopWindow(shell) : nullptr;
    if (inner && (BrowserKeyboardFilter::subclass(inner) || BrowserKeyboardFilter::isSubclassed(inner)))
        subclassed_ = true;
}

// The arguments arrive last first: rgvarg[0] is the event's last parameter.
STDMETHODIMP WebBrowser::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*)
{
    filterInnerWindow();
    const UINT count = params && params->rgvarg ? params->cArgs : 0;
    switch (id) {
    case DISPID_BEFORENAVIGATE2: {
        if (count != kBeforeNavigateArguments)
            return DISP_E_BADPARAMCOUNT;
        const VARIANT* url = referred(params->rgvarg[kBeforeNavigateArguments - 2]);
        if (!url || url->vt != VT_BSTR)
            return DISP_E_TYPEMISMATCH;
        if (hostWindow_)
            SendMessageW(hostWindow_, kBeforeNavigate, reinterpret_cast<WPARAM>(url->bstrVal ? url->bstrVal : L""), 0);
        return S_OK;
    }
    case DISPID_NAVIGATECOMPLETE2:
        if (hostWindow_)
            PostMessageW(hostWindow_, kNavigateComplete, 0, 0);
        return S_OK;
    case DISPID_FILEDOWNLOAD: {
        // (ActiveDocument, Cancel), or Cancel alone from older browsers: every download is refused
        if (count != 1 && count != 2)
            return DISP_E_BADPARAMCOUNT;
        VARIANT& cancel = params->rgvarg[0];
        if (cancel.vt != (VT_BYREF | VT_BOOL) || !cancel.pboolVal)
            return DISP_E_TYPEMISMATCH;
        *cancel.pboolVal = VARIANT_TRUE;
        return S_OK;
    }
    default:
        return E_NOTIMPL;
    }
}
