#ifndef LITE_UI_SCALE_FACTOR_H_
#define LITE_UI_SCALE_FACTOR_H_

namespace lite {

// The drawing scale of the whole process, worked out on first use and then
// kept: the switch "force-device-scale-factor" when it gives a usable
// number, else the screen's logical DPI over 96.
double ScaleFactor();

// The same rule for a given switch value and screen DPI (0: unknown).
double ComputeScaleFactor(const wchar_t* forced, int screen_dpi);

}  // namespace lite

#endif  // LITE_UI_SCALE_FACTOR_H_
