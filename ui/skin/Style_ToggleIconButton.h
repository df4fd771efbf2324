// The skin style that paints a background skin with an icon and caption chosen by the checked bit.
#pragma once

#include <Style.h>

// Created from style documents whose class is "ToggleIconButton"; its skin properties come from the document.
class Style_ToggleIconButton : public Style {
public:
    Style_ToggleIconButton() = default;
};
