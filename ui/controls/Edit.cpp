// Edit: the multi-line text editor.
#include "Edit.h"

Edit::Edit() : Control(kInitialFlags) {}

const wchar_t* Edit::className() const
{
    return L"Edit";
}
