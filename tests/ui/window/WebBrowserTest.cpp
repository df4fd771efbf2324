// The browser control as an OLE container, in real host windows: with a stand-in browser
// registered under the browser's class id it is driven through activation, navigation, events,
// the keyboard filter and release, and every failing step; without one, Wine's own object (whose
// HTML engine is missing here) must leave the window working.
#include "FakeBrowser.h"

#include <BrowserKeyboardFilter.h>
#include <Canvas.h>
#include <PropertyKey.h>
#include <Toolkit.h>
#include <WebBrowser.h>
#include <WindowImpl.h>
#include <platform/Com.h>

#include <exdispid.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// What reached the host window's own procedure, as "0x466 URL" and "0x467".
std::vector<std::string> hostMessages;
WNDPROC hostProcedure = nullptr;

LRESULT CALLBACK recordHost(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WebBrowser::kBeforeNavigate) {
        std::string url;
        for (auto* c = reinterpret_cast<const wchar_t*>(wparam); c && *c; ++c)
            url += char(*c);
        hostMessages.push_back("0x466 " + url);
    } else if (message == WebBrowser::kNavigateComplete) {
        hostMessages.push_back("0x467");
    }
    return CallWindowProcW(hostProcedure, window, message, wparam, lparam);
}

void pump()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// An event's arguments, last first as they travel.
struct Arguments {
    std::vector<VARIANT> values;
    DISPPARAMS params{};
    explicit Arguments(size_t count) : values(count)
    {
        for (VARIANT& v : values)
            VariantInit(&v);
        params.cArgs = UINT(count);
        params.rgvarg = values.data();
    }
};

class WebBrowserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ole.ok());
        ASSERT_TRUE(Toolkit::start());
        ASSERT_TRUE(fakeBrowser::registerClass());
        hostMessages.clear();
    }
    void TearDown() override
    {
        close();
        fakeBrowser::revokeClass();
        Toolkit::shutdown();
        EXPECT_TRUE(BrowserKeyboardFilter::activeObjects().empty());
    }

    // A 300 × 200 host window with browsers at (20, 30) and (20, 160), each 200 × 30 or the first
    // 200 × 120 when it is alone.
    void open(int browsers = 1, const wchar_t* url = nullptr)
    {
        auto* root = new Canvas;
        root->sizeProperties.set(PropertyKey::initSize, Size{300, 200});
        for (int i = 0; i < browsers; ++i) {
            auto* browser = new WebBrowser;
            browser->intProperties.set(PropertyKey::x, 20);
            browser->intProperties.set(PropertyKey::y, i == 0 ? 30 : 160);
            browser->intProperties.set(PropertyKey::width, 200);
            browser->intProperties.set(PropertyKey::height, browsers == 1 ? 120 : 30);
            if (url)
                browser->textProperties.set(PropertyKey::url, url);
            root->addChild(browser);
            this->browsers.push_back(browser);
        }
        window = new WindowImpl;
        window->setRoot(std::unique_ptr<Control>(root));
        ASSERT_TRUE(window->create(L"browser test", WS_POPUP, 700, 400, 0, 0));
        handle = window->hwnd;
        hostProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&recordHost)));
        ShowWindow(handle, SW_SHOWNOACTIVATE);
        UpdateWindow(handle);
        pump();
    }
    void close()
    {
        if (handle && IsWindow(handle))
            DestroyWindow(handle);
        handle = nullptr;
        window = nullptr;
        browsers.clear();
        pump();
    }

    platform::OleScope ole;
    WindowImpl* window = nullptr;         // not owned: it goes with its window
    HWND handle = nullptr;
    std::vector<WebBrowser*> browsers;    // not owned: the window's tree
};

} // namespace

