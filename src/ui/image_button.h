#ifndef LITE_UI_IMAGE_BUTTON_H_
#define LITE_UI_IMAGE_BUTTON_H_

#include <windows.h>
#include <commctrl.h>

#include "ui/accessible_control.h"
#include "ui/resource_bitmap.h"

namespace lite {

// The frame of a three-frame button strip (normal, hot, pressed) for a
// custom-draw item state.
int ButtonFrame(UINT item_state);

// A push button painted from a strip of three equal frames over the part
// of its parent's picture that it covers. The parent hands it its
// NM_CUSTOMDRAW notifications and answers them with CDRF_SKIPDEFAULT.
class ImageButton {
 public:
  // |background_x|, |background_y|: where the parent's client area starts
  // inside |background|.
  ImageButton(int image_id, int high_resolution_image_id, COLORREF text_colour, HFONT font,
              HWND button, const ResourceBitmap& background, int background_x, int background_y);
  ImageButton(const ImageButton&) = delete;
  ImageButton& operator=(const ImageButton&) = delete;
  virtual ~ImageButton();

  // The parent's picture under the button, then the face.
  virtual void DrawBackground(HDC dc, const NMCUSTOMDRAW& draw);
  // The strip's frame for the item state.
  virtual void DrawFace(HDC dc, const NMCUSTOMDRAW& draw);

  // One frame of the strip.
  SIZE Size() const;
  // Paints the whole button in the pre-erase stage: picture, text and,
  // when the button has the focus and the parent asks for it, the focus
  // rectangle |focus_inset| pixels inside the edge.
  void OnCustomDraw(const NMCUSTOMDRAW& draw, int focus_inset);

  // Where the text goes: the item rectangle less |insets|, moved by
  // |pressed_offset| while pressed. None as built.
  void SetTextLayout(const RECT& insets, POINT pressed_offset);
  // Set by the parent when keyboard cues are on; the button never changes it.
  void set_show_focus(bool show) { show_focus_ = show; }
  bool show_focus() const { return show_focus_; }

  HWND window() const { return window_; }
  AccessibleControl& accessible() { return accessible_; }

 private:
  HWND window_;
  COLORREF text_colour_;
  HFONT font_;
  RECT text_insets_ = {0, 0, 0, 0};
  POINT pressed_offset_ = {0, 0};
  bool show_focus_ = false;
  ResourceBitmap background_;
  POINT background_offset_;
  AccessibleControl accessible_;
  ResourceBitmap face_;
};

}  // namespace lite

#endif  // LITE_UI_IMAGE_BUTTON_H_
