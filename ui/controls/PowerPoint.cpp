// PowerPoint: a slide show that cross-fades through its images.
#include "PowerPoint.h"

PowerPoint::PowerPoint() : Control(kInitialFlags) {}

const wchar_t* PowerPoint::className() const
{
    return L"PowerPoint";
}
