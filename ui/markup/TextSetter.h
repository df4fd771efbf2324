// The attribute setter that copies the attribute's text unchanged into the text list.
#pragma once

#include <AttributeSetter.h>

namespace duiField {

class TextSetter : public ISetter {
public:
    explicit TextSetter(PropertyKey key) : ISetter(key) {}
    void apply(Object* object, const wchar_t* value) override;
};

} // namespace duiField
