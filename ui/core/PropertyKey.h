// Identities of the 101 property names: the markup attributes, the skin properties and the keyword values.
#pragma once

#include <cstdint>
#include <string_view>

// A non-zero identity per entry of the name table: the entry's index plus one. Keyword properties
// store the key of their keyword as their integer value; 0 is no keyword. Names that are C++
// keywords carry a trailing underscore.
enum class PropertyKey : int32_t {
    none = 0,
    img = 1,   // skin properties: entries 0-45
    scaleGrid = 2,
    upSkin = 3,
    downSkin = 4,
    overSkin = 5,
    disabledSkin = 6,
    textColor = 7,
    downOffset = 8,
    upIcon = 9,
    overIcon = 10,
    downIcon = 11,
    disabledIcon = 12,
    checkedUpIcon = 13,
    checkedOverIcon = 14,
    checkedDownIcon = 15,
    checkedDisabledIcon = 16,
    iconGap = 17,
    cloUpSkin = 18,
    cloOverSkin = 19,
    cloDownSkin = 20,
    dropBtn = 21,
    margin = 22,
    multiline = 23,
    disabledAlpha = 24,
    textPlacement = 25,
    barSkin = 26,
    trackSkin = 27,
    thumbUpSkin = 28,
    thumbOverSkin = 29,
    thumbDownSkin = 30,
    checkedUpSkin = 31,
    checkedDownSkin = 32,
    checkedOverSkin = 33,
    checkedDisabledSkin = 34,
    thumbScaleGrid = 35,
    upArrowUpSkin = 36,
    upArrowOverSkin = 37,
    upArrowDownSkin = 38,
    upArrowDisabledSkin = 39,
    downArrowUpSkin = 40,
    downArrowOverSkin = 41,
    downArrowDownSkin = 42,
    downArrowDisabledSkin = 43,
    thumbUpIcon = 44,
    thumbOverIcon = 45,
    thumbDownIcon = 46,
    id = 47,   // control properties: entries 46-86
    x = 48,
    y = 49,
    width = 50,
    height = 51,
    padding = 52,
    horizontalAlign = 53,
    verticalAlign = 54,
    dock = 55,
    tooltip = 56,
    style = 57,
    orientation = 58,
    text = 59,
    icon = 60,
    rows = 61,
    columns = 62,
    font = 63,
    color = 64,
    textAlign = 65,
    offIcon = 66,
    offText = 67,
    src = 68,
    tabHeight = 69,
    tabPlacement = 70,
    tabOffset = 71,
    initSize = 72,
    roundCorner = 73,
    grayTip = 74,
    scrollvertical = 75,
    scrollhorizontal = 76,
    itemHeight = 77,
    progressbkimg = 78,
    progressbkScaleGrid = 79,
    progressmargin = 80,
    progressimg = 81,
    progressScaleGrid = 82,
    imagelist = 83,
    url = 84,
    textspace = 85,
    textpadding = 86,
    texteditable = 87,
    left = 88,   // keyword values: entries 87-99
    right = 89,
    top = 90,
    bottom = 91,
    center = 92,
    stretch = 93,
    horizontal = 94,
    vertical = 95,
    true_ = 96,
    false_ = 97,
    auto_ = 98,
    always = 99,
    never = 100,
    logicPanel = 101,
};

constexpr int kPropertyNameCount = 101;

// Entry n of the table (0-based); none outside 0..100.
PropertyKey propertyKeyAt(int index);
// The key named exactly (letter case included) by `name`; none for an unknown name.
PropertyKey propertyKey(std::wstring_view name);
// The table name of a key; empty for none or a value outside the table.
std::wstring_view propertyName(PropertyKey key);

// The integer a keyword property stores for the keyword.
constexpr int32_t keywordValue(PropertyKey key) { return static_cast<int32_t>(key); }
