// A label that opens its link when clicked.
#pragma once

#include "Label.h"

class LinkLabel : public Label {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags;

    LinkLabel();
};
