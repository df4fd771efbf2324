// The skin style that paints one image over the whole rectangle, whatever the control's state.
#pragma once

#include <Style.h>

// Created from style documents whose class is "Background"; its skin properties come from the document.
class Style_Background : public Style {
public:
    Style_Background() = default;
};
