#include "system/internal_interface_safe_check.h"

#include <windows.h>

#include "base/file_util.h"
#include "base/scoped_handle.h"
#include "logging/log_record.h"
#include "process/exit_codes.h"
#include "process/installer_command_line.h"
#include "process/switches.h"

namespace lite {
namespace {

constexpr char kFunction[] = "IsInternalInterfaceAvailableSafeCheck";

// Builds from which the interface is known to be usable.
constexpr uint32_t kLastBuildNeedingTest = 17703;
constexpr uint32_t kBuild1803 = 17134;
constexpr uint32_t kLastRevisionOf1803NeedingTest = 318;

// Keep the packed status within 32 bits.
constexpr uint32_t kBuildLimit = 29497;
constexpr uint32_t kRevisionLimit = 7296;
constexpr uint32_t kCategoryFactor = 1000000000;

// Exit code given to a child that did not finish in time.
constexpr UINT kTimeoutExitCode = 22;

// Runs the test in the child; returns the category and sets |available|.
uint32_t RunCheckChild(const std::wstring& program, uint32_t timeout_ms, bool* available) {
  *available = false;
  if (!FileExists(program)) {
    PLOG(ERROR, kFunction) << "Failed to check Win10 internal interface availability: "
                           << "can't get installer exe path.";
    return kInterfaceCheckOtherFailure;
  }

  InstallerCommandLine command_line;
  command_line.SetProgram(program);
  command_line.AppendSwitch(switches::kCheckTheInterface);
  const std::wstring command_text = command_line.ToString();
  std::wstring writable_text = command_text;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!::CreateProcessW(program.c_str(), &writable_text[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
    PLOG(ERROR, kFunction) << "Failed to check Win10 internal interface availability: "
                           << "can't run installer: " << command_text;
    return kInterfaceCheckOtherFailure;
  }
  ScopedHandle process(info.hProcess);
  ScopedHandle thread(info.hThread);

  // WAIT_FAILED is treated as a time-out too, so that no child is left behind.
  if (::WaitForSingleObject(process.get(), timeout_ms) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.get(), kTimeoutExitCode);
    PLOG(ERROR, kFunction) << "Failed to check Win10 internal interface availability, "
                           << " installer was terminated by timeout.";
    return kInterfaceCheckTimedOut;
  }

  DWORD exit_code = 0;
  if (!::GetExitCodeProcess(process.get(), &exit_code)) {
    PLOG(ERROR, kFunction)
        << "Failed to check Win10 internal interface availability, unknown ret code: ";
    return kInterfaceCheckOtherFailure;
  }
  const int32_t code = static_cast<int32_t>(exit_code);
  if (code < 0) {
    PLOG(ERROR, kFunction) << "Failed to check Win10 internal interface availability,"
                           << " ret code: " << code << ", installer crashed";
    return kInterfaceCheckCrashed;
  }
  if (code == EXIT_INTERFACE_AVAILABLE || code == EXIT_INTERFACE_NOT_AVAILABLE) {
    *available = code == EXIT_INTERFACE_AVAILABLE;
    LOG(INFO, kFunction) << "Successfuly checked Win10 internal interface availability: "
                         << "availability: " << *available;
    return *available ? kInterfaceCheckAvailable : kInterfaceCheckNotAvailable;
  }
  PLOG(ERROR, kFunction)
      << "Failed to check Win10 internal interface availability, unknown ret code: " << code;
  return kInterfaceCheckOtherFailure;
}

}  // namespace

InterfaceCheckStatus MakeInterfaceCheckStatus(uint32_t category, const WindowsVersion& version) {
  if (category > kInterfaceCheckOtherFailure) category = kInterfaceCheckOtherFailure;
  const uint32_t build = version.build < kBuildLimit ? version.build * 10000 : 0;
  const uint32_t revision = version.revision < kRevisionLimit ? version.revision : 0;
  return category * kCategoryFactor + (build + revision) % kCategoryFactor;
}

bool IsInternalInterfaceAvailableSafeCheck(const std::wstring& program, uint32_t timeout_ms,
                                           uint32_t* status) {
  const WindowsVersion version = Platform().GetWindowsVersion();
  if (version.major < 10) return false;

  if (version.build > kLastBuildNeedingTest ||
      (version.build == kBuild1803 && version.revision > kLastRevisionOf1803NeedingTest)) {
    *status = MakeInterfaceCheckStatus(kInterfaceCheckAvailable, version);
    return true;
  }
  bool available = false;
  const uint32_t category = RunCheckChild(program, timeout_ms, &available);
  *status = MakeInterfaceCheckStatus(category, version);
  return available;
}

bool IsInternalInterfaceAvailableSafeCheck(uint32_t* status) {
  return IsInternalInterfaceAvailableSafeCheck(
      InstallerCommandLine::ForCurrentProcess().GetProgram(), kInterfaceCheckTimeoutMs, status);
}

}  // namespace lite
