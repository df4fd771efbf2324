// TabOrder: the walk of the tree in document order, the stop rules and radio groups.
#include "TabOrder.h"

#include <KeyboardKeys.h>
#include <Panel.h>

#include <algorithm>

namespace {

bool isRadio(const Control* control)
{
    return control->kind().radioGroup;
}

bool shown(const Control* control)
{
    return control->hasFlags(Flag::visible) && !control->hasFlags(Flag::collapsed);
}

struct Candidate {
    Control* control;
    int32_t tabIndex;
};

// Depth first in markup order through the shown part of the tree. A stop is not entered: the
// items of a list box are its own business.
void collect(Control* control, std::vector<Candidate>& out)
{
    if (!shown(control))
        return;
    auto* panel = control->hasFlags(Flag::container) ? static_cast<Panel*>(control) : nullptr;
    const int32_t* given = control->intProperties.get(KeyboardKey::tabIndex);
    if (TabOrder::isStopKind(control) || (given && !panel)) {
        const int32_t index = given ? *given : 0;
        if (control->hasFlags(Flag::enabled) && index >= 0)
            out.push_back({control, index});
        return;
    }
    if (!panel)
        return;
    for (Control* child = panel->firstChild(); child; child = child->nextSibling())
        collect(child, out);
    // a tab control keeps its pages outside the child list
    if (Control* page = panel->unlistedPage())
        collect(page, out);
}

} // namespace

namespace TabOrder {

bool isStopKind(const Control* control)
{
    return control->kind().tabStop;
}

bool canHoldFocus(const Control* control)
{
    if (isStopKind(control))
        return true;
    const int32_t* given = control->intProperties.get(KeyboardKey::tabIndex);
    return given && *given >= 0 && !control->hasFlags(Flag::container);
}

std::vector<Control*> stops(Control* root, const Control* focused)
{
    std::vector<Candidate> candidates;
    if (root)
        collect(root, candidates);
    // positive indexes first, lowest first; the rest keep document order
    std::stable_sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        const bool aFirst = a.tabIndex > 0, bFirst = b.tabIndex > 0;
        if (aFirst != bFirst)
            return aFirst;
        return aFirst && a.tabIndex < b.tabIndex;
    });

    // one stop per radio group, at its first member's place
    std::vector<Control*> out;
    std::vector<const Control*> groupsSeen;   // the parents of the groups already placed
    for (const Candidate& candidate : candidates) {
        Control* control = candidate.control;
        if (!isRadio(control)) {
            out.push_back(control);
            continue;
        }
        const Control* group = control->parent();
        if (std::find(groupsSeen.begin(), groupsSeen.end(), group) != groupsSeen.end())
            continue;
        groupsSeen.push_back(group);
        Control* standIn = nullptr;
        for (const Candidate& member : candidates) {
            if (!isRadio(member.control) || member.control->parent() != group)
                continue;
            if (member.control == focused) {
                standIn = member.control;
                break;
            }
            if (!standIn || (member.control->hasFlags(Flag::checked) && !standIn->hasFlags(Flag::checked)))
                standIn = member.control;
        }
        out.push_back(standIn);
    }
    return out;
}

Control* next(Control* root, Control* from, bool backward)
{
    const std::vector<Control*> order = stops(root, from);
    if (order.empty())
        return nullptr;
    auto at = std::find(order.begin(), order.end(), from);
    if (at == order.end())
        return backward ? order.back() : order.front();
    const size_t count = order.size(), index = size_t(at - order.begin());
    return order[backward ? (index + count - 1) % count : (index + 1) % count];
}

Control* nextInGroup(Control* from, bool backward)
{
    if (!isRadio(from) || !from->parent())
        return nullptr;
    std::vector<Candidate> candidates;
    collect(from->parent(), candidates);
    std::vector<Control*> group;
    for (const Candidate& candidate : candidates) {
        if (isRadio(candidate.control) && candidate.control->parent() == from->parent())
            group.push_back(candidate.control);
    }
    auto at = std::find(group.begin(), group.end(), from);
    if (at == group.end() || group.size() < 2)
        return nullptr;
    const size_t count = group.size(), index = size_t(at - group.begin());
    return group[backward ? (index + count - 1) % count : (index + 1) % count];
}

} // namespace TabOrder
