// A host window built from window markup, with a drop shadow window glued to it.
#pragma once

#include "WindowImpl.h"

#include <string>

class ProxyWindow;

// What createWindow makes. On WM_CREATE it builds its tree from its markup (refusing the window
// when that fails, with the reason kept in markupError) and then its shadow from
// "proxywindow.xml"; a shadow that cannot be built or created leaves the window without one.
// The shadow follows the window's position, size and visibility.
class ShadowedWindow : public WindowImpl {
public:
    static constexpr int32_t kShadowLeft = 20, kShadowTop = 14, kShadowRight = 16, kShadowBottom = 21;

    explicit ShadowedWindow(std::wstring markupName);
    ~ShadowedWindow() override;

    LRESULT handleMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

    ProxyWindow* proxy() const { return proxy_; }
    // Why the tree could not be built, when creation was refused.
    const std::wstring& markupError() const { return markupError_; }

    const std::wstring shadowMarkupName = L"proxywindow.xml";
    const std::wstring markupName;

private:
    friend class ProxyWindow;
    void createShadow();
    // The shadow window's screen rectangle around the window's.
    Rect shadowPlace(const RECT& window) const;
    void repositionShadow();
    void showShadow(bool shown);

    ProxyWindow* proxy_ = nullptr;   // not owned: it goes with its native owner
    std::wstring markupError_;
};
