#include "ui/image_check_box.h"

#include <algorithm>
#include <string>

#include "base/scoped_gdi.h"
#include "ui/app_theme.h"
#include "ui/drawing.h"

namespace lite {

constexpr int kFrameCount = 6;
constexpr int kFocusMargin = 4;
// Between the box and its label.
constexpr int kLabelGap = 8;

int CheckBoxFrame(bool selected, bool hot, bool checked) {
  const int frame = selected ? 2 : (hot ? 1 : 0);
  return checked ? frame + 3 : frame;
}

ImageCheckBox::ImageCheckBox(int image_id, int high_resolution_image_id, COLORREF text_colour,
                             HFONT font, HWND window, const ResourceBitmap& background,
                             bool checked, BYTE text_alpha, bool focus_rectangle)
    : focus_rectangle_(focus_rectangle),
      margin_(focus_rectangle ? kFocusMargin : 0),
      text_colour_(text_colour),
      text_alpha_(text_alpha),
      font_(font),
      window_(window),
      background_(background),
      checked_(checked),
      unthemed_(!IsApplicationThemed()) {
  box_.LoadScaled(image_id, high_resolution_image_id);
  box_width_ = box_.Width() / kFrameCount;
  box_height_ = box_.Height();
  if (unthemed_) {
    ::SetWindowLongPtrW(window, GWL_STYLE, ::GetWindowLongPtrW(window, GWL_STYLE) | BS_OWNERDRAW);
  }
  if (checked) ::SendMessageW(window, BM_SETCHECK, BST_CHECKED, 0);
}

bool ImageCheckBox::IsChecked() const {
  if (unthemed_) return checked_;
  return ::SendMessageW(window_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void ImageCheckBox::Toggle() {
  if (unthemed_) checked_ = !checked_;
}

bool ImageCheckBox::OnCustomDraw(const NMCUSTOMDRAW& draw) {
  if (draw.dwDrawStage != CDDS_PREERASE || !::IsWindow(window_)) return false;
  Paint(draw.hdc, draw.rc,
        CheckBoxFrame(draw.uItemState & CDIS_SELECTED, draw.uItemState & CDIS_HOT, IsChecked()));
  if ((draw.uItemState & CDIS_FOCUS) && focus_rectangle_) {
    RECT focus = draw.rc;
    ::DrawFocusRect(draw.hdc, &focus);
  }
  return true;
}

void ImageCheckBox::OnDrawItem(const DRAWITEMSTRUCT& item) {
  Paint(item.hDC, item.rcItem,
        CheckBoxFrame(item.itemState & ODS_SELECTED, item.itemState & ODS_HOTLIGHT, IsChecked()));
}

void ImageCheckBox::Paint(HDC dc, const RECT& item, int frame) const {
  DrawParentBackground(dc, window_, background_, item);
  box_.DrawImage(dc, margin_, margin_, box_width_, box_height_, frame * box_width_, 0, box_width_,
                 box_height_);
  const std::wstring text = WindowText(window_);
  if (text.empty()) return;
  const RECT label = {margin_ + box_width_ + kLabelGap, margin_, item.right - item.left,
                      item.bottom - item.top};
  DrawAlphaText(dc, label, text, font_, text_colour_, text_alpha_, DT_WORDBREAK);
}

int ImageCheckBox::MeasureHeight(const RECT& rect) const {
  const std::wstring text = WindowText(window_);
  if (text.empty()) return margin_ + box_height_;
  ScopedMemoryDc dc(::CreateCompatibleDC(nullptr));
  ScopedSelectObject select_font(dc.get(), font_);
  RECT label = rect;
  label.left += box_width_ + margin_ + kLabelGap;
  ::DrawTextW(dc.get(), text.c_str(), -1, &label, DT_CALCRECT | DT_WORDBREAK);
  return margin_ + std::max<int>(box_height_, label.bottom - label.top);
}

}  // namespace lite
