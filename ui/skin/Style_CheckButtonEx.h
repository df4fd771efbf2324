// The skin style that paints one frame of an eight-frame strip with the text beside it.
#pragma once

#include <Style.h>

// Created from style documents whose class is "CheckButtonEx"; its skin properties come from the document.
class Style_CheckButtonEx : public Style {
public:
    Style_CheckButtonEx() = default;
};
