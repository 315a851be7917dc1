// Test runner for the entry point. Started with
// --play-installer it runs the installer's entry point instead of tests,
// on a machine whose answers these switches choose:
//   --fake-secure-search=missing   no SetSearchPathMode/SetDefaultDllDirectories
//   --fake-secure-search=failing   both present, both fail
//   --fake-cpu-without-sse3
// A relaunched copy given --copy-exit=N ends at once with N, as a copy
// that ran the installation would.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/entry_point.h"
#include "crash_exit.h"
#include "process/installer_command_line.h"
#include "system/platform_queries.h"

namespace {

BOOL WINAPI FailingSearchFunction(DWORD) {
  ::SetLastError(ERROR_NOT_SUPPORTED);
  return FALSE;
}

class ScriptedMachine : public lite::PlatformQueries {
 public:
  explicit ScriptedMachine(const lite::InstallerCommandLine& command_line)
      : secure_search_(command_line.GetSwitchValueASCII("fake-secure-search")),
        sse3_(!command_line.HasSwitch("fake-cpu-without-sse3")) {}

  void* GetKernel32Proc(const char* name) override {
    if (secure_search_ == "missing") return nullptr;
    if (secure_search_ == "failing") return reinterpret_cast<void*>(&FailingSearchFunction);
    return PlatformQueries::GetKernel32Proc(name);
  }
  bool IsProcessorFeaturePresent(uint32_t feature) override {
    if (feature == 13 /* PF_SSE3_INSTRUCTIONS_AVAILABLE */ && !sse3_) return false;
    return PlatformQueries::IsProcessorFeaturePresent(feature);
  }

 private:
  const std::string secure_search_;
  const bool sse3_;
};

}  // namespace

int main(int argc, char** argv) {
  lite::ExitOnCrash();
  const lite::InstallerCommandLine& command_line = lite::InstallerCommandLine::ForCurrentProcess();
  if (command_line.HasSwitch("play-installer")) {
    if (command_line.HasSwitch("spawned_in_protected_dir") && command_line.HasSwitch("copy-exit")) {
      return _wtoi(command_line.GetSwitchValue("copy-exit").c_str());
    }
    ScriptedMachine machine(command_line);
    lite::ScopedPlatformQueriesOverride scope(&machine);
    return lite::RunLiteInstaller();
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
