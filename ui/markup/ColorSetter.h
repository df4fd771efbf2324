// The attribute setter that reads "#P1P2P3" hexadecimal colour text into the integer list.
#pragma once

#include <AttributeSetter.h>

namespace duiField {

class ColorSetter : public ISetter {
public:
    explicit ColorSetter(PropertyKey key) : ISetter(key) {}
    void apply(Object* object, const wchar_t* value) override;
};

} // namespace duiField
