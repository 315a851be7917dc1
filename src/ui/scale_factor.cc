#include "ui/scale_factor.h"

#include <cwchar>
#include <limits>
#include <string>

#include "base/scoped_gdi.h"
#include "process/installer_command_line.h"
#include "process/switches.h"

namespace lite {
namespace {

#if defined(LITE_TEST_HOOKS)
double g_factor_for_testing = 0.0;
#endif

int ScreenDpi() {
  ScopedGetDc screen(nullptr);
  return screen.get() ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
}

}  // namespace

double ComputeScaleFactor(const wchar_t* forced, int screen_dpi) {
  const double value = forced ? std::wcstod(forced, nullptr) : 0.0;
  // Zero, negative or endless factors would make nothing drawable.
  if (value > 0.0 && value < std::numeric_limits<double>::infinity()) return value;
  return screen_dpi > 0 ? screen_dpi / 96.0 : 1.0;
}

double ScaleFactor() {
#if defined(LITE_TEST_HOOKS)
  if (g_factor_for_testing > 0.0) return g_factor_for_testing;
#endif
  static const double factor = [] {
    const std::wstring forced = InstallerCommandLine::ForCurrentProcess().GetSwitchValue(
        switches::kForceDeviceScaleFactor);
    return ComputeScaleFactor(forced.c_str(), ScreenDpi());
  }();
  return factor;
}

int Scale(int value) {
  return static_cast<int>(value * ScaleFactor());
}

RECT ScaleRect(const RECT& rect) {
  return RECT{Scale(rect.left), Scale(rect.top), Scale(rect.right), Scale(rect.bottom)};
}

#if defined(LITE_TEST_HOOKS)
ScopedScaleFactorForTesting::ScopedScaleFactorForTesting(double factor)
    : previous_(g_factor_for_testing) {
  g_factor_for_testing = factor;
}

ScopedScaleFactorForTesting::~ScopedScaleFactorForTesting() {
  g_factor_for_testing = previous_;
}
#endif

}  // namespace lite
