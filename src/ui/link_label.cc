#include "ui/link_label.h"

#include "ui/drawing.h"

namespace lite {

LinkLabel::LinkLabel(HWND window, COLORREF text_colour, BYTE text_alpha, HFONT font,
                     const ResourceBitmap& background, UINT format)
    : accessible_(window),
      text_colour_(text_colour),
      text_alpha_(text_alpha),
      font_(font),
      background_(background),
      format_(format),
      cursor_(::LoadCursorW(nullptr, IDC_HAND)) {
  Attach(window);
}

LinkLabel::~LinkLabel() {
  // Before the accessibility procedure below this one goes.
  Detach();
}

bool LinkLabel::HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              LRESULT* result) {
  if (message != WM_SETCURSOR) return false;
  ::SetCursor(cursor_);
  *result = TRUE;
  return true;
}

void LinkLabel::OnDrawItem(const DRAWITEMSTRUCT& item) {
  DrawParentBackground(item.hDC, window(), background_, item.rcItem);
  DrawAlphaText(item.hDC, item.rcItem, WindowText(window()), font_, text_colour_, text_alpha_,
                format_);
  if (item.itemState & ODS_FOCUS) ::DrawFocusRect(item.hDC, &item.rcItem);
}

}  // namespace lite
