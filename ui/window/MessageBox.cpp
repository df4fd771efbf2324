// Message boxes through a replaceable handler.
#include "MessageBox.h"

#include <platform/StepLog.h>

#include <atomic>
#include <string>

namespace {

int platformMessageBox(HWND owner, const wchar_t* text, const wchar_t* title, UINT style)
{
    return MessageBoxW(owner, text, title, style);
}

// Atomic because the worker thread shows its own error boxes.
std::atomic<MessageBoxHandler> handler{platformMessageBox};

} // namespace

int showMessageBox(HWND owner, const wchar_t* text, const wchar_t* title, UINT style)
{
    // A null title stays null: the platform then shows its default caption.
    const int pressed = handler.load()(owner, text ? text : L"", title, style);
    if (platform::stepLogEnabled())
        platform::logStep(L"message box \"" + std::wstring(title ? title : L"") + L"\": " + (text ? text : L"") +
                          L" -> answer " + std::to_wstring(pressed));
    return pressed;
}

MessageBoxHandler setMessageBoxHandler(MessageBoxHandler replacement)
{
    return handler.exchange(replacement ? replacement : platformMessageBox);
}
