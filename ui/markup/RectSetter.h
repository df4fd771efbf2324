// The attribute setter that reads "left,top,right,bottom" into the rectangle list.
#pragma once

#include <AttributeSetter.h>

namespace duiField {

class RectSetter : public ISetter {
public:
    explicit RectSetter(PropertyKey key) : ISetter(key) {}
    void apply(Object* object, const wchar_t* value) override;
};

} // namespace duiField
