// The click-through layered window that paints a shadowed window's drop shadow.
#pragma once

#include "WindowImpl.h"

#include <string>

class ShadowedWindow;

// Made by its ShadowedWindow, owned natively by that window's window: it is destroyed with it and
// deletes itself then. The two objects forget each other when either goes.
class ProxyWindow : public WindowImpl {
public:
    ProxyWindow(ShadowedWindow* owner, std::wstring markupName, std::unique_ptr<Control> root);
    ~ProxyWindow() override;

    const std::wstring markupName;   // the markup its tree was built from

private:
    friend class ShadowedWindow;
    ShadowedWindow* owner_;   // not owned
};
