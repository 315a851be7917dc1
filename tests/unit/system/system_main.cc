// Test runner for the environment checks. Started with
// --spawned_in_protected_dir it plays the relaunched copy of the installer
// instead of running tests.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/file_util.h"
#include "crash_exit.h"
#include "process/installer_command_line.h"
#include "system/secure_dll_search.h"
#include "system_test_support.h"

namespace {

int RunAsRelaunchedCopy(const lite::InstallerCommandLine& command_line) {
  wchar_t exe[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
  const std::wstring folder = lite::DirName(std::wstring(exe, length));
  lite::WriteWholeFile(command_line.GetSwitchValue("report"), lite::WideToUTF8(folder));
  wchar_t current[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, current);
  if (_wcsicmp(current, folder.c_str()) != 0) return 11;  // not started in its folder
  if (command_line.HasSwitch("plant-dll")) lite::WriteWholeFile(folder + L"\\planted.dll", "");
  lite::NoSecureSearchFunctions old_system;
  lite::ScopedPlatformQueriesOverride scope(&old_system);
  int exit_code = 0;
  switch (lite::SetUpSecureDllSearch(&exit_code)) {
    case lite::kSecureSearchInForce:
      return _wtoi(command_line.GetSwitchValue("copy-exit").c_str());
    case lite::kSecureSearchDllsFound:
      return -200;
    default:
      return 12;
  }
}

}  // namespace

int main(int argc, char** argv) {
  const lite::InstallerCommandLine& command_line = lite::InstallerCommandLine::ForCurrentProcess();
  if (command_line.HasSwitch("spawned_in_protected_dir")) return RunAsRelaunchedCopy(command_line);
  lite::ExitOnCrash();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