TEST_F(WebBrowserTest, HostsTheBrowserFromActivationThroughEventsToRelease)
{
    FakeBrowserLog& log = fakeBrowser::log();
    open(1, L"about:orvo");
    WebBrowser* control = browsers[0];
    auto* fake = fakeBrowser::instance(0);
    ASSERT_NE(fake, nullptr);

    // activation: the site before the verb (the object asks for it first), in place in the host
    // window, then the events, then the page
    EXPECT_LT(log.indexOf("SetClientSite"), log.indexOf("DoVerb -4"));
    EXPECT_LT(log.indexOf("DoVerb -4"), log.indexOf("Advise"));
    EXPECT_LT(log.indexOf("Advise"), log.indexOf("Navigate2 about:orvo"));
    EXPECT_EQ(log.parent, handle);
    EXPECT_TRUE(control->inPlaceActive());
    EXPECT_NE(control->browser(), nullptr);
    EXPECT_EQ(control->browserWindow(), fakeBrowser::browserWindow(fake));
    ASSERT_NE(control->activeObject(), nullptr);
    EXPECT_EQ(BrowserKeyboardFilter::activeObjects().count(control->activeObject()), 1u);
    // painted once laid out: the browser is moved onto the control
    EXPECT_EQ(log.placedRect.left, 20);
    EXPECT_EQ(log.placedRect.top, 30);
    EXPECT_EQ(log.placedRect.right, 220);
    EXPECT_EQ(log.placedRect.bottom, 150);

    // events: navigation is announced to the host window (sent, then posted); downloads are refused
    Arguments before(7);
    VARIANT url;
    VariantInit(&url);
    url.vt = VT_BSTR;
    url.bstrVal = SysAllocString(L"http://example.test/page");
    before.values[5].vt = VT_BYREF | VT_VARIANT;
    before.values[5].pvarVal = &url;
    EXPECT_EQ(fakeBrowser::fire(fake, DISPID_BEFORENAVIGATE2, &before.params), S_OK);
    EXPECT_EQ(hostMessages, std::vector<std::string>{"0x466 http://example.test/page"});
    VariantClear(&url);
    Arguments complete(2);
    EXPECT_EQ(fakeBrowser::fire(fake, DISPID_NAVIGATECOMPLETE2, &complete.params), S_OK);
    EXPECT_EQ(hostMessages.size(), 1u) << "posted, not sent";
    pump();
    EXPECT_EQ(hostMessages.back(), "0x467");
    Arguments download(2);
    VARIANT_BOOL cancel = VARIANT_FALSE;
    download.values[0].vt = VT_BYREF | VT_BOOL;
    download.values[0].pboolVal = &cancel;
    EXPECT_EQ(fakeBrowser::fire(fake, DISPID_FILEDOWNLOAD, &download.params), S_OK);
    EXPECT_EQ(cancel, VARIANT_TRUE);
    EXPECT_EQ(fakeBrowser::fire(fake, DISPID_STATUSTEXTCHANGE, &complete.params), E_NOTIMPL);

    // release with the window: events off first, then closed (deactivating it), its site taken
    // back, quit; nothing of either side is left holding the other
    HWND browserWindow = control->browserWindow();
    close();
    int unadvise = log.indexOf("Unadvise 77"), closing = log.indexOf("Close 1");
    ASSERT_GE(unadvise, 0);
    EXPECT_LT(unadvise, closing);
    EXPECT_LT(closing, log.indexOf("SetClientSite null"));
    EXPECT_LT(log.indexOf("SetClientSite null"), log.indexOf("Quit"));
    EXPECT_FALSE(IsWindow(browserWindow));
    EXPECT_EQ(log.containerReferences, 0) << "the browser still points into the freed control";
    EXPECT_EQ(log.liveObjects, 0) << "the control leaked the browser";
}

TEST_F(WebBrowserTest, AnyFailingStepReleasesWhatWasObtainedAndLeavesTheWindowWorking)
{
    for (const char* step : {"DoVerb", "IWebBrowser2", "GetWindow", "FindConnectionPoint", "Advise"}) {
        SCOPED_TRACE(step);
        ASSERT_TRUE(fakeBrowser::registerClass());
        fakeBrowser::log().failAt = step;
        open(1, L"about:orvo");
        WebBrowser* control = browsers[0];
        EXPECT_EQ(control->browser(), nullptr);
        EXPECT_EQ(control->browserWindow(), nullptr);
        EXPECT_EQ(control->activeObject(), nullptr);
        EXPECT_FALSE(control->inPlaceActive());
        EXPECT_FALSE(fakeBrowser::log().saw("Navigate2 about:orvo"));
        EXPECT_FALSE(IsWindow(fakeBrowser::browserWindow(fakeBrowser::instance(0))));
        EXPECT_EQ(fakeBrowser::log().containerReferences, 0);
        EXPECT_EQ(fakeBrowser::log().liveObjects, 0);
        EXPECT_TRUE(BrowserKeyboardFilter::activeObjects().empty());
        // the window goes on: it paints and closes
        EXPECT_TRUE(control->invalidate(true));
        close();
        fakeBrowser::revokeClass();
    }
}

