// TrackingTooltip: a tracking, absolutely placed tool of the common controls' tooltip class.
#include "TrackingTooltip.h"

namespace {

constexpr int kEstimatedCharWidth = 14;   // pixels; the tip is never measured
constexpr int kBelowCursor = 19;

void loadTooltipClass()
{
    static bool loaded = false;
    if (loaded)
        return;
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    loaded = InitCommonControlsEx(&controls) != FALSE;
}

} // namespace

bool TrackingTooltip::create(HWND owner)
{
    loadTooltipClass();
    window_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0,
                                  0, 0, 0, owner, nullptr, nullptr, nullptr));
    if (!window_)
        return false;
    toolInfo_ = {};
    toolInfo_.cbSize = TTTOOLINFOW_V2_SIZE;
    toolInfo_.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
    toolInfo_.hwnd = owner;
    toolInfo_.uId = reinterpret_cast<UINT_PTR>(window_.get());
    toolInfo_.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(window_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&toolInfo_));
    return true;
}

void TrackingTooltip::show(const std::wstring& text)
{
    text_ = text;
    if (!window_ || isVisible())
        return;
    POINT cursor{};
    GetCursorPos(&cursor);
    int width = int(text_.size()) * kEstimatedCharWidth;
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int x = cursor.x;
    if (x + 2 + width > screenWidth)
        x = screenWidth - width - 2;
    SendMessageW(window_.get(), TTM_TRACKPOSITION, 0, MAKELPARAM(x, cursor.y + kBelowCursor));
    SendMessageW(window_.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&toolInfo_));
}

void TrackingTooltip::hide()
{
    if (isVisible())
        SendMessageW(window_.get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&toolInfo_));
}

bool TrackingTooltip::isVisible() const
{
    return window_ && IsWindowVisible(window_.get());
}

bool TrackingTooltip::answer(const NMHDR* header)
{
    if (!window_ || !header || header->hwndFrom != window_.get() || header->code != TTN_GETDISPINFOW)
        return false;
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(const_cast<NMHDR*>(header));
    info->hinst = nullptr;
    info->lpszText = const_cast<wchar_t*>(text_.c_str());
    return true;
}
