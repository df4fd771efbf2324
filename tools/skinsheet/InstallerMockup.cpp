// The installer's four pages as the skin shows them, painted from the shipped styles for the contact sheet.
#include "SheetPainting.h"

#include <Button.h>
#include <CheckBox.h>
#include <SkinImage.h>
#include <SkinPainter.h>
#include <TextDrawing.h>

#include "platform/Gdi.h"

namespace sheet {

namespace {

// the main window, and the shadow margins around it (left, top, right, bottom)
constexpr int kWindowWidth = 600, kWindowHeight = 400;
constexpr Rect kShadow{20, 14, 16, 21};
constexpr int kGap = 28, kCaption = 28;
// the progress bar's images are 8 pixels high with round ends
constexpr Rect kProgressGrid{4, 0, 4, 0};

const COLORREF kTitle = RGB(0x1F, 0x23, 0x29);
const COLORREF kBody = RGB(0x3B, 0x43, 0x50);
const COLORREF kMuted = RGB(0x8A, 0x93, 0xA0);
const COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
const COLORREF kAccent = RGB(0x2F, 0x7C, 0xF6);

// Everything of one page is placed in window coordinates and moved to the page's origin here.
class Page {
public:
    Page(HDC dc, int x, int y) : dc_(dc), x_(x), y_(y) {}

    Rect at(const Rect& r) const { return r.offset(x_, y_); }
    void style(const std::wstring& name, const Rect& r, Control& control) const { paintStyle(dc_, name, at(r), control); }
    void button(const std::wstring& name, const Rect& r, const std::wstring& caption, uint64_t state = kUp,
                const std::wstring& font = {}) const
    {
        Button control;
        setState(control, state);
        control.textProperties.set(PropertyKey::text, caption);
        if (!font.empty())
            control.textProperties.set(PropertyKey::font, font);
        style(name, r, control);
    }
    void label(const Rect& r, const std::wstring& value, const std::wstring& font, COLORREF colour,
               UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX) const
    {
        text(dc_, at(r), value, font, colour, format);
    }
    int width(const std::wstring& value, const std::wstring& font) const
    {
        Rect measured;
        drawTextInFont(dc_, measured, value.c_str(), skin::font(font), 0, TextFormat::measureLabel);
        return measured.width();
    }

