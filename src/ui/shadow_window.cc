#include "ui/shadow_window.h"

#include "base/scoped_gdi.h"
#include "ui/memory_canvas.h"

namespace lite {
namespace {

#if defined(LITE_TEST_HOOKS)
int g_screen_bits_for_testing = 0;
#endif

int ScreenBitsPerPixel() {
#if defined(LITE_TEST_HOOKS)
  if (g_screen_bits_for_testing) return g_screen_bits_for_testing;
#endif
  ScopedGetDc screen(nullptr);
  return screen.get() ? ::GetDeviceCaps(screen.get(), BITSPIXEL) : 0;
}

}  // namespace

ShadowWindow::ShadowWindow(HWND dialog, const ResourceBitmap& image,
                           const ShadowMargins& margins) {
  const HWND shadow = CreateChildWindow(
      dialog, RECT{0, 0, 0, 0}, L"", WS_POPUPWINDOW | WS_VISIBLE | WS_CLIPSIBLINGS,
      WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TRANSPARENT, L"Static", nullptr);
  // Without per-pixel alpha on the screen there is no soft shadow to show:
  // the window stays empty.
  if (!shadow || ScreenBitsPerPixel() < 32) return;
  RECT dialog_rect = {};
  ::GetWindowRect(dialog, &dialog_rect);
  const RECT bounds = ShadowBounds(dialog_rect, margins);
  SIZE size = {bounds.right - bounds.left, bounds.bottom - bounds.top};
  MemoryCanvas canvas(nullptr, size.cx, size.cy, MemoryCanvas::Format::kArgb);
  if (!canvas.is_valid()) return;
  DrawShadowImage(canvas.dc(), image, size, ShadowInnerRect(dialog_rect, margins));
  ::SetLayout(canvas.dc(), LAYOUT_RTL);
  POINT position = {bounds.left, bounds.top};
  POINT source = {0, 0};
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  ::UpdateLayeredWindow(shadow, nullptr, &position, &size, canvas.dc(), &source, 0, &blend,
                        ULW_ALPHA);
}

ShadowWindow::~ShadowWindow() {
  const HWND shadow = window();
  Detach();
  if (shadow && ::IsWindow(shadow)) ::DestroyWindow(shadow);
}

// static
void ShadowWindow::DrawShadowImage(HDC dc, const ResourceBitmap& image, SIZE size,
                                   const RECT& inner) {
  for (const ImageCopy& copy : ShadowQuadrants(size, SIZE{image.Width(), image.Height()})) {
    const int width = copy.destination.right - copy.destination.left;
    const int height = copy.destination.bottom - copy.destination.top;
    image.DrawImage(dc, copy.destination.left, copy.destination.top, width, height,
                    copy.source.x, copy.source.y, width, height);
  }
  // Cleared, alpha included, by a raster operation that zeroes every bit
  // of a copy onto itself: the dialog shows through there.
  const int width = inner.right - inner.left - 1;
  const int height = inner.bottom - inner.top - 1;
  if (width > 0 && height > 0) {
    ::BitBlt(dc, inner.left, inner.top, width, height, dc, inner.left, inner.top, SRCERASE);
  }
}

#if defined(LITE_TEST_HOOKS)
// static
void ShadowWindow::SetScreenBitsPerPixelForTesting(int bits) {
  g_screen_bits_for_testing = bits;
}
#endif

}  // namespace lite
