#ifndef LITE_UI_ACCESSIBLE_CONTROL_H_
#define LITE_UI_ACCESSIBLE_CONTROL_H_

#include <windows.h>
#include <oleacc.h>

#include <string>

#include "base/scoped_handle.h"

namespace lite {

// Gives a custom-drawn control the name, role, description and value that
// screen readers ask for, over the standard object the system makes for its
// window: what is set here answers for the control itself, everything else
// is the standard object's answer (E_NOTIMPL without one).
//
// A member of the control that owns it, not a separate allocation: the
// reference count is the standard object's and never frees this object.
// It subclasses the control to answer WM_GETOBJECT, so it must be made
// before the control's own SubclassedWindow attaches, and go after that
// detaches.
class AccessibleControl : public IAccessible {
 public:
  explicit AccessibleControl(HWND control);
  AccessibleControl(const AccessibleControl&) = delete;
  AccessibleControl& operator=(const AccessibleControl&) = delete;
  virtual ~AccessibleControl();

  void SetAccessibleInfo(LONG role, const std::wstring& name, const std::wstring& description);
  // The value becomes the percentage text, announced as changed.
  void SetAccessibleValue(int percent);

  // IUnknown.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argument_error) override;

  // IAccessible.
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* help_file, VARIANT child,
                                             LONG* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override;
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  // The standard object's answer, E_NOTIMPL without one.
  template <typename Method, typename... Args>
  HRESULT Forward(Method method, Args... args);
  // |own| for the control itself when set, else the standard object's.
  HRESULT GetText(const std::wstring& own, VARIANT child, BSTR* text,
                  HRESULT (STDMETHODCALLTYPE IAccessible::*method)(VARIANT, BSTR*));

  ScopedComPtr<IAccessible> standard_;
  WNDPROC previous_procedure_ = nullptr;
  HWND window_;
  LONG role_ = 0;
  std::wstring name_;
  std::wstring description_;
  std::wstring value_;
};

}  // namespace lite

#endif  // LITE_UI_ACCESSIBLE_CONTROL_H_
