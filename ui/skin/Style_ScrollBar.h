// The skin style that paints the track, two arrows and the thumb of a scroll bar.
#pragma once

#include <Style.h>

// Created from style documents whose class is "ScrollBar"; its skin properties come from the document.
class Style_ScrollBar : public Style {
public:
    Style_ScrollBar() = default;
};
