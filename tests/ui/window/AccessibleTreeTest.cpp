// The accessibility tree of a host window, read in-process through oleacc the way a screen reader
// reads it: roles, names, states, values and places, the child ids window events carry, the
// default action going through the mouse path, and objects that outlive their control.
#include "TestSupport.h"
#include "ui/core/Place.h"

#include <AccessibleTree.h>
#include <Button.h>
#include <Canvas.h>
#include <CheckBox.h>
#include <Label.h>
#include <ProgressBar.h>
#include <PropertyKey.h>
#include <Seperator.h>
#include <TextBox.h>
#include <Toolkit.h>
#include <WindowImpl.h>
#include <platform/Com.h>

#include <gtest/gtest.h>

#include <oleacc.h>

#include <string>
#include <vector>

namespace {

VARIANT self(LONG child = CHILDID_SELF)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = child;
    return v;
}

std::wstring nameOf(IAccessible* object, LONG child = CHILDID_SELF)
{
    platform::Bstr name;
    object->get_accName(self(child), name.out());
    return name ? std::wstring(name.get()) : std::wstring();
}

LONG numberOf(IAccessible* object, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*))
{
    platform::VariantScope value;
    if ((object->*get)(self(), &value) != S_OK || value.get().vt != VT_I4)
        return -1;
    // where the pointer rests is not this test's business
    return get == &IAccessible::get_accState ? value.get().lVal & ~STATE_SYSTEM_HOTTRACKED : value.get().lVal;
}

std::vector<platform::ComPtr<IAccessible>> childrenOf(IAccessible* object)
{
    std::vector<platform::ComPtr<IAccessible>> out;
    long count = 0;
    object->get_accChildCount(&count);
    for (long i = 1; i <= count; ++i) {
        platform::ComPtr<IDispatch> child;
        if (object->get_accChild(self(i), child.out()) == S_OK)
            out.push_back(child.query<IAccessible>(__uuidof(IAccessible)));
    }
    return out;
}

// The window events the tree raised, as (event, child id).
std::vector<std::pair<DWORD, LONG>>* raised = nullptr;

void CALLBACK onEvent(HWINEVENTHOOK, DWORD event, HWND, LONG object, LONG child, DWORD, DWORD)
{
    if (raised && object == OBJID_CLIENT)
        raised->push_back({event, child});
}

int clicks = 0;
void countClick(void*, Control*, ControlEvent*)
{
    ++clicks;
}

class AccessibleTreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(com.ok());
        ASSERT_TRUE(Toolkit::start());
        root = new Canvas;
        root->sizeProperties.set(PropertyKey::initSize, Size{400, 300});
        page = place(root, new Canvas, 0, 0, 400, 300);
        page->intProperties.set(PropertyKey::id, 1000);
        place(page, new Label, 10, 10, 100, 20, L"安装位置");
        box = place(page, new TextBox, 10, 40, 200, 30);
        agree = place(page, new CheckBox, 10, 80, 120, 24, L"我已阅读并同意");
        go = place(page, new Button, 10, 110, 100, 30, L"立即安装");
        go->setEnabled(false);
        place(page, new Label, 10, 150, 100, 20);   // no text yet: nothing to read
        place(page, new Seperator, 0, 180, 400, 1);
        bar = place(page, new ProgressBar, 10, 200, 300, 8);
        auto* hidden = place(root, new Canvas, 0, 0, 400, 300);
        hidden->intProperties.set(PropertyKey::id, 2000);
        place(hidden, new Button, 10, 10, 80, 30, L"浏览");
        hidden->setVisible(false);
        // a layout panel without an id: its children stand in its place
        auto* strip = place(root, new Canvas, 360, 0, 40, 40);
        close = place(strip, new Button, 4, 4, 32, 32);
        close->textProperties.set(PropertyKey::accName, L"关闭");

        window = new WindowImpl;
        window->setRoot(std::unique_ptr<Control>(root));
        ASSERT_TRUE(window->create(L"accessible tree test", WS_POPUP, 200, 100, 0, 0));
        handle = window->hwnd;
        ShowWindow(handle, SW_SHOWNOACTIVATE);
        pump();
        ASSERT_EQ(AccessibleObjectFromWindow(handle, DWORD(OBJID_CLIENT), __uuidof(IAccessible), client.outVoid()),
                  S_OK);
        ASSERT_TRUE(client);
    }
    void TearDown() override
    {
        client.reset();
        if (IsWindow(handle))
            DestroyWindow(handle);
        Toolkit::shutdown();
    }
    static void pump() { testing_support::pumpMessages(); }

    platform::ComScope com;
    Canvas* root = nullptr;   // owned by the window from creation on
    Canvas* page = nullptr;
    TextBox* box = nullptr;
    CheckBox* agree = nullptr;
    Button* go = nullptr;
    Button* close = nullptr;
    ProgressBar* bar = nullptr;
    WindowImpl* window = nullptr;   // not owned: it goes with its window
    HWND handle = nullptr;
    platform::ComPtr<IAccessible> client;
};

} // namespace

