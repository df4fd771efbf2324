// The platform web browser inside a toolkit window: the control is the browser's OLE container.
#pragma once

#include <Control.h>
#include <platform/Com.h>

#include <windows.h>
#include <ole2.h>
#include <exdisp.h>
#include <mshtmhst.h>

#include <string>

// On Attached the control creates the browser object, activates it in place inside its host
// window, connects to its events and, when it has a `url`, navigates there. Any failure on that
// way releases whatever was obtained: the control stays empty and tries again on its next attach.
//
// The five container interfaces share one reference count, but the control is deleted by its
// tree, not by the count: before it goes it disconnects the events, closes the browser object
// and takes its client site back, so that the browser keeps no pointer into it. UI thread only.
class WebBrowser : public Control,
                   public IOleClientSite,
                   public IOleInPlaceSite,
                   public IOleInPlaceFrame,
                   public IDocHostUIHandler,
                   public DWebBrowserEvents2 {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags;
    // Sent to the host window before each navigation, wParam the target URL (a wide string valid
    // during the call); posted after each completed one. No toolkit window handles them.
    static constexpr UINT kBeforeNavigate = 0x466;
    static constexpr UINT kNavigateComplete = 0x467;

    WebBrowser();
    ~WebBrowser() override;

    // Moves the browser's window onto the control when the control's place in the window changed.
    void paint(DeviceContext dc, const Rect& windowRect, const Rect& clip) override;

    // Asks the browser to show the URL. False when there is no browser or it refused.
    bool navigate(const std::wstring& url);

    IWebBrowser2* browser() const { return browser_.get(); }
    HWND hostWindow() const { return hostWindow_; }
    HWND browserWindow() const { return browserWindow_; }
    bool inPlaceActive() const { return inPlaceActive_; }
    IOleInPlaceActiveObject* activeObject() const { return activeObject_; }
    // References the browser holds on the container interfaces.
    ULONG referenceCount() const { return refCount_; }

    // --- IUnknown (one identity for all five interfaces) ---
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // --- IOleClientSite ---
    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD whichMoniker, IMoniker** moniker) override;
    STDMETHODIMP GetContainer(IOleContainer** container) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL show) override;
    STDMETHODIMP RequestNewObjectLayout() override;

    // --- IOleWindow (of the in-place site and the frame alike) ---
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;

    // --- IOleInPlaceSite ---
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, RECT* position,
                                  RECT* clip, OLEINPLACEFRAMEINFO* frameInfo) override;
    STDMETHODIMP Scroll(SIZE extent) override;
    STDMETHODIMP OnUIDeactivate(BOOL undoable) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override;
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(const RECT* position) override;

    // --- IOleInPlaceUIWindow and IOleInPlaceFrame ---
    STDMETHODIMP GetBorder(RECT* border) override;
    STDMETHODIMP RequestBorderSpace(const BORDERWIDTHS* widths) override;
    STDMETHODIMP SetBorderSpace(const BORDERWIDTHS* widths) override;
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR name) override;
    STDMETHODIMP InsertMenus(HMENU shared, OLEMENUGROUPWIDTHS* widths) override;
    STDMETHODIMP SetMenu(HMENU shared, HOLEMENU descriptor, HWND activeObject) override;
    STDMETHODIMP RemoveMenus(HMENU shared) override;
    STDMETHODIMP SetStatusText(LPCOLESTR text) override;
    STDMETHODIMP EnableModeless(BOOL enable) override;   // also IDocHostUIHandler's
    STDMETHODIMP TranslateAccelerator(MSG* message, WORD id) override;

    // --- IDocHostUIHandler ---
    STDMETHODIMP ShowContextMenu(DWORD id, POINT* point, IUnknown* commandTarget, IDispatch* object) override;
    STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
    STDMETHODIMP ShowUI(DWORD id, IOleInPlaceActiveObject* object, IOleCommandTarget* commandTarget,
                        IOleInPlaceFrame* frame, IOleInPlaceUIWindow* document) override;
    STDMETHODIMP HideUI() override;
    STDMETHODIMP UpdateUI() override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
    STDMETHODIMP TranslateAccelerator(MSG* message, const GUID* group, DWORD command) override;
    STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
    STDMETHODIMP GetDropTarget(IDropTarget* target, IDropTarget** replacement) override;
    STDMETHODIMP GetExternal(IDispatch** external) override;
    STDMETHODIMP TranslateUrl(DWORD translate, LPWSTR url, LPWSTR* translated) override;
    STDMETHODIMP FilterDataObject(IDataObject* object, IDataObject** replacement) override;

    // --- DWebBrowserEvents2 (IDispatch) ---
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

private:
    static void onAttached(void* target, Control* sender, ControlEvent* event);
    // The activation steps; false at the first that fails (the caller releases what was obtained).
    bool activate();
    bool createBrowser();
    bool connectEvents();
    // Disconnects, closes and releases the browser and destroys its window; every field empty.
    void releaseBrowser();
    // Forgets the active object: out of the filter's set, its reference released.
    void forgetActiveObject();
    // Puts the keyboard filter on the browser's inner window once it exists.
    void filterInnerWindow();

    platform::ComPtr<IWebBrowser2> browser_;
    platform::ComPtr<IConnectionPoint> connectionPoint_;
    platform::ComPtr<IOleObject> oleObject_;
    IOleInPlaceActiveObject* activeObject_ = nullptr;   // one reference held while set
    DWORD adviseCookie_ = 0;
    LONG refCount_ = 0;
    HWND hostWindow_ = nullptr;      // not owned: the window of the control's WindowImpl
    HWND browserWindow_ = nullptr;   // the browser's in-place window, destroyed with the browser
    bool inPlaceActive_ = false;
    bool subclassed_ = false;
    Rect placed_;                    // the rectangle last given to the browser, client coordinates
};
