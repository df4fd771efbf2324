// TitleBar: the strip that drags its window.
#include "TitleBar.h"

#include "WindowBase.h"

#include <ControlHost.h>

TitleBar::TitleBar() : Control(kInitialFlags)
{
    addHandler(EventCode::LButtonDown, this, onLButtonDown);
}

void TitleBar::onLButtonDown(void* target, Control*, ControlEvent*)
{
    auto* bar = static_cast<TitleBar*>(target);
    auto* window = dynamic_cast<WindowBase*>(bar->window());
    // the platform's move loop: the window follows the pointer until the release (the bar may
    // be gone when it returns)
    if (window && window->hwnd)
        SendMessageW(window->hwnd, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
}
