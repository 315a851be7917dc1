#include "ui/drawing.h"

#include <vector>

#include "ui/memory_canvas.h"
#include "ui/resource_bitmap.h"

namespace lite {

ScopedFont CreateUiFont(const wchar_t* face, int size, int weight, bool underline) {
  return ScopedFont(::CreateFontW(-size, 0, 0, 0, weight, FALSE, underline ? TRUE : FALSE, FALSE,
                                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH, face));
}

void DrawLineAsMeasured(HDC dc, const std::wstring& text) {
  const int length = static_cast<int>(text.size());
  if (length == 0) return;
  std::vector<INT> ends(text.size());
  SIZE size = {};
  if (!::GetTextExtentExPointW(dc, text.c_str(), length, 0, nullptr, ends.data(), &size)) {
    ::TextOutW(dc, 0, 0, text.c_str(), length);
    return;
  }
  std::vector<INT> advances(text.size());
  for (int i = 0; i < length; ++i) advances[i] = ends[i] - (i > 0 ? ends[i - 1] : 0);
  ::ExtTextOutW(dc, 0, 0, 0, nullptr, text.c_str(), static_cast<UINT>(length), advances.data());
}

void DrawAlphaText(HDC dc, const RECT& rect, const std::wstring& text, HFONT font,
                   COLORREF colour, BYTE alpha, UINT format) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  // Text drawn on a copy of the picture and blended back as a whole: GDI
  // text itself has no opacity.
  MemoryCanvas canvas(dc, width, height);
  if (!canvas.is_valid()) return;
  ::BitBlt(canvas.dc(), 0, 0, width, height, dc, rect.left, rect.top, SRCCOPY);
  ::SetBkMode(canvas.dc(), TRANSPARENT);
  {
    ScopedSelectObject select_font(canvas.dc(), font);
    ::SetTextColor(canvas.dc(), colour);
    RECT area = {0, 0, width, height};
    if (format & DT_SINGLELINE) {
      DrawLineAsMeasured(canvas.dc(), text);
    } else {
      ::DrawTextW(canvas.dc(), text.c_str(), -1, &area, format | DT_WORDBREAK);
    }
  }
  const BLENDFUNCTION blend = {AC_SRC_OVER, 0, alpha, 0};
  ::AlphaBlend(dc, rect.left, rect.top, width, height, canvas.dc(), 0, 0, width, height, blend);
}

void PaintBuffered(HDC dc, const RECT& rect, const PaintCallback& paint) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  MemoryCanvas canvas(dc, width, height);
  if (!canvas.is_valid()) return;
  ::SetViewportOrgEx(canvas.dc(), -rect.left, -rect.top, nullptr);
  paint(canvas.dc(), rect);
  ::BitBlt(dc, rect.left, rect.top, width, height, canvas.dc(), rect.left, rect.top, SRCCOPY);
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  const int length = ::GetWindowTextW(window, &text[0], static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(length));
  return text;
}

POINT PositionInParent(HWND window) {
  RECT rect = {};
  ::GetWindowRect(window, &rect);
  POINT position = {rect.left, rect.top};
  ::ScreenToClient(::GetParent(window), &position);
  return position;
}

void DrawParentBackground(HDC dc, HWND control, const ResourceBitmap& background,
                          const RECT& area, POINT offset) {
  const POINT position = PositionInParent(control);
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  background.DrawImage(dc, area.left, area.top, width, height,
                       position.x + offset.x + area.left, position.y + offset.y + area.top,
                       width, height);
}

}  // namespace lite
