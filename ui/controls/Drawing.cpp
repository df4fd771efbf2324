// Drawing: a picture from the skin images.
#include "Drawing.h"

Drawing::Drawing() : Control(kInitialFlags) {}

const wchar_t* Drawing::className() const
{
    return L"Image";
}
