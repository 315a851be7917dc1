#include "ui/accessible_control.h"

#include <unordered_map>

namespace lite {
namespace {

// Every control with an AccessibleControl, for its window procedure.
// Touched on the user-interface thread only.
std::unordered_map<HWND, AccessibleControl*>& AccessibleControls() {
  static std::unordered_map<HWND, AccessibleControl*> controls;
  return controls;
}

bool IsSelf(const VARIANT& child) {
  return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

}  // namespace

AccessibleControl::AccessibleControl(HWND control) : window_(control) {
  if (FAILED(::AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible), standard_.receive_void()))) {
    standard_.reset();
  }
  AccessibleControls()[control] = this;
  previous_procedure_ = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
      control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AccessibleControl::WindowProc)));
}

AccessibleControl::~AccessibleControl() {
  // A WM_GETOBJECT answer that no client claimed (or a client still holding
  // on) keeps a reference to this object in COM; cut it now, while the
  // object can still take the release, rather than when COM shuts down.
  ::CoDisconnectObject(static_cast<IAccessible*>(this), 0);
  const auto found = AccessibleControls().find(window_);
  if (found != AccessibleControls().end() && found->second == this) {
    AccessibleControls().erase(found);
  }
  // Only while this procedure is still the window's: one installed above
  // it would lose its place.
  if (::IsWindow(window_) && previous_procedure_ &&
      ::GetWindowLongPtrW(window_, GWLP_WNDPROC) ==
          reinterpret_cast<LONG_PTR>(&AccessibleControl::WindowProc)) {
    ::SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_procedure_));
  }
}

void AccessibleControl::SetAccessibleInfo(LONG role, const std::wstring& name,
                                          const std::wstring& description) {
  role_ = role;
  name_ = name;
  description_ = description;
}

void AccessibleControl::SetAccessibleValue(int percent) {
  value_ = std::to_wstring(percent) + L"%";
  ::NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, window_, OBJID_CLIENT, CHILDID_SELF);
}

// static
LRESULT CALLBACK AccessibleControl::WindowProc(HWND window, UINT message, WPARAM wparam,
                                               LPARAM lparam) {
  const auto found = AccessibleControls().find(window);
  if (found == AccessibleControls().end()) return ::DefWindowProcW(window, message, wparam, lparam);
  AccessibleControl* control = found->second;
  // Without a name or role there is nothing to add to the system's answer.
  if (message == WM_GETOBJECT && static_cast<LONG>(lparam) == OBJID_CLIENT &&
      (!control->name_.empty() || control->role_ != 0)) {
    return ::LresultFromObject(__uuidof(IAccessible), wparam, static_cast<IAccessible*>(control));
  }
  return ::CallWindowProcW(control->previous_procedure_, window, message, wparam, lparam);
}

template <typename Method, typename... Args>
HRESULT AccessibleControl::Forward(Method method, Args... args) {
  IAccessible* standard = standard_.get();
  return standard ? (standard->*method)(args...) : E_NOTIMPL;
}

HRESULT AccessibleControl::GetText(const std::wstring& own, VARIANT child, BSTR* text,
                                   HRESULT (STDMETHODCALLTYPE IAccessible::*method)(VARIANT,
                                                                                    BSTR*)) {
  if (!text) return E_INVALIDARG;
  if (IsSelf(child) && !own.empty()) {
    *text = ::SysAllocString(own.c_str());
    return *text ? S_OK : E_OUTOFMEMORY;
  }
  return Forward(method, child, text);
}

HRESULT AccessibleControl::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_INVALIDARG;
  if (iid == __uuidof(IAccessible) || iid == __uuidof(IDispatch) || iid == __uuidof(IUnknown)) {
    *object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return standard_ ? standard_->QueryInterface(iid, object) : E_NOINTERFACE;
}

ULONG AccessibleControl::AddRef() {
  return standard_ ? standard_->AddRef() : 1;
}

ULONG AccessibleControl::Release() {
  return standard_ ? standard_->Release() : 1;
}

HRESULT AccessibleControl::GetTypeInfoCount(UINT* count) {
  if (!count) return E_INVALIDARG;
  return Forward(&IAccessible::GetTypeInfoCount, count);
}

HRESULT AccessibleControl::GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) {
  if (!info) return E_INVALIDARG;
  return Forward(&IAccessible::GetTypeInfo, index, locale, info);
}

