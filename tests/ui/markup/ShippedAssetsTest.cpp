// The markup and styles the installer ships: they load, and the window holds what the UI script uses.
#include "MarkupFixture.h"

#include <Button.h>
#include <CheckBox.h>
#include <Grid.h>
#include <Label.h>
#include <Style.h>
#include <Style_Button.h>
#include <Style_CheckButton.h>

#include <windows.h>

#include <functional>
#include <typeindex>
#include <typeinfo>

using testing_support::narrow;

namespace {

// The asset folder of the source tree, as this (Windows) process sees it.
std::wstring assetFolder(const wchar_t* name)
{
    std::wstring path = L"Z:" + testing_support::widen(ORVO_ASSETS_DIR) + L"/" + name + L"/";
    for (wchar_t& c : path) {
        if (c == L'/')
            c = L'\\';
    }
    return path;
}

// Every file of the folder as one package entry, as the build packs it.
PackageEntries folderEntries(const wchar_t* name)
{
    PackageEntries entries;
    std::wstring folder = assetFolder(name);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    EXPECT_NE(search, INVALID_HANDLE_VALUE) << narrow(folder);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            entries.push_back({found.cFileName, testing_support::readFile(folder + found.cFileName)});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return entries;
}

void collect(Control* control, std::map<int32_t, Control*>& byId)
{
    if (const int32_t* id = control->intProperties.get(PropertyKey::id))
        byId[*id] = control;
    if (auto* panel = dynamic_cast<Panel*>(control)) {
        for (Control* child = panel->firstChild(); child; child = child->nextSibling())
            collect(child, byId);
    }
}

} // namespace

class ShippedAssets : public MarkupFixture {};

TEST_F(ShippedAssets, StylePackageLoadsWithItsFonts)
{
    std::wstring error;
    ASSERT_TRUE(loadStyles(folderEntries(L"style"), &error)) << narrow(error);
    EXPECT_NE(styleRegistry()->font(L"Default"), nullptr);
    Style* button = styleRegistry()->style(L"button.xml");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(std::type_index(typeid(*button)), std::type_index(typeid(Style_Button)));
    ASSERT_NE(styleRegistry()->style(L"button_gray.xml"), nullptr);
    Style* checkbox = styleRegistry()->style(L"checkbox.xml");
    ASSERT_NE(checkbox, nullptr);
    EXPECT_EQ(std::type_index(typeid(*checkbox)), std::type_index(typeid(Style_CheckButton)));
}

TEST_F(ShippedAssets, MainWindowBuilds)
{
    addPackage(L"frame.lz", folderEntries(L"frame"));
    ASSERT_TRUE(loadFramePackage(L"frame.lz"));
    std::wstring error;
    std::unique_ptr<Control> root = buildWindowTree(L"mainframe.xml", &error);
    ASSERT_NE(root, nullptr) << narrow(error);
    EXPECT_EQ(std::type_index(typeid(*root)), std::type_index(typeid(Grid)));
    EXPECT_EQ(root->sizeProperties.value(PropertyKey::initSize, Size{}), (Size{600, 400}));

    std::map<int32_t, Control*> byId;
    collect(root.get(), byId);
    ASSERT_EQ(byId.count(1001), 1u);
    EXPECT_NE(dynamic_cast<CheckBox*>(byId[1001]), nullptr);
    ASSERT_EQ(byId.count(1004), 1u);
    EXPECT_EQ(byId[1004]->textProperties.value(PropertyKey::style, L""), L"button.xml");
    EXPECT_FALSE(byId[1004]->hasFlags(Flag::enabled));
    EXPECT_EQ(byId.count(1003), 1u);

    // every control the UI script looks up is there: a missing one ends the installer at start
    std::string script = testing_support::readFile(L"Z:" + testing_support::widen(ORVO_UI_SCRIPT));
    ASSERT_FALSE(script.empty());
    const std::string call = "getChild(";
    int looked = 0;
    for (size_t at = script.find(call); at != std::string::npos; at = script.find(call, at + 1)) {
        int32_t id = std::atoi(script.c_str() + at + call.size());
        if (id == 0)
            continue;   // a variable, not a literal id
        ++looked;
        EXPECT_EQ(byId.count(id), 1u) << "UI.lua uses id " << id;
    }
    EXPECT_GT(looked, 10);
    for (int32_t page : {2000, 3000, 4000})
        EXPECT_FALSE(byId[page]->hasFlags(Flag::visible)) << "only the licence page shows at first";
}
