// The stand-in browser: an OLE object with a web-browser face, an in-place window with a page
// window inside, an event connection point and an active object, all recording into one log.
#include "FakeBrowser.h"

#include <platform/Com.h>

#include <olectl.h>

#include <algorithm>
#include <memory>

namespace fakeBrowser {
namespace {

FakeBrowserLog theLog;
std::vector<Browser*> instances;   // not owned
DWORD registration = 0;
std::vector<std::string> keys;
std::vector<std::string> pages;

std::string narrow(const wchar_t* text)
{
    std::string out;
    for (; text && *text; ++text)
        out += char(*text);
    return out;
}

bool failing(const char* step)
{
    return theLog.failAt == step;
}

// Counts the references the stand-ins hold on the container's interfaces.
template <class T>
class Held {
public:
    ~Held() { reset(nullptr); }
    void reset(T* p)
    {
        if (p) {
            p->AddRef();
            ++theLog.containerReferences;
        }
        if (ptr_) {
            --theLog.containerReferences;
            ptr_->Release();
        }
        ptr_ = p;
    }
    T* get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }

private:
    T* ptr_ = nullptr;
};

// A reference count that deletes at zero and keeps the live count.
class Counted {
public:
    Counted() { ++theLog.liveObjects; }
    virtual ~Counted() { --theLog.liveObjects; }
    ULONG addRef() { return ++count_; }
    ULONG release()
    {
        ULONG left = --count_;
        if (left == 0)
            delete this;
        return left;
    }

private:
    ULONG count_ = 1;
};

#define NOT_IMPL(name, params) \
    STDMETHODIMP name params override { return E_NOTIMPL; }

struct Face {
    const IID* iid;
    void* pointer;
};

HRESULT answerFaces(REFIID iid, void** out, std::initializer_list<Face> faces)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    for (const Face& face : faces) {
        if (iid == *face.iid) {
            *out = face.pointer;
            static_cast<IUnknown*>(face.pointer)->AddRef();
            return S_OK;
        }
    }
    return E_NOINTERFACE;
}

// --- the page window: two procedures, so a test can tell whose procedure a message reached ---

template <int kind>
LRESULT CALLBACK pageProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_APP)
        return kind;
    if (message == WM_KEYDOWN || message == WM_ERASEBKGND)
        pages.push_back(std::to_string(kind) + ":" + std::to_string(message) + ":" + std::to_string(wparam));
    return DefWindowProcW(window, message, wparam, lparam);
}

const wchar_t* windowClass(int kind)
{
    static const bool registered = [] {
        WNDCLASSW plain{};
        plain.lpfnWndProc = DefWindowProcW;
        plain.hInstance = GetModuleHandleW(nullptr);
        plain.lpszClassName = L"FakeBrowserFrame";
        RegisterClassW(&plain);
        plain.lpfnWndProc = pageProc<1>;
        plain.lpszClassName = L"FakeBrowserPage1";
        RegisterClassW(&plain);
        plain.lpfnWndProc = pageProc<2>;
        plain.lpszClassName = L"FakeBrowserPage2";
        RegisterClassW(&plain);
        return true;
    }();
    (void)registered;
    return kind == 0 ? L"FakeBrowserFrame" : kind == 1 ? L"FakeBrowserPage1" : L"FakeBrowserPage2";
}

class ActiveObject final : public IOleInPlaceActiveObject, public Counted {
public:
    explicit ActiveObject(HWND page) : page_(page) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        return answerFaces(iid, out, {{&IID_IUnknown, this}, {&IID_IOleInPlaceActiveObject, this}});
    }
    STDMETHODIMP_(ULONG) AddRef() override { return addRef(); }
    STDMETHODIMP_(ULONG) Release() override { return release(); }
    STDMETHODIMP GetWindow(HWND* window) override
    {
        *window = page_;
        return S_OK;
    }
    NOT_IMPL(ContextSensitiveHelp, (BOOL))
    STDMETHODIMP TranslateAccelerator(MSG* message) override
    {
        if (message->message != WM_KEYDOWN)
            return S_FALSE;
        keys.push_back(std::to_string(message->message) + ":" + std::to_string(message->wParam));
        if (message->wParam == reenteringKey)
            SendMessageW(message->hwnd, WM_KEYDOWN, 'X', 0);
        return message->wParam == consumedKey ? S_OK : S_FALSE;
    }
    NOT_IMPL(OnFrameWindowActivate, (BOOL))
    NOT_IMPL(OnDocWindowActivate, (BOOL))
    NOT_IMPL(ResizeBorder, (LPCRECT, IOleInPlaceUIWindow*, BOOL))
    NOT_IMPL(EnableModeless, (BOOL))

