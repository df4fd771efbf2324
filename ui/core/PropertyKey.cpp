// The fixed table of property names and the lookups between names and keys.
#include "PropertyKey.h"

namespace {

// Generated from the same list as the keys, so the two cannot disagree.
constexpr std::wstring_view kNames[kPropertyNameCount] = {
#define ORVO_PROPERTY_NAME(key, name) L"" name,
    ORVO_PROPERTY_NAMES(ORVO_PROPERTY_NAME)
#undef ORVO_PROPERTY_NAME
};

} // namespace

PropertyKey propertyKeyAt(int index)
{
    if (index < 0 || index >= kPropertyNameCount)
        return PropertyKey::none;
    return static_cast<PropertyKey>(index + 1);
}

PropertyKey propertyKey(std::wstring_view name)
{
    // Looked up only while markup is parsed; a linear walk of 101 names is cheap enough there.
    for (int i = 0; i < kPropertyNameCount; ++i) {
        if (kNames[i] == name)
            return propertyKeyAt(i);
    }
    return PropertyKey::none;
}

std::wstring_view propertyName(PropertyKey key)
{
    int index = static_cast<int>(key) - 1;
    if (index < 0 || index >= kPropertyNameCount)
        return {};
    return kNames[index];
}
