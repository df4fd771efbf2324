// Builds the control trees of the window and control tests: a control at a fixed spot of a canvas.
#pragma once

#include <Panel.h>
#include <PropertyKey.h>

template <class T>
T* place(Panel* parent, T* control, int x, int y, int width = 60, int height = 20, const wchar_t* text = nullptr)
{
    control->intProperties.set(PropertyKey::x, x);
    control->intProperties.set(PropertyKey::y, y);
    control->intProperties.set(PropertyKey::width, width);
    control->intProperties.set(PropertyKey::height, height);
    if (text)
        control->textProperties.set(PropertyKey::text, text);
    parent->addChild(control);
    return control;
}
