// ComboBox: the box, its items and placing the drop-down below or above it.
#include "ComboBox.h"

#include "ComboHelperWnd.h"

#include <ControlHost.h>
#include <ListBox.h>
#include <SkinPainter.h>

#include <algorithm>
#include <memory>

ComboBox::ComboBox() : Control(kInitialFlags)
{
    ensurePopup();
    addHandler(EventCode::LButtonDown, this, onLButtonDown);
}

ComboBox::~ComboBox()
{
    if (ComboHelperWnd* popup = popup_) {
        popup_ = nullptr;
        popup->box = nullptr;
        popup->close();
        // the platform's default handling destroys the window, which deletes the popup
        PostMessageW(popup->hwnd, WM_CLOSE, 0, 0);
    }
}

void ComboBox::paint(DeviceContext dc, const Rect& windowRect, const Rect&)
{
    skin::paintWith(skin::existingStyleOr(*this, L"combobox.xml"), dc, windowRect, this);
}

ComboHelperWnd* ComboBox::ensurePopup()
{
    if (popup_)
        return popup_;
    auto popup = std::make_unique<ComboHelperWnd>(this);
    if (!popup->createEx(WS_EX_TOOLWINDOW, nullptr, WS_POPUP, 0, 0, 1, 1))
        return nullptr;
    popup_ = popup.release();   // its window owns it from now on
    return popup_;
}

bool ComboBox::addItem(const std::wstring& text)
{
    ComboHelperWnd* popup = ensurePopup();
    return popup && popup->list && popup->list->addItem(text);
}

int32_t ComboBox::itemCount() const
{
    return popup_ && popup_->list ? popup_->list->itemCount() : 0;
}

void ComboBox::setChosenText(const std::wstring& text)
{
    const std::wstring* current = textProperties.get(PropertyKey::text);
    if (current && *current == text)
        return;
    textProperties.set(PropertyKey::text, text);
    announce(ControlChange::value);
    invalidate();
    send(EventCode::ValueChange);
}

void ComboBox::open()
{
    HWND owner = window() ? window()->nativeWindow() : nullptr;
    Rect area;
    if (!owner || !absoluteRect(area))
        return;
    ComboHelperWnd* popup = ensurePopup();
    if (!popup)
        return;
    POINT corner{area.left, area.top};
    ClientToScreen(owner, &corner);
    // below while up to six rows fit above the screen's bottom edge, else above the box
    const int32_t rows = std::min(itemCount(), kVisibleItems);
    const int32_t height = area.height();
    const bool below = corner.y + 8 + rows * kItemHeight + height < GetSystemMetrics(SM_CYSCREEN);
    const int32_t y = below ? corner.y + height : corner.y - rows * kItemHeight - kPopupPadding;
    popup->showPopup(owner, corner.x, y, area.width(), kMaxPopupHeight, below);
}

void ComboBox::onLButtonDown(void* target, Control*, ControlEvent*)
{
    static_cast<ComboBox*>(target)->open();   // the box may be gone afterwards
}

ControlKind ComboBox::kind() const
{
    return ControlKind::stop(AccessRole::comboBox);
}

bool ComboBox::accessibleValue(std::wstring& out) const
{
    const std::wstring* text = textProperties.get(PropertyKey::text);
    out = text ? *text : std::wstring();
    return true;
}
