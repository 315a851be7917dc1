#ifndef LITE_UI_DRAWING_H_
#define LITE_UI_DRAWING_H_

#include <windows.h>

#include <functional>
#include <string>

#include "base/scoped_gdi.h"

namespace lite {

class ResourceBitmap;

// A regular, not italic font of character height |size| pixels.
ScopedFont CreateUiFont(const wchar_t* face, int size, int weight, bool underline);

// Draws |text| into |rect| over what the context already shows, at
// |alpha|/255 opacity (255: opaque). |format| is DrawTextW's, and words
// always wrap.
// One line from the context's origin, each character where
// GetTextExtentExPointW puts it: laid-out controls are sized by that
// measure, and Wine draws some glyphs wider than it measures them, which
// cut off a line's last characters.
void DrawLineAsMeasured(HDC dc, const std::wstring& text);

void DrawAlphaText(HDC dc, const RECT& rect, const std::wstring& text, HFONT font,
                   COLORREF colour, BYTE alpha, UINT format);

// Lets |paint| draw |rect| off screen (in the same coordinates) and then
// copies the result to |dc| in one BitBlt, so that a paint never shows
// half done.
using PaintCallback = std::function<void(HDC dc, const RECT& rect)>;
void PaintBuffered(HDC dc, const RECT& rect, const PaintCallback& paint);

// The window's text.
std::wstring WindowText(HWND window);

// The top-left corner of |window| in its parent's client coordinates.
POINT PositionInParent(HWND window);

// Draws, 1:1, the part of the parent's |background| that lies under
// |area| of |control| (in the control's client coordinates); |offset| is
// where the parent's client area starts inside the image.
void DrawParentBackground(HDC dc, HWND control, const ResourceBitmap& background,
                          const RECT& area, POINT offset = POINT{0, 0});

}  // namespace lite

#endif  // LITE_UI_DRAWING_H_
