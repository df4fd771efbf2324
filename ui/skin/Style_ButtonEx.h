// The skin style that paints one frame of a four-frame strip under a centred caption.
#pragma once

#include <Style.h>

// Created from style documents whose class is "ButtonEx"; its skin properties come from the document.
class Style_ButtonEx : public Style {
public:
    Style_ButtonEx() = default;
};
