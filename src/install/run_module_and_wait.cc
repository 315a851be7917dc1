#include "install/run_module_and_wait.h"

#include <windows.h>

#include <vector>

#include "base/scoped_handle.h"
#include "base/string_conversion.h"
#include "install/delayed_params.h"
#include "install/installer_observer.h"
#include "logging/log_record.h"
#include "process/exit_codes.h"

namespace lite {
namespace {

constexpr char kFunction[] = "RunModuleAndWait";
constexpr DWORD kAlreadyInstalledExitCode = 7;

}  // namespace

bool RunModuleAndWait(const wchar_t* application_name, const std::wstring& command_line,
                      int32_t* exit_code, InstallerObserver* observer) {
  LOG(INFO, kFunction) << "Run: " << WideToUTF8(command_line);
  *exit_code = EXIT_SETUP_NOT_RUN;

  // CreateProcessW may write into the command line buffer.
  std::vector<wchar_t> buffer(command_line.begin(), command_line.end());
  buffer.push_back(L'\0');
  STARTUPINFOW startup_info = {};
  startup_info.cb = sizeof(startup_info);
  PROCESS_INFORMATION process_info = {};
  if (!::CreateProcessW(application_name, buffer.data(), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &startup_info, &process_info)) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_EXE_MACHINE_TYPE_MISMATCH) {
      SetSharedErrorCode(kSharedErrorMachineTypeMismatch);
    }
    ::SetLastError(error);
    PLOG(ERROR, kFunction) << "Create process failed.";
    return false;
  }
  ScopedHandle process(process_info.hProcess);
  ScopedHandle thread(process_info.hThread);
  LOG(INFO, kFunction) << "Process created: " << process_info.dwProcessId;
  if (observer) {
    observer->SetProgressPercent(40);
    observer->RemoveCancelButton();
  }
  thread.reset();

  LOG(INFO, kFunction) << "Wait for process finish.";
  if (::WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0) {
    PLOG(ERROR, kFunction) << "Wait process failed.";
    return false;
  }
  DWORD code = 0;
  const bool have_code = ::GetExitCodeProcess(process.get(), &code) != FALSE;
  if (have_code) {
    *exit_code = static_cast<int32_t>(code);
  } else {
    PLOG(ERROR, kFunction) << "Get setup process exit code failed.";
  }
  LOG(INFO, kFunction) << "Setup process exit with code: "
                       << DescribeSetupExitCode(static_cast<uint32_t>(*exit_code));
  if (have_code && code == kAlreadyInstalledExitCode) {
    SetSharedErrorCode(kSharedErrorAlreadyInstalled);
    return false;
  }
  return have_code;
}

}  // namespace lite
