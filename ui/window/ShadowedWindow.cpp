// ShadowedWindow: the markup tree, the shadow window's creation and keeping it in place.
#include "ShadowedWindow.h"

#include <DisplayScale.h>

#include "ProxyWindow.h"

#include <WindowMarkup.h>
#include <platform/StartupTrace.h>

ShadowedWindow::ShadowedWindow(std::wstring name) : markupName(std::move(name)) {}

ShadowedWindow::~ShadowedWindow()
{
    if (ProxyWindow* proxy = proxy_) {
        proxy_ = nullptr;
        proxy->owner_ = nullptr;
        // normally gone with our window already; otherwise it goes now and deletes itself
        if (proxy->hwnd && IsWindow(proxy->hwnd))
            DestroyWindow(proxy->hwnd);
    }
}

LRESULT ShadowedWindow::handleMessage(UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_CREATE: {
        if (!root()) {
            platform::StartupPhase traced(L"markup tree", markupName);
            std::unique_ptr<Control> tree = buildWindowTree(markupName, &markupError_);
            if (!tree)
                return -1;
            setRoot(std::move(tree));
        }
        std::shared_ptr<bool> alive = this->alive();
        platform::StartupPhase tracedLayout(L"attaching and laying out the tree");
        if (WindowImpl::handleMessage(message, wparam, lparam) != 0)
            return -1;
        tracedLayout.end();
        if (*alive) {
            platform::StartupPhase traced(L"shadow window");
            createShadow();
        }
        return 0;
    }
    case WM_MOVE:
        repositionShadow();
        return 0;
    case WM_SIZE:
        repositionShadow();
        return WindowImpl::handleMessage(message, wparam, lparam);
    case WM_SHOWWINDOW:
        showShadow(wparam != FALSE);
        return WindowImpl::handleMessage(message, wparam, lparam);
    case WM_WINDOWPOSCHANGED: {
        // hidden without WM_SHOWWINDOW (the end of a dialog hides through SetWindowPos)
        auto* position = reinterpret_cast<const WINDOWPOS*>(lparam);
        if (position && (position->flags & SWP_HIDEWINDOW))
            showShadow(false);
        return WindowImpl::handleMessage(message, wparam, lparam);
    }
    default:
        return WindowImpl::handleMessage(message, wparam, lparam);
    }
}

void ShadowedWindow::createShadow()
{
    std::wstring problem;
    std::unique_ptr<Control> tree = buildWindowTree(shadowMarkupName, &problem);
    if (!tree) {
        OutputDebugStringW((L"ShadowedWindow: no shadow: " + problem + L"\n").c_str());
        return;
    }
    auto proxy = std::make_unique<ProxyWindow>(this, shadowMarkupName, std::move(tree));
    RECT area{};
    GetWindowRect(hwnd, &area);
    DWORD style = WS_POPUP | (IsWindowVisible(hwnd) ? WS_VISIBLE : 0);
    const Rect place = shadowPlace(area);
    if (!proxy->createEx(WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW, nullptr, style, place.left, place.top,
                         place.width(), place.height(), hwnd)) {
        OutputDebugStringW(L"ShadowedWindow: the shadow window could not be created\n");
        return;
    }
    proxy_ = proxy.release();
    repositionShadow();
}

Rect ShadowedWindow::shadowPlace(const RECT& window) const
{
    // the offsets are logical pixels of the shadow's drawing, which scales with its owner
    return {int32_t(window.left) - displayScale::toDevice(kShadowLeft, dpiScale),
            int32_t(window.top) - displayScale::toDevice(kShadowTop, dpiScale),
            int32_t(window.right) + displayScale::toDevice(kShadowRight, dpiScale),
            int32_t(window.bottom) + displayScale::toDevice(kShadowBottom, dpiScale)};
}

void ShadowedWindow::repositionShadow()
{
    if (!proxy_ || !proxy_->hwnd)
        return;
    RECT area{};
    GetWindowRect(hwnd, &area);
    const Rect place = shadowPlace(area);
    SetWindowPos(proxy_->hwnd, nullptr, place.left, place.top, place.width(), place.height(),
                 SWP_NOACTIVATE | SWP_NOZORDER);
    // pushes the surface at its new size
    PostMessageW(proxy_->hwnd, kRepaintRequest, 0, 0);
}

void ShadowedWindow::showShadow(bool shown)
{
    if (proxy_ && proxy_->hwnd)
        ShowWindow(proxy_->hwnd, shown ? SW_SHOWNOACTIVATE : SW_HIDE);
}
