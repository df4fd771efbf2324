// The skin style that paints the background skin of a text field, without a pressed state.
#pragma once

#include <Style.h>

// Created from style documents whose class is "Edit"; its skin properties come from the document.
class Style_Edit : public Style {
public:
    Style_Edit() = default;
};
