// WindowImpl: the message table, creation and sizing, painting through the back buffer, the caret.
#include "WindowImpl.h"

#include "AccessibleTree.h"
#include "CAccessible.h"

#include <ClipScope.h>
#include <DisplayScale.h>
#include <PropertyKey.h>
#include <ScriptHooks.h>
#include <StyleRegistry.h>
#include <platform/Gdi.h>
#include <platform/StartupTrace.h>
#include <platform/SystemApis.h>

#include <imm.h>
#include <windowsx.h>
#include <oleacc.h>

#include <algorithm>
#include <cmath>
#include <cstring>


#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace {

constexpr Size kMeasureRoom{1024, 768};   // what a root without initSize is measured against

HFONT defaultFont()
{
    StyleRegistry* registry = styleRegistry();
    return registry ? registry->font(L"Default") : nullptr;
}

// A mouse message's client point (device pixels) as the tree's logical point.
LPARAM logicalPoint(LPARAM lparam, double scale)
{
    if (scale == 1.0)
        return lparam;
    Point p = displayScale::toLogical(Point{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)}, scale);
    return MAKELPARAM(WORD(int16_t(p.x)), WORD(int16_t(p.y)));
}

} // namespace

WindowImpl::WindowImpl()
    : input_(*this), caretTimer_(*this)
{
    caretTimer_.interval = caretBlinkInterval(GetCaretBlinkTime());
}

WindowImpl::~WindowImpl()
{
    caretTimer_.stop();
    tooltip_.destroy();
    // normally detached on WM_DESTROY already; a window that never got one lets its tree go here
    if (root_ && Control::isAttached(root_.get()))
        root_->detachRoot();
    root_.reset();
}

int32_t WindowImpl::caretBlinkInterval(UINT platformBlinkTime)
{
    // INFINITE asks for a steady caret; as a period it would fire at the platform's minimum
    if (platformBlinkTime == 0 || platformBlinkTime == INFINITE || platformBlinkTime > 0x7FFFFFFF)
        return 0;
    return int32_t(platformBlinkTime);
}

void WindowImpl::setRoot(std::unique_ptr<Control> root)
{
    root_ = std::move(root);
}

LRESULT WindowImpl::handleMessage(UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_CREATE:
        return onCreate() ? 0 : -1;
    case WM_DESTROY:
        onDestroy();
        return 0;   // the object is gone
    case WM_SIZE:
        onSize();
        return 0;
    case WM_DPICHANGED:
        onDpiChanged(LOWORD(wparam), reinterpret_cast<const RECT*>(lparam));
        return 0;
    case WM_ACTIVATE:
        input_.activated(wparam);
        return 0;
    case WM_KILLFOCUS:
        input_.focusLost();
        return 0;
    case WM_PAINT:
        onPaint();
        return 0;
    case WM_ERASEBKGND:
        return 1;   // the tree paints every pixel it owns
    case WM_SHOWWINDOW: {
        std::shared_ptr<bool> alive = this->alive();
        input_.windowShown(wparam != FALSE);
        return *alive ? WindowBase::handleMessage(message, wparam, lparam) : 0;
    }
    case WM_SETCURSOR:
        if (LOWORD(lparam) == HTCLIENT) {
            std::shared_ptr<bool> alive = this->alive();
            if (input_.queryCursor())
                return TRUE;
            if (!*alive)
                return TRUE;
        }
        return WindowBase::handleMessage(message, wparam, lparam);
    case WM_NOTIFY:
        tooltip_.answer(reinterpret_cast<const NMHDR*>(lparam));
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        input_.key(message, wparam, lparam);
        return 0;
    case WM_IME_STARTCOMPOSITION:
        placeComposition();
        return WindowBase::handleMessage(message, wparam, lparam);
    case WM_SYSCOMMAND:
        if ((wparam & 0xFFF0) == SC_MAXIMIZE || (wparam & 0xFFF0) == SC_RESTORE) {
            postMouseMove();
        }
        return WindowBase::handleMessage(message, wparam, lparam);
    case WM_MOUSEMOVE:
        input_.mouseMove(wparam, logicalPoint(lparam, dpiScale));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        input_.buttonDown(message, wparam, logicalPoint(lparam, dpiScale));
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        input_.buttonUp(message, wparam, logicalPoint(lparam, dpiScale));
        return 0;
    case WM_MOUSEWHEEL:
        input_.mouseWheel(wparam, lparam);
        return 0;
    case WM_CAPTURECHANGED:
        input_.captureLost();
        return 0;
    case WM_MOUSEHOVER:
        input_.mouseHover(wparam, logicalPoint(lparam, dpiScale));
        return 0;
    case WM_MOUSELEAVE:
        input_.mouseLeave();
        return 0;
    case WM_PRINTCLIENT:
        onPrintClient(reinterpret_cast<HDC>(wparam), lparam);
        return 0;
    case kRepaintRequest:
        flushPaint();
        return 0;
    case WM_GETOBJECT:
        return answerGetObject(wparam, lparam);
    case kAccessibleAction:
        if (Control* control = accessible::findByChildId(root_.get(), LONG(lparam)))
            doAccessibleAction(control);
        return 0;
    default:
        return WindowBase::handleMessage(message, wparam, lparam);
    }
}

