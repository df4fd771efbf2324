// LinkLabel: the hand cursor and the link opened on a press.
#include "LinkLabel.h"

#include <ScriptHooks.h>

#include <windows.h>
#include <shellapi.h>

#include <cwctype>

namespace {

bool startsWithNoCase(const std::wstring& text, const wchar_t* prefix)
{
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= text.size() || std::towlower(text[i]) != prefix[i])
            return false;
    }
    return true;
}

} // namespace

LinkLabel::LinkLabel() : Label(kInitialFlags)
{
    addHandler(EventCode::QueryCursor, this, onQueryCursor);
    addHandler(EventCode::LButtonDown, this, onLButtonDown);
}

bool LinkLabel::openInBrowser(const std::wstring& url)
{
    // One argument for the browser, whatever spaces or quotes the address holds.
    std::wstring argument = L"\"";
    for (wchar_t c : url)
        argument += c == L'"' ? std::wstring(L"%22") : std::wstring(1, c);
    argument += L'"';
    if (reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, nullptr, L"iexplore", argument.c_str(), nullptr, SW_SHOW)) > 32)
        return true;
    // Without that browser the address goes to its registered handler; only web addresses, so
    // that a markup text can never start a local program.
    if (!startsWithNoCase(url, L"http://") && !startsWithNoCase(url, L"https://"))
        return false;
    return reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOW)) > 32;
}

void LinkLabel::onQueryCursor(void*, Control*, ControlEvent* event)
{
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    event->handled = 1;
}

void LinkLabel::onLButtonDown(void* self, Control*, ControlEvent* event)
{
    event->handled = 1;
    auto* label = static_cast<LinkLabel*>(self);
    if (const std::wstring* url = label->textProperties.get(PropertyKey::url)) {
        // a copy: the opener may run a message loop in which the label goes away
        const std::wstring address = *url;
        const ScriptHooks* hooks = scriptHooks();
        if (hooks && hooks->openUrl)
            hooks->openUrl(address);
        else
            openInBrowser(address);
    }
}

ControlKind LinkLabel::kind() const
{
    ControlKind kind = ControlKind::stop(AccessRole::link);
    kind.shown = AccessShown::withText;
    kind.keyAction = KeyAction::press;
    return kind;
}
