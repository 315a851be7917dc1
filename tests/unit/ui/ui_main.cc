// Test runner of the window toolkit and graphics: COM, the common controls
// and GDI+ are up for the whole run, as in the installer.
#include <gtest/gtest.h>

#include "crash_exit.h"
#include "ui/ui_runtime.h"

int main(int argc, char** argv) {
  lite::ExitOnCrash();
  testing::InitGoogleTest(&argc, argv);
  lite::UiRuntime runtime;
  return RUN_ALL_TESTS();
}
