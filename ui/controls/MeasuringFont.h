// The typed-text look the text box and the edit share: their own font copy, measured in a memory DC.
#pragma once

#include <platform/Gdi.h>

#include <optional>
#include <string>

// A copy of a skin font, kept selected into a memory DC of its own, so that widths and metrics
// are measured without a window; the colours of typed and selected text and the selection brush.
class MeasuringFont {
public:
    static constexpr COLORREF kTextColour = 0x00666666;
    static constexpr COLORREF kSelectionColour = 0x00FF9933;
    static constexpr COLORREF kSelectedTextColour = 0x00FFFFFF;

    MeasuringFont();
    // The copy leaves the DC before either goes.
    ~MeasuringFont();
    MeasuringFont(const MeasuringFont&) = delete;
    MeasuringFont& operator=(const MeasuringFont&) = delete;

    // Copies the skin's font `name`, else its "Default", else the stock GUI font, and selects the
    // copy into the measuring DC (made on the first load).
    void load(const std::wstring& name);
    // The measuring DC; null when none could be made.
    HDC dc() const { return dc_.get(); }
    HFONT font() const { return font_.get(); }
    HBRUSH selectionBrush() const { return selectionBrush_.get(); }
    // The font's metrics in the measuring DC; false, leaving `out` alone, without a DC.
    bool metrics(TEXTMETRICW& out) const;

private:
    // Declared in this order so that the font outlives the DC it is selected into.
    platform::FontHandle font_;
    platform::MemoryDC dc_;
    std::optional<platform::SelectScope> selected_;
    platform::BrushHandle selectionBrush_;
};
