// The multi-line text editor.
#pragma once

#include <Control.h>

class Edit : public Control {
public:
    static constexpr uint64_t kInitialFlags = Flag::enabled | Flag::visible | Flag::repaintOnInteraction | Flag::captureOnPress | Flag::focusOnPress;

    Edit();
    const wchar_t* className() const override;
    // The skin: the style named by `style` when it exists, "edit.xml" otherwise.
    void paint(DeviceContext dc, const Rect& windowRect, const Rect& clip) override;
};
