// CheckBox: a button whose clicks toggle its checked state.
#include "CheckBox.h"

#include <SkinPainter.h>

CheckBox::CheckBox() : Button(kInitialFlags)
{
    addHandler(EventCode::Click, this, onClick);
}

void CheckBox::onClick(void* self, Control*, ControlEvent*)
{
    static_cast<CheckBox*>(self)->toggleChecked();
}

void CheckBox::paint(DeviceContext dc, const Rect& windowRect, const Rect&)
{
    skin::paintWith(skin::styleOrDefault(*this, L"checkbox.xml"), dc, windowRect, this);
}

ControlKind CheckBox::kind() const
{
    ControlKind kind = Button::kind();
    kind.role = AccessRole::checkButton;
    return kind;
}
