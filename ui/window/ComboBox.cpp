// ComboBox: a choice from a drop-down list in a popup window.
#include "ComboBox.h"

#include <SkinPainter.h>

ComboBox::ComboBox() : Control(kInitialFlags) {}

void ComboBox::paint(DeviceContext dc, const Rect& windowRect, const Rect&)
{
    skin::paintWith(skin::existingStyleOr(*this, L"combobox.xml"), dc, windowRect, this);
}