private:
    HWND page_;
};

class ConnectionPoint final : public IConnectionPoint, public Counted {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        return answerFaces(iid, out, {{&IID_IUnknown, this}, {&IID_IConnectionPoint, this}});
    }
    STDMETHODIMP_(ULONG) AddRef() override { return addRef(); }
    STDMETHODIMP_(ULONG) Release() override { return release(); }
    STDMETHODIMP GetConnectionInterface(IID* iid) override
    {
        *iid = DIID_DWebBrowserEvents2;
        return S_OK;
    }
    NOT_IMPL(GetConnectionPointContainer, (IConnectionPointContainer**))
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override
    {
        theLog.calls.push_back("Advise");
        if (failing("Advise") || !sink || !cookie)
            return CONNECT_E_CANNOTCONNECT;
        platform::ComPtr<IDispatch> events;
        if (FAILED(sink->QueryInterface(DIID_DWebBrowserEvents2, events.outVoid())))
            return CONNECT_E_CANNOTCONNECT;
        sink_.reset(events.get());
        *cookie = 77;
        return S_OK;
    }
    STDMETHODIMP Unadvise(DWORD cookie) override
    {
        theLog.calls.push_back("Unadvise " + std::to_string(cookie));
        if (cookie != 77 || !sink_)
            return CONNECT_E_NOCONNECTION;
        sink_.reset(nullptr);
        return S_OK;
    }
    NOT_IMPL(EnumConnections, (IEnumConnections**))

    Held<IDispatch> sink_;
};

} // namespace

