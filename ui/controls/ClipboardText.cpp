// ClipboardText: writing and reading CF_UNICODETEXT through the platform owners.
#include "ClipboardText.h"

#include <platform/Clipboard.h>

#include <windows.h>

#include <cstring>
#include <cwchar>

namespace ClipboardText {

bool put(WindowHandle owner, std::wstring_view text)
{
    // filled before the clipboard is emptied, so a failure leaves what was there
    platform::GlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (text.size() + 1) * sizeof(wchar_t)));
    if (!memory)
        return false;
    {
        platform::GlobalLockScope lock(memory.get());
        if (!lock.get())
            return false;
        std::memcpy(lock.get(), text.data(), text.size() * sizeof(wchar_t));
    }
    platform::ClipboardScope clipboard(owner);
    if (!clipboard || !EmptyClipboard() || !SetClipboardData(CF_UNICODETEXT, memory.get()))
        return false;
    memory.release();   // the clipboard owns it now
    return true;
}

std::optional<std::wstring> get(WindowHandle owner)
{
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT))
        return std::nullopt;
    platform::ClipboardScope clipboard(owner);
    if (!clipboard)
        return std::nullopt;
    platform::GlobalLockScope lock(GetClipboardData(CF_UNICODETEXT));
    if (!lock.get())
        return std::nullopt;
    // another program filled the block: its terminator may be missing
    const auto* chars = static_cast<const wchar_t*>(lock.get());
    return std::wstring(chars, wcsnlen(chars, lock.size() / sizeof(wchar_t)));
}

} // namespace ClipboardText
