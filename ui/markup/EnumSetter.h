// The attribute setter that stores the key of one of the 13 keywords (0 for any other word) in the integer list.
#pragma once

#include <AttributeSetter.h>

namespace duiField {

class EnumSetter : public ISetter {
public:
    explicit EnumSetter(PropertyKey key) : ISetter(key) {}
    void apply(Object* object, const wchar_t* value) override;
};

} // namespace duiField
