#ifndef LITE_UI_BUILT_IN_SLIDE_H_
#define LITE_UI_BUILT_IN_SLIDE_H_

#include <windows.h>

#include "ui/resource_bitmap.h"

namespace lite {

class MainWindowTheme;

// The progress screen's first slide, drawn from the program's own
// pictures and texts: the theme's picture (loaded at 1/|divisor|) on the
// bottom-left over white, and whatever the theme draws beside it with the
// fonts |heading|, |body| and |spacing|. Empty when no canvas can be made.
ResourceBitmap ComposeBuiltInSlide(const MainWindowTheme& theme, HFONT heading, HFONT body,
                                   HFONT spacing, int divisor);

}  // namespace lite

#endif  // LITE_UI_BUILT_IN_SLIDE_H_