class Browser final : public IOleObject,
                      public IWebBrowser2,
                      public IOleInPlaceObject,
                      public IConnectionPointContainer,
                      public Counted {
public:
    explicit Browser(int kind) : kind_(kind) { instances.push_back(this); }
    ~Browser() override
    {
        std::replace(instances.begin(), instances.end(), this, static_cast<Browser*>(nullptr));
        if (window_ && IsWindow(window_))
            DestroyWindow(window_);
        if (points_)
            points_->Release();
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IWebBrowser2 && failing("IWebBrowser2"))
            return E_NOINTERFACE;
        return answerFaces(iid, out,
                           {{&IID_IUnknown, static_cast<IOleObject*>(this)},
                            {&IID_IOleObject, static_cast<IOleObject*>(this)},
                            {&IID_IWebBrowser2, static_cast<IWebBrowser2*>(this)},
                            {&IID_IWebBrowser, static_cast<IWebBrowser2*>(this)},
                            {&IID_IDispatch, static_cast<IWebBrowser2*>(this)},
                            {&IID_IOleWindow, static_cast<IOleInPlaceObject*>(this)},
                            {&IID_IOleInPlaceObject, static_cast<IOleInPlaceObject*>(this)},
                            {&IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this)}});
    }
    STDMETHODIMP_(ULONG) AddRef() override { return addRef(); }
    STDMETHODIMP_(ULONG) Release() override { return release(); }

    // --- IOleObject ---
    STDMETHODIMP SetClientSite(IOleClientSite* site) override
    {
        theLog.calls.push_back(site ? "SetClientSite" : "SetClientSite null");
        site_.reset(site);
        return S_OK;
    }
    NOT_IMPL(GetClientSite, (IOleClientSite**))
    NOT_IMPL(SetHostNames, (LPCOLESTR, LPCOLESTR))
    STDMETHODIMP Close(DWORD option) override
    {
        theLog.calls.push_back("Close " + std::to_string(option));
        deactivate();
        return S_OK;
    }
    NOT_IMPL(SetMoniker, (DWORD, IMoniker*))
    NOT_IMPL(GetMoniker, (DWORD, DWORD, IMoniker**))
    NOT_IMPL(InitFromData, (IDataObject*, BOOL, DWORD))
    NOT_IMPL(GetClipboardData, (DWORD, IDataObject**))
    STDMETHODIMP DoVerb(LONG verb, MSG*, IOleClientSite* site, LONG, HWND parent, LPCRECT rect) override
    {
        theLog.calls.push_back("DoVerb " + std::to_string(verb));
        theLog.parent = parent;
        if (failing("DoVerb") || !site)
            return E_FAIL;
        return activate(site, parent);
    }
    NOT_IMPL(EnumVerbs, (IEnumOLEVERB**))
    NOT_IMPL(Update, ())
    NOT_IMPL(IsUpToDate, ())
    NOT_IMPL(GetUserClassID, (CLSID*))
    NOT_IMPL(GetUserType, (DWORD, LPOLESTR*))
    NOT_IMPL(SetExtent, (DWORD, SIZEL*))
    NOT_IMPL(GetExtent, (DWORD, SIZEL*))
    NOT_IMPL(Advise, (IAdviseSink*, DWORD*))
    NOT_IMPL(Unadvise, (DWORD))
    NOT_IMPL(EnumAdvise, (IEnumSTATDATA**))
    STDMETHODIMP GetMiscStatus(DWORD, DWORD* status) override
    {
        *status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
                  (theLog.siteFirst ? OLEMISC_SETCLIENTSITEFIRST : 0);
        return S_OK;
    }
    NOT_IMPL(SetColorScheme, (LOGPALETTE*))

    // --- IOleWindow and IOleInPlaceObject ---
    STDMETHODIMP GetWindow(HWND* window) override
    {
        *window = failing("GetWindow") ? nullptr : window_;
        return *window ? S_OK : E_FAIL;
    }
    NOT_IMPL(ContextSensitiveHelp, (BOOL))
    STDMETHODIMP InPlaceDeactivate() override
    {
        deactivate();
        return S_OK;
    }
    NOT_IMPL(UIDeactivate, ())
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT) override
    {
        theLog.placedRect = *position;
        MoveWindow(window_, position->left, position->top, position->right - position->left,
                   position->bottom - position->top, FALSE);
        return S_OK;
    }
    NOT_IMPL(ReactivateAndUndo, ())

    // --- IConnectionPointContainer ---
    NOT_IMPL(EnumConnectionPoints, (IEnumConnectionPoints**))
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override
    {
        *point = nullptr;
        if (failing("FindConnectionPoint") || iid != DIID_DWebBrowserEvents2)
            return CONNECT_E_NOCONNECTION;
        points_->AddRef();
        *point = points_;
        return S_OK;
    }

    // --- IDispatch, IWebBrowser, IWebBrowserApp, IWebBrowser2: navigation and quitting only ---
    NOT_IMPL(GetTypeInfoCount, (UINT*))
    NOT_IMPL(GetTypeInfo, (UINT, LCID, ITypeInfo**))
    NOT_IMPL(GetIDsOfNames, (REFIID, LPOLESTR*, UINT, LCID, DISPID*))
    NOT_IMPL(Invoke, (DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*))
    NOT_IMPL(GoBack, ()) NOT_IMPL(GoForward, ()) NOT_IMPL(GoHome, ()) NOT_IMPL(GoSearch, ())
    NOT_IMPL(Navigate, (BSTR, VARIANT*, VARIANT*, VARIANT*, VARIANT*))
    NOT_IMPL(Refresh, ()) NOT_IMPL(Refresh2, (VARIANT*)) NOT_IMPL(Stop, ())
    NOT_IMPL(get_Application, (IDispatch**)) NOT_IMPL(get_Parent, (IDispatch**))
    NOT_IMPL(get_Container, (IDispatch**)) NOT_IMPL(get_Document, (IDispatch**))
    NOT_IMPL(get_TopLevelContainer, (VARIANT_BOOL*)) NOT_IMPL(get_Type, (BSTR*))
    NOT_IMPL(get_Left, (LONG*)) NOT_IMPL(put_Left, (LONG)) NOT_IMPL(get_Top, (LONG*)) NOT_IMPL(put_Top, (LONG))
    NOT_IMPL(get_Width, (LONG*)) NOT_IMPL(put_Width, (LONG)) NOT_IMPL(get_Height, (LONG*)) NOT_IMPL(put_Height, (LONG))
    NOT_IMPL(get_LocationName, (BSTR*)) NOT_IMPL(get_LocationURL, (BSTR*)) NOT_IMPL(get_Busy, (VARIANT_BOOL*))
    STDMETHODIMP Quit() override
    {
        theLog.calls.push_back("Quit");
        return S_OK;
    }
    NOT_IMPL(ClientToWindow, (int*, int*)) NOT_IMPL(PutProperty, (BSTR, VARIANT)) NOT_IMPL(GetProperty, (BSTR, VARIANT*))
    NOT_IMPL(get_Name, (BSTR*)) NOT_IMPL(get_HWND, (SHANDLE_PTR*)) NOT_IMPL(get_FullName, (BSTR*))
    NOT_IMPL(get_Path, (BSTR*)) NOT_IMPL(get_Visible, (VARIANT_BOOL*)) NOT_IMPL(put_Visible, (VARIANT_BOOL))
    NOT_IMPL(get_StatusBar, (VARIANT_BOOL*)) NOT_IMPL(put_StatusBar, (VARIANT_BOOL))
    NOT_IMPL(get_StatusText, (BSTR*)) NOT_IMPL(put_StatusText, (BSTR)) NOT_IMPL(get_ToolBar, (int*))
    NOT_IMPL(put_ToolBar, (int)) NOT_IMPL(get_MenuBar, (VARIANT_BOOL*)) NOT_IMPL(put_MenuBar, (VARIANT_BOOL))
    NOT_IMPL(get_FullScreen, (VARIANT_BOOL*)) NOT_IMPL(put_FullScreen, (VARIANT_BOOL))
    STDMETHODIMP Navigate2(VARIANT* url, VARIANT*, VARIANT*, VARIANT*, VARIANT*) override
    {
        if (!url || url->vt != VT_BSTR)
            return E_INVALIDARG;
        theLog.calls.push_back("Navigate2 " + narrow(url->bstrVal));
        return S_OK;
    }
    NOT_IMPL(QueryStatusWB, (OLECMDID, OLECMDF*)) NOT_IMPL(ExecWB, (OLECMDID, OLECMDEXECOPT, VARIANT*, VARIANT*))
    NOT_IMPL(ShowBrowserBar, (VARIANT*, VARIANT*, VARIANT*)) NOT_IMPL(get_ReadyState, (READYSTATE*))
    NOT_IMPL(get_Offline, (VARIANT_BOOL*)) NOT_IMPL(put_Offline, (VARIANT_BOOL))
    NOT_IMPL(get_Silent, (VARIANT_BOOL*)) NOT_IMPL(put_Silent, (VARIANT_BOOL))
    NOT_IMPL(get_RegisterAsBrowser, (VARIANT_BOOL*)) NOT_IMPL(put_RegisterAsBrowser, (VARIANT_BOOL))
    NOT_IMPL(get_RegisterAsDropTarget, (VARIANT_BOOL*)) NOT_IMPL(put_RegisterAsDropTarget, (VARIANT_BOOL))
    NOT_IMPL(get_TheaterMode, (VARIANT_BOOL*)) NOT_IMPL(put_TheaterMode, (VARIANT_BOOL))
    NOT_IMPL(get_AddressBar, (VARIANT_BOOL*)) NOT_IMPL(put_AddressBar, (VARIANT_BOOL))
    NOT_IMPL(get_Resizable, (VARIANT_BOOL*)) NOT_IMPL(put_Resizable, (VARIANT_BOOL))

    HRESULT fire(DISPID id, DISPPARAMS* params)
    {
        if (!points_->sink_)
            return E_FAIL;
        return points_->sink_->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, params, nullptr, nullptr, nullptr);
    }

    HWND window_ = nullptr;
    HWND page_ = nullptr;

