// Style_ComboBox: background skin by state, the drop button flush right, the text left of it.
#include "Style_ComboBox.h"

#include "ControlState.h"
#include "SkinImage.h"
#include "SkinPainter.h"
#include "TextDrawing.h"

#include <Control.h>

void Style_ComboBox::draw(DeviceContext dc, const Rect& rect, Control* control)
{
    skin::drawSkin(dc, *this, ControlState::of(control).skinByState(), rect);
    skin::drawFocusSkin(dc, *this, control, rect);
    Rect textRect = rect;
    if (const SkinImage* button = skin::imageOf(*this, PropertyKey::dropBtn)) {
        button->drawAt(dc, rect.right - button->width, (rect.top + rect.bottom - button->height) / 2);
        textRect.right = rect.right - button->width - 2;
    }
    if (!control)
        return;
    if (const std::wstring* text = control->textProperties.get(PropertyKey::text)) {
        textRect.left += 12;
        drawText(dc, textRect, text->c_str(), 0x000000, TextFormat::besideIcon);
    }
}
