// What a kind of control is to the keyboard, to screen readers and to scripts. Each control class
// says it once, in Control::kind() and the few faces below; the window's Tab order, its keyboard
// navigation, the accessibility view and the script layer read it and know no control class.
#pragma once

#include <cstdint>
#include <string>

// How the keyboard works a control that holds the focus.
enum class KeyAction : uint8_t {
    none,     // the keys are the control's own business (a text box, a list)
    click,    // Space presses on the way down and clicks on the way up, Enter clicks at once (buttons)
    select,   // Space and Enter select it at once through Control::selectByKey (a tab item)
    press,    // Enter gives it the press the mouse would, at its centre (a link)
};

// The role screen readers announce; `none` is decoration (MSAA's client role).
enum class AccessRole : uint8_t {
    none, pushButton, checkButton, radioButton, pageTab, link, staticText, text, progressBar,
    slider, comboBox, list, listItem, pageTabList, scrollBar, graphic, grouping, page,
};

// When screen readers see a control that has no `accName` (with one, they always do).
enum class AccessShown : uint8_t {
    byRole,     // when its role is not `none`
    withText,   // when its `text` is not empty (a label)
    never,      // a layout panel, an image, a slide show: their content speaks for them
};

struct ControlKind {
    // A Tab stop without a `tabIndex` (while enabled and shown).
    bool tabStop = false;
    // One Tab stop with its siblings of the same mark; the arrows move inside the group.
    bool radioGroup = false;
    KeyAction keyAction = KeyAction::none;
    AccessRole role = AccessRole::none;
    AccessShown shown = AccessShown::byRole;
    // A push button that stays down while checked (screen readers hear "pressed").
    bool latches = false;
    // Scripts read and set its checked state (getCheck, setCheck): buttons of every kind.
    bool scriptCheck = false;

    // A kind that has a role and nothing else; the same as a Tab stop.
    static ControlKind of(AccessRole role)
    {
        ControlKind kind;
        kind.role = role;
        return kind;
    }
    static ControlKind stop(AccessRole role)
    {
        ControlKind kind = of(role);
        kind.tabStop = true;
        return kind;
    }
};

// --- the faces a kind may show scripts beyond the common methods; a control offering one
// implements it, and the script layer gives its object the matching methods ---

// Keeps its text itself (bounded, with a caret), not in the `text` property: getText, setText.
class OwnText {
public:
    virtual std::wstring ownText() const = 0;
    virtual void setOwnText(std::wstring_view text) = 0;

protected:
    ~OwnText() = default;
};

// A list of text items: addItem.
class ItemList {
public:
    virtual void appendItem(const std::wstring& text) = 0;

protected:
    ~ItemList() = default;
};

// A value 0 … 100 the user picks: getValue, setValue.
class PickedValue {
public:
    virtual int32_t pickedValue() const = 0;
    virtual void pickValue(int32_t value) = 0;

protected:
    ~PickedValue() = default;
};

// A bar filling up: setRange, setPosition.
class FillLevel {
public:
    virtual void setFillRange(int32_t range) = 0;
    virtual void setFillPosition(int32_t position) = 0;

protected:
    ~FillLevel() = default;
};

// A show of pictures: playStart, playStop.
class SlidePlayer {
public:
    virtual void startShow() = 0;
    virtual void stopShow() = 0;

protected:
    ~SlidePlayer() = default;
};
