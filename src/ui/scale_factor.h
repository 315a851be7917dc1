#ifndef LITE_UI_SCALE_FACTOR_H_
#define LITE_UI_SCALE_FACTOR_H_

#include <windows.h>

namespace lite {

// The drawing scale of the whole process, worked out on first use and then
// kept: the switch "force-device-scale-factor" when it gives a usable
// number, else the screen's logical DPI over 96.
double ScaleFactor();

// The same rule for a given switch value and screen DPI (0: unknown).
double ComputeScaleFactor(const wchar_t* forced, int screen_dpi);

// A size in pixels at 96 DPI, scaled and truncated.
int Scale(int value);
RECT ScaleRect(const RECT& rect);

#if defined(LITE_TEST_HOOKS)
// Makes ScaleFactor answer |factor| for one scope, so that drawing can be
// tested at several scales in one process.
class ScopedScaleFactorForTesting {
 public:
  explicit ScopedScaleFactorForTesting(double factor);
  ScopedScaleFactorForTesting(const ScopedScaleFactorForTesting&) = delete;
  ScopedScaleFactorForTesting& operator=(const ScopedScaleFactorForTesting&) = delete;
  ~ScopedScaleFactorForTesting();

 private:
  double previous_;
};
#endif

}  // namespace lite

#endif  // LITE_UI_SCALE_FACTOR_H_
