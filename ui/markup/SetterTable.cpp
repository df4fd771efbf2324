// The attribute setters, by value kind: 85 for the name table, one for the accessible name.
#include "SetterTable.h"

#include "ColorSetter.h"
#include "EnumSetter.h"
#include "IntSetter.h"
#include "RectSetter.h"
#include "SizeSetter.h"
#include "TextSetter.h"

#include <cassert>
#include <set>
#include <string_view>

namespace {

// Entries 0-86 of the property-name table are the attribute names; the keywords follow them.
constexpr int kLastAttributeEntry = 86;

const std::set<std::wstring_view> kIntNames = {
    L"downOffset", L"iconGap", L"multiline", L"disabledAlpha", L"id", L"x", L"y", L"width",
    L"height", L"rows", L"columns", L"tabHeight", L"tabOffset", L"itemHeight", L"textspace",
    L"texteditable",
};
const std::set<std::wstring_view> kRectNames = {
    L"scaleGrid", L"margin", L"thumbScaleGrid", L"padding", L"progressbkScaleGrid", L"progressmargin",
    L"progressScaleGrid",
};
const std::set<std::wstring_view> kSizeNames = {L"initSize", L"roundCorner", L"textpadding"};
const std::set<std::wstring_view> kColorNames = {L"textColor", L"color"};
const std::set<std::wstring_view> kEnumNames = {
    L"textPlacement", L"horizontalAlign", L"verticalAlign", L"dock", L"orientation", L"tabPlacement",
    L"textAlign",
};
// The scrolling modes are read by the scroll panel from code-set properties only.
const std::set<std::wstring_view> kWithoutSetter = {L"scrollvertical", L"scrollhorizontal"};

std::unique_ptr<duiField::ISetter> makeSetter(std::wstring_view name, PropertyKey key)
{
    if (kIntNames.count(name))
        return std::make_unique<duiField::IntSetter>(key);
    if (kRectNames.count(name))
        return std::make_unique<duiField::RectSetter>(key);
    if (kSizeNames.count(name))
        return std::make_unique<duiField::SizeSetter>(key);
    if (kColorNames.count(name))
        return std::make_unique<duiField::ColorSetter>(key);
    if (kEnumNames.count(name))
        return std::make_unique<duiField::EnumSetter>(key);
    return std::make_unique<duiField::TextSetter>(key);
}

} // namespace

void fillSetterTable(SetterTable& table)
{
    for (int entry = 0; entry <= kLastAttributeEntry; ++entry) {
        PropertyKey key = propertyKeyAt(entry);
        std::wstring_view name = propertyName(key);
        if (kWithoutSetter.count(name))
            continue;
        table[std::wstring(name)] = makeSetter(name, key);
    }
    assert(table.size() == 85 && "every attribute name but the two scrolling modes has a setter");
    // outside the name table: the accessible name of an image-only control
    table[L"accName"] = std::make_unique<duiField::TextSetter>(PropertyKey::accName);
}
