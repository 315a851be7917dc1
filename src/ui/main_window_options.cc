#include "ui/main_window_options.h"

#include "config/distrib_params.h"
#include "ui/main_window_layout.h"

namespace lite {

InstallOptions ResolveInstallOptions(const DistribParams& params, const CheckBoxStates& boxes) {
  InstallOptions options;
  if (!params.GetMakeDefault(&options.make_default)) options.make_default = boxes.make_default;
  if (!params.GetStatistics(&options.send_statistics)) {
    options.send_statistics = boxes.send_statistics;
  }
  if (!params.GetMirraShortcut(&options.mirra_shortcut)) {
    options.mirra_shortcut = boxes.mirra_shortcut;
  }
  if (params.UseAlternativeMirraWording()) {
    options.set_disable_mirra = true;
    options.disable_mirra = !options.mirra_shortcut;
  }
  return options;
}

int FirstScreenLayoutType(const DistribParams& params, int elevation_mode, bool mirra_prompt) {
  bool unused;
  const bool default_box = !params.GetMakeDefault(&unused) && elevation_mode != 2;
  const bool statistics_box = !params.GetStatistics(&unused);
  const bool mirra_box = !params.GetMirraShortcut(&unused) && mirra_prompt;
  return LayoutTypeFor(default_box, statistics_box, mirra_box);
}

int DownloadPercent(double fraction) {
  // A fraction outside 0..1 (a server that sends more than it announced)
  // must not push the bar past the download's share.
  if (!(fraction > 0.0)) fraction = 0.0;
  if (fraction > 1.0) fraction = 1.0;
  return static_cast<int>(40.0 * fraction + 5.0 * (1.0 - fraction));
}

int InstallStagePercent(uintptr_t stage) {
  switch (stage) {
    case 5:
      return 75;
    case 7:
      return 79;
    default:
      return 0;
  }
}

int ImportPercent(uintptr_t import_percent) {
  // The setup's value arrives in a message parameter: anything above 100
  // would leave the scale, so it counts as done.
  const float p = static_cast<float>(import_percent > 100 ? 100 : import_percent) / 100.0f;
  return static_cast<int>(p * 100.0f + (1.0f - p) * 80.0f);
}

}  // namespace lite
