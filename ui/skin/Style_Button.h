// The skin style that paints a background skin chosen by state under a centred caption.
#pragma once

#include <Style.h>

// Created from style documents whose class is "Button"; its skin properties come from the document.
class Style_Button : public Style {
public:
    Style_Button() = default;
};
