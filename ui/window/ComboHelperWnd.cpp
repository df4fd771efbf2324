// ComboHelperWnd: the drop-down's tree, showing it, its message loop and choosing an item.
#include "ComboHelperWnd.h"

#include "ComboBox.h"
#include "ModalLoopGuard.h"

#include <Grid.h>
#include <ListBox.h>
#include <ListItem.h>
#include <StackPanel.h>

#include <algorithm>

namespace {

constexpr DWORD kSlideMs = 100;

// The state a failing script's request to end the loop reaches: on the loop's stack, so that it
// outlives the popup should the popup's window go first.
struct LoopRequest {
    bool ending = false;
    HWND popup = nullptr;
};

void endRequested(void* context)
{
    auto* request = static_cast<LoopRequest*>(context);
    request->ending = true;
    if (!PostMessageW(request->popup, WM_NULL, 0, 0))
        PostMessageW(nullptr, WM_NULL, 0, 0);
}

} // namespace

ComboHelperWnd::ComboHelperWnd(ComboBox* owner) : box(owner)
{
    auto root = std::make_unique<Grid>();
    root->textProperties.set(PropertyKey::style, L"ComboDropped_Bkgnd.xml");
    list = new ListBox;
    list->rectProperties.set(PropertyKey::margin, Rect{2, 2, 2, 2});
    list->intProperties.set(PropertyKey::itemHeight, ComboBox::kItemHeight);
    root->addChild(list);
    list->addHandler(EventCode::Notify, this, onListNotify);
    list->addHandler(EventCode::KeyDown, this, onListKeyDown);
    setRoot(std::move(root));
}

ComboHelperWnd::~ComboHelperWnd()
{
    if (box && box->popup_ == this)
        box->popup_ = nullptr;
}

LRESULT ComboHelperWnd::handleMessage(UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_KILLFOCUS:
        return 0;   // the list keeps its focus state while the popup is inactive
    case WM_SYSCOMMAND:
        // Alt+F4 while the list is down reaches the popup: it closes the list. Its default, a
        // WM_CLOSE, would destroy the window and the box's items with it.
        if ((wparam & 0xFFF0) == SC_CLOSE) {
            close();
            return 0;
        }
        return WindowImpl::handleMessage(message, wparam, lparam);
    case WM_DESTROY:
        // a loop still running must not wait for a message that will never come for this window
        if (box && box->popup_ == this)
            box->popup_ = nullptr;
        box = nullptr;
        if (looping_) {
            closed = true;
            PostMessageW(nullptr, WM_NULL, 0, 0);
        }
        return WindowImpl::handleMessage(message, wparam, lparam);   // deletes this object
    default:
        return WindowImpl::handleMessage(message, wparam, lparam);
    }
}

void ComboHelperWnd::showPopup(HWND owner, int32_t x, int32_t y, int32_t width, int32_t maxHeight, bool below)
{
    Control* tree = root();
    if (looping_ || !hwnd || !tree || !Control::isAttached(tree))
        return;
    std::shared_ptr<bool> alive = this->alive();
    // every item counts here, so beyond six rows the list scrolls
    const int32_t height = std::min(list->itemCount() * ComboBox::kItemHeight + ComboBox::kPopupPadding, maxHeight);
    tree->measure({width, height});
    tree->arrange({0, 0, width, height});
    MoveWindow(hwnd, x, y, width, height, TRUE);
    droppedDown = below;
    // the box's text, when it is one of the items, opens selected and in view
    const std::wstring* text = box ? box->textProperties.get(PropertyKey::text) : nullptr;
    for (Control* c = list->itemPanel()->firstChild(); c && text; c = c->nextSibling()) {
        if (c->textProperties.value(PropertyKey::text, L"") == *text) {
            list->select(dynamic_cast<ListItem*>(c), false);
            break;
        }
    }
    if (!AnimateWindow(hwnd, kSlideMs, AW_SLIDE | AW_ACTIVATE | (below ? AW_VER_POSITIVE : AW_VER_NEGATIVE)) &&
        *alive && !IsWindowVisible(hwnd))
        ShowWindow(hwnd, SW_SHOW);
    if (!*alive)
        return;
    if (GetActiveWindow() != hwnd)
        SetActiveWindow(hwnd);
    setFocus(list);
    if (!*alive)
        return;

    const LoopEnd end = runLoop();
    if (end == LoopEnd::gone || !*alive)
        return;
    hide();
    // the focus goes back to the box's window, unless the user has put it somewhere else
    if (end != LoopEnd::deactivated && owner && IsWindow(owner)) {
        SetActiveWindow(owner);
        SetFocus(owner);
    }
}

void ComboHelperWnd::close()
{
    closed = true;
    wake();
}

void ComboHelperWnd::wake()
{
    if (hwnd)
        PostMessageW(hwnd, WM_NULL, 0, 0);
}

void ComboHelperWnd::readdress(HWND popup, MSG& message)
{
    const UINT code = message.message;
    if ((code >= WM_NCMOUSEMOVE && code <= WM_NCMBUTTONDBLCLK) || (code >= WM_KEYFIRST && code <= WM_SYSDEADCHAR) ||
        code == WM_MOUSEWHEEL) {
        message.hwnd = popup;
    } else if (code >= WM_MOUSEMOVE && code <= WM_MBUTTONDBLCLK && message.hwnd && message.hwnd != popup) {
        // the point, meant for another window, as the popup's client coordinates
        POINT point{int16_t(LOWORD(message.lParam)), int16_t(HIWORD(message.lParam))};
        MapWindowPoints(message.hwnd, popup, &point, 1);
        message.lParam = MAKELPARAM(WORD(int16_t(point.x)), WORD(int16_t(point.y)));
        message.hwnd = popup;
    }
}

ComboHelperWnd::LoopEnd ComboHelperWnd::runLoop()
{
    std::shared_ptr<bool> alive = this->alive();
    const HWND self = hwnd;
    LoopRequest request{false, self};
    ModalLoopGuard guard(endRequested, &request);
    closed = false;
    looping_ = true;
    LoopEnd end = LoopEnd::closed;
    MSG message;
    // The end conditions are tested before each fetch: a message fetched is always delivered,
    // never dropped because the popup closed while the one before it was handled.
    for (;;) {
        if (!*alive) {
            end = LoopEnd::gone;
            break;
        }
        if (closed || request.ending)
            break;
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            end = LoopEnd::quit;
            break;
        }
        if (got == -1)
            break;
        readdress(self, message);
        TranslateMessage(&message);
        DispatchMessageW(&message);
        // a click elsewhere has activated another window
        if (*alive && !closed && !request.ending && GetActiveWindow() != self) {
            end = LoopEnd::deactivated;
            break;
        }
    }
    if (*alive)
        looping_ = false;
    if (end == LoopEnd::quit)
        PostQuitMessage(int(message.wParam));   // for the loop that encloses ours
    return end;
}

void ComboHelperWnd::choose()
{
    std::shared_ptr<bool> alive = this->alive();
    // a ValueChange handler may delete the box, or close the popup's window
    if (ComboBox* owner = box)
        owner->setChosenText(list->selectedText());
    if (*alive)
        close();
}

void ComboHelperWnd::onListNotify(void* target, Control*, ControlEvent*)
{
    static_cast<ComboHelperWnd*>(target)->choose();
}

void ComboHelperWnd::onListKeyDown(void* target, Control*, ControlEvent* event)
{
    auto* popup = static_cast<ComboHelperWnd*>(target);
    if (event->wparam == VK_RETURN && popup->list->selectedItem())
        popup->choose();
    else if (event->wparam == VK_ESCAPE)
        popup->close();
}
