#ifndef LITE_UI_SHADOW_WINDOW_H_
#define LITE_UI_SHADOW_WINDOW_H_

#include <windows.h>

#include "ui/resource_bitmap.h"
#include "ui/shadow_geometry.h"
#include "ui/subclassed_window.h"

namespace lite {

// The soft shadow around a message dialog: a layered, click-through popup
// owned by the dialog that shows the shadow borders of the dialog's
// background picture around it. It handles no messages; the window goes
// with the object.
class ShadowWindow : public SubclassedWindow {
 public:
  // |margins|: how far the picture's shadow reaches past each edge of
  // |dialog|'s window.
  ShadowWindow(HWND dialog, const ResourceBitmap& image, const ShadowMargins& margins);
  ~ShadowWindow() override;

  // The shadow bitmap of |size| with |inner|, the dialog's own area,
  // cleared to full transparency.
  static void DrawShadowImage(HDC dc, const ResourceBitmap& image, SIZE size, const RECT& inner);

#if defined(LITE_TEST_HOOKS)
  // Answers the screen's colour depth instead of asking the screen (0: ask).
  static void SetScreenBitsPerPixelForTesting(int bits);
#endif
};

}  // namespace lite

#endif  // LITE_UI_SHADOW_WINDOW_H_
