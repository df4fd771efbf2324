// ProxyWindow: a layered host window with per-pixel alpha that tells its owner when it goes.
#include "ProxyWindow.h"

#include "ShadowedWindow.h"

ProxyWindow::ProxyWindow(ShadowedWindow* owner, std::wstring name, std::unique_ptr<Control> root)
    : markupName(std::move(name)), owner_(owner)
{
    setRoot(std::move(root));
    layered = true;
    perPixelAlpha = true;
}

ProxyWindow::~ProxyWindow()
{
    if (owner_ && owner_->proxy_ == this)
        owner_->proxy_ = nullptr;
}
