// The attribute setter that reads a decimal integer ("12px" gives 12) into the integer list.
#pragma once

#include <AttributeSetter.h>

namespace duiField {

class IntSetter : public ISetter {
public:
    explicit IntSetter(PropertyKey key) : ISetter(key) {}
    void apply(Object* object, const wchar_t* value) override;
};

} // namespace duiField
