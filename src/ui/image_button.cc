#include "ui/image_button.h"

#include <string>

#include "base/scoped_gdi.h"
#include "ui/drawing.h"

namespace lite {

constexpr int kFrameCount = 3;

int ButtonFrame(UINT item_state) {
  if (item_state & CDIS_SELECTED) return 2;
  if (item_state & CDIS_HOT) return 1;
  return 0;
}

ImageButton::ImageButton(int image_id, int high_resolution_image_id, COLORREF text_colour,
                         HFONT font, HWND button, const ResourceBitmap& background,
                         int background_x, int background_y)
    : window_(button),
      text_colour_(text_colour),
      font_(font),
      background_(background),
      background_offset_{background_x, background_y},
      accessible_(button) {
  face_.LoadScaled(image_id, high_resolution_image_id);
}

ImageButton::~ImageButton() = default;

SIZE ImageButton::Size() const {
  return SIZE{face_.Width() / kFrameCount, face_.Height()};
}

void ImageButton::SetTextLayout(const RECT& insets, POINT pressed_offset) {
  text_insets_ = insets;
  pressed_offset_ = pressed_offset;
}

void ImageButton::DrawBackground(HDC dc, const NMCUSTOMDRAW& draw) {
  DrawParentBackground(dc, window_, background_, draw.rc, background_offset_);
  DrawFace(dc, draw);
}

void ImageButton::DrawFace(HDC dc, const NMCUSTOMDRAW& draw) {
  const SIZE frame = Size();
  face_.DrawImage(dc, 0, 0, frame.cx, frame.cy, ButtonFrame(draw.uItemState) * frame.cx, 0,
                  frame.cx, frame.cy);
}

void ImageButton::OnCustomDraw(const NMCUSTOMDRAW& draw, int focus_inset) {
  if (draw.dwDrawStage != CDDS_PREERASE) return;
  DrawBackground(draw.hdc, draw);
  const std::wstring text = WindowText(window_);
  if (!text.empty()) {
    RECT rect = {draw.rc.left + text_insets_.left, draw.rc.top + text_insets_.top,
                 draw.rc.right - text_insets_.right, draw.rc.bottom - text_insets_.bottom};
    if (draw.uItemState & CDIS_SELECTED) {
      ::OffsetRect(&rect, pressed_offset_.x, pressed_offset_.y);
    }
    ::SetBkMode(draw.hdc, TRANSPARENT);
    ::SetTextColor(draw.hdc, text_colour_);
    ScopedSelectObject select_font(draw.hdc, font_);
    ::DrawTextW(draw.hdc, text.c_str(), -1, &rect, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
  }
  if ((draw.uItemState & CDIS_FOCUS) && show_focus_) {
    RECT focus = draw.rc;
    ::InflateRect(&focus, -focus_inset, -focus_inset);
    ::DrawFocusRect(draw.hdc, &focus);
  }
}

}  // namespace lite
