#include "ui/main_window_shadow.h"

#include "ui/memory_canvas.h"
#include "ui/resource_bitmap.h"
#include "ui/scale_factor.h"

namespace lite {

constexpr int kShadowBorder = 8;

HWND CreateMainWindowShadow(HWND window) {
  RECT window_rect = {};
  ::GetWindowRect(window, &window_rect);
  const int border = Scale(kShadowBorder);
  const RECT bounds = ShadowBounds(window_rect, {border, border, border, border});
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  const HWND shadow = ::CreateWindowExW(WS_EX_LAYERED, L"STATIC", nullptr,
                                        WS_POPUPWINDOW | WS_VISIBLE, bounds.left, bounds.top,
                                        width, height, window, nullptr,
                                        ::GetModuleHandleW(nullptr), nullptr);
  if (!shadow) return nullptr;
  MemoryCanvas canvas(nullptr, width, height, MemoryCanvas::Format::kArgb);
  if (!canvas.is_valid()) return shadow;
  DrawShadowPieces(canvas.dc(),
                   MainWindowShadowPieces(window_rect.right - window_rect.left,
                                          window_rect.bottom - window_rect.top, border));
  SIZE size = {width, height};
  POINT source = {0, 0};
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  ::UpdateLayeredWindow(shadow, nullptr, nullptr, &size, canvas.dc(), &source, 0, &blend,
                        ULW_ALPHA);
  return shadow;
}

void DrawShadowPieces(HDC dc, const std::array<ShadowPiece, 8>& pieces) {
  for (const ShadowPiece& piece : pieces) {
    ResourceBitmap image;
    if (!image.Load(piece.image_id, 1)) continue;
    image.DrawImage(dc, piece.rect.left, piece.rect.top, piece.rect.right - piece.rect.left,
                    piece.rect.bottom - piece.rect.top, 0, 0, image.Width(), image.Height());
  }
}

}  // namespace lite
