// The skin style that paints a background skin by state with an icon and a caption.
#pragma once

#include <Style.h>

// Created from style documents whose class is "IconButton"; its skin properties come from the document.
class Style_IconButton : public Style {
public:
    Style_IconButton() = default;
};
