// Identities of the 101 property names: the markup attributes, the skin properties and the keyword values.
#pragma once

#include <cstdint>
#include <string_view>

// The table of property names, in its fixed order: X(key, "name") per entry. Entry n (0-based)
// has the key n + 1. Names that are C++ keywords carry a trailing underscore as keys.
#define ORVO_PROPERTY_NAMES(X) \
    /* skin properties: entries 0-45 */ \
    X(img, "img") \
    X(scaleGrid, "scaleGrid") \
    X(upSkin, "upSkin") \
    X(downSkin, "downSkin") \
    X(overSkin, "overSkin") \
    X(disabledSkin, "disabledSkin") \
    X(textColor, "textColor") \
    X(downOffset, "downOffset") \
    X(upIcon, "upIcon") \
    X(overIcon, "overIcon") \
    X(downIcon, "downIcon") \
    X(disabledIcon, "disabledIcon") \
    X(checkedUpIcon, "checkedUpIcon") \
    X(checkedOverIcon, "checkedOverIcon") \
    X(checkedDownIcon, "checkedDownIcon") \
    X(checkedDisabledIcon, "checkedDisabledIcon") \
    X(iconGap, "iconGap") \
    X(cloUpSkin, "cloUpSkin") \
    X(cloOverSkin, "cloOverSkin") \
    X(cloDownSkin, "cloDownSkin") \
    X(dropBtn, "dropBtn") \
    X(margin, "margin") \
    X(multiline, "multiline") \
    X(disabledAlpha, "disabledAlpha") \
    X(textPlacement, "textPlacement") \
    X(barSkin, "barSkin") \
    X(trackSkin, "trackSkin") \
    X(thumbUpSkin, "thumbUpSkin") \
    X(thumbOverSkin, "thumbOverSkin") \
    X(thumbDownSkin, "thumbDownSkin") \
    X(checkedUpSkin, "checkedUpSkin") \
    X(checkedDownSkin, "checkedDownSkin") \
    X(checkedOverSkin, "checkedOverSkin") \
    X(checkedDisabledSkin, "checkedDisabledSkin") \
    X(thumbScaleGrid, "thumbScaleGrid") \
    X(upArrowUpSkin, "upArrowUpSkin") \
    X(upArrowOverSkin, "upArrowOverSkin") \
    X(upArrowDownSkin, "upArrowDownSkin") \
    X(upArrowDisabledSkin, "upArrowDisabledSkin") \
    X(downArrowUpSkin, "downArrowUpSkin") \
    X(downArrowOverSkin, "downArrowOverSkin") \
    X(downArrowDownSkin, "downArrowDownSkin") \
    X(downArrowDisabledSkin, "downArrowDisabledSkin") \
    X(thumbUpIcon, "thumbUpIcon") \
    X(thumbOverIcon, "thumbOverIcon") \
    X(thumbDownIcon, "thumbDownIcon") \
    /* control properties: entries 46-86 */ \
    X(id, "id") \
    X(x, "x") \
    X(y, "y") \
    X(width, "width") \
    X(height, "height") \
    X(padding, "padding") \
    X(horizontalAlign, "horizontalAlign") \
    X(verticalAlign, "verticalAlign") \
    X(dock, "dock") \
    X(tooltip, "tooltip") \
    X(style, "style") \
    X(orientation, "orientation") \
    X(text, "text") \
    X(icon, "icon") \
    X(rows, "rows") \
    X(columns, "columns") \
    X(font, "font") \
    X(color, "color") \
    X(textAlign, "textAlign") \
    X(offIcon, "offIcon") \
    X(offText, "offText") \
    X(src, "src") \
    X(tabHeight, "tabHeight") \
    X(tabPlacement, "tabPlacement") \
    X(tabOffset, "tabOffset") \
    X(initSize, "initSize") \
    X(roundCorner, "roundCorner") \
    X(grayTip, "grayTip") \
    X(scrollvertical, "scrollvertical") \
    X(scrollhorizontal, "scrollhorizontal") \
    X(itemHeight, "itemHeight") \
    X(progressbkimg, "progressbkimg") \
    X(progressbkScaleGrid, "progressbkScaleGrid") \
    X(progressmargin, "progressmargin") \
    X(progressimg, "progressimg") \
    X(progressScaleGrid, "progressScaleGrid") \
    X(imagelist, "imagelist") \
    X(url, "url") \
    X(textspace, "textspace") \
    X(textpadding, "textpadding") \
    X(texteditable, "texteditable") \
    /* keyword values: entries 87-99 */ \
    X(left, "left") \
    X(right, "right") \
    X(top, "top") \
    X(bottom, "bottom") \
    X(center, "center") \
    X(stretch, "stretch") \
    X(horizontal, "horizontal") \
    X(vertical, "vertical") \
    X(true_, "true") \
    X(false_, "false") \
    X(auto_, "auto") \
    X(always, "always") \
    X(never, "never") \
    X(logicPanel, "logicPanel")

// A non-zero identity per entry of the name table: the entry's index plus one. Keyword properties
// store the key of their keyword as their integer value; 0 is no keyword.
enum class PropertyKey : int32_t {
    none = 0,
#define ORVO_PROPERTY_KEY(key, name) key,
    ORVO_PROPERTY_NAMES(ORVO_PROPERTY_KEY)
#undef ORVO_PROPERTY_KEY
    // Keys beyond the name table: attributes the toolkit reads that no skin or script names.
    accName = 1001,   // the name screen readers announce, for controls that show no text
};

#define ORVO_PROPERTY_COUNT(key, name) +1
constexpr int kPropertyNameCount = 0 ORVO_PROPERTY_NAMES(ORVO_PROPERTY_COUNT);
#undef ORVO_PROPERTY_COUNT

// Entry n of the table (0-based); none outside 0..100.
PropertyKey propertyKeyAt(int index);
// The key named exactly (letter case included) by `name`; none for an unknown name.
PropertyKey propertyKey(std::wstring_view name);
// The table name of a key; empty for none or a value outside the table.
std::wstring_view propertyName(PropertyKey key);

// The integer a keyword property stores for the keyword.
constexpr int32_t keywordValue(PropertyKey key) { return static_cast<int32_t>(key); }
