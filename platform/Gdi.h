// Owners for GDI objects and device contexts: every object deleted once, every selection undone.
#pragma once

#include "UniqueResource.h"

#include <windows.h>

namespace platform {

// A GDI object (font, bitmap, brush, pen, region) deleted with DeleteObject. It must not be
// selected into a DC when it goes: a SelectScope restores the previous object first.
template <typename T>
using GdiObject = UniqueResource<PointerTraits<T, DeleteObject>>;

using FontHandle = GdiObject<HFONT>;
using BitmapHandle = GdiObject<HBITMAP>;
using BrushHandle = GdiObject<HBRUSH>;
using PenHandle = GdiObject<HPEN>;
using RegionHandle = GdiObject<HRGN>;

// Selects an object into a DC for one scope and selects the previous one back at its end.
class SelectScope {
public:
    SelectScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~SelectScope()
    {
        if (previous_ && previous_ != HGDI_ERROR)
            SelectObject(dc_, previous_);
    }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;
    explicit operator bool() const { return previous_ && previous_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// SaveDC for one scope: clip region, selections, colours and modes come back at its end.
class SavedDC {
public:
    explicit SavedDC(HDC dc) : dc_(dc), state_(dc ? SaveDC(dc) : 0) {}
    ~SavedDC()
    {
        if (state_)
            RestoreDC(dc_, state_);
    }
    SavedDC(const SavedDC&) = delete;
    SavedDC& operator=(const SavedDC&) = delete;

private:
    HDC dc_;
    int state_;
};

// A memory DC, deleted with DeleteDC.
class MemoryDC : public UniqueResource<PointerTraits<HDC, DeleteDC>> {
public:
    MemoryDC() = default;
    // A new memory DC compatible with `compatible` (null: the screen).
    explicit MemoryDC(HDC compatible) : UniqueResource(CreateCompatibleDC(compatible)) {}
};

// GetDC for one scope, released with ReleaseDC (null window: the screen).
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC()
    {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// BeginPaint/EndPaint for one WM_PAINT.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
    ~PaintScope() { EndPaint(window_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const { return dc_; }
    const RECT& dirty() const { return paint_.rcPaint; }

private:
    HWND window_;
    HDC dc_;
    PAINTSTRUCT paint_{};
};

}  // namespace platform
