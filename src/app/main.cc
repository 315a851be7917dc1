#include <windows.h>

#include "app/entry_point.h"

// The arguments are ignored: everything comes from GetCommandLineW.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return lite::RunLiteInstaller();
}