TEST_F(AccessibleTreeTest, RolesNamesStatesValuesAndPlacesOfTheVisibleControls)
{
    box->setText(L"C:\\Program Files\\OrvoNubelo\\");
    bar->setRange(233);
    bar->setPosition(117);
    agree->setChecked(true);

    EXPECT_EQ(numberOf(client.get(), &IAccessible::get_accRole), ROLE_SYSTEM_CLIENT);
    EXPECT_EQ(nameOf(client.get()), L"accessible tree test");
    // the hidden page is left out, the id-less strip is looked through
    auto top = childrenOf(client.get());
    ASSERT_EQ(top.size(), 2u);
    EXPECT_EQ(numberOf(top[0].get(), &IAccessible::get_accRole), ROLE_SYSTEM_PROPERTYPAGE);
    EXPECT_EQ(nameOf(top[0].get()), L"安装位置");   // a page is called by its heading
    EXPECT_EQ(nameOf(top[1].get()), L"关闭");
    EXPECT_EQ(numberOf(top[1].get(), &IAccessible::get_accRole), ROLE_SYSTEM_PUSHBUTTON);

    struct Expected {
        LONG role;
        std::wstring name;
        LONG state;
        std::wstring value;   // "-" for none
        Control* control;
    };
    const Expected expected[] = {
        {ROLE_SYSTEM_STATICTEXT, L"安装位置", STATE_SYSTEM_READONLY, L"-", nullptr},
        {ROLE_SYSTEM_TEXT, L"安装位置", STATE_SYSTEM_FOCUSABLE, L"C:\\Program Files\\OrvoNubelo\\", box},
        {ROLE_SYSTEM_CHECKBUTTON, L"我已阅读并同意", STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED, L"-", agree},
        {ROLE_SYSTEM_PUSHBUTTON, L"立即安装", STATE_SYSTEM_UNAVAILABLE, L"-", go},
        {ROLE_SYSTEM_PROGRESSBAR, L"安装位置", STATE_SYSTEM_READONLY, L"50%", bar},
    };
    auto items = childrenOf(top[0].get());
    ASSERT_EQ(items.size(), std::size(expected));
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        IAccessible* item = items[i].get();
        EXPECT_EQ(numberOf(item, &IAccessible::get_accRole), expected[i].role);
        EXPECT_EQ(nameOf(item), expected[i].name);
        EXPECT_EQ(numberOf(item, &IAccessible::get_accState), expected[i].state);
        platform::Bstr value;
        HRESULT hr = item->get_accValue(self(), value.out());
        EXPECT_EQ(hr == S_OK ? std::wstring(value.get(), SysStringLen(value.get())) : L"-", expected[i].value);
        if (!expected[i].control)
            continue;
        // screen coordinates of the control
        long x = 0, y = 0, w = 0, h = 0;
        ASSERT_EQ(item->accLocation(&x, &y, &w, &h, self()), S_OK);
        Rect area;
        ASSERT_TRUE(expected[i].control->absoluteRect(area));
        POINT origin{area.left, area.top};
        ClientToScreen(handle, &origin);
        EXPECT_EQ((std::vector<long>{x, y, w, h}), (std::vector<long>{origin.x, origin.y, area.width(), area.height()}));
        // the child id of the window events leads back to the same control
        platform::ComPtr<IDispatch> byId;
        ASSERT_EQ(client->get_accChild(self(accessible::childId(expected[i].control)), byId.out()), S_OK);
        EXPECT_EQ(nameOf(byId.query<IAccessible>(__uuidof(IAccessible)).get()), expected[i].name);
    }

    // focus shows in the state and in get_accFocus
    window->setFocus(box);
    EXPECT_EQ(numberOf(items[1].get(), &IAccessible::get_accState), STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED);
    platform::VariantScope focus;
    ASSERT_EQ(client->get_accFocus(&focus), S_OK);
    ASSERT_EQ(focus.get().vt, VT_DISPATCH);
    platform::ComPtr<IDispatch> focusedObject(focus.get().pdispVal);
    focus.get().vt = VT_EMPTY;
    EXPECT_EQ(numberOf(focusedObject.query<IAccessible>(__uuidof(IAccessible)).get(), &IAccessible::get_accRole),
              ROLE_SYSTEM_TEXT);
}

