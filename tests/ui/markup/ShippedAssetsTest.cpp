// The markup and styles the installer ships: they load, and the window holds what the UI script uses.
#include "MarkupFixture.h"

#include <Button.h>
#include <CheckBox.h>
#include <Grid.h>
#include <Label.h>
#include <OffscreenSurface.h>
#include <SkinImage.h>
#include <Style.h>
#include <Style_Background.h>
#include <Style_Button.h>
#include <Style_CheckButton.h>
#include <Style_ComboBox.h>
#include <Style_Edit.h>
#include <Style_ScrollBar.h>
#include <Style_Slider.h>
#include <TextDrawing.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <set>
#include <typeindex>
#include <typeinfo>

using testing_support::narrow;

namespace {

// A folder of the build machine, as this (Windows) process sees it.
std::wstring windowsFolder(const std::string& unixPath)
{
    std::wstring path = L"Z:" + testing_support::widen(unixPath) + L"/";
    for (wchar_t& c : path) {
        if (c == L'/')
            c = L'\\';
    }
    return path;
}

// Every file of the folder as one package entry, as the build packs it.
PackageEntries folderEntries(const std::wstring& folder)
{
    PackageEntries entries;
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

PackageEntries folderEntries(const wchar_t* assetName)
{
    return folderEntries(windowsFolder(ORVO_ASSETS_DIR) + assetName + L"\\");
}

// The style package as the build makes it: the documents with the rendered skin images.
PackageEntries styleEntries()
{
    return folderEntries(windowsFolder(ORVO_STYLE_DIR));
}

// The `style` names of a tree.
void collectStyles(Control* control, std::set<std::wstring>& names)
{
    if (const std::wstring* name = control->textProperties.get(PropertyKey::style))
        names.insert(*name);
    if (auto* panel = dynamic_cast<Panel*>(control)) {
        for (Control* child = panel->firstChild(); child; child = child->nextSibling())
            collectStyles(child, names);
    }
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
    ASSERT_TRUE(loadStyles(styleEntries(), &error)) << narrow(error);
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
        if (at >= 2 && script.compare(at - 2, 2, "):") == 0)
            continue;   // a page's child by its place, not a window's control by id
        ++looked;
        EXPECT_EQ(byId.count(id), 1u) << "UI.lua uses id " << id;
    }
    EXPECT_GT(looked, 10);
    for (int32_t page : {2000, 3000, 4000})
        EXPECT_FALSE(byId[page]->hasFlags(Flag::visible)) << "only the licence page shows at first";
}

TEST_F(ShippedAssets, StylePackageHasEveryStyleTheInstallerNamesAndEveryImageDecodes)
{
    PackageEntries entries = styleEntries();
    std::wstring error;
    ASSERT_TRUE(loadStyles(entries, &error)) << narrow(error);

    // the script's and the controls' fixed names, and the installer's chrome, with their classes
    const std::pair<const wchar_t*, std::type_index> required[] = {
        {L"background.xml", typeid(Style_Background)},  {L"titlebar.xml", typeid(Style_Background)},
        {L"page.xml", typeid(Style_Background)},        {L"shadow.xml", typeid(Style_Background)},
        {L"button.xml", typeid(Style_Button)},          {L"button_gray.xml", typeid(Style_Button)},
        {L"close.xml", typeid(Style)},                  {L"checkbox.xml", typeid(Style_CheckButton)},
        {L"radiobutton.xml", typeid(Style_CheckButton)}, {L"edit.xml", typeid(Style_Edit)},
        {L"combobox.xml", typeid(Style_ComboBox)},      {L"ComboDropped_Bkgnd.xml", typeid(Style_Background)},
        {L"listitem.xml", typeid(Style)},               {L"vscrollbar.xml", typeid(Style_ScrollBar)},
        {L"hscrollbar.xml", typeid(Style_ScrollBar)},   {L"slider.xml", typeid(Style_Slider)},
    };
    for (const auto& [name, type] : required) {
        Style* style = styleRegistry()->style(name);
        ASSERT_NE(style, nullptr) << narrow(name);
        EXPECT_EQ(std::type_index(typeid(*style)), type) << narrow(name);
    }

    // every style of the shipped markup exists
    addPackage(L"frame.lz", folderEntries(L"frame"));
    ASSERT_TRUE(loadFramePackage(L"frame.lz"));
    std::set<std::wstring> used;
    for (const auto& markup : folderEntries(L"frame")) {
        std::unique_ptr<Control> root = buildWindowTree(markup.first, &error);
        ASSERT_NE(root, nullptr) << narrow(markup.first) << ": " << narrow(error);
        collectStyles(root.get(), used);
    }
    for (const std::wstring& name : used)
        EXPECT_NE(styleRegistry()->style(name), nullptr) << narrow(name);

    // every document makes a style, and every image a style names is there and decodes
    int documents = 0;
    for (const auto& entry : entries) {
        const std::wstring& name = entry.first;
        if (name == L"font.xml" || name.size() < 4 || name.compare(name.size() - 4, 4, L".xml") != 0)
            continue;
        ++documents;
        Style* style = styleRegistry()->style(name);
        ASSERT_NE(style, nullptr) << narrow(name);
        style->textProperties.forEach([&](PropertyKey key, const std::wstring& image) {
            SkinImage* found = styleRegistry()->image(image);
            ASSERT_NE(found, nullptr) << narrow(name) << " names " << narrow(image);
            EXPECT_NE(found->bitmap(), nullptr) << narrow(image);
        });
    }
    EXPECT_GE(documents, 16);
    // the progress bar's images and the icons are named by markup, not by styles
    for (const wchar_t* image : {L"progress_bg.png", L"progress_fill.png", L"icon_folder.png", L"icon_expand.png",
                                 L"icon_collapse.png"}) {
        ASSERT_NE(styleRegistry()->image(image), nullptr) << narrow(image);
        EXPECT_NE(styleRegistry()->image(image)->bitmap(), nullptr) << narrow(image);
    }
    // a scroll panel's bars are as thick as the track images
    EXPECT_EQ(styleRegistry()->image(L"vscroll_track.png")->width, 10);
    EXPECT_EQ(styleRegistry()->image(L"hscroll_track.png")->height, 10);
}

TEST_F(ShippedAssets, DefaultFontShowsChineseGlyphs)
{
    ASSERT_TRUE(loadStyles(styleEntries()));
    HFONT font = styleRegistry()->font(L"Default");
    ASSERT_NE(font, nullptr);
    LOGFONTW parameters{};
    GetObjectW(font, sizeof parameters, &parameters);
    EXPECT_STREQ(parameters.lfFaceName, L"Microsoft YaHei") << "a face every Chinese Windows has";

    // two different characters: real glyphs differ, the boxes of a missing font would not
    OffscreenSurface surface;
    ASSERT_TRUE(surface.resize(64, 32));
    auto ink = [&](const wchar_t* text) {
        GdiFlush();
        std::fill(surface.pixels(), surface.pixels() + 64 * 32, 0xFFFFFFu);
        Rect rect{0, 0, 64, 32};
        drawTextInFont(surface.dc(), rect, text, font, 0, TextFormat::caption);
        GdiFlush();
        return std::vector<uint32_t>(surface.pixels(), surface.pixels() + 64 * 32);
    };
    std::vector<uint32_t> zhong = ink(L"中"), guo = ink(L"国"), blank = ink(L"");
    EXPECT_NE(zhong, blank);
    EXPECT_NE(zhong, guo);
}
