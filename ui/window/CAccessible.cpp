// CAccessible: one control of a host window as MSAA sees it.
#include "CAccessible.h"

#include "AccessibleTree.h"
#include "WindowImpl.h"

#include <platform/SystemApis.h>

#include <algorithm>
#include <new>

namespace {

BSTR copyOf(const std::wstring& text)
{
    return SysAllocStringLen(text.data(), UINT(text.size()));
}

// Answers a string property: S_FALSE with null for an empty text, as MSAA clients expect.
HRESULT answer(const std::wstring& text, BSTR* out)
{
    if (text.empty())
        return S_FALSE;
    *out = copyOf(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

} // namespace

platform::ComPtr<CAccessible> CAccessible::create(WindowImpl& window, Control* control)
{
    return platform::ComPtr<CAccessible>(new (std::nothrow) CAccessible(window, control));
}

CAccessible::CAccessible(WindowImpl& window, Control* control)
    : window_(&window), alive_(window.alive()), control_(control)
{
}

// --- IUnknown and IDispatch ---

HRESULT CAccessible::QueryInterface(REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
        *out = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

ULONG CAccessible::AddRef()
{
    return ULONG(InterlockedIncrement(&refs_));
}

ULONG CAccessible::Release()
{
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0)
        delete this;
    return ULONG(left);
}

HRESULT CAccessible::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT CAccessible::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT CAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

HRESULT CAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return E_NOTIMPL;
}

// --- resolving ---

WindowImpl* CAccessible::window() const
{
    return *alive_ && window_->hwnd ? window_ : nullptr;
}

Control* CAccessible::control() const
{
    WindowImpl* window = this->window();
    if (!window)
        return nullptr;
    if (control_.empty())
        return Control::isAttached(window->root()) ? window->root() : nullptr;
    return control_.get(static_cast<ControlHost*>(window));
}

bool CAccessible::isClient(const Control* control) const
{
    WindowImpl* window = this->window();
    return window && control == window->root();
}

HRESULT CAccessible::resolve(const VARIANT& child, Control*& out) const
{
    out = nullptr;
    Control* self = control();
    if (!self)
        return CO_E_OBJNOTCONNECTED;
    if (child.vt != VT_I4)
        return E_INVALIDARG;
    LONG id = child.lVal;
    if (id == CHILDID_SELF) {
        out = self;
        return S_OK;
    }
    if (id > 0) {
        std::vector<Control*> list = accessible::children(self);
        if (size_t(id) > list.size())
            return E_INVALIDARG;
        out = list[size_t(id) - 1];
        return S_OK;
    }
    out = accessible::findByChildId(window()->root(), id);
    return out ? S_OK : E_INVALIDARG;
}

HRESULT CAccessible::objectFor(Control* control, IDispatch** out) const
{
    WindowImpl* window = this->window();
    if (!window)
        return CO_E_OBJNOTCONNECTED;
    platform::ComPtr<CAccessible> object = create(*window, isClient(control) ? nullptr : control);
    if (!object)
        return E_OUTOFMEMORY;
    *out = object.release();
    return S_OK;
}

HRESULT CAccessible::variantFor(Control* control, VARIANT* out) const
{
    if (control == this->control()) {
        out->vt = VT_I4;
        out->lVal = CHILDID_SELF;
        return S_OK;
    }
    IDispatch* object = nullptr;
    HRESULT hr = objectFor(control, &object);
    if (FAILED(hr))
        return hr;
    out->vt = VT_DISPATCH;
    out->pdispVal = object;
    return S_OK;
}

// --- the tree ---

HRESULT CAccessible::get_accParent(IDispatch** parent)
{
    if (!parent)
        return E_POINTER;
    *parent = nullptr;
    Control* self = control();
    if (!self)
        return CO_E_OBJNOTCONNECTED;
    WindowImpl* window = this->window();
    if (isClient(self)) {
        auto fromWindow = platform::systemApis().accessibleObjectFromWindow;
        if (!fromWindow)
            return E_NOTIMPL;
        return fromWindow(window->hwnd, DWORD(OBJID_WINDOW), __uuidof(IDispatch),
                          reinterpret_cast<void**>(parent));
    }
    Control* up = accessible::parent(self, window->root());
    return objectFor(up ? up : window->root(), parent);
}

HRESULT CAccessible::get_accChildCount(long* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    Control* self = control();
    if (!self)
        return CO_E_OBJNOTCONNECTED;
    *count = long(accessible::children(self).size());
    return S_OK;
}

HRESULT CAccessible::get_accChild(VARIANT child, IDispatch** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    Control* target = nullptr;
    HRESULT hr = resolve(child, target);
    if (FAILED(hr))
        return hr;
    return objectFor(target, out);
}

HRESULT CAccessible::get_accFocus(VARIANT* focus)
{
    if (!focus)
        return E_POINTER;
    VariantInit(focus);
    Control* self = control();
    if (!self)
        return CO_E_OBJNOTCONNECTED;
    WindowImpl* window = this->window();
    Control* focused = window->focusedControl();
    if (!focused) {
        if (!isClient(self) || GetFocus() != window->hwnd)
            return S_FALSE;
        focus->vt = VT_I4;
        focus->lVal = CHILDID_SELF;
        return S_OK;
    }
    // only a focus inside this object's subtree is its business
    for (Control* c = focused; c; c = c->parent()) {
        if (c == self)
            return variantFor(focused, focus);
    }
    return S_FALSE;
}

HRESULT CAccessible::get_accSelection(VARIANT* selection)
{
    if (!selection)
        return E_POINTER;
    VariantInit(selection);
    return control() ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT CAccessible::accNavigate(long direction, VARIANT start, VARIANT* end)
{
    if (!end)
        return E_POINTER;
    VariantInit(end);
    Control* from = nullptr;
    HRESULT hr = resolve(start, from);
    if (FAILED(hr))
        return hr;
    WindowImpl* window = this->window();
    if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
        std::vector<Control*> list = accessible::children(from);
        if (list.empty())
            return S_FALSE;
        return variantFor(direction == NAVDIR_FIRSTCHILD ? list.front() : list.back(), end);
    }
    if (direction != NAVDIR_NEXT && direction != NAVDIR_PREVIOUS && direction != NAVDIR_DOWN &&
        direction != NAVDIR_UP)
        return E_NOTIMPL;
    if (isClient(from))
        return S_FALSE;   // the window object's business
    Control* up = accessible::parent(from, window->root());
    std::vector<Control*> siblings = accessible::children(up ? up : window->root());
    auto at = std::find(siblings.begin(), siblings.end(), from);
    if (at == siblings.end())
        return S_FALSE;
    bool forward = direction == NAVDIR_NEXT || direction == NAVDIR_DOWN;
    if (forward ? at + 1 == siblings.end() : at == siblings.begin())
        return S_FALSE;
    return variantFor(forward ? *(at + 1) : *(at - 1), end);
}

HRESULT CAccessible::accHitTest(long x, long y, VARIANT* child)
{
    if (!child)
        return E_POINTER;
    VariantInit(child);
    Control* self = control();
    if (!self)
        return CO_E_OBJNOTCONNECTED;
    POINT point{x, y};
    ScreenToClient(window()->hwnd, &point);
    Rect area;
    if (!self->absoluteRect(area) || !area.contains({int32_t(point.x), int32_t(point.y)}))
        return S_FALSE;
    Control* hit = accessible::hitTest(self, {int32_t(point.x), int32_t(point.y)});
    return variantFor(hit ? hit : self, child);
}

// --- properties ---

HRESULT CAccessible::get_accName(VARIANT child, BSTR* name)
{
    if (!name)
        return E_POINTER;
    *name = nullptr;
    Control* target = nullptr;
    HRESULT hr = resolve(child, target);
    if (FAILED(hr))
        return hr;
    if (isClient(target)) {
        wchar_t title[256] = {};
        GetWindowTextW(window()->hwnd, title, 256);
        return answer(title, name);
    }
    return answer(accessible::name(target), name);
}

HRESULT CAccessible::get_accValue(VARIANT child, BSTR* value)
{
    if (!value)
        return E_POINTER;
    *value = nullptr;
    Control* target = nullptr;
    HRESULT hr = resolve(child, target);
    if (FAILED(hr))
        return hr;
    if (isClient(target) || !accessible::hasValue(target))
        return S_FALSE;
    // an empty text box has the empty string as its value, not none
    *value = copyOf(accessible::value(target));
    return *value ? S_OK : E_OUTOFMEMORY;
}

HRESULT CAccessible::get_accRole(VARIANT child, VARIANT* role)
{
    if (!role)
        return E_POINTER;
    VariantInit(role);
    Control* target = nullptr;
    HRESULT hr = resolve(child, target);
    if (FAILED(hr))
        return hr;
    role->vt = VT_I4;
    role->lVal = isClient(target) ? ROLE_SYSTEM_CLIENT : accessible::role(target);
    return S_OK;
}

HRESULT CAccessible::get_accState(VARIANT child, VARIANT* state)
{
    if (!state)
        return E_POINTER;
    VariantInit(state);
    Control* target = nullptr;
    HRESULT hr = resolve(child, target);
    if (FAILED(hr))
        return hr;
    WindowImpl* window = this->window();
    LONG bits = 0;
    if (isClient(target)) {
        bits = STATE_SYSTEM_FOCUSABLE;
        if (!IsWindowVisible(window->hwnd))
            bits |= STATE_SYSTEM_INVISIBLE;
        if (GetFocus() == window->hwnd && !window->focusedControl())
            bits |= STATE_SYSTEM_FOCUSED;
    } else {
        bits = accessible::state(target, window);
    }
    state->vt = VT_I4;
    state->lVal = bits;
    return S_OK;
}

HRESULT CAccessible::get_accDescription(VARIANT child, BSTR* description)
{
    if (!description)
        return E_POINTER;
    *description = nullptr;
    Control* target = nullptr;
    HRESULT hr = resolve(child, target);
    if (FAILED(hr))
        return hr;
    const std::wstring* tip = target->textProperties.get(PropertyKey::tooltip);
    return answer(tip ? *tip : std::wstring(), description);
}

HRESULT CAccessible::get_accHelp(VARIANT child, BSTR* help)
{
    if (!help)
        return E_POINTER;
    *help = nullptr;
    Control* target = nullptr;
    HRESULT hr = resolve(child, target);
    return FAILED(hr) ? hr : S_FALSE;
}

HRESULT CAccessible::get_accHelpTopic(BSTR* file, VARIANT, long* topic)
{
    if (file)
        *file = nullptr;
    if (topic)
        *topic = 0;
    return control() ? S_FALSE : CO_E_OBJNOTCONNECTED;
}

HRESULT CAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut)
{
    if (!shortcut)
        return E_POINTER;
    *shortcut = nullptr;
    Control* target = nullptr;
    HRESULT hr = resolve(child, target);
    return FAILED(hr) ? hr : S_FALSE;
}

