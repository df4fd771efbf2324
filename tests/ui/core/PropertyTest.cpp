// Property names, keys and the per-object property lists.
#include <Control.h>
#include <PropertyKey.h>

#include <gtest/gtest.h>

#include <set>

TEST(PropertyNames, TableHoldsTheFixedNamesInOrder)
{
    EXPECT_EQ(kPropertyNameCount, 101);
    EXPECT_EQ(propertyName(propertyKeyAt(0)), L"img");
    EXPECT_EQ(propertyName(propertyKeyAt(21)), L"margin");
    EXPECT_EQ(propertyName(propertyKeyAt(45)), L"thumbDownIcon");
    EXPECT_EQ(propertyName(propertyKeyAt(46)), L"id");
    EXPECT_EQ(propertyName(propertyKeyAt(71)), L"initSize");
    EXPECT_EQ(propertyName(propertyKeyAt(86)), L"texteditable");
    EXPECT_EQ(propertyName(propertyKeyAt(87)), L"left");
    EXPECT_EQ(propertyName(propertyKeyAt(92)), L"stretch");
    EXPECT_EQ(propertyName(propertyKeyAt(99)), L"never");
    EXPECT_EQ(propertyName(propertyKeyAt(100)), L"logicPanel");
}

TEST(PropertyNames, KeysAreNonZeroAndDistinct)
{
    std::set<PropertyKey> keys;
    for (int i = 0; i < kPropertyNameCount; ++i) {
        PropertyKey key = propertyKeyAt(i);
        EXPECT_NE(key, PropertyKey::none) << i;
        keys.insert(key);
        EXPECT_EQ(propertyKey(propertyName(key)), key) << i;
    }
    EXPECT_EQ(keys.size(), 101u);
}

TEST(PropertyNames, LookupIsExactAndCaseSensitive)
{
    EXPECT_EQ(propertyKey(L"horizontalAlign"), PropertyKey::horizontalAlign);
    EXPECT_EQ(propertyKey(L"true"), PropertyKey::true_);
    EXPECT_EQ(propertyKey(L"Margin"), PropertyKey::none);
    EXPECT_EQ(propertyKey(L"margin "), PropertyKey::none);
    EXPECT_EQ(propertyKey(L""), PropertyKey::none);
}

TEST(PropertyNames, OutOfTableGivesNone)
{
    EXPECT_EQ(propertyKeyAt(-1), PropertyKey::none);
    EXPECT_EQ(propertyKeyAt(101), PropertyKey::none);
    EXPECT_TRUE(propertyName(PropertyKey::none).empty());
    EXPECT_TRUE(propertyName(static_cast<PropertyKey>(500)).empty());
}

TEST(PropertyList, NeverSetIsAbsentAndTheReaderDefaultApplies)
{
    Control control;
    EXPECT_EQ(control.intProperties.get(PropertyKey::width), nullptr);
    EXPECT_EQ(control.intProperties.value(PropertyKey::width, -1), -1);
    EXPECT_EQ(control.textProperties.get(PropertyKey::text), nullptr);
}

TEST(PropertyList, SettingTwiceKeepsOneEntryWithTheLastValue)
{
    Control control;
    control.intProperties.set(PropertyKey::width, 50);
    control.intProperties.set(PropertyKey::width, 70);
    EXPECT_EQ(control.intProperties.count(), 1);
    EXPECT_EQ(*control.intProperties.get(PropertyKey::width), 70);
}

TEST(PropertyList, EachValueTypeKeepsItsOwnList)
{
    Control control;
    control.intProperties.set(PropertyKey::height, 12);
    control.sizeProperties.set(PropertyKey::initSize, Size{640, 480});
    control.rectProperties.set(PropertyKey::margin, Rect{1, 2, 3, 4});
    control.textProperties.set(PropertyKey::text, L"安装");
    EXPECT_EQ(control.sizeProperties.value(PropertyKey::initSize, {}), (Size{640, 480}));
    EXPECT_EQ(control.rectProperties.value(PropertyKey::margin, {}), (Rect{1, 2, 3, 4}));
    EXPECT_EQ(*control.textProperties.get(PropertyKey::text), L"安装");
    EXPECT_FALSE(control.intProperties.has(PropertyKey::initSize));
    EXPECT_FALSE(control.textProperties.has(PropertyKey::height));
}

TEST(PropertyList, ManyKeysAreAllFound)
{
    Control control;
    for (int i = 0; i < kPropertyNameCount; ++i)
        control.intProperties.set(propertyKeyAt(i), i * 3);
    for (int i = 0; i < kPropertyNameCount; ++i)
        EXPECT_EQ(control.intProperties.value(propertyKeyAt(i), -1), i * 3);
}

TEST(PropertyList, UnknownKeywordStoredAsZeroMatchesNoKeyword)
{
    Control control;
    control.intProperties.set(PropertyKey::horizontalAlign, 0);
    int32_t stored = control.intProperties.value(PropertyKey::horizontalAlign, -1);
    for (int i = 87; i <= 99; ++i)
        EXPECT_NE(stored, keywordValue(propertyKeyAt(i)));
}

TEST(PropertyList, TextIsAnOwnedCopy)
{
    Control control;
    {
        std::wstring text = L"readme";
        control.textProperties.set(PropertyKey::src, text);
        text[0] = L'X';
    }
    EXPECT_EQ(*control.textProperties.get(PropertyKey::src), L"readme");
}
