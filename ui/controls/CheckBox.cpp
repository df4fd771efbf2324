// CheckBox: a button whose clicks toggle its checked state.
#include "CheckBox.h"

#include <SkinPainter.h>

CheckBox::CheckBox() : Button(kInitialFlags) {}

void CheckBox::paint(DeviceContext dc, const Rect& windowRect, const Rect&)
{
    skin::paintWith(skin::styleOrDefault(*this, L"checkbox.xml"), dc, windowRect, this);
}