HRESULT CAccessible::get_accDefaultAction(VARIANT child, BSTR* action)
{
    if (!action)
        return E_POINTER;
    *action = nullptr;
    Control* target = nullptr;
    HRESULT hr = resolve(child, target);
    if (FAILED(hr))
        return hr;
    return isClient(target) ? S_FALSE : answer(accessible::actionName(target), action);
}

HRESULT CAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child)
{
    if (!left || !top || !width || !height)
        return E_POINTER;
    *left = *top = *width = *height = 0;
    Control* target = nullptr;
    HRESULT hr = resolve(child, target);
    if (FAILED(hr))
        return hr;
    Rect area;
    if (!target->absoluteRect(area))
        return S_FALSE;
    POINT origin{area.left, area.top};
    ClientToScreen(window()->hwnd, &origin);
    *left = origin.x;
    *top = origin.y;
    *width = area.width();
    *height = area.height();
    return S_OK;
}

// --- actions ---

HRESULT CAccessible::accDoDefaultAction(VARIANT child)
{
    Control* target = nullptr;
    HRESULT hr = resolve(child, target);
    if (FAILED(hr))
        return hr;
    if (isClient(target) || accessible::defaultAction(target) == accessible::Action::none)
        return DISP_E_MEMBERNOTFOUND;
    // a control the mouse could not press cannot be pressed this way either (nor while a modal
    // box has disabled its window)
    if ((accessible::state(target, window()) & (STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_INVISIBLE)) ||
        !IsWindowEnabled(window()->hwnd))
        return E_FAIL;
    // Done later from the message loop: the action may run script handlers that open message
    // boxes, which must not hold the caller's cross-process call open.
    return window()->postAccessibleAction(target) ? S_OK : E_FAIL;
}

HRESULT CAccessible::accSelect(long, VARIANT child)
{
    Control* target = nullptr;
    HRESULT hr = resolve(child, target);
    return FAILED(hr) ? hr : DISP_E_MEMBERNOTFOUND;
}

HRESULT CAccessible::put_accName(VARIANT, BSTR)
{
    return E_NOTIMPL;
}

HRESULT CAccessible::put_accValue(VARIANT, BSTR)
{
    return E_NOTIMPL;
}