private:
    // What a real object does on in-place activation: asks the site, makes its windows inside
    // the parent, and announces its active object to the frame.
    HRESULT activate(IOleClientSite* site, HWND parent)
    {
        platform::ComPtr<IOleInPlaceSite> inPlace;
        if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, inPlace.outVoid())) || inPlace->CanInPlaceActivate() != S_OK)
            return E_FAIL;
        inPlace->OnInPlaceActivate();
        IOleInPlaceFrame* frame = nullptr;
        IOleInPlaceUIWindow* document = nullptr;
        RECT position{}, clip{};
        OLEINPLACEFRAMEINFO info{};
        info.cb = sizeof info;
        if (FAILED(inPlace->GetWindowContext(&frame, &document, &position, &clip, &info)))
            return E_FAIL;
        window_ = CreateWindowExW(0, windowClass(0), L"", WS_CHILD | WS_VISIBLE, position.left, position.top,
                                 position.right - position.left, position.bottom - position.top, parent, nullptr,
                                 nullptr, nullptr);
        HWND shell = CreateWindowExW(0, windowClass(0), L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, window_, nullptr,
                                     nullptr, nullptr);
        page_ = CreateWindowExW(0, windowClass(kind_), L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, shell, nullptr,
                                nullptr, nullptr);
        inPlaceSite_.reset(inPlace.get());
        uiFrame_.reset(frame);
        frame->Release();
        if (document)
            document->Release();
        auto* active = new ActiveObject(page_);
        uiFrame_->SetActiveObject(active, L"page");
        active->Release();
        inPlace->OnUIActivate();
        return S_OK;
    }

    void deactivate()
    {
        if (uiFrame_)
            uiFrame_->SetActiveObject(nullptr, nullptr);
        if (inPlaceSite_) {
            inPlaceSite_->OnUIDeactivate(FALSE);
            inPlaceSite_->OnInPlaceDeactivate();
        }
        uiFrame_.reset(nullptr);
        inPlaceSite_.reset(nullptr);
    }

    int kind_;
    Held<IOleClientSite> site_;
    Held<IOleInPlaceSite> inPlaceSite_;
    Held<IOleInPlaceFrame> uiFrame_;
    ConnectionPoint* points_ = new ConnectionPoint;
};

