#ifndef LITE_UI_IMAGE_CHECK_BOX_H_
#define LITE_UI_IMAGE_CHECK_BOX_H_

#include <windows.h>
#include <commctrl.h>

#include "ui/resource_bitmap.h"

namespace lite {

// The frame of a six-frame check box strip: normal, hot, pressed, then the
// same three checked.
int CheckBoxFrame(bool selected, bool hot, bool checked);

// A system check box painted from a strip of six equal frames, with its
// label over the parent's picture. With visual styles the parent hands it
// NM_CUSTOMDRAW; without them (no custom draw from an unthemed button) it
// turns owner-drawn, the parent hands it WM_DRAWITEM, and it keeps its own
// check state, which the parent flips on every click.
class ImageCheckBox {
 public:
  // |focus_rectangle|: draw the focus rectangle, and keep the box 4 pixels
  // from the edges to leave room for it.
  ImageCheckBox(int image_id, int high_resolution_image_id, COLORREF text_colour, HFONT font,
                HWND window, const ResourceBitmap& background, bool checked, BYTE text_alpha,
                bool focus_rectangle);
  ImageCheckBox(const ImageCheckBox&) = delete;
  ImageCheckBox& operator=(const ImageCheckBox&) = delete;

  bool IsChecked() const;
  // Flips the own state (owner-drawn only; a themed box keeps its own).
  void Toggle();
  // Themed: paints in the pre-erase stage; returns whether it painted.
  bool OnCustomDraw(const NMCUSTOMDRAW& draw);
  // Unthemed, owner-drawn.
  void OnDrawItem(const DRAWITEMSTRUCT& item);
  // The height the box needs in |rect|'s width: the box or the wrapped
  // label, whichever is higher, and the margin.
  int MeasureHeight(const RECT& rect) const;
  // Room kept around the box for the focus rectangle.
  int margin() const { return margin_; }

  HWND window() const { return window_; }

 private:
  void Paint(HDC dc, const RECT& item, int frame) const;

  bool focus_rectangle_;
  int margin_;
  COLORREF text_colour_;
  BYTE text_alpha_;
  HFONT font_;
  HWND window_;
  ResourceBitmap box_;
  ResourceBitmap background_;
  bool checked_;
  bool unthemed_;
  int box_width_;
  int box_height_;
};

}  // namespace lite

#endif  // LITE_UI_IMAGE_CHECK_BOX_H_
