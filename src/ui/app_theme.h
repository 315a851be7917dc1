#ifndef LITE_UI_APP_THEME_H_
#define LITE_UI_APP_THEME_H_

namespace lite {

// Whether the program's controls are drawn with visual styles
// (IsAppThemed). Without them check boxes send no custom-draw
// notifications and are owner-drawn instead.
bool IsApplicationThemed();

#if defined(LITE_TEST_HOOKS)
// Makes IsApplicationThemed answer |themed| for one scope: Wine runs
// without a theme unless one is installed, and the themed drawing path
// needs testing too.
class ScopedApplicationThemedForTesting {
 public:
  explicit ScopedApplicationThemedForTesting(bool themed);
  ScopedApplicationThemedForTesting(const ScopedApplicationThemedForTesting&) = delete;
  ScopedApplicationThemedForTesting& operator=(const ScopedApplicationThemedForTesting&) = delete;
  ~ScopedApplicationThemedForTesting();

 private:
  int previous_;
};
#endif

}  // namespace lite

#endif  // LITE_UI_APP_THEME_H_
