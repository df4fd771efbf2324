// TextBox: the one-line text box.
#include "TextBox.h"

TextBox::TextBox() : Control(kInitialFlags) {}

const wchar_t* TextBox::className() const
{
    return L"TextBox";
}
