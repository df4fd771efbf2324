// The accessibility view of a control tree: exposure, roles, names, values, states and actions.
#include "AccessibleTree.h"

#include "ComboBox.h"
#include "TitleBar.h"
#include "WebBrowser.h"

#include <ControlHost.h>
#include <Panel.h>
#include <PropertyKey.h>

#include <CheckBox.h>
#include <Drawing.h>
#include <Edit.h>
#include <ImageButton.h>
#include <Label.h>
#include <LinkLabel.h>
#include <ListBox.h>
#include <ListItem.h>
#include <PowerPoint.h>
#include <ProgressBar.h>
#include <RadioButton.h>
#include <ScrollBar.h>
#include <Seperator.h>
#include <Slider.h>
#include <TabControl.h>
#include <TabItem.h>
#include <TextBox.h>
#include <ToggleButton.h>

#include <oleacc.h>

#include <functional>

namespace accessible {

namespace {

template <class T>
bool is(const Control* control)
{
    return dynamic_cast<const T*>(control) != nullptr;
}

const std::wstring* textOf(const Control* control)
{
    const std::wstring* text = control->textProperties.get(PropertyKey::text);
    return text && !text->empty() ? text : nullptr;
}

const std::wstring* explicitName(const Control* control)
{
    const std::wstring* name = control->textProperties.get(PropertyKey::accName);
    return name && !name->empty() ? name : nullptr;
}

bool shownWithAncestors(const Control* control)
{
    for (const Control* c = control; c; c = c->parent()) {
        if (!c->hasFlags(Flag::visible) || c->hasFlags(Flag::collapsed))
            return false;
    }
    return true;
}

// A label the installer's script made clickable (it cleared mouseTransparent) acts as a link.
bool isLink(const Control* control)
{
    return is<LinkLabel>(control) || (is<Label>(control) && !control->hasFlags(Flag::mouseTransparent));
}

bool isPanel(const Control* control)
{
    return control->hasFlags(Flag::container) && is<Panel>(control);
}

// A plain caption: a static label with text and without an id (labels with ids carry values the
// script writes, such as a percentage).
bool isCaption(const Control* control)
{
    return is<Label>(control) && !isLink(control) && !control->intProperties.has(PropertyKey::id) &&
           textOf(control) && control->hasFlags(Flag::visible);
}

// The page a tab control shows beside its tab items: kept out of its child list.
Control* selectedTabPage(const Control* control)
{
    const TabControl* tabs = dynamic_cast<const TabControl*>(control);
    if (!tabs)
        return nullptr;
    for (Control* c = tabs->firstChild(); c; c = c->nextSibling()) {
        if (TabItem* item = dynamic_cast<TabItem*>(c); item && item->hasFlags(Flag::checked))
            return item->content;
    }
    return nullptr;
}

void forEachChild(const Control* control, const std::function<void(Control*)>& visit)
{
    if (!isPanel(control))
        return;
    for (Control* c = static_cast<const Panel*>(control)->firstChild(); c; c = c->nextSibling())
        visit(c);
    if (Control* page = selectedTabPage(control))
        visit(page);
}

void collect(const Control* control, std::vector<Control*>& out, bool withHidden)
{
    forEachChild(control, [&](Control* child) {
        if (!withHidden && !child->hasFlags(Flag::visible))
            return;
        if (meaningful(child))
            out.push_back(child);
        else if (isPanel(child))
            collect(child, out, withHidden);
    });
}

} // namespace

bool meaningful(const Control* control)
{
    if (!control)
        return false;
    if (explicitName(control))
        return true;
    if (isPanel(control)) {
        // panels with an id are the pages a script switches; lists, tabs and scroll panels count
        return control->intProperties.has(PropertyKey::id) || is<ListBox>(control) || is<TabControl>(control);
    }
    if (is<Seperator>(control) || is<TitleBar>(control) || is<WebBrowser>(control) || is<PowerPoint>(control) ||
        is<Drawing>(control))
        return false;
    if (is<Label>(control))
        return textOf(control) != nullptr;
    // a plain Control (a skin background) is decoration; everything with a role of its own shows
    return role(control) != ROLE_SYSTEM_CLIENT;
}

bool exposed(const Control* control)
{
    return meaningful(control) && shownWithAncestors(control);
}

std::vector<Control*> children(const Control* control)
{
    std::vector<Control*> out;
    if (control)
        collect(control, out, false);
    return out;
}

Control* parent(const Control* control, const Control* root)
{
    if (!control || control == root)
        return nullptr;
    for (Control* p = control->parent(); p; p = p->parent()) {
        if (p == root || meaningful(p))
            return p;
    }
    return nullptr;
}

LONG role(const Control* control)
{
    if (is<CheckBox>(control))
        return ROLE_SYSTEM_CHECKBUTTON;
    if (is<RadioButton>(control))
        return ROLE_SYSTEM_RADIOBUTTON;
    if (is<TabItem>(control))
        return ROLE_SYSTEM_PAGETAB;
    if (is<Button>(control))
        return ROLE_SYSTEM_PUSHBUTTON;
    if (isLink(control))
        return ROLE_SYSTEM_LINK;
    if (is<Label>(control))
        return ROLE_SYSTEM_STATICTEXT;
    if (is<TextBox>(control) || is<Edit>(control))
        return ROLE_SYSTEM_TEXT;
    if (is<ProgressBar>(control))
        return ROLE_SYSTEM_PROGRESSBAR;
    if (is<Slider>(control))
        return ROLE_SYSTEM_SLIDER;
    if (is<ComboBox>(control))
        return ROLE_SYSTEM_COMBOBOX;
    if (is<ListBox>(control))
        return ROLE_SYSTEM_LIST;
    if (is<ListItem>(control))
        return ROLE_SYSTEM_LISTITEM;
    if (is<TabControl>(control))
        return ROLE_SYSTEM_PAGETABLIST;
    if (is<ScrollBar>(control))
        return ROLE_SYSTEM_SCROLLBAR;
    if (is<PowerPoint>(control) || is<Drawing>(control))
        return ROLE_SYSTEM_GRAPHIC;
    if (isPanel(control))
        return control->intProperties.has(PropertyKey::id) ? ROLE_SYSTEM_PROPERTYPAGE : ROLE_SYSTEM_GROUPING;
    return ROLE_SYSTEM_CLIENT;
}

std::wstring name(const Control* control)
{
    if (const std::wstring* name = explicitName(control))
        return *name;
    LONG r = role(control);
    if (r == ROLE_SYSTEM_TEXT || r == ROLE_SYSTEM_PROGRESSBAR || r == ROLE_SYSTEM_SLIDER || r == ROLE_SYSTEM_COMBOBOX ||
        r == ROLE_SYSTEM_LIST) {
        // the caption placed before it, as a sighted user reads the page
        for (const Control* c = control->previousSibling(); c; c = c->previousSibling()) {
            if (isCaption(c))
                return *textOf(c);
        }
        return {};
    }
    if (r == ROLE_SYSTEM_PROPERTYPAGE) {
        // a page is called by its heading, the first plain caption on it
        const Control* heading = nullptr;
        std::function<void(Control*)> look = [&](Control* c) {
            if (heading)
                return;
            if (isCaption(c))
                heading = c;
            else
                forEachChild(c, look);
        };
        forEachChild(control, look);
        return heading ? *textOf(heading) : std::wstring();
    }
    if (const std::wstring* text = textOf(control))
        return *text;
    return {};
}

bool hasValue(const Control* control)
{
    return is<TextBox>(control) || is<Edit>(control) || is<ComboBox>(control) || is<ProgressBar>(control) ||
           is<Slider>(control);
}

std::wstring value(const Control* control)
{
    if (const TextBox* box = dynamic_cast<const TextBox*>(control))
        return box->text();
    if (const Edit* edit = dynamic_cast<const Edit*>(control))
        return edit->getText();
    if (is<ComboBox>(control)) {
        const std::wstring* text = control->textProperties.get(PropertyKey::text);
        return text ? *text : std::wstring();
    }
    if (const ProgressBar* bar = dynamic_cast<const ProgressBar*>(control)) {
        int64_t range = bar->range();
        int64_t position = bar->position();
        int64_t percent = range > 0 && position > 0 ? position * 100 / range : 0;
        return std::to_wstring(percent > 100 ? 100 : percent) + L"%";
    }
    if (const Slider* slider = dynamic_cast<const Slider*>(control))
        return std::to_wstring(slider->value);
    return {};
}

LONG state(const Control* control, const ControlHost* host)
{
    LONG bits = 0;
    bool enabled = true;
    for (const Control* c = control; c; c = c->parent())
        enabled = enabled && c->hasFlags(Flag::enabled);
    if (!enabled)
        bits |= STATE_SYSTEM_UNAVAILABLE;
    if (!shownWithAncestors(control))
        bits |= STATE_SYSTEM_INVISIBLE;
    LONG r = role(control);
    bool interactive = r == ROLE_SYSTEM_PUSHBUTTON || r == ROLE_SYSTEM_CHECKBUTTON || r == ROLE_SYSTEM_RADIOBUTTON ||
                       r == ROLE_SYSTEM_LINK || r == ROLE_SYSTEM_TEXT || r == ROLE_SYSTEM_SLIDER ||
                       r == ROLE_SYSTEM_COMBOBOX || r == ROLE_SYSTEM_LIST || r == ROLE_SYSTEM_PAGETAB;
    if (interactive && enabled)
        bits |= STATE_SYSTEM_FOCUSABLE;
    if (host && host->focusedControl() == control)
        bits |= STATE_SYSTEM_FOCUSED;
    if ((r == ROLE_SYSTEM_CHECKBUTTON || r == ROLE_SYSTEM_RADIOBUTTON) && control->hasFlags(Flag::checked))
        bits |= STATE_SYSTEM_CHECKED;
    if ((r == ROLE_SYSTEM_PAGETAB || r == ROLE_SYSTEM_LISTITEM) && control->hasFlags(Flag::checked))
        bits |= STATE_SYSTEM_SELECTED;
    if (r == ROLE_SYSTEM_PUSHBUTTON && is<ToggleButton>(control) && control->hasFlags(Flag::checked))
        bits |= STATE_SYSTEM_PRESSED;
    if (r == ROLE_SYSTEM_LINK)
        bits |= STATE_SYSTEM_LINKED;
    if (r == ROLE_SYSTEM_STATICTEXT || r == ROLE_SYSTEM_PROGRESSBAR)
        bits |= STATE_SYSTEM_READONLY;
    if (control->hasFlags(Flag::hovered))
        bits |= STATE_SYSTEM_HOTTRACKED;
    return bits;
}

Action defaultAction(const Control* control)
{
    switch (role(control)) {
    case ROLE_SYSTEM_PUSHBUTTON:
        return Action::press;
    case ROLE_SYSTEM_CHECKBUTTON:
        return Action::toggle;
    case ROLE_SYSTEM_RADIOBUTTON:
        return Action::check;
    case ROLE_SYSTEM_LINK:
        return Action::jump;
    case ROLE_SYSTEM_PAGETAB:
    case ROLE_SYSTEM_LISTITEM:
        return Action::select;
    default:
        return Action::none;
    }
}

std::wstring actionName(const Control* control)
{
    switch (defaultAction(control)) {
    case Action::press:
        return L"Press";
    case Action::toggle:
        return control->hasFlags(Flag::checked) ? L"Uncheck" : L"Check";
    case Action::check:
        return L"Check";
    case Action::jump:
        return L"Jump";
    case Action::select:
        return L"Select";
    case Action::none:
        break;
    }
    return {};
}

LONG childId(const Control* control)
{
    // serials count the controls made in the process; two billion of them is beyond any skin
    return -LONG(control->serial() & 0x7FFFFFFF);
}

Control* findByChildId(Control* root, LONG id)
{
    if (!root || id >= 0)
        return nullptr;
    if (childId(root) == id)
        return root;
    Control* found = nullptr;
    forEachChild(root, [&](Control* child) {
        if (!found)
            found = findByChildId(child, id);
    });
    return found;
}

Control* hitTest(Control* root, Point client)
{
    Control* hit = nullptr;
    std::function<void(Control*)> walk = [&](Control* control) {
        if (!control->hasFlags(Flag::visible))
            return;
        Rect area;
        if (!control->absoluteRect(area) || !area.contains(client))
            return;
        if (meaningful(control))
            hit = control;
        // later siblings lie on top: the last one containing the point wins
        forEachChild(control, walk);
    };
    if (root)
        walk(root);
    return hit;
}

} // namespace accessible
