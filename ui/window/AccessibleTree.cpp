// The accessibility view of a control tree: exposure, roles, names, values, states and actions.
#include "AccessibleTree.h"

#include "TabOrder.h"

#include <ControlHost.h>
#include <Panel.h>
#include <PropertyKey.h>

#include <oleacc.h>

#include <functional>

namespace accessible {

namespace {

// MSAA's role for each of ours, in the order of AccessRole.
constexpr LONG kRoles[] = {
    ROLE_SYSTEM_CLIENT, ROLE_SYSTEM_PUSHBUTTON, ROLE_SYSTEM_CHECKBUTTON, ROLE_SYSTEM_RADIOBUTTON,
    ROLE_SYSTEM_PAGETAB, ROLE_SYSTEM_LINK, ROLE_SYSTEM_STATICTEXT, ROLE_SYSTEM_TEXT,
    ROLE_SYSTEM_PROGRESSBAR, ROLE_SYSTEM_SLIDER, ROLE_SYSTEM_COMBOBOX, ROLE_SYSTEM_LIST,
    ROLE_SYSTEM_LISTITEM, ROLE_SYSTEM_PAGETABLIST, ROLE_SYSTEM_SCROLLBAR, ROLE_SYSTEM_GRAPHIC,
    ROLE_SYSTEM_GROUPING, ROLE_SYSTEM_PROPERTYPAGE,
};
static_assert(sizeof(kRoles) / sizeof(kRoles[0]) == size_t(AccessRole::page) + 1, "one MSAA role per AccessRole");

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

bool isPanel(const Control* control)
{
    return control->hasFlags(Flag::container);
}

// A plain caption: a static label with text and without an id (labels with ids carry values the
// script writes, such as a percentage).
bool isCaption(const Control* control)
{
    return control->kind().role == AccessRole::staticText && !control->intProperties.has(PropertyKey::id) &&
           textOf(control) && control->hasFlags(Flag::visible);
}

void forEachChild(const Control* control, const std::function<void(Control*)>& visit)
{
    if (!isPanel(control))
        return;
    for (Control* c = static_cast<const Panel*>(control)->firstChild(); c; c = c->nextSibling())
        visit(c);
    // a tab control's selected page, kept out of its child list
    if (Control* page = control->unlistedPage())
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
    const ControlKind kind = control->kind();
    switch (kind.shown) {
    case AccessShown::never:
        return false;
    case AccessShown::withText:
        return textOf(control) != nullptr;
    case AccessShown::byRole:
        break;
    }
    // a plain Control (a skin background) is decoration; everything with a role of its own shows
    return kind.role != AccessRole::none;
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
    return kRoles[size_t(control->kind().role)];
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
    std::wstring ignored;
    return control->accessibleValue(ignored);
}

std::wstring value(const Control* control)
{
    std::wstring out;
    control->accessibleValue(out);
    return out;
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
    const ControlKind kind = control->kind();
    const LONG r = kRoles[size_t(kind.role)];
    // focusable as the Tab order sees it: a stop by kind or by markup
    if (TabOrder::canHoldFocus(control) && enabled)
        bits |= STATE_SYSTEM_FOCUSABLE;
    if (host && host->focusedControl() == control)
        bits |= STATE_SYSTEM_FOCUSED;
    if ((r == ROLE_SYSTEM_CHECKBUTTON || r == ROLE_SYSTEM_RADIOBUTTON) && control->hasFlags(Flag::checked))
        bits |= STATE_SYSTEM_CHECKED;
    if ((r == ROLE_SYSTEM_PAGETAB || r == ROLE_SYSTEM_LISTITEM) && control->hasFlags(Flag::checked))
        bits |= STATE_SYSTEM_SELECTED;
    if (r == ROLE_SYSTEM_PUSHBUTTON && kind.latches && control->hasFlags(Flag::checked))
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
