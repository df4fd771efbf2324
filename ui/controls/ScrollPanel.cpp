// ScrollPanel: deciding the bars, laying out bars and content, and scrolling the content.
#include "ScrollPanel.h"

#include "ScrollBar.h"

#include <SkinImage.h>
#include <SkinPainter.h>
#include <Style.h>

#include <algorithm>

namespace {

enum class Mode { automatic, always, never };

Mode modeOf(const Control& panel, PropertyKey key, Mode fallback)
{
    const int32_t* value = panel.intProperties.get(key);
    if (!value)
        return fallback;
    if (*value == keywordValue(PropertyKey::always))
        return Mode::always;
    if (*value == keywordValue(PropertyKey::never))
        return Mode::never;
    if (*value == keywordValue(PropertyKey::auto_))
        return Mode::automatic;
    return fallback;
}

// The bar image's width (vertical) or height (horizontal) of a style; the default without one.
int32_t thickness(const wchar_t* styleName, bool vertical)
{
    const Style* style = skin::style(styleName);
    const SkinImage* bar = style ? skin::imageOf(*style, PropertyKey::barSkin) : nullptr;
    if (!bar)
        return ScrollPanel::kDefaultThickness;
    return vertical ? bar->width : bar->height;
}

} // namespace

ScrollPanel::ScrollPanel() : ScrollPanel(kInitialFlags) {}

ScrollPanel::ScrollPanel(uint64_t initialFlags) : Panel(initialFlags) {}

Control* ScrollPanel::content() const
{
    Control* first = firstChild();
    if (!first || first == verticalBar_ || first == horizontalBar_)
        return nullptr;
    return first;
}

ScrollBar* ScrollPanel::createScrollBar(bool vertical)
{
    auto* bar = new ScrollBar;
    bar->vertical = vertical;
    // a horizontal bar paints with the horizontal skin (its arrows point sideways)
    if (!vertical)
        bar->textProperties.set(PropertyKey::style, L"hscrollbar.xml");
    return bar;
}

int32_t ScrollPanel::verticalBarThickness() const
{
    return thickness(L"vscrollbar.xml", true);
}

int32_t ScrollPanel::horizontalBarThickness() const
{
    return thickness(L"hscrollbar.xml", false);
}

Size ScrollPanel::measureOverride(Size)
{
    return {0, 0};
}

void ScrollPanel::removeBars()
{
    // deleted outright: a control unlinks itself from its panel and its window on the way out
    ScrollBar* vertical = verticalBar_;
    ScrollBar* horizontal = horizontalBar_;
    verticalBar_ = horizontalBar_ = nullptr;
    delete vertical;
    delete horizontal;
}

ScrollBar* ScrollPanel::addBar(bool vertical)
{
    ScrollBar* bar = createScrollBar(vertical);
    if (!bar || !addChild(bar)) {
        delete bar;
        return nullptr;
    }
    return bar;
}

void ScrollPanel::decideBars(Size size)
{
    const int32_t w = size.width, h = size.height;
    const int32_t vThick = verticalBarThickness(), hThick = horizontalBarThickness();
    const Mode vMode = modeOf(*this, PropertyKey::scrollvertical, Mode::automatic);
    const Mode hMode = modeOf(*this, PropertyKey::scrollhorizontal, Mode::never);
    needVertical_ = vMode == Mode::always;
    needHorizontal_ = hMode == Mode::always;

    if (Control* c = content()) {
        bool measured = false;
        if (vMode == Mode::never) {
            // only the horizontal bar can be needed: the content is as high as the viewport
            if (hMode == Mode::automatic) {
                needHorizontal_ = w < c->measure({kUnbounded, h}).width;
                measured = true;
            }
            if (needHorizontal_) {
                c->measure({kUnbounded, h - hThick});
                measured = true;
            }
        } else if (hMode != Mode::never) {
            // either bar may take room from the other
            const Size desired = c->measure({kUnbounded, kUnbounded});
            measured = true;
            if (w < desired.width) {
                needHorizontal_ = true;
                needVertical_ = needVertical_ || h - hThick < desired.height;
            } else if (h < desired.height) {
                needVertical_ = true;
                needHorizontal_ = needHorizontal_ || w - vThick < desired.width;
            }
        } else {
            // only the vertical bar can be needed: the content is as wide as the viewport
            if (vMode == Mode::automatic) {
                needVertical_ = h < c->measure({w, kUnbounded}).height;
                measured = true;
            }
            if (needVertical_) {
                c->measure({w - vThick, kUnbounded});
                measured = true;
            }
        }
        // with neither bar possible the content is still laid out, within the viewport
        if (!measured)
            c->measure({w, h});
    }

    if (needVertical_ && (verticalBar_ = addBar(true)))
        verticalBar_->measure({vThick, needHorizontal_ ? h - hThick : h});
    if (needHorizontal_ && (horizontalBar_ = addBar(false)))
        horizontalBar_->measure({needVertical_ ? w - vThick : w, hThick});
}

Size ScrollPanel::arrangeOverride(Size finalSize)
{
    // bars: made afresh for this size, at the positions the old ones had
    const int32_t verticalPosition = verticalBar_ ? verticalBar_->position : 0;
    const int32_t horizontalPosition = horizontalBar_ ? horizontalBar_->position : 0;
    removeBars();
    decideBars(finalSize);

    const int32_t w = finalSize.width, h = finalSize.height;
    const int32_t vThick = verticalBar_ ? verticalBarThickness() : 0;
    const int32_t hThick = horizontalBar_ ? horizontalBarThickness() : 0;
    if (verticalBar_)
        verticalBar_->arrange({w - vThick, 0, w, h - hThick});
    if (horizontalBar_)
        horizontalBar_->arrange({0, h - hThick, w - vThick, h});

    // content: at least the viewport, at most what it asks for beyond it
    const Size viewport{w - vThick, h - hThick};
    contentRect_ = {};
    extent_ = {};
    if (Control* c = content()) {
        extent_ = {std::max(c->desiredSize.width, viewport.width), std::max(c->desiredSize.height, viewport.height)};
        c->arrange({0, 0, extent_.width, extent_.height});
        contentRect_ = c->rect;
    }

    // each bar scrolls the content's extent through the viewport
    if (ScrollBar* bar = verticalBar_) {
        bar->range = extent_.height;
        bar->page = viewport.height;
        bar->EnsurePosition(verticalPosition);
    }
    if (ScrollBar* bar = horizontalBar_) {
        bar->range = extent_.width;
        bar->page = viewport.width;
        bar->EnsurePosition(horizontalPosition);
    }
    return finalSize;
}

void ScrollPanel::scrollTo(bool vertical, int32_t p)
{
    ScrollBar* bar = vertical ? verticalBar_ : horizontalBar_;
    Control* c = content();
    if (!bar || !c)
        return;
    bar->EnsurePosition(p);
    // the content keeps its size; only its edge along this axis moves
    Rect moved = c->rect;
    if (vertical) {
        moved.top = contentRect_.top - bar->position;
        moved.bottom = moved.top + contentRect_.height();
    } else {
        moved.left = contentRect_.left - bar->position;
        moved.right = moved.left + contentRect_.width();
    }
    c->rect = moved;
    invalidate();
}
