// The base of every skin style: its look lives in its property lists, its recipe in draw.
#pragma once

#include "Geometry.h"
#include "NativeTypes.h"
#include "Object.h"

class Control;

class Style : public Object {
public:
    // Paints `control` into `rect` (window client coordinates). The plain style paints nothing;
    // the style classes bring their recipes.
    virtual void draw(DeviceContext dc, const Rect& rect, Control* control);
};
