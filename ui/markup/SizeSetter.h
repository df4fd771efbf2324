// The attribute setter that reads "width,height" into the size list.
#pragma once

#include <AttributeSetter.h>

namespace duiField {

class SizeSetter : public ISetter {
public:
    explicit SizeSetter(PropertyKey key) : ISetter(key) {}
    void apply(Object* object, const wchar_t* value) override;
};

} // namespace duiField
