#include "ui/scale_factor.h"

#include <windows.h>

#include <cwchar>
#include <limits>
#include <string>

#include "process/installer_command_line.h"
#include "process/switches.h"
#include "base/scoped_generic.h"

namespace lite {
namespace {

struct ScreenDcTraits {
  static HDC InvalidValue() { return nullptr; }
  static bool IsValid(HDC dc) { return dc != nullptr; }
  static void Free(HDC dc) { ::ReleaseDC(nullptr, dc); }
};
using ScopedScreenDc = ScopedGeneric<HDC, ScreenDcTraits>;

int ScreenDpi() {
  ScopedScreenDc screen(::GetDC(nullptr));
  return screen.is_valid() ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
}

}  // namespace

double ComputeScaleFactor(const wchar_t* forced, int screen_dpi) {
  const double value = forced ? std::wcstod(forced, nullptr) : 0.0;
  // Zero, negative or endless factors would make nothing drawable.
  if (value > 0.0 && value < std::numeric_limits<double>::infinity()) return value;
  return screen_dpi > 0 ? screen_dpi / 96.0 : 1.0;
}

double ScaleFactor() {
  static const double factor = [] {
    const std::wstring forced = InstallerCommandLine::ForCurrentProcess().GetSwitchValue(
        switches::kForceDeviceScaleFactor);
    return ComputeScaleFactor(forced.c_str(), ScreenDpi());
  }();
  return factor;
}

}  // namespace lite
