// Owners for GDI objects and device contexts: every object deleted once, every selection undone.
#pragma once

#include <windows.h>

#include <utility>

namespace platform {

// A GDI object (font, bitmap, brush, pen, region) deleted with DeleteObject. It must not be
// selected into a DC when it goes: a SelectScope restores the previous object first.
template <typename T>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(T object) : object_(object) {}
    ~GdiObject() { reset(); }
    GdiObject(GdiObject&& other) noexcept : object_(other.release()) {}
    GdiObject& operator=(GdiObject&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    T get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    // Hands the object to a new owner (SetWindowRgn owns a region once the call succeeded).
    T release() { return std::exchange(object_, nullptr); }
    void reset(T object = nullptr)
    {
        if (object_)
            DeleteObject(object_);
        object_ = object;
    }

private:
    T object_ = nullptr;
};

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

// A memory DC compatible with another (or with the screen for null), deleted with DeleteDC.
class MemoryDC {
public:
    MemoryDC() = default;
    explicit MemoryDC(HDC compatible) : dc_(CreateCompatibleDC(compatible)) {}
    ~MemoryDC() { reset(); }
    MemoryDC(MemoryDC&& other) noexcept : dc_(std::exchange(other.dc_, nullptr)) {}
    MemoryDC& operator=(MemoryDC&& other) noexcept
    {
        if (this != &other) {
            reset();
            dc_ = std::exchange(other.dc_, nullptr);
        }
        return *this;
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }
    void reset()
    {
        if (dc_)
            DeleteDC(dc_);
        dc_ = nullptr;
    }

private:
    HDC dc_ = nullptr;
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