TEST_F(AccessibleTreeTest, ChangesRaiseWindowEventsAndTheDefaultActionClicksLikeTheMouse)
{
    std::vector<std::pair<DWORD, LONG>> events;
    raised = &events;
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_NAMECHANGE + 0x10, nullptr, onEvent,
                                         GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_TRUE(hook);
    agree->addHandler(EventCode::Click, nullptr, countClick);
    clicks = 0;

    go->setEnabled(true);
    bar->setPosition(1);
    window->setFocus(box);
    box->setText(L"D:\\");
    // the check box's default action: a press and a release at its centre, then the Click the
    // button rule posts, which toggles it as a click does
    auto items = childrenOf(childrenOf(client.get())[0].get());
    ASSERT_EQ(items[2]->accDoDefaultAction(self()), S_OK);
    DWORD start = GetTickCount();
    while ((clicks == 0 || events.size() < 5) && GetTickCount() - start < 5000) {
        pump();
        Sleep(10);
    }
    UnhookWinEvent(hook);
    raised = nullptr;
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(agree->hasFlags(Flag::checked));
    const std::pair<DWORD, LONG> wanted[] = {
        {EVENT_OBJECT_STATECHANGE, accessible::childId(go)},
        {EVENT_OBJECT_VALUECHANGE, accessible::childId(bar)},
        {EVENT_OBJECT_FOCUS, accessible::childId(box)},
        {EVENT_OBJECT_VALUECHANGE, accessible::childId(box)},
        {EVENT_OBJECT_STATECHANGE, accessible::childId(agree)},
    };
    for (const auto& event : wanted)
        EXPECT_NE(std::find(events.begin(), events.end(), event), events.end()) << std::hex << event.first;

    // a disabled control refuses its action, so does any control while a modal box disables the
    // window, and a control without one says so
    go->setEnabled(false);
    EXPECT_EQ(items[3]->accDoDefaultAction(self()), E_FAIL);
    EnableWindow(handle, FALSE);
    EXPECT_EQ(items[2]->accDoDefaultAction(self()), E_FAIL);
    EnableWindow(handle, TRUE);
    EXPECT_EQ(items[0]->accDoDefaultAction(self()), DISP_E_MEMBERNOTFOUND);
}

TEST_F(AccessibleTreeTest, ObjectsOfControlsThatWentAwayAnswerNotConnected)
{
    auto items = childrenOf(childrenOf(client.get())[0].get());
    platform::ComPtr<IAccessible> held = items[3];
    LONG goId = accessible::childId(go);
    ASSERT_EQ(nameOf(held.get()), L"立即安装");
    page->removeChild(go);
    delete go;
    // another control may take the freed address: the object must not follow it
    place(page, new Button, 10, 110, 100, 30, L"另一个");
    BSTR name = nullptr;
    EXPECT_EQ(held->get_accName(self(), &name), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(name, nullptr);
    long count = -1;
    EXPECT_EQ(held->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(held->accDoDefaultAction(self()), CO_E_OBJNOTCONNECTED);
    platform::ComPtr<IDispatch> gone;
    EXPECT_EQ(client->get_accChild(self(goId), gone.out()), E_INVALIDARG);

    // the whole window goes: every object, the client object too, is disconnected
    DestroyWindow(handle);
    EXPECT_EQ(client->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(items[1]->get_accName(self(), &name), CO_E_OBJNOTCONNECTED);
}
