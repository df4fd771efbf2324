// TitleBar: the strip that drags its window.
#include "TitleBar.h"

#include <ControlHost.h>

#include <windows.h>

TitleBar::TitleBar() : Control(kInitialFlags)
{
    addHandler(EventCode::LButtonDown, this, onLButtonDown);
}

void TitleBar::onLButtonDown(void* target, Control*, ControlEvent*)
{
    ControlHost* window = static_cast<TitleBar*>(target)->window();
    // the platform's move loop: the window follows the pointer until the release (the bar may
    // be gone when it returns)
    if (HWND handle = window ? window->nativeWindow() : nullptr)
        SendMessageW(handle, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
}