// --- creation, sizing, destruction ---

bool WindowImpl::onCreate()
{
    if (!root_)
        return false;
    std::shared_ptr<bool> alive = this->alive();
    dpiScale = scaleOf(hwnd);
    displayScale::setCurrent(dpiScale);
    // attach: ids go to the id map, Attached reaches the tree parents first
    root_->attachRoot(this);
    if (!*alive || !root_)
        return false;
    updateLayout();
    if (!*alive)
        return false;
    Rect client = deviceClientRect();
    applyRegion(client.width(), client.height());
    tooltip_.create(hwnd);
    if (layered) {
        SetWindowLongPtrW(hwnd, GWL_EXSTYLE, GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
        if (Control::isAttached(root_.get()))
            root_->invalidate();
    }
    return true;
}

Size WindowImpl::layoutRoot()
{
    Control* root = root_.get();
    if (!Control::isAttached(root))
        return {};
    Size size;
    if (const Size* initial = root->sizeProperties.get(PropertyKey::initSize)) {
        size = *initial;
        root->measure(size);
    } else {
        size = root->measure(kMeasureRoom);
    }
    root->arrange({0, 0, size.width, size.height});
    return size;
}

void WindowImpl::updateLayout()
{
    if (!hwnd)
        return;
    Size size = displayScale::toDevice(layoutRoot(), dpiScale);
    // sends WM_SIZE, which sizes the back buffer and the region
    SetWindowPos(hwnd, nullptr, 0, 0, size.width, size.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowImpl::applyRegion(int32_t width, int32_t height)
{
    const Size* corner = root_ ? root_->sizeProperties.get(PropertyKey::roundCorner) : nullptr;
    if (!corner)
        return;
    const Size round = displayScale::toDevice(*corner, dpiScale);
    platform::RegionHandle region(CreateRoundRectRgn(0, 0, width + 1, height + 1, round.width, round.height));
    // the window owns the region once the call succeeds (and frees the one it had before)
    if (region && SetWindowRgn(hwnd, region.get(), TRUE))
        region.release();
}

void WindowImpl::onSize()
{
    if (IsIconic(hwnd))
        return;
    Rect device = deviceClientRect();
    backBuffer_.resize(device.width(), device.height());
    applyRegion(device.width(), device.height());
    Rect client = clientRect();
    Control* root = root_.get();
    if (!Control::isAttached(root))
        return;
    if (root->rect.right != client.right || root->rect.bottom != client.bottom) {
        root->measure({client.width(), client.height()});
        root->arrange(client);
    }
    root->invalidate();
}

void WindowImpl::onDpiChanged(UINT dpi, const RECT* suggested)
{
    dpiScale = displayScale::fromDpi(dpi);
    displayScale::setCurrent(dpiScale);
    // Fonts are logical and go through the paint's transform, and images are picked by the
    // scale at each paint: the new size and a full repaint bring both.
    if (suggested) {
        SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Control* root = root_.get();
    if (!Control::isAttached(root))
        return;
    Rect client = clientRect();
    root->measure({client.width(), client.height()});
    root->arrange(client);
    root->invalidate();
}

void WindowImpl::onDestroy()
{
    std::shared_ptr<bool> alive = this->alive();
    caretTimer_.stop();
    tooltip_.destroy();
    // detach: Detached events, then every record of the tree is forgotten
    if (root_ && Control::isAttached(root_.get()))
        root_->detachRoot();
    if (!*alive)
        return;
    // the script layer drops the window's script object, timers and message handlers
    if (const ScriptHooks* hooks = scriptHooks(); hooks && hooks->windowDestroyed)
        hooks->windowDestroyed(this);
    if (*alive)
        WindowBase::handleMessage(WM_DESTROY, 0, 0);   // deletes this object
}

// --- invalidation and painting ---

Rect WindowImpl::deviceClientRect() const
{
    RECT client{};
    if (hwnd)
        GetClientRect(hwnd, &client);
    return {int32_t(client.left), int32_t(client.top), int32_t(client.right), int32_t(client.bottom)};
}

Rect WindowImpl::clientRect() const
{
    const Rect device = deviceClientRect();
    const Size size = displayScale::toLogical(Size{device.width(), device.height()}, dpiScale);
    return {0, 0, size.width, size.height};
}

Point WindowImpl::cursorPosition() const
{
    return pointerOverride_ ? overriddenPointer_ : WindowBase::cursorPosition();
}

void WindowImpl::postMouseMove()
{
    if (hwnd && IsWindow(hwnd))
        PostMessageW(hwnd, WM_MOUSEMOVE, 0, cursorMessagePoint());
}

void WindowImpl::sendMouseMove()
{
    if (hwnd && IsWindow(hwnd))
        SendMessageW(hwnd, WM_MOUSEMOVE, 0, cursorMessagePoint());
}

LPARAM WindowImpl::cursorMessagePoint() const
{
    // back to device pixels, rounded up so that the message maps to the same logical pixel again
    const Point logical = cursorPosition();
    const Point cursor{int32_t(std::ceil(logical.x * dpiScale)), int32_t(std::ceil(logical.y * dpiScale))};
    return MAKELPARAM(WORD(int16_t(cursor.x)), WORD(int16_t(cursor.y)));
}

void WindowImpl::invalidateRect(const Rect& logical)
{
    if (!hwnd || logical.isEmpty())
        return;
    const Rect rect = dpiScale == 1.0 ? logical : displayScale::coverDevice(logical, dpiScale);
    if (!layered) {
        RECT area{rect.left, rect.top, rect.right, rect.bottom};
        InvalidateRect(hwnd, &area, FALSE);
        return;
    }
    // a full list is pushed to the screen first, so no rectangle is dropped
    if (dirtyRects_.add(rect) == DirtyRectList::Added::full) {
        flushPaint();
        dirtyRects_.add(rect);
    }
}

bool WindowImpl::requestRepaint(bool wait)
{
    if (!hwnd)
        return false;
    if (wait) {
        SendMessageW(hwnd, kRepaintRequest, 0, 0);
        return true;
    }
    return PostMessageW(hwnd, kRepaintRequest, 0, 0) != FALSE;
}

void WindowImpl::forgetControl(Control* control)
{
    input_.forgetControl(control);
}

void WindowImpl::paintInto(HDC dc, const Rect& deviceClip, bool withCaret)
{
    Control* root = root_.get();
    ClipScope clipped(dc, deviceClip);
    displayScale::setCurrent(dpiScale);
    // Scaled, not stretched: the tree draws in logical pixels through a world transform, so text
    // is rendered at the scaled size and images of the matching scale are blitted about 1:1.
    const Rect clip = dpiScale == 1.0 ? deviceClip : displayScale::coverLogical(deviceClip, dpiScale);
    if (dpiScale != 1.0) {
        SetGraphicsMode(dc, GM_ADVANCED);
        XFORM transform{float(dpiScale), 0.0f, 0.0f, float(dpiScale), 0.0f, 0.0f};
        SetWorldTransform(dc, &transform);
    }
    platform::SelectScope font(dc, defaultFont());
    if (Control::isAttached(root))
        root->paint(dc, root->rect, clip);
    if (withCaret && caretOn_ && !caretRect_.isEmpty()) {
        platform::BrushHandle brush(CreateSolidBrush(kCaretColor));
        RECT area{caretRect_.left, caretRect_.top, caretRect_.right, caretRect_.bottom};
        FillRect(dc, &area, brush.get());
    }
}

void WindowImpl::onPaint()
{
    platform::PaintScope paint(hwnd);
    const RECT& dirty = paint.dirty();
    Rect update{int32_t(dirty.left), int32_t(dirty.top), int32_t(dirty.right), int32_t(dirty.bottom)};
    if (update.isEmpty() || !backBuffer_.dc())
        return;
    paintInto(backBuffer_.dc(), update, true);
    BitBlt(paint.dc(), update.left, update.top, update.width(), update.height(), backBuffer_.dc(), update.left,
           update.top, SRCCOPY);
    platform::startupMarkOnce(L"first paint");
}

void WindowImpl::onPrintClient(HDC dc, LPARAM flags)
{
    if (!(flags & PRF_CLIENT) || !dc || !Control::isAttached(root_.get()))
        return;
    platform::SavedDC saved(dc);
    displayScale::setCurrent(dpiScale);
    if (dpiScale != 1.0) {
        SetGraphicsMode(dc, GM_ADVANCED);
        XFORM transform{float(dpiScale), 0.0f, 0.0f, float(dpiScale), 0.0f, 0.0f};
        SetWorldTransform(dc, &transform);
    }
    SelectObject(dc, defaultFont());
    SetBkMode(dc, TRANSPARENT);
    root_->paint(dc, root_->rect, clientRect());
}

void WindowImpl::flushPaint()
{
    if (!hwnd)
        return;
    if (!layered) {
        UpdateWindow(hwnd);
        return;
    }
    if (dirtyRects_.empty())
        return;
    HDC dc = backBuffer_.dc();
    for (size_t i = 0; dc && i < dirtyRects_.size(); ++i) {
        Rect area = intersect(dirtyRects_[i], {0, 0, backBuffer_.width(), backBuffer_.height()});
        if (area.isEmpty())
            continue;
        // Per-pixel alpha is drawn over what lies beneath: the old pixels go first, or each
        // repaint of a translucent skin would darken it further.
        GdiFlush();
        for (int32_t y = area.top; y < area.bottom; ++y)
            std::memset(backBuffer_.pixels() + size_t(y) * size_t(backBuffer_.width()) + size_t(area.left), 0,
                        size_t(area.width()) * 4);
        paintInto(dc, area, true);
    }
    dirtyRects_.clear();
    if (!dc)
        return;
    RECT window{};
    GetWindowRect(hwnd, &window);
    POINT destination{window.left, window.top};
    SIZE size{window.right - window.left, window.bottom - window.top};
    POINT source{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, alpha, BYTE(perPixelAlpha ? AC_SRC_ALPHA : 0)};
    UpdateLayeredWindow(hwnd, nullptr, &destination, &size, dc, &source, 0, &blend, ULW_ALPHA);
    if (IsWindowVisible(hwnd))
        platform::startupMarkOnce(L"first paint");
}

// --- the caret ---

void WindowImpl::WindowTimer::tick()
{
    owner_.caretOn_ = !owner_.caretOn_;
    owner_.repaintCaret();
}

void WindowImpl::repaintCaret()
{
    invalidateRect(caretRect_);
    requestRepaint(false);
}

void WindowImpl::setCaretSize(int32_t width, int32_t height)
{
    caretRect_.right = caretRect_.left + width;
    caretRect_.bottom = caretRect_.top + height;
}

void WindowImpl::showCaret(int32_t x, int32_t y)
{
    if (caretOn_)
        repaintCaret();
    caretRect_ = {x, y, x + caretRect_.width(), y + caretRect_.height()};
    caretOn_ = true;
    caretShown_ = true;
    repaintCaret();
    // a caret that does not blink stays on; a blinking one starts with a flip (Timer::start ticks)
    if (caretTimer_.interval > 0)
        caretTimer_.start();
}

void WindowImpl::hideCaret()
{
    caretOn_ = false;
    caretShown_ = false;
    repaintCaret();
    if (HIMC context = ImmGetContext(hwnd)) {
        ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_CANCEL, 0);
        ImmReleaseContext(hwnd, context);
    }
    caretTimer_.stop();
}

void WindowImpl::placeComposition()
{
    if (!caretShown_)
        return;
    HWND ime = ImmGetDefaultIMEWnd(hwnd);
    if (!ime)
        return;
    COMPOSITIONFORM form{};
    form.dwStyle = CFS_POINT;
    form.ptCurrentPos = {displayScale::toDevice(caretRect_.left, dpiScale), displayScale::toDevice(caretRect_.top, dpiScale)};
    SendMessageW(ime, WM_IME_CONTROL, IMC_SETCOMPOSITIONWINDOW, reinterpret_cast<LPARAM>(&form));
}

// --- accessibility ---

LRESULT WindowImpl::answerGetObject(WPARAM wparam, LPARAM lparam)
{
    // the object id arrives as a 32-bit value; OBJID_CLIENT is negative
    if (LONG(DWORD(lparam)) != LONG(OBJID_CLIENT) || !Control::isAttached(root_.get()))
        return WindowBase::handleMessage(WM_GETOBJECT, wparam, lparam);
    platform::ComPtr<CAccessible> client = CAccessible::create(*this, nullptr);
    if (!client)
        return 0;
    auto lresultFromObject = platform::systemApis().lresultFromObject;
    if (!lresultFromObject)
        return 0;
    // __uuidof, not IID_IAccessible: the import library resolves that name to a code thunk
    return lresultFromObject(__uuidof(IAccessible), wparam, static_cast<IAccessible*>(client.get()));
}

void WindowImpl::controlChanged(Control* control, ControlChange change)
{
    if (!hwnd || !control)
        return;
    DWORD event = 0;
    switch (change) {
    case ControlChange::focus:
        event = EVENT_OBJECT_FOCUS;
        break;
    case ControlChange::state:
        event = EVENT_OBJECT_STATECHANGE;
        break;
    case ControlChange::value:
        event = EVENT_OBJECT_VALUECHANGE;
        break;
    case ControlChange::name:
        event = EVENT_OBJECT_NAMECHANGE;
        break;
    case ControlChange::shown:
        event = EVENT_OBJECT_SHOW;
        break;
    case ControlChange::hidden:
        event = EVENT_OBJECT_HIDE;
        break;
    }
    if (!accessible::meaningful(control)) {
        // a layout panel shown or hidden changes which controls the client object holds
        if (change == ControlChange::shown || change == ControlChange::hidden)
            NotifyWinEvent(EVENT_OBJECT_REORDER, hwnd, OBJID_CLIENT, CHILDID_SELF);
        return;
    }
    NotifyWinEvent(event, hwnd, OBJID_CLIENT, accessible::childId(control));
}

bool WindowImpl::postAccessibleAction(Control* control)
{
    return hwnd && control && PostMessageW(hwnd, kAccessibleAction, 0, LPARAM(accessible::childId(control)));
}

bool WindowImpl::doAccessibleAction(Control* control)
{
    // checked again: a modal box or a script may have changed things since the action was queued
    if (!IsWindowEnabled(hwnd) || !accessible::exposed(control) ||
        (accessible::state(control, this) & STATE_SYSTEM_UNAVAILABLE))
        return false;
    Rect area;
    if (!control->absoluteRect(area) || area.isEmpty())
        return false;
    Point centre{area.left + area.width() / 2, area.top + area.height() / 2};
    Control* root = root_.get();
    Point inRoot{centre.x - root->rect.left, centre.y - root->rect.top};
    if (root->hitTest(inRoot) != control)
        return false;
    std::shared_ptr<bool> alive = this->alive();
    // While the press and release run, the pointer is where they happen: the button's rule
    // (released inside) and every handler asking for the cursor see the click's point.
    pointerOverride_ = true;
    overriddenPointer_ = centre;
    LPARAM point = MAKELPARAM(WORD(int16_t(centre.x)), WORD(int16_t(centre.y)));
    input_.buttonDown(WM_LBUTTONDOWN, MK_LBUTTON, point);
    if (*alive)
        input_.buttonUp(WM_LBUTTONUP, 0, point);
    if (!*alive)
        return true;
    pointerOverride_ = false;
    // the hover goes back to where the real pointer is
    postMouseMove();
    return true;
}
