// The scale skin images are picked for.
#include "DisplayScale.h"

namespace displayScale {

namespace {
double currentScale = 1.0;
}

double current()
{
    return currentScale;
}

void setCurrent(double scale)
{
    currentScale = scale > 0 ? scale : 1.0;
}

} // namespace displayScale