namespace {

class Factory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        return answerFaces(iid, out, {{&IID_IUnknown, this}, {&IID_IClassFactory, this}});
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        theLog.calls.push_back("CreateInstance");
        auto* browser = new Browser(instances.size() % 2 == 0 ? 1 : 2);
        HRESULT result = browser->QueryInterface(iid, out);
        browser->Release();
        return result;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

Factory factory;

} // namespace

FakeBrowserLog& log()
{
    return theLog;
}

bool registerClass()
{
    theLog = FakeBrowserLog{};
    instances.clear();
    keys.clear();
    pages.clear();
    consumedKey = reenteringKey = 0;
    return SUCCEEDED(CoRegisterClassObject(CLSID_WebBrowser, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                           &registration));
}

void revokeClass()
{
    if (registration)
        CoRevokeClassObject(registration);
    registration = 0;
}

Browser* instance(size_t n)
{
    return n < instances.size() ? instances[n] : nullptr;
}

HWND browserWindow(Browser* browser)
{
    return browser ? browser->window_ : nullptr;
}

HWND innerWindow(Browser* browser)
{
    return browser ? browser->page_ : nullptr;
}

HRESULT fire(Browser* browser, DISPID id, DISPPARAMS* params)
{
    return browser ? browser->fire(id, params) : E_FAIL;
}

std::vector<std::string>& offeredKeys()
{
    return keys;
}

std::vector<std::string>& pageMessages()
{
    return pages;
}

WPARAM consumedKey = 0;
WPARAM reenteringKey = 0;

} // namespace fakeBrowser

bool FakeBrowserLog::saw(const std::string& call) const
{
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

int FakeBrowserLog::indexOf(const std::string& prefix) const
{
    for (size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].compare(0, prefix.size(), prefix) == 0)
            return int(i);
    }
    return -1;
}
