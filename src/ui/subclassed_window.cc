#include "ui/subclassed_window.h"

#include <map>

#include "ui/resource_strings.h"

namespace lite {
namespace {

// Every attached window, for the shared window procedure. Touched on the
// user-interface thread only.
std::map<HWND, SubclassedWindow*>& AttachedWindows() {
  static std::map<HWND, SubclassedWindow*> windows;
  return windows;
}

RECT MonitorWorkArea(HWND window) {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
  return info.rcWork;
}

}  // namespace

POINT CenteredPosition(SIZE size, const RECT& center, const RECT& bounds) {
  POINT position = {(center.left + center.right) / 2 - size.cx / 2,
                    (center.top + center.bottom) / 2 - size.cy / 2};
  if (position.x + size.cx > bounds.right) position.x = bounds.right - size.cx;
  if (position.x < bounds.left) position.x = bounds.left;
  if (position.y + size.cy > bounds.bottom) position.y = bounds.bottom - size.cy;
  if (position.y < bounds.top) position.y = bounds.top;
  return position;
}

SubclassedWindow::~SubclassedWindow() {
  Detach();
}

bool SubclassedWindow::HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                     LRESULT* result) {
  return false;
}

int SubclassedWindow::DialogId() const {
  return 0;
}

void SubclassedWindow::Attach(HWND window) {
  if (window_) Detach();
  // One object per window: another one there would hand this one the
  // shared procedure as the previous one, and unhandled messages would
  // go round in circles.
  const auto found = AttachedWindows().find(window);
  if (found != AttachedWindows().end()) found->second->Detach();
  window_ = window;
  AttachedWindows()[window] = this;
  previous_procedure_ = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
      window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassedWindow::WindowProc)));
}

void SubclassedWindow::Detach() {
  if (!window_) return;
  if (::IsWindow(window_) && previous_procedure_) {
    ::SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_procedure_));
  }
  AttachedWindows().erase(window_);
  window_ = nullptr;
  previous_procedure_ = nullptr;
}

// static
LRESULT CALLBACK SubclassedWindow::WindowProc(HWND window, UINT message, WPARAM wparam,
                                              LPARAM lparam) {
  const auto found = AttachedWindows().find(window);
  if (found == AttachedWindows().end()) return ::DefWindowProcW(window, message, wparam, lparam);
  SubclassedWindow* object = found->second;
  // Taken first: the object may detach, or go, while it handles the message.
  const WNDPROC previous = object->previous_procedure_;
  LRESULT result = 0;
  if (object->HandleMessage(window, message, wparam, lparam, &result)) return result;
  return ::CallWindowProcW(previous, window, message, wparam, lparam);
}

INT_PTR SubclassedWindow::RunModal(HWND parent) {
  return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(DialogId()),
                           parent ? parent : ::GetActiveWindow(), &SubclassedWindow::DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

// static
INT_PTR CALLBACK SubclassedWindow::DialogProc(HWND dialog, UINT message, WPARAM wparam,
                                             LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* object = reinterpret_cast<SubclassedWindow*>(lparam);
    object->Attach(dialog);
    // The handler's answer decides whether the dialog manager sets the
    // default focus.
    LRESULT result = 0;
    if (object->HandleMessage(dialog, message, wparam, lparam, &result)) {
      return static_cast<INT_PTR>(result);
    }
  }
  return FALSE;
}

HWND SubclassedWindow::CreateChildWindow(HWND parent, const RECT& rect, const wchar_t* name,
                                         DWORD style, DWORD ex_style, const wchar_t* class_name,
                                         void* param) {
  const HWND window = ::CreateWindowExW(
      ex_style, class_name ? class_name : L"Static", name, style, rect.left, rect.top,
      rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
      ::GetModuleHandleW(nullptr), param);
  if (window) Attach(window);
  return window;
}

void SubclassedWindow::CenterWindow(HWND center_on) {
  RECT own = {};
  ::GetWindowRect(window_, &own);
  const SIZE size = {own.right - own.left, own.bottom - own.top};
  RECT center = {};
  RECT bounds = {};
  if (::GetWindowLongPtrW(window_, GWL_STYLE) & WS_CHILD) {
    const HWND parent = ::GetParent(window_);
    ::GetClientRect(parent, &bounds);
    center = bounds;
    if (center_on) {
      ::GetWindowRect(center_on, &center);
      ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&center), 2);
    }
  } else {
    if (!center_on) center_on = ::GetWindow(window_, GW_OWNER);
    // A hidden or minimised owner is nowhere to be seen: the screen instead.
    if (center_on && (!::IsWindowVisible(center_on) || ::IsIconic(center_on))) {
      center_on = nullptr;
    }
    bounds = MonitorWorkArea(center_on ? center_on : window_);
    center = bounds;
    if (center_on) ::GetWindowRect(center_on, &center);
  }
  const POINT position = CenteredPosition(size, center, bounds);
  ::SetWindowPos(window_, nullptr, position.x, position.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SubclassedWindow::SetItemText(int control_id, const std::wstring& text) {
  ::SetWindowTextW(::GetDlgItem(window_, control_id), text.c_str());
}

void SubclassedWindow::SetItemTextFromString(int control_id, int string_id,
                                             uint32_t language_id) {
  SetItemText(control_id, LoadUiString(string_id, language_id));
}

}  // namespace lite
