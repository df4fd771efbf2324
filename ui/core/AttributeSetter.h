// The interface of one entry of the attribute-setter table: reads an attribute's text into a property.
#pragma once

#include "PropertyKey.h"

class Object;

namespace duiField {

// The concrete setters (integer, text, rectangle, keyword, colour, size) belong to the markup
// layer; the toolkit only owns the table.
class ISetter {
public:
    explicit ISetter(PropertyKey key) : key(key) {}
    virtual ~ISetter() = default;
    virtual void apply(Object* object, const wchar_t* value) = 0;

    const PropertyKey key;   // the property the attribute of the same name sets
};

} // namespace duiField
