#include "ui/app_theme.h"

#include <windows.h>
#include <uxtheme.h>

namespace lite {
namespace {

#if defined(LITE_TEST_HOOKS)
// -1: ask the system; 0 or 1: the answer.
int g_themed_for_testing = -1;
#endif

}  // namespace

bool IsApplicationThemed() {
#if defined(LITE_TEST_HOOKS)
  if (g_themed_for_testing >= 0) return g_themed_for_testing != 0;
#endif
  return ::IsAppThemed() != FALSE;
}

#if defined(LITE_TEST_HOOKS)
ScopedApplicationThemedForTesting::ScopedApplicationThemedForTesting(bool themed)
    : previous_(g_themed_for_testing) {
  g_themed_for_testing = themed ? 1 : 0;
}

ScopedApplicationThemedForTesting::~ScopedApplicationThemedForTesting() {
  g_themed_for_testing = previous_;
}
#endif

}  // namespace lite
