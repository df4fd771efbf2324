// Applying an element's attributes through the setter table, the three flag attributes and the keyboard ones.
#include "Attributes.h"

#include "IntSetter.h"
#include "TextSetter.h"

#include <Control.h>
#include <KeyboardKeys.h>
#include <Toolkit.h>
#include <platform/Utf.h>

#include <string>

namespace {

// The flag bit an attribute without setter sets on a control; 0 for any other name.
uint64_t flagOfAttribute(const std::wstring& name)
{
    if (name == L"visible")
        return Flag::visible;
    if (name == L"enabled")
        return Flag::enabled;
    if (name == L"transparent")
        return Flag::mouseTransparent;
    return 0;
}

// The keyboard attributes, which live outside the name table: true when `name` is one (applied).
bool applyKeyboardAttribute(Object* object, Control* control, const std::wstring& name, const wchar_t* value)
{
    if (control && (name == L"tabIndex" || name == L"closeButton")) {
        duiField::IntSetter(name == L"tabIndex" ? KeyboardKey::tabIndex : KeyboardKey::closeButton).apply(object, value);
        return true;
    }
    if (!control && (name == L"focusSkin" || name == L"focusIcon")) {
        duiField::TextSetter(name == L"focusSkin" ? KeyboardKey::focusSkin : KeyboardKey::focusIcon).apply(object, value);
        return true;
    }
    return false;
}

} // namespace

void applyAttributes(Object* object, const XmlNode* element)
{
    if (!object || !element)
        return;
    Toolkit* toolkit = Toolkit::instance();
    Control* control = dynamic_cast<Control*>(object);
    for (const XmlAttribute* attribute = element->first_attribute(); attribute;
         attribute = attribute->next_attribute()) {
        std::wstring name = toWide(xmlName(attribute));
        std::wstring value = toWide(xmlValue(attribute));
        if (toolkit) {
            auto setter = toolkit->setterTable.find(name);
            if (setter != toolkit->setterTable.end()) {
                setter->second->apply(object, value.c_str());
                continue;
            }
        }
        if (applyKeyboardAttribute(object, control, name, value.c_str()))
            continue;
        uint64_t flag = control ? flagOfAttribute(name) : 0;
        if (!flag)
            continue;
        if (value == L"1")
            control->writeFlags(flag, true);
        else
            control->writeFlags(flag, false);
    }
}