TEST_F(WebBrowserTest, KeyboardFilterOffersKeysOnceAndKeepsEachPagesOwnProcedure)
{
    open(2);
    fakeBrowser::Browser* fakes[] = {fakeBrowser::instance(0), fakeBrowser::instance(1)};
    HWND pages[] = {fakeBrowser::innerWindow(fakes[0]), fakeBrowser::innerWindow(fakes[1])};
    ASSERT_TRUE(pages[0] && pages[1]);
    // the first event puts the filter on each browser's page window
    Arguments complete(2);
    for (auto* fake : fakes)
        fakeBrowser::fire(fake, DISPID_NAVIGATECOMPLETE2, &complete.params);
    EXPECT_TRUE(BrowserKeyboardFilter::isSubclassed(pages[0]));
    EXPECT_TRUE(BrowserKeyboardFilter::isSubclassed(pages[1]));
    EXPECT_EQ(SendMessageW(pages[0], WM_APP, 0, 0), 1) << "the first page lost its own procedure";
    EXPECT_EQ(SendMessageW(pages[1], WM_APP, 0, 0), 2);
    EXPECT_EQ(BrowserKeyboardFilter::activeObjects().size(), 2u);

    auto& offered = fakeBrowser::offeredKeys();
    auto& seen = fakeBrowser::pageMessages();
    auto count = [](const std::vector<std::string>& list, const std::string& item) {
        return std::count(list.begin(), list.end(), item);
    };
    const std::string keyDown = std::to_string(WM_KEYDOWN) + ":";
    fakeBrowser::consumedKey = VK_TAB;
    fakeBrowser::reenteringKey = 'R';
    SendMessageW(pages[0], WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(count(offered, keyDown + std::to_string(VK_TAB)), 1) << "consumed by the first active object";
    EXPECT_EQ(count(seen, "1:" + keyDown + std::to_string(VK_TAB)), 0) << "a consumed key reached the page";
    SendMessageW(pages[0], WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(count(offered, keyDown + std::to_string('A')), 2) << "offered to every active object";
    EXPECT_EQ(count(seen, "1:" + keyDown + std::to_string('A')), 1);
    // an object that sends its page a key while translating: that key is handled, not offered
    SendMessageW(pages[0], WM_KEYDOWN, 'R', 0);
    EXPECT_EQ(count(offered, keyDown + std::to_string('X')), 0);
    EXPECT_EQ(count(seen, "1:" + keyDown + std::to_string('X')), 2);
    // no erasing under the page
    EXPECT_EQ(SendMessageW(pages[1], WM_ERASEBKGND, 0, 0), 1);
    EXPECT_EQ(count(seen, "2:" + std::to_string(WM_ERASEBKGND) + ":0"), 0);

    // announced again, the same object stays listed once
    IOleInPlaceActiveObject* first = browsers[0]->activeObject();
    EXPECT_EQ(browsers[0]->SetActiveObject(first, nullptr), S_OK);
    EXPECT_EQ(BrowserKeyboardFilter::activeObjects().count(first), 1u);
    // the browser takes its active object back: it leaves the filter and is released
    int live = fakeBrowser::log().liveObjects;
    EXPECT_EQ(browsers[1]->SetActiveObject(nullptr, nullptr), S_OK);
    EXPECT_EQ(browsers[1]->activeObject(), nullptr);
    EXPECT_EQ(BrowserKeyboardFilter::activeObjects().size(), 1u);
    EXPECT_EQ(fakeBrowser::log().liveObjects, live - 1);

    close();
    EXPECT_FALSE(BrowserKeyboardFilter::isSubclassed(pages[0])) << "a destroyed page stays in the map";
    EXPECT_EQ(fakeBrowser::log().liveObjects, 0);
}

TEST_F(WebBrowserTest, ContainerAnswersAndRefusesMalformedCalls)
{
    WebBrowser control;   // never attached: no window, no browser
    struct Interface {
        const IID* iid;
        void* expected;
    };
    const Interface interfaces[] = {
        {&IID_IUnknown, static_cast<IOleClientSite*>(&control)},
        {&IID_IOleClientSite, static_cast<IOleClientSite*>(&control)},
        {&IID_IOleInPlaceSite, static_cast<IOleInPlaceSite*>(&control)},
        {&IID_IOleWindow, static_cast<IOleWindow*>(static_cast<IOleInPlaceFrame*>(&control))},
        {&IID_IDocHostUIHandler, static_cast<IDocHostUIHandler*>(&control)},
        {&DIID_DWebBrowserEvents2, static_cast<DWebBrowserEvents2*>(&control)},
        {&IID_IDispatch, static_cast<DWebBrowserEvents2*>(&control)},
        {&IID_IOleObject, nullptr},
        {&IID_IOleInPlaceFrame, nullptr},
    };
    for (const Interface& i : interfaces) {
        void* out = reinterpret_cast<void*>(1);
        HRESULT result = control.QueryInterface(*i.iid, &out);
        EXPECT_EQ(out, i.expected);
        EXPECT_EQ(result, i.expected ? S_OK : E_NOINTERFACE);
        if (out)
            static_cast<IUnknown*>(out)->Release();
    }
    EXPECT_EQ(control.referenceCount(), 0u);

    DOCHOSTUIINFO info{};
    EXPECT_EQ(control.GetHostInfo(nullptr), E_INVALIDARG);
    EXPECT_EQ(control.GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.cbSize, 32u);
    EXPECT_EQ(info.dwFlags, 7u);
    EXPECT_EQ(info.dwDoubleClick, 0u);
    EXPECT_EQ(control.ShowContextMenu(0, nullptr, nullptr, nullptr), S_OK) << "no context menu";

    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* document = nullptr;
    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO frameInfo{};
    EXPECT_EQ(control.GetWindowContext(nullptr, &document, &position, &clip, &frameInfo), E_INVALIDARG);
    EXPECT_EQ(control.GetWindowContext(&frame, nullptr, &position, &clip, &frameInfo), E_INVALIDARG);
    EXPECT_EQ(control.GetWindowContext(&frame, &document, nullptr, &clip, &frameInfo), E_INVALIDARG);
    EXPECT_EQ(control.GetWindowContext(&frame, &document, &position, nullptr, &frameInfo), E_INVALIDARG);
    EXPECT_EQ(control.GetWindowContext(&frame, &document, &position, &clip, nullptr), E_INVALIDARG);
    EXPECT_EQ(frame, nullptr);
    EXPECT_EQ(control.referenceCount(), 0u);

    // events whose arguments are missing or of the wrong kind are refused, none reaches anything
    Arguments none(0), wrongUrl(7), plainCancel(2), tooMany(3);
    wrongUrl.values[5].vt = VT_I4;
    plainCancel.values[0].vt = VT_BOOL;
    struct Event {
        DISPID id;
        DISPPARAMS* params;
        HRESULT expected;
    };
    const Event events[] = {
        {DISPID_BEFORENAVIGATE2, nullptr, DISP_E_BADPARAMCOUNT},
        {DISPID_BEFORENAVIGATE2, &none.params, DISP_E_BADPARAMCOUNT},
        {DISPID_BEFORENAVIGATE2, &wrongUrl.params, DISP_E_TYPEMISMATCH},
        {DISPID_FILEDOWNLOAD, &none.params, DISP_E_BADPARAMCOUNT},
        {DISPID_FILEDOWNLOAD, &plainCancel.params, DISP_E_TYPEMISMATCH},
        {DISPID_FILEDOWNLOAD, &tooMany.params, DISP_E_BADPARAMCOUNT},
    };
    for (const Event& e : events)
        EXPECT_EQ(control.Invoke(e.id, IID_NULL, 0, DISPATCH_METHOD, e.params, nullptr, nullptr, nullptr), e.expected);
    EXPECT_TRUE(hostMessages.empty());
}

TEST_F(WebBrowserTest, WithoutTheHtmlEngineTheWindowStillOpensPaintsAndCloses)
{
    // Wine's own browser object: the test prefix has no HTML engine, so it cannot show a page
    fakeBrowser::revokeClass();
    DWORD started = GetTickCount();
    open(1, L"about:blank");
    for (int i = 0; i < 10; ++i) {
        pump();
        Sleep(20);
    }
    // Wine's object is made and activated, and only its page stays empty; any other outcome
    // must leave the control empty
    HWND browserWindow = browsers[0]->browserWindow();
    EXPECT_EQ(browserWindow != nullptr, browsers[0]->browser() != nullptr);
    EXPECT_TRUE(browsers[0]->invalidate(true));
    EXPECT_TRUE(IsWindowVisible(handle));
    close();
    EXPECT_FALSE(browserWindow && IsWindow(browserWindow)) << "the browser's window outlived the control";
    EXPECT_TRUE(BrowserKeyboardFilter::activeObjects().empty());
    EXPECT_LT(GetTickCount() - started, 10000u) << "the missing engine held the window up";
}
