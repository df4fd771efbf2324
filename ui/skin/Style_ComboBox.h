// The skin style that paints a background skin by state, the drop button and the chosen text.
#pragma once

#include <Style.h>

// Created from style documents whose class is "ComboBox"; its skin properties come from the document.
class Style_ComboBox : public Style {
public:
    Style_ComboBox() = default;
};
