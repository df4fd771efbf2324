// The plain style.
#include "Style.h"

void Style::draw(DeviceContext, const Rect&, Control*) {}
