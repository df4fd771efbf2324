// Unicode text on the clipboard: every failure checked, the clipboard closed on every path.
#pragma once

#include <NativeTypes.h>

#include <optional>
#include <string>
#include <string_view>

namespace ClipboardText {

// Puts the text on the clipboard as CF_UNICODETEXT, owned by `owner`. False, leaving the
// clipboard as it was, when memory or the clipboard cannot be had.
bool put(WindowHandle owner, std::wstring_view text);
// The clipboard's CF_UNICODETEXT up to its terminator, never read past its memory block;
// nothing when it holds no text or cannot be opened.
std::optional<std::wstring> get(WindowHandle owner);

} // namespace ClipboardText
