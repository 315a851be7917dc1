#include "ui/built_in_slide.h"

#include "ui/main_window_theme.h"
#include "ui/memory_canvas.h"
#include "ui/scale_factor.h"

namespace lite {

ResourceBitmap ComposeBuiltInSlide(const MainWindowTheme& theme, HFONT heading, HFONT body,
                                   HFONT spacing, int divisor) {
  const int width = Scale(728);
  const int height = Scale(400);
  MemoryCanvas canvas(nullptr, width, height);
  if (!canvas.is_valid()) return ResourceBitmap();
  const RECT all = ScaleRect(RECT{0, 0, 728, 400});
  ::FillRect(canvas.dc(), &all, theme.Brush());

  ResourceBitmap picture;
  picture.Load(theme.SlidePictureImage(), divisor);
  picture.DrawImage(canvas.dc(), 0, height - picture.Height(), picture.Width(), picture.Height(),
                    0, 0, picture.Width(), picture.Height());
  theme.DrawSlideExtras(canvas.dc(), heading, body, spacing);
  ::GdiFlush();
  return ResourceBitmap::FromBitmapHandle(canvas.bitmap());
}

}  // namespace lite
