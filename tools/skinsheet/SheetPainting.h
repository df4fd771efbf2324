// What the contact sheet's pieces share: painting a named style for a stand-in control, text, and the page canvas.
#pragma once

#include <Control.h>
#include <OffscreenSurface.h>

#include <windows.h>

#include <string>

namespace sheet {

// Control states by name; the flag word is written here only.
enum : uint64_t {
    kUp = Flag::enabled,
    kHover = Flag::enabled | Flag::hovered,
    kPressed = Flag::enabled | Flag::hovered | Flag::captured,
    kDisabled = 0,
    kChecked = Flag::checked,
    kKeyFocus = Flag::enabled | Flag::focused | Flag::focusCue,   // focused by the keyboard: the cue shows
};
void setState(Control& control, uint64_t state);

// Paints the style of that name into `rect` for `control` (its flags and properties give the
// state, text and icons). Nothing when the package has no such style.
void paintStyle(HDC dc, const std::wstring& name, const Rect& rect, Control& control);
// A stand-in control with a caption, in a state, painted with the named style.
void paintControl(HDC dc, const std::wstring& style, const Rect& rect, uint64_t state, const std::wstring& text = {});

// Text in a font of the style package ("Default" when the name is unknown) or in the sheet's own.
void text(HDC dc, const Rect& rect, const std::wstring& text, const std::wstring& font, COLORREF colour,
          UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
void sheetText(HDC dc, const Rect& rect, const std::wstring& text, int height, bool bold, COLORREF colour,
               UINT format = DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
void fillRect(HDC dc, const Rect& rect, COLORREF colour);

// Paints the installer's pages (licence, folder, progress, finish) as the skin would show them,
// each in its shadow, into a band of `width` pixels starting at `top`. Returns the band's height.
int paintMockups(HDC dc, int top, int width);
// The size that band needs.
Size mockupsSize();

} // namespace sheet