    // window background, brand header with title and close button, page body, footer with version
    void frame(const std::wstring& heading, const std::wstring& tagline, bool closable) const
    {
        Control plain;
        setState(plain, kUp);
        style(L"background.xml", {0, 0, kWindowWidth, kWindowHeight}, plain);
        style(L"titlebar.xml", {0, 0, kWindowWidth, 150}, plain);
        style(L"page.xml", {1, 150, kWindowWidth - 1, kWindowHeight - 1}, plain);
        label({16, 6, 300, 36}, L"Pelora安装程序", L"Default", kWhite);
        if (closable)
            button(L"close.xml", {kWindowWidth - 40, 4, kWindowWidth - 8, 36}, {});
        label({40, 54, 560, 90}, heading, L"Large", kWhite);
        label({40, 92, 560, 116}, tagline, L"Medium", kWhite);
        style(L"seperator.xml", {1, 336, kWindowWidth - 1, 337}, plain);
        label({24, 348, 240, 388}, L"Ver: 8.0.0.5", L"Default", kMuted);
    }

private:
    HDC dc_;
    int x_, y_;
};

void licencePage(const Page& page)
{
    page.frame(L"Pelora", L"高清流畅的直播伴侣，一键开播", true);
    page.button(L"cta.xml", {220, 196, 380, 236}, L"立即安装", kUp, L"Medium");
    // the agreement line: the check box's text, then the licence link right after it
    CheckBox agree;
    setState(agree, kUp | kChecked);
    agree.textProperties.set(PropertyKey::text, L"我已阅读并同意");
    const std::wstring link = L"《用户许可协议》";
    const int textWidth = page.width(L"我已阅读并同意", L"Default");
    const int total = 2 + 16 + 6 + 2 + textWidth + page.width(link, L"Link");
    const int left = (kWindowWidth - total) / 2;
    page.style(L"checkbox.xml", {left, 254, left + total, 278}, agree);
    page.label({left + 26 + textWidth, 254, kWindowWidth, 278}, link, L"Link", kAccent);
    page.button(L"button_gray.xml", {464, 350, 576, 382}, L"自定义安装");
}

void folderPage(const Page& page)
{
    page.frame(L"选择安装位置", L"Pelora 将安装到下面的文件夹", true);
    page.label({40, 170, 560, 194}, L"安装位置", L"Title", kTitle);
    Control field;
    setState(field, kUp | Flag::focused);
    page.style(L"edit.xml", {40, 204, 448, 236}, field);
    page.label({48, 204, 440, 236}, L"C:\\Program Files\\OrvoNubelo\\", L"Default", RGB(0x66, 0x66, 0x66));
    Button browse;
    setState(browse, kHover);
    browse.textProperties.set(PropertyKey::text, L"浏览…");
    browse.textProperties.set(PropertyKey::icon, L"icon_folder.png");
    page.style(L"iconbutton.xml", {456, 204, 560, 236}, browse);
    page.label({40, 244, 560, 268}, L"所需空间：186 MB　　可用空间：42.6 GB", L"Default", kMuted);
    page.button(L"button.xml", {464, 350, 576, 382}, L"立即安装");
}

void progressPage(HDC dc, const Page& page)
{
    page.frame(L"正在安装", L"请稍候，安装完成后即可开始直播", false);
    page.label({40, 176, 400, 200}, L"正在安装 Pelora", L"Title", kTitle);
    page.label({400, 176, 560, 200}, L"62%", L"Title", kAccent, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    // the progress bar: its track, then the fill revealed from the left
    const Rect bar = page.at({40, 212, 560, 220});
    skin::drawSkin(dc, skin::image(L"progress_bg.png"), bar, &kProgressGrid);
    {
        platform::SavedDC saved(dc);
        IntersectClipRect(dc, bar.left, bar.top, bar.left + bar.width() * 62 / 100, bar.bottom);
        skin::drawSkin(dc, skin::image(L"progress_fill.png"), bar, &kProgressGrid);
    }
    page.label({40, 230, 560, 254}, L"解压文件 bin\\NubeloUI.exe", L"Default", kMuted);
}

void finishPage(const Page& page)
{
    page.frame(L"安装完成", L"Pelora 已成功安装到您的电脑", true);
    page.label({40, 176, 560, 200}, L"准备就绪", L"Title", kTitle);
    page.label({40, 204, 560, 228}, L"点击“立即体验”开始您的第一场直播。", L"Default", kBody);
    CheckBox monitor;
    setState(monitor, kHover | kChecked);
    monitor.textProperties.set(PropertyKey::text, L"开机时启动 Pelora 监控");
    page.style(L"checkbox.xml", {40, 244, 300, 268}, monitor);
    page.button(L"button_gray.xml", {344, 350, 456, 382}, L"完成");
    page.button(L"button.xml", {464, 350, 576, 382}, L"立即体验", kHover);
}

} // namespace

Size mockupsSize()
{
    const int cellWidth = kShadow.left + kWindowWidth + kShadow.right;
    const int cellHeight = kCaption + kShadow.top + kWindowHeight + kShadow.bottom;
    return {2 * cellWidth + kGap, 2 * cellHeight + kGap};
}

int paintMockups(HDC dc, int top, int width)
{
    const Size size = mockupsSize();
    const int cellWidth = kShadow.left + kWindowWidth + kShadow.right;
    const int cellHeight = kCaption + kShadow.top + kWindowHeight + kShadow.bottom;
    const int left = (width - size.width) / 2;
    const wchar_t* captions[4] = {L"Licence page (1000)", L"Folder page (2000)", L"Progress page (3000)",
                                  L"Finish page (4000)"};
    for (int i = 0; i < 4; ++i) {
        const int x = left + (i % 2) * (cellWidth + kGap);
        const int y = top + (i / 2) * (cellHeight + kGap);
        sheetText(dc, {x, y, x + cellWidth, y + kCaption}, captions[i], 14, true, RGB(0x50, 0x58, 0x64));
        Control plain;
        setState(plain, kUp);
        paintStyle(dc, L"shadow.xml", {x, y + kCaption, x + cellWidth, y + cellHeight}, plain);
        Page page(dc, x + kShadow.left, y + kCaption + kShadow.top);
        switch (i) {
        case 0: licencePage(page); break;
        case 1: folderPage(page); break;
        case 2: progressPage(dc, page); break;
        default: finishPage(page); break;
        }
    }
    return size.height;
}

} // namespace sheet
