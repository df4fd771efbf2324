// The base of every skin style: its look lives in its property lists, its recipe in draw.
#pragma once

#include "Geometry.h"
#include "NativeTypes.h"
#include "Object.h"

class Control;

class Style : public Object {
public:
    // Paints `control` into `rect` (device-context coordinates; the clip region is already the
    // control's visible part). The plain style draws its background skin by the control's state;
    // the style classes bring their own recipes. The recipes are implemented in the skin layer
    // (ui/skin), next to the drawing primitives they are made of.
    virtual void draw(DeviceContext dc, const Rect& rect, Control* control);
};
