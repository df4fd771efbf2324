// A node of the control tree: tree links, flag word, handlers, state, coordinates and layout steps.
#pragma once

#include "ControlEvent.h"
#include "ControlFlags.h"
#include "ControlKind.h"
#include "Delegate.h"
#include "Geometry.h"
#include "NativeTypes.h"
#include "Object.h"

#include <cstdint>

class ControlHost;
enum class ControlChange;   // ControlHost.h

class Control : public Object {
public:
    static constexpr uint64_t kInitialFlags = Flag::enabled | Flag::visible;

    Control();
    ~Control() override;

    // --- the six operations every class may override (destructor above) ---

    // Draws the style named by the `style` property; nothing without one.
    virtual void paint(DeviceContext dc, const Rect& windowRect, const Rect& clip);
    // This control when visible, not mouse-transparent and `point` (parent coordinates) is inside.
    virtual Control* hitTest(Point point);
    // The name the script API reports.
    virtual const wchar_t* className() const;
    // Desired inner size for an available inner size; a plain control wants nothing.
    virtual Size measureOverride(Size available);
    // The inner size used out of the final one; a plain control uses all of it.
    virtual Size arrangeOverride(Size finalSize);

    // --- what the kind is (ControlKind.h), for the Tab order, the keyboard, screen readers and
    // scripts; a plain control is no stop, has no role and offers only the common methods ---

    virtual ControlKind kind() const;
    // The value screen readers read (a text, a percentage, a position); false when the kind has none.
    virtual bool accessibleValue(std::wstring& out) const;
    // A control laid out here but kept out of the child list (a tab control's shown page), which
    // the Tab order and screen readers visit after the children; null for most kinds.
    virtual Control* unlistedPage() const;
    // What Space and Enter do to a kind whose key action is `select`.
    virtual void selectByKey();
    // Called after the Tab key gave this control the focus.
    virtual void reachedByTab();

    // --- tree and window ---

    // Called on the panel receiving `control`, or on the root by its window (attachRoot): records
    // ids, sends Attached, then attaches the descendants, parents first.
    void attach(Control* control);
    // For the window: makes this parentless control its root and attaches the tree; detachRoot
    // detaches it again (the window then forgets every control of the tree).
    void attachRoot(ControlHost* host);
    void detachRoot();
    // Children first, then `control`: Detached while still attached, then the window forgets it.
    void detach(Control* control);
    // The alive-and-attached test: dispatch, invalidation and coordinates need it.
    static bool isAttached(const Control* control);
    // Tells instances apart that lived at the same address at different times.
    uint64_t serial() const { return serial_; }

    // --- reading the tree and the flag word; they change only through the operations here and
    // in Panel, which keep the window's per-control state in step ---

    Control* parent() const { return parent_; }
    Control* previousSibling() const { return previousSibling_; }
    Control* nextSibling() const { return nextSibling_; }
    // The window hosting the tree while attached, else null.
    ControlHost* window() const { return window_; }
    uint64_t flags() const { return flags_; }
    bool hasFlags(uint64_t mask) const { return (flags_ & mask) == mask; }

    // The states the window keeps in step with its own records: focus (and its visible cue),
    // capture, hover and a press by the keyboard.
    static constexpr uint64_t kRoutingStates =
        Flag::focused | Flag::captured | Flag::hovered | Flag::focusCue | Flag::keyPressed;
    // Bits only the toolkit changes: the routing states, the mark of a script object, and the type
    // marks that decide how the tree is walked and cast.
    static constexpr uint64_t kManagedFlags = kRoutingStates | Flag::scriptObject | Flag::container | Flag::tabItemMark;
    // Sets or clears bits of the flag word with no repaint and no event (a script's writeFlag).
    // False, changing nothing, when the mask holds a managed bit.
    bool writeFlags(uint64_t mask, bool on);
    // For the host window only: its focus, capture and hover records and these bits move together.
    void setRoutingState(uint64_t state, bool on);
    // For the script layer only: whether the control has a script object to unregister.
    void markScriptObject(bool on) { setFlag(Flag::scriptObject, on); }

    // --- state: each does nothing when the state does not change, and requests a repaint ---

    void setEnabled(bool enabled);
    void setVisible(bool visible);
    // Sends ValueChange after the change.
    void setChecked(bool checked);
    // Checks an unchecked control; a checked one stays as it is, silently.
    void check();
    void toggleChecked();
    // Sets the `text` property, which screen readers hear as the name, and repaints.
    void setTextProperty(const std::wstring& text);

    // Repaints the part of the control inside the window's client area: false when not
    // attached or nothing is visible, else the result of the repaint request.
    bool invalidate(bool wait = false);

    // --- coordinates; false and output untouched when not attached ---

    bool absolutePosition(Point& out) const;
    bool absoluteRect(Rect& out) const;
    bool toLocal(Point clientPoint, Point& out) const;
    bool localCursorPosition(Point& out) const;

    // --- events ---

    // False when no delegate cell is free; nothing is registered then.
    bool addHandler(int32_t code, void* target, HandlerFunction function);
    // Disarms and drops the first matching registration; nothing when there is none.
    void removeHandler(int32_t code, void* target, HandlerFunction function);
    // Delivers by the record's direction; the sender reads handled and lparam afterwards.
    void dispatch(ControlEvent& event);
    // Sends a Direct event made of these fields (ValueChange, Notify ...). A handler may delete
    // this control: the caller touches nothing of it afterwards unless it checks.
    void send(int32_t code, uint64_t wparam = 0, int64_t lparam = 0);
    // Posts a Direct event of `code` (a Click), delivered from the message loop while this
    // control is still attached as the same instance; false when it cannot be posted.
    bool post(int32_t code);

    // --- layout ---

    Size measure(Size available);
    void arrange(const Rect& slot);

    Rect rect;                            // relative to the parent; a root sits at (0, 0)
    Size desiredSize;                     // margins included
    HandlerMap handlers;

protected:
    explicit Control(uint64_t initialFlags);
    void setFlag(uint64_t mask, bool on);
    // Tells the hosting window (while attached) that something screen readers follow changed.
    void announce(ControlChange change);

private:
    friend class Panel;   // links and unlinks children

    Control* parent_ = nullptr;            // not owned: the parent owns its children
    Control* previousSibling_ = nullptr;   // not owned
    Control* nextSibling_ = nullptr;       // not owned
    ControlHost* window_ = nullptr;        // not owned; set while attached
    uint64_t flags_;
    uint64_t serial_;
};
