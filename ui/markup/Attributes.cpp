// Applying an element's attributes through the setter table and the three flag attributes.
#include "Attributes.h"

#include <Control.h>
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
        uint64_t flag = control ? flagOfAttribute(name) : 0;
        if (!flag)
            continue;
        if (value == L"1")
            control->writeFlags(flag, true);
        else
            control->writeFlags(flag, false);
    }
}
