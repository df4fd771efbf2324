// The skin style that paints one of eight skins chosen by the checked bit and the state.
#pragma once

#include <Style.h>

// Created from style documents whose class is "ToggleButton"; its skin properties come from the document.
class Style_ToggleButton : public Style {
public:
    Style_ToggleButton() = default;
};
