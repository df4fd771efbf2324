// The skin style that paints two track halves and the thumb of a slider.
#pragma once

#include <Style.h>

// Created from style documents whose class is "Slider"; its skin properties come from the document.
class Style_Slider : public Style {
public:
    Style_Slider() = default;
};
