// skin-sheet: paints every style of a style package in every state, and the installer's pages, into one labelled PNG.
#include "SheetPainting.h"

#include <Button.h>
#include <CheckBox.h>
#include <ComboBox.h>
#include <DisplayScale.h>
#include <FileSystem.h>
#include <ScrollBar.h>
#include <SkinImage.h>
#include <SkinPainter.h>
#include <Slider.h>
#include <StyleRegistry.h>
#include <Style_Background.h>
#include <Style_Button.h>
#include <Style_ButtonEx.h>
#include <Style_CheckButton.h>
#include <Style_CheckButtonEx.h>
#include <Style_ComboBox.h>
#include <Style_Edit.h>
#include <Style_IconButton.h>
#include <Style_ScrollBar.h>
#include <Style_Slider.h>
#include <Style_ToggleButton.h>
#include <Style_ToggleIconButton.h>
#include <TextDrawing.h>
#include <Toolkit.h>
#include <ToolkitParts.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace sheet;

namespace {

constexpr int kMargin = 32, kNameColumn = 230, kCellPadding = 16, kLabelHeight = 22, kMinCell = 96;
const COLORREF kSheet = RGB(0xE9, 0xEC, 0xF0);
const COLORREF kInk = RGB(0x2B, 0x31, 0x3A);
const COLORREF kMutedInk = RGB(0x7A, 0x83, 0x90);

// What a style is shown with: the stand-in control's size and content, and what lies behind it.
struct Sample {
    const wchar_t* style = nullptr;
    Size size;
    const wchar_t* text = nullptr;
    const wchar_t* icon = nullptr;
    const wchar_t* offText = nullptr;
    const wchar_t* offIcon = nullptr;
    const wchar_t* backdrop = nullptr;   // painted under the control (the close button sits on the title bar)
};
const Sample kSamples[] = {
    {L"button.xml", {112, 32}, L"立即安装"},
    {L"button_gray.xml", {112, 32}, L"自定义安装"},
    {L"cta.xml", {160, 40}, L"立即安装"},
    {L"close.xml", {32, 32}, nullptr, nullptr, nullptr, nullptr, L"titlebar.xml"},
    {L"iconbutton.xml", {104, 32}, L"浏览…", L"icon_folder.png"},
    {L"expander.xml", {112, 28}, L"更多选项", L"icon_expand.png", L"收起选项", L"icon_collapse.png"},
    {L"switch.xml", {36, 20}},
    {L"checkbox.xml", {136, 24}, L"开机时启动"},
    {L"checkbox_strip.xml", {136, 16}, L"开机时启动"},
    {L"radiobutton.xml", {136, 24}, L"典型安装"},
    {L"edit.xml", {200, 32}, L"C:\\Program Files\\"},
    {L"combobox.xml", {160, 32}, L"简体中文"},
    {L"ComboDropped_Bkgnd.xml", {160, 80}},
    {L"listitem.xml", {160, 24}, L"简体中文"},
    {L"vscrollbar.xml", {10, 120}},
    {L"hscrollbar.xml", {160, 10}},
    {L"slider.xml", {160, 16}},   // as high as its thumb, as a slider measures itself
    {L"tabitem.xml", {72, 32}, L"常规"},
    {L"tabstrip.xml", {240, 32}},
    {L"seperator.xml", {240, 1}},
    {L"background.xml", {160, 90}},
    {L"titlebar.xml", {240, 48}},
    {L"page.xml", {160, 120}},
    {L"panel.xml", {160, 90}},
    {L"shadow.xml", {236, 155}},
};

const Sample* sampleFor(const std::wstring& style)
{
    for (const Sample& s : kSamples) {
        if (style == s.style)
            return &s;
    }
    return nullptr;
}

struct State {
    const wchar_t* label = L"";
    uint64_t flags = 0;
    int32_t parts = 0;   // scroll-bar part bits
};
const State kFour[] = {{L"up", kUp}, {L"hover", kHover}, {L"pressed", kPressed}, {L"disabled", kDisabled},
                       {L"keyboard focus", kKeyFocus}};
const State kEdit[] = {{L"up", kUp}, {L"hover", kHover}, {L"disabled", kDisabled}, {L"keyboard focus", kKeyFocus}};
const State kEight[] = {{L"up", kUp},        {L"hover", kHover},
                        {L"pressed", kPressed}, {L"disabled", kDisabled},
                        {L"checked", kUp | kChecked}, {L"checked hover", kHover | kChecked},
                        {L"checked pressed", kPressed | kChecked}, {L"checked disabled", kDisabled | kChecked},
                        {L"keyboard focus", kKeyFocus}, {L"checked focus", kKeyFocus | kChecked}};
const State kOne[] = {{L"", kUp}};
const State kScroll[] = {{L"up", kUp},
                         {L"arrow hover", kUp, ScrollBarParts::kUpArrowOver},
                         {L"arrow pressed", kUp, ScrollBarParts::kDownArrowPressed},
                         {L"thumb hover", kUp, ScrollBarParts::kThumbOver},
                         {L"thumb pressed", kUp, ScrollBarParts::kThumbPressed | ScrollBarParts::kThumbOver},
                         {L"disabled", kDisabled}};
const State kSlider[] = {{L"up", kUp}, {L"thumb hover", kUp | kChecked}, {L"pressed", kPressed | kChecked}};

struct Cell {
    std::wstring label;
    Size size;                                   // the control's
    std::function<void(HDC, const Rect&)> paint;   // into the control's rectangle
};
struct Row {
    std::wstring name, className;
    std::vector<Cell> cells;
};

template <size_t N>
std::vector<State> states(const State (&list)[N])
{
    return std::vector<State>(list, list + N);
}

// The states a style class shows, and how big its stand-in is when the sample table does not say.
std::pair<std::vector<State>, Size> statesOf(Style* style, std::wstring& className)
{
    if (dynamic_cast<Style_Background*>(style))
        return className = L"Background", std::make_pair(states(kOne), Size{160, 60});
    if (dynamic_cast<Style_Edit*>(style))
        return className = L"Edit", std::make_pair(states(kEdit), Size{160, 32});
    if (dynamic_cast<Style_CheckButton*>(style))
        return className = L"CheckButton", std::make_pair(states(kEight), Size{136, 24});
    if (dynamic_cast<Style_CheckButtonEx*>(style))
        return className = L"CheckButtonEx", std::make_pair(states(kEight), Size{136, 16});
    if (dynamic_cast<Style_ToggleButton*>(style))
        return className = L"ToggleButton", std::make_pair(states(kEight), Size{64, 32});
    if (dynamic_cast<Style_ToggleIconButton*>(style))
        return className = L"ToggleIconButton", std::make_pair(states(kEight), Size{112, 32});
    if (dynamic_cast<Style_ScrollBar*>(style))
        return className = L"ScrollBar", std::make_pair(states(kScroll), Size{10, 120});
    if (dynamic_cast<Style_Slider*>(style))
        return className = L"Slider", std::make_pair(states(kSlider), Size{160, 16});
    if (dynamic_cast<Style_ComboBox*>(style))
        className = L"ComboBox";
    else if (dynamic_cast<Style_IconButton*>(style))
        className = L"IconButton";
    else if (dynamic_cast<Style_ButtonEx*>(style))
        className = L"ButtonEx";
    else if (dynamic_cast<Style_Button*>(style))
        className = L"Button";
    else
        className = L"Style";
    return {states(kFour), Size{112, 32}};
}

// A scroll bar laid out as the scroll bar lays itself out: arrows at the ends, a third visible.
void paintScrollBar(HDC dc, const std::wstring& name, const Rect& rect, const State& state)
{
    ScrollBar bar;
    setState(bar, state.flags);
    bar.partBits = state.parts;
    bar.rect = {0, 0, rect.width(), rect.height()};
    bar.vertical = rect.height() > rect.width();
    Style* style = skin::style(name);
    const SkinImage* up = style ? skin::imageOf(*style, PropertyKey::upArrowUpSkin) : nullptr;
    const SkinImage* down = style ? skin::imageOf(*style, PropertyKey::downArrowUpSkin) : nullptr;
    const int W = rect.width(), H = rect.height();
    const int upW = up ? up->width : 0, upH = up ? up->height : 0;
    const int downW = down ? down->width : 0, downH = down ? down->height : 0;
    if (bar.vertical) {
        bar.upArrow = {(W - upW) / 2, 0, (W - upW) / 2 + upW, upH};
        bar.downArrow = {(W - downW) / 2, H - downH, (W - downW) / 2 + downW, H};
    } else {
        bar.upArrow = {0, (H - upH) / 2, upW, (H - upH) / 2 + upH};
        bar.downArrow = {W - downW, (H - downH) / 2, W, (H - downH) / 2 + downH};
    }
    bar.range = 300;
    bar.page = 100;
    bar.position = 80;
    paintStyle(dc, name, rect, bar);
}

Row rowFor(const std::wstring& name, Style* style)
{
    Row row;
    row.name = name;
    auto [list, size] = statesOf(style, row.className);
    const Sample* sample = sampleFor(name);
    if (sample)
        size = sample->size;
    const bool scroll = dynamic_cast<Style_ScrollBar*>(style) != nullptr;
    const bool slider = dynamic_cast<Style_Slider*>(style) != nullptr;

    for (const State& state : list) {
        Cell cell;
        cell.label = state.label;
        cell.size = size;
        cell.paint = [=](HDC dc, const Rect& rect) {
            if (sample && sample->backdrop) {
                Control plain;
                setState(plain, kUp);
                paintStyle(dc, sample->backdrop, {rect.left - 8, rect.top - 8, rect.right + 8, rect.bottom + 8}, plain);
            }
            if (scroll) {
                paintScrollBar(dc, name, rect, state);
                return;
            }
            if (slider) {
                Slider control;
                setState(control, state.flags);
                control.rect = {0, 0, rect.width(), rect.height()};
                control.value = 40;
                paintStyle(dc, name, rect, control);
                return;
            }
            if (name == L"shadow.xml") {
                // the shadow with the window it surrounds
                Control plain;
                setState(plain, kUp);
                paintStyle(dc, name, rect, plain);
                paintStyle(dc, L"background.xml", {rect.left + 20, rect.top + 14, rect.right - 16, rect.bottom - 21}, plain);
                return;
            }
            Button control;
            setState(control, state.flags);
            const bool fieldText = dynamic_cast<Style_Edit*>(style) || name == L"listitem.xml";
            if (sample && sample->text && !fieldText)
                control.textProperties.set(PropertyKey::text, sample->text);
            if (sample && sample->icon)
                control.textProperties.set(PropertyKey::icon, sample->icon);
            if (sample && sample->offText)
                control.textProperties.set(PropertyKey::offText, sample->offText);
            if (sample && sample->offIcon)
                control.textProperties.set(PropertyKey::offIcon, sample->offIcon);
            paintStyle(dc, name, rect, control);
            // text the controls draw themselves: a text box's line, a list row's caption
            if (fieldText && sample && sample->text) {
                const bool edit = dynamic_cast<Style_Edit*>(style) != nullptr;
                Rect line{rect.left + (edit ? 8 : 10), rect.top, rect.right, rect.bottom};
                text(dc, line, sample->text, L"Default", edit ? RGB(0x66, 0x66, 0x66) : RGB(0, 0, 0));
            }
            if (name == L"ComboDropped_Bkgnd.xml") {
                const wchar_t* items[] = {L"简体中文", L"English", L"日本語"};
                for (int i = 0; i < 3; ++i) {
                    Button item;
                    setState(item, i == 1 ? kHover : kUp);
                    Rect r{rect.left + 2, rect.top + 2 + 24 * i, rect.right - 2, rect.top + 26 + 24 * i};
                    paintStyle(dc, L"listitem.xml", r, item);
                    text(dc, {r.left + 10, r.top, r.right, r.bottom}, items[i], L"Default", RGB(0, 0, 0));
                }
            }
        };
        row.cells.push_back(cell);
    }
    // The first state once more at 2x, as a window at 192 DPI paints it: through a world transform,
    // with the @2x drawings of the package.
    if (!row.cells.empty()) {
        Cell first = row.cells.front();
        Cell twice;
        twice.label = L"2x";
        twice.size = {size.width * 2, size.height * 2};
        twice.paint = [first, size](HDC dc, const Rect& rect) {
            const int saved = SaveDC(dc);
            SetGraphicsMode(dc, GM_ADVANCED);
            XFORM transform{2, 0, 0, 2, float(rect.left), float(rect.top)};
            SetWorldTransform(dc, &transform);
            displayScale::setCurrent(2.0);
            first.paint(dc, {0, 0, size.width, size.height});
            displayScale::setCurrent(1.0);
            RestoreDC(dc, saved);
        };
        row.cells.push_back(twice);
    }
    return row;
}

int cellWidth(const Cell& cell)
{
    return std::max(cell.size.width + 2 * kCellPadding, kMinCell);
}

int rowHeight(const Row& row)
{
    int height = 48;
    for (const Cell& cell : row.cells)
        height = std::max(height, cell.size.height + 2 * kCellPadding + kLabelHeight);
    return height;
}

int rowWidth(const Row& row)
{
    int width = kNameColumn;
    for (const Cell& cell : row.cells)
        width += cellWidth(cell) + 8;
    return width;
}

void paintRow(HDC dc, const Row& row, int x, int y)
{
    const int height = rowHeight(row);
    sheetText(dc, {x, y + 12, x + kNameColumn - 12, y + 32}, row.name, 15, true, kInk);
    sheetText(dc, {x, y + 32, x + kNameColumn - 12, y + 52}, row.className, 13, false, kMutedInk);
    int cx = x + kNameColumn;
    for (const Cell& cell : row.cells) {
        const int w = cellWidth(cell);
        const Rect card{cx, y + 4, cx + w, y + height - 4};
        fillRect(dc, card, RGB(0xFF, 0xFF, 0xFF));
        const int left = cx + (w - cell.size.width) / 2;
        const int top = y + 4 + (height - 8 - kLabelHeight - cell.size.height) / 2;
        cell.paint(dc, {left, top, left + cell.size.width, top + cell.size.height});
        sheetText(dc, {cx, card.bottom - kLabelHeight, cx + w, card.bottom - 4}, cell.label, 12, false, kMutedInk,
                  DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
        cx += w + 8;
    }
}

// The fonts of font.xml, each with a line of sample text in it.
int paintFonts(HDC dc, const StyleRegistry& registry, int x, int y)
{
    sheetText(dc, {x, y, x + 600, y + 24}, L"Fonts (font.xml)", 15, true, kInk);
    y += 28;
    for (const auto& entry : registry.fonts) {
        LOGFONTW parameters{};
        GetObjectW(entry.second.get(), sizeof parameters, &parameters);
        std::wstring description = entry.first + L"  —  " + parameters.lfFaceName + L", " +
                                   std::to_wstring(-parameters.lfHeight) + L" px" +
                                   (parameters.lfWeight >= FW_BOLD ? L", bold" : L"") +
                                   (parameters.lfUnderline ? L", underlined" : L"");
        sheetText(dc, {x, y, x + kNameColumn + 200, y + 32}, description, 13, false, kMutedInk,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        text(dc, {x + kNameColumn + 200, y, x + 1400, y + 32}, L"欢迎安装 Pelora 直播助手 8.0.0.5 — 高清流畅，一键开播",
             entry.first, kInk);
        y += 34;
    }
    return y;
}

bool writePng(const std::wstring& path, const OffscreenSurface& surface)
{
    const int64_t count = int64_t(surface.width()) * surface.height();
    std::vector<uint8_t> rgba(size_t(count) * 4);
    const uint32_t* pixels = surface.pixels();
    for (int64_t i = 0; i < count; ++i) {
        rgba[size_t(i) * 4 + 0] = uint8_t(pixels[i] >> 16);
        rgba[size_t(i) * 4 + 1] = uint8_t(pixels[i] >> 8);
        rgba[size_t(i) * 4 + 2] = uint8_t(pixels[i]);
        rgba[size_t(i) * 4 + 3] = 255;   // the sheet is opaque; GDI text leaves alpha 0 behind
    }
    std::string file;
    auto append = [](void* context, void* data, int size) {
        static_cast<std::string*>(context)->append(static_cast<const char*>(data), size_t(size));
    };
    if (!stbi_write_png_to_func(append, &file, surface.width(), surface.height(), 4, rgba.data(), surface.width() * 4))
        return false;
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(out, file.data(), DWORD(file.size()), &written, nullptr) && written == file.size();
    CloseHandle(out);
    return ok;
}

int fail(const std::wstring& message)
{
    fwprintf(stderr, L"skin-sheet: %ls\n", message.c_str());
    return 1;
}

int run(const std::wstring& output)
{
    std::wstring error;
    if (!loadStylePackage(L"style.lz", &error))
        return fail(error);
    StyleRegistry* registry = styleRegistry();

    // every style document of the package, by name
    std::vector<Row> rows;
    for (const auto& entry : registry->stylePackage->index()) {
        std::wstring name(entry.first.begin(), entry.first.end());
        if (name == L"font.xml" || name.size() < 4 || name.compare(name.size() - 4, 4, L".xml") != 0)
            continue;
        if (Style* style = registry->style(name))
            rows.push_back(rowFor(name, style));
        else
            fwprintf(stderr, L"skin-sheet: the style %ls cannot be made\n", name.c_str());
    }

    // layout: title, fonts, the pages, then one row per style
    const Size mockups = mockupsSize();
    int width = std::max(mockups.width, 1400);
    int height = kMargin + 60 + 34 * int(registry->fonts.size() + 1) + 24 + mockups.height + 40;
    for (const Row& row : rows) {
        width = std::max(width, rowWidth(row));
        height += rowHeight(row) + 8;
    }
    width += 2 * kMargin;
    height += kMargin;

    OffscreenSurface surface;
    if (!surface.resize(width, height))
        return fail(L"no surface of " + std::to_wstring(width) + L" x " + std::to_wstring(height));
    HDC dc = surface.dc();
    fillRect(dc, {0, 0, width, height}, kSheet);
    platform::SelectScope font(dc, skin::font(L"Default"));   // what a window selects before painting

    int y = kMargin;
    sheetText(dc, {kMargin, y, width, y + 36}, L"Orvo Setup — skin contact sheet", 26, true, kInk);
    sheetText(dc, {kMargin, y + 36, width, y + 56},
              L"Every style of the style package in every state, painted by the skin styles; the pages are "
              L"composed from the same styles.", 13, false, kMutedInk);
    y += 72;
    y = paintFonts(dc, *registry, kMargin, y) + 24;
    y += paintMockups(dc, y, width) + 40;
    for (const Row& row : rows) {
        paintRow(dc, row, kMargin, y);
        y += rowHeight(row) + 8;
    }
    GdiFlush();
    if (!writePng(output, surface))
        return fail(L"cannot write " + output);
    fwprintf(stdout, L"skin-sheet: %ls (%d x %d, %d styles)\n", output.c_str(), width, height, int(rows.size()));
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        fwprintf(stderr, L"usage: skin-sheet.exe FOLDER OUT.png   (FOLDER holds style.lz)\n");
        return 2;
    }
    std::wstring root = argv[1];
    if (!root.empty() && root.back() != L'\\' && root.back() != L'/')
        root += L'\\';
    // the file system outlives the toolkit: the style registry gives its package buffer back to it
    LocalFileSystem files(root);
    installToolkitParts();
    if (!Toolkit::start())
        return fail(L"the toolkit does not start");
    int code = run(argv[2]);
    Toolkit::shutdown();
    return code;
}
