// MeasuringFont: the font copy, its measuring DC and the typed-text colours.
#include "MeasuringFont.h"

#include <SkinPainter.h>

MeasuringFont::MeasuringFont() : selectionBrush_(CreateSolidBrush(kSelectionColour)) {}

MeasuringFont::~MeasuringFont()
{
    selected_.reset();
}

void MeasuringFont::load(const std::wstring& name)
{
    HFONT shared = skin::font(name);
    if (!shared)
        shared = skin::font(L"Default");
    LOGFONTW description{};
    if (!shared || GetObjectW(shared, sizeof description, &description) != sizeof description) {
        description = LOGFONTW{};
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof description, &description);
    }
    selected_.reset();   // the old copy leaves the DC before it is deleted
    font_.reset(CreateFontIndirectW(&description));
    if (!dc_)
        dc_ = platform::MemoryDC(nullptr);
    if (font_)
        selected_.emplace(dc_.get(), font_.get());
}

bool MeasuringFont::metrics(TEXTMETRICW& out) const
{
    return dc_ && GetTextMetricsW(dc_.get(), &out);
}
