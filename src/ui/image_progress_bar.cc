#include "ui/image_progress_bar.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>

#include "ui/drawing.h"

namespace lite {

int FilledWidth(int width, int position, int low, int high) {
  // An empty range would divide by zero: such a bar shows nothing done.
  if (high <= low || width <= 0) return 0;
  const int64_t filled = static_cast<int64_t>(width) * (static_cast<int64_t>(position) - low) /
                         (static_cast<int64_t>(high) - low);
  return static_cast<int>(std::clamp<int64_t>(filled, 0, width));
}

ImageProgressBar::ImageProgressBar(HWND progress) : accessible_(progress) {
  Attach(progress);
}

ImageProgressBar::~ImageProgressBar() {
  // Before the accessibility procedure below this one goes.
  Detach();
}

void ImageProgressBar::SetImages(int filled_id, int filled_high_resolution_id, int empty_id,
                                 int empty_high_resolution_id, const ResourceBitmap* background) {
  filled_.LoadScaled(filled_id, filled_high_resolution_id);
  empty_.LoadScaled(empty_id, empty_high_resolution_id);
  has_background_ = background != nullptr;
  background_ = background ? *background : ResourceBitmap();
}

void ImageProgressBar::SetRange(int low, int high) {
  ::SendMessageW(window(), PBM_SETRANGE, 0, MAKELPARAM(low, high));
}

void ImageProgressBar::SetPosition(int position) {
  ::SendMessageW(window(), PBM_SETPOS, static_cast<WPARAM>(position), 0);
  accessible_.SetAccessibleValue(position);
}

int ImageProgressBar::Position() const {
  return static_cast<int>(::SendMessageW(window(), PBM_GETPOS, 0, 0));
}

bool ImageProgressBar::HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                     LRESULT* result) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = ::BeginPaint(window, &paint);
      if (dc) Paint(dc);
      ::EndPaint(window, &paint);
      break;
    }
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wparam));
      break;
    case WM_ERASEBKGND:
    case PBM_SETBARCOLOR:
    case PBM_SETBKCOLOR:
      break;
    default:
      return false;
  }
  *result = 0;
  return true;
}

void ImageProgressBar::Paint(HDC dc) const {
  RECT client = {};
  ::GetClientRect(window(), &client);
  if (!has_background_) {
    DrawBar(dc, client);
    return;
  }
  PaintBuffered(dc, client, [this](HDC buffer, const RECT& area) {
    DrawParentBackground(buffer, window(), background_, area);
    DrawBar(buffer, area);
  });
}

void ImageProgressBar::DrawBar(HDC dc, const RECT& client) const {
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  PBRANGE range = {};
  ::SendMessageW(window(), PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
  const int filled = FilledWidth(width, Position(), range.iLow, range.iHigh);
  if (filled > 0) filled_.DrawImage(dc, 0, 0, filled, height, 0, 0, filled, height);
  if (filled < width) {
    empty_.DrawImage(dc, filled, 0, width - filled, height, filled, 0, width - filled, height);
  }
}

}  // namespace lite
