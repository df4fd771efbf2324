// A choice from a drop-down list in a popup window.
#pragma once

#include <Control.h>

class ComboBox : public Control {
public:
    static constexpr uint64_t kInitialFlags = Control::kInitialFlags | Flag::repaintOnInteraction | Flag::pressClearsFocus;

    ComboBox();
    // The style named by `style` when it exists, "combobox.xml" otherwise.
    void paint(DeviceContext dc, const Rect& windowRect, const Rect& clip) override;
};
