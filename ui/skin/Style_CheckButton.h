// The skin style that paints a state icon at the left with the text beside it.
#pragma once

#include <Style.h>

// Created from style documents whose class is "CheckButton"; its skin properties come from the document.
class Style_CheckButton : public Style {
public:
    Style_CheckButton() = default;
};
