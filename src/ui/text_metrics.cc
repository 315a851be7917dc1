#include "ui/text_metrics.h"

#include "base/scoped_gdi.h"

namespace lite {

SIZE TextExtent(HDC dc, const std::wstring& text) {
  RECT rect = {0, 0, 0, 0};
  ::DrawTextW(dc, text.c_str(), -1, &rect, DT_CALCRECT);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

int LineHeight(HFONT font) {
  ScopedGetDc screen(nullptr);
  if (!screen.get()) return 0;
  ScopedSelectObject select(screen.get(), font);
  RECT rect = {0, 0, 0, 0};
  ::DrawTextW(screen.get(), L"anything", -1, &rect, DT_CALCRECT);
  return rect.bottom - rect.top;
}

}  // namespace lite
