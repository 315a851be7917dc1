#ifndef LITE_UI_TEXT_METRICS_H_
#define LITE_UI_TEXT_METRICS_H_

#include <windows.h>

#include <string>

namespace lite {

// The size DrawTextW gives |text| with the font selected into |dc|.
SIZE TextExtent(HDC dc, const std::wstring& text);

// The height of one line of |font| on the screen, from DrawTextW.
int LineHeight(HFONT font);

}  // namespace lite

#endif  // LITE_UI_TEXT_METRICS_H_
