// Edit: the multi-line text editor.
#include "Edit.h"

#include <SkinPainter.h>

Edit::Edit() : Control(kInitialFlags) {}

const wchar_t* Edit::className() const
{
    return L"Edit";
}

void Edit::paint(DeviceContext dc, const Rect& windowRect, const Rect&)
{
    skin::paintWith(skin::existingStyleOr(*this, L"edit.xml"), dc, windowRect, this);
}
