// The fixed table of property names and the lookups between names and keys.
#include "PropertyKey.h"

namespace {

// The order is fixed: other code refers to a name by its entry number.
constexpr std::wstring_view kNames[kPropertyNameCount] = {
    L"img", L"scaleGrid", L"upSkin", L"downSkin", L"overSkin", L"disabledSkin", L"textColor",
    L"downOffset", L"upIcon", L"overIcon", L"downIcon", L"disabledIcon", L"checkedUpIcon",
    L"checkedOverIcon", L"checkedDownIcon", L"checkedDisabledIcon", L"iconGap", L"cloUpSkin",
    L"cloOverSkin", L"cloDownSkin", L"dropBtn", L"margin", L"multiline", L"disabledAlpha",
    L"textPlacement", L"barSkin", L"trackSkin", L"thumbUpSkin", L"thumbOverSkin", L"thumbDownSkin",
    L"checkedUpSkin", L"checkedDownSkin", L"checkedOverSkin", L"checkedDisabledSkin",
    L"thumbScaleGrid", L"upArrowUpSkin", L"upArrowOverSkin", L"upArrowDownSkin",
    L"upArrowDisabledSkin", L"downArrowUpSkin", L"downArrowOverSkin", L"downArrowDownSkin",
    L"downArrowDisabledSkin", L"thumbUpIcon", L"thumbOverIcon", L"thumbDownIcon", L"id", L"x", L"y",
    L"width", L"height", L"padding", L"horizontalAlign", L"verticalAlign", L"dock", L"tooltip",
    L"style", L"orientation", L"text", L"icon", L"rows", L"columns", L"font", L"color",
    L"textAlign", L"offIcon", L"offText", L"src", L"tabHeight", L"tabPlacement", L"tabOffset",
    L"initSize", L"roundCorner", L"grayTip", L"scrollvertical", L"scrollhorizontal", L"itemHeight",
    L"progressbkimg", L"progressbkScaleGrid", L"progressmargin", L"progressimg",
    L"progressScaleGrid", L"imagelist", L"url", L"textspace", L"textpadding", L"texteditable",
    L"left", L"right", L"top", L"bottom", L"center", L"stretch", L"horizontal", L"vertical",
    L"true", L"false", L"auto", L"always", L"never", L"logicPanel",
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
