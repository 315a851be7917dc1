#include "ui/text_metrics.h"

namespace lite {

SIZE TextExtent(HDC dc, const std::wstring& text) {
  RECT rect = {0, 0, 0, 0};
  ::DrawTextW(dc, text.c_str(), -1, &rect, DT_CALCRECT);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

int LineHeight(HFONT font) {
  HDC screen = ::GetDC(nullptr);
  if (!screen) return 0;
  HGDIOBJ previous = ::SelectObject(screen, font);
  RECT rect = {0, 0, 0, 0};
  ::DrawTextW(screen, L"anything", -1, &rect, DT_CALCRECT);
  ::SelectObject(screen, previous);
  ::ReleaseDC(nullptr, screen);
  return rect.bottom - rect.top;
}

}  // namespace lite
