// RadioButton: a button whose clicks check it; it never unchecks itself.
#include "RadioButton.h"

#include <SkinPainter.h>

RadioButton::RadioButton() : Button(kInitialFlags)
{
    addHandler(EventCode::Click, this, onClick);
}

void RadioButton::onClick(void* self, Control*, ControlEvent*)
{
    static_cast<RadioButton*>(self)->check();
}

void RadioButton::paint(DeviceContext dc, const Rect& windowRect, const Rect&)
{
    skin::paintWith(skin::style(L"radiobutton.xml"), dc, windowRect, this);
}

ControlKind RadioButton::kind() const
{
    ControlKind kind = Button::kind();
    kind.role = AccessRole::radioButton;
    kind.radioGroup = true;
    return kind;
}
