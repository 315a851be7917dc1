#ifndef LITE_UI_LINK_LABEL_H_
#define LITE_UI_LINK_LABEL_H_

#include <windows.h>

#include "ui/accessible_control.h"
#include "ui/resource_bitmap.h"
#include "ui/subclassed_window.h"

namespace lite {

// An owner-drawn control showing its text over the parent's picture with
// the hand cursor: links and other clickable text. The parent hands it
// WM_DRAWITEM.
class LinkLabel : public SubclassedWindow {
 public:
  // |format|: DrawText's, DT_SINGLELINE for a piece of a laid-out note.
  LinkLabel(HWND window, COLORREF text_colour, BYTE text_alpha, HFONT font,
            const ResourceBitmap& background, UINT format = DT_WORDBREAK);
  ~LinkLabel() override;

  // WM_SETCURSOR shows the hand.
  bool HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                     LRESULT* result) override;
  void OnDrawItem(const DRAWITEMSTRUCT& item);

  AccessibleControl& accessible() { return accessible_; }

 private:
  AccessibleControl accessible_;
  COLORREF text_colour_;
  BYTE text_alpha_;
  HFONT font_;
  ResourceBitmap background_;
  UINT format_;
  HCURSOR cursor_;
};

}  // namespace lite

#endif  // LITE_UI_LINK_LABEL_H_
