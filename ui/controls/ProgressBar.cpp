// ProgressBar: a bar showing a position within a range.
#include "ProgressBar.h"

ProgressBar::ProgressBar() : Control(kInitialFlags) {}

const wchar_t* ProgressBar::className() const
{
    return L"ProgressBar";
}
