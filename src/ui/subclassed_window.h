#ifndef LITE_UI_SUBCLASSED_WINDOW_H_
#define LITE_UI_SUBCLASSED_WINDOW_H_

#include <windows.h>

#include <cstdint>
#include <string>

namespace lite {

// Where a window of |size| goes when centred on |center| and kept inside
// |bounds|: centred first, then moved left (up) so that it does not pass
// the right (bottom) edge, then right (down) so that it does not pass the
// left (top) edge.
POINT CenteredPosition(SIZE size, const RECT& center, const RECT& bounds);

// Base of the window objects: attaches itself to an existing window by
// replacing its window procedure with one shared by all attached windows,
// which offers every message to HandleMessage first and passes what that
// leaves to the procedure the window had before.
class SubclassedWindow {
 public:
  SubclassedWindow() = default;
  SubclassedWindow(const SubclassedWindow&) = delete;
  SubclassedWindow& operator=(const SubclassedWindow&) = delete;
  // Detaches.
  virtual ~SubclassedWindow();

  // Returns true when the message is handled, with |result| the answer;
  // false lets the previous window procedure have it.
  virtual bool HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                             LRESULT* result);
  // The dialog template RunModal shows; 0 here.
  virtual int DialogId() const;

  // Takes the window over from any other object attached to it.
  void Attach(HWND window);
  // Puts the previous window procedure back while the window exists.
  void Detach();

  // Shows the dialog template DialogId() modally, owned by |parent| or,
  // without one, by the active window. Returns the EndDialog value (-1
  // when the dialog cannot be made).
  INT_PTR RunModal(HWND parent);
  // The dialog procedure of RunModal: attaches the object (the dialog's
  // creation parameter) on WM_INITDIALOG and passes WM_INITDIALOG to it.
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

  // Creates a window ("Static" when |class_name| is null) at |rect| in
  // |parent| (the owner, for a popup) and attaches to it.
  HWND CreateChildWindow(HWND parent, const RECT& rect, const wchar_t* name, DWORD style,
                         DWORD ex_style, const wchar_t* class_name, void* param);

  // Centres the window on |center_on| or, without one, a child on its
  // parent's client area and a popup on its owner while that is visible
  // and not minimised, else on the work area of the nearest monitor.
  void CenterWindow(HWND center_on = nullptr);

  void SetItemText(int control_id, const std::wstring& text);
  // The string |string_id| of the string table in |language_id|; a
  // missing string gives an empty text.
  void SetItemTextFromString(int control_id, int string_id, uint32_t language_id);

  HWND window() const { return window_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  HWND window_ = nullptr;
  WNDPROC previous_procedure_ = nullptr;
};

}  // namespace lite

#endif  // LITE_UI_SUBCLASSED_WINDOW_H_
