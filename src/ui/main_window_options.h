#ifndef LITE_UI_MAIN_WINDOW_OPTIONS_H_
#define LITE_UI_MAIN_WINDOW_OPTIONS_H_

#include <cstdint>

namespace lite {

class DistribParams;

// The states of the first screen's check boxes when the user clicks
// Install (or their initial states in quick-start mode).
struct CheckBoxStates {
  bool make_default = false;
  bool send_statistics = false;
  bool mirra_shortcut = true;
};

// What the installer is told: a parameter given by the distribution wins
// over the check box, which is only shown when the parameter is absent.
struct InstallOptions {
  bool make_default = false;
  bool send_statistics = false;
  bool mirra_shortcut = false;
  // Only when "disal" is "1": the opposite of the shortcut choice.
  bool set_disable_mirra = false;
  bool disable_mirra = false;
};

InstallOptions ResolveInstallOptions(const DistribParams& params, const CheckBoxStates& boxes);

// Which check boxes the first screen shows (a MainWindowLayout type).
int FirstScreenLayoutType(const DistribParams& params, int elevation_mode, bool mirra_prompt);

// The progress scale: the archive download fills 5..40 %, the setup's
// stages 5 and 7 give 75 and 79 %, its import 80..100 %.
int DownloadPercent(double fraction);
int InstallStagePercent(uintptr_t stage);
int ImportPercent(uintptr_t import_percent);

}  // namespace lite

#endif  // LITE_UI_MAIN_WINDOW_OPTIONS_H_