HRESULT AccessibleControl::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                         DISPID* ids) {
  if (!ids) return E_INVALIDARG;
  return Forward(&IAccessible::GetIDsOfNames, iid, names, count, locale, ids);
}

HRESULT AccessibleControl::Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                  DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                  UINT* argument_error) {
  return Forward(&IAccessible::Invoke, id, iid, locale, flags, params, result, exception,
                 argument_error);
}

HRESULT AccessibleControl::get_accParent(IDispatch** parent) {
  if (!parent) return E_INVALIDARG;
  return Forward(&IAccessible::get_accParent, parent);
}

HRESULT AccessibleControl::get_accChildCount(LONG* count) {
  if (!count) return E_INVALIDARG;
  return Forward(&IAccessible::get_accChildCount, count);
}

HRESULT AccessibleControl::get_accChild(VARIANT child, IDispatch** object) {
  if (!object) return E_INVALIDARG;
  if (IsSelf(child)) {
    *object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  return Forward(&IAccessible::get_accChild, child, object);
}

HRESULT AccessibleControl::get_accName(VARIANT child, BSTR* name) {
  return GetText(name_, child, name, &IAccessible::get_accName);
}

HRESULT AccessibleControl::get_accValue(VARIANT child, BSTR* value) {
  return GetText(value_, child, value, &IAccessible::get_accValue);
}

HRESULT AccessibleControl::get_accDescription(VARIANT child, BSTR* description) {
  return GetText(description_, child, description, &IAccessible::get_accDescription);
}

HRESULT AccessibleControl::get_accRole(VARIANT child, VARIANT* role) {
  if (!role) return E_INVALIDARG;
  if (IsSelf(child) && role_ != 0) {
    role->vt = VT_I4;
    role->lVal = role_;
    return S_OK;
  }
  return Forward(&IAccessible::get_accRole, child, role);
}

HRESULT AccessibleControl::get_accState(VARIANT child, VARIANT* state) {
  if (!state) return E_INVALIDARG;
  return Forward(&IAccessible::get_accState, child, state);
}

HRESULT AccessibleControl::get_accHelp(VARIANT child, BSTR* help) {
  if (!help) return E_INVALIDARG;
  return Forward(&IAccessible::get_accHelp, child, help);
}

HRESULT AccessibleControl::get_accHelpTopic(BSTR* help_file, VARIANT child, LONG* topic) {
  if (!help_file || !topic) return E_INVALIDARG;
  return Forward(&IAccessible::get_accHelpTopic, help_file, child, topic);
}

HRESULT AccessibleControl::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  if (!shortcut) return E_INVALIDARG;
  return Forward(&IAccessible::get_accKeyboardShortcut, child, shortcut);
}

HRESULT AccessibleControl::get_accFocus(VARIANT* child) {
  if (!child) return E_INVALIDARG;
  return Forward(&IAccessible::get_accFocus, child);
}

HRESULT AccessibleControl::get_accSelection(VARIANT* children) {
  if (!children) return E_INVALIDARG;
  return Forward(&IAccessible::get_accSelection, children);
}

HRESULT AccessibleControl::get_accDefaultAction(VARIANT child, BSTR* action) {
  if (!action) return E_INVALIDARG;
  return Forward(&IAccessible::get_accDefaultAction, child, action);
}

HRESULT AccessibleControl::accSelect(LONG flags, VARIANT child) {
  return Forward(&IAccessible::accSelect, flags, child);
}

HRESULT AccessibleControl::accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                       VARIANT child) {
  if (!left || !top || !width || !height) return E_INVALIDARG;
  return Forward(&IAccessible::accLocation, left, top, width, height, child);
}

HRESULT AccessibleControl::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
  if (!end) return E_INVALIDARG;
  return Forward(&IAccessible::accNavigate, direction, start, end);
}

HRESULT AccessibleControl::accHitTest(LONG x, LONG y, VARIANT* child) {
  if (!child) return E_INVALIDARG;
  return Forward(&IAccessible::accHitTest, x, y, child);
}

HRESULT AccessibleControl::accDoDefaultAction(VARIANT child) {
  return Forward(&IAccessible::accDoDefaultAction, child);
}

HRESULT AccessibleControl::put_accName(VARIANT child, BSTR name) {
  return Forward(&IAccessible::put_accName, child, name);
}

HRESULT AccessibleControl::put_accValue(VARIANT child, BSTR value) {
  return Forward(&IAccessible::put_accValue, child, value);
}

}  // namespace lite
