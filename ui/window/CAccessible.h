// The MSAA object of a host window's client area or of one control in it.
#pragma once

#include <Control.h>
#include <HeldControl.h>
#include <platform/Com.h>

#include <oleacc.h>

#include <memory>

class WindowImpl;

// Holds no reference that could dangle: the window through its alive token, the control by
// address and serial, both checked before every use. Once the window or the control is gone
// (destroyed, detached, or its address reused by another control) every call answers
// CO_E_OBJNOTCONNECTED. Children are objects of their own, reached by 1-based position or by the
// negative child id that window events carry. UI thread only (the host window's apartment).
class CAccessible final : public IAccessible {
public:
    // The client object (control null: the window's root) or the object of a control.
    static platform::ComPtr<CAccessible> create(WindowImpl& window, Control* control);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch: no type information; MSAA clients call the IAccessible methods directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;
    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

private:
    CAccessible(WindowImpl& window, Control* control);
    ~CAccessible() = default;

    // The window, or null once it is gone.
    WindowImpl* window() const;
    // This object's control (the current root for the client object), or null once it is gone.
    Control* control() const;
    // The control a child argument names: CHILDID_SELF, a 1-based position among this object's
    // exposed children, or a negative child id of the window's tree.
    HRESULT resolve(const VARIANT& child, Control*& out) const;
    bool isClient(const Control* control) const;
    // The object for a control: the client object for the root.
    HRESULT objectFor(Control* control, IDispatch** out) const;
    // Puts a control into a VARIANT as MSAA expects: CHILDID_SELF for this one, else its object.
    HRESULT variantFor(Control* control, VARIANT* out) const;

    LONG refs_ = 1;
    WindowImpl* window_;             // not owned; valid while *alive_
    std::shared_ptr<bool> alive_;
    HeldControl control_;            // empty for the client object
};
