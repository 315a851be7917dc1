#include "app/entry_point.h"

#include <windows.h>

#include <memory>
#include <string>

#include "app/error_message_box.h"
#include "app/processor_check.h"
#include "base/file_util.h"
#include "config/brand_info.h"
#include "config/distrib_params.h"
#include "config/service_hosts.h"
#include "crash/crash_reporter.h"
#include "install/elevated_instance.h"
#include "install/installer.h"
#include "logging/file_logger.h"
#include "logging/log_record.h"
#include "process/bring_process_window_to_top.h"
#include "process/exit_codes.h"
#include "process/installer_command_line.h"
#include "process/process_session.h"
#include "process/shared_sections.h"
#include "process/single_instance_mutex.h"
#include "process/switch_name.h"
#include "process/switches.h"
#include "process/test_crash.h"
#include "system/disk_space.h"
#include "system/internal_interface.h"
#include "system/secure_dll_search.h"
#include "ui/main_window.h"
#include "ui/message_dialogs.h"
#include "ui/scale_factor.h"
#include "ui/ui_runtime.h"

namespace lite {
namespace {

constexpr char kFunction[] = "wWinMain";
constexpr uint32_t kLogSizeLimit = 1048576;

int RunNormalInstallation(const InstallerCommandLine& command_line) {
  UiRuntime ui_runtime;
  LOG(INFO, kFunction) << "Lite installer mode.";

  SingleInstanceMutex mutex;
  if (!mutex.Acquire()) {
    // The shared section is seen from every session but the mutex is per
    // session: an id from another session (or of a process gone) is no
    // owner of ours, and raising its window would reach the wrong user.
    uint32_t master = GetMasterInstallerProcessId();
    if (!IsProcessInCurrentSession(master)) master = 0;
    LOG(INFO, kFunction) << "Another installer instance is already running.";
    LOG(INFO, kFunction) << "Master installer process id: " << master;
    BringProcessWindowToTop(master);
    return EXIT_ALREADY_RUNNING;
  }
  const uint32_t process_id = ::GetCurrentProcessId();
  SetMasterInstallerProcessId(process_id);
  LOG(INFO, kFunction) << "Installer process id: " << process_id;

  const bool silent = command_line.HasSwitch(switches::kSilent);
  const bool system_level = command_line.HasSwitch(switches::kSystemLevel);
  const std::string brand_name = command_line.GetSwitchValueASCII(switches::kBrandName);
  const std::wstring temporary_folder = GetTempFolder();
  LOG(INFO, kFunction) << "Temporary path is: " << temporary_folder;

  DistribParams distrib_params;
  distrib_params.Initialize(command_line, temporary_folder);
  BrandInfo brand_info(temporary_folder);
  brand_info.GetInfo(brand_name);
  std::string tag_language;
  if (distrib_params.GetParam("lang", &tag_language)) brand_info.SetInterfaceLanguage(tag_language);
  brand_info.ApplyDefaults();
  if (CrashReporter* reporter = CrashReporter::Current()) {
    for (const auto& [key, value] : distrib_params.params()) reporter->SetAnnotation(key, value);
    reporter->SetAnnotation("brand_id", brand_info.brand_id);
    reporter->SetAnnotation("brand_name", brand_info.brand_name);
    reporter->SetAnnotation("default_language", brand_info.interface_language);
  }
#if defined(LITE_TEST_HOOKS)
  CrashIfAskedForTesting("main");
#endif

  int message_id = 0;
  if (!IsProcessorSupported(&message_id)) {
    PLOG(ERROR, kFunction) << "CPU is not supported";
    if (!silent) ShowErrorMessageBox(brand_info.language_id, message_id);
    return EXIT_CPU_NOT_SUPPORTED;
  }

  const bool enough_space = HasEnoughDiskSpace(system_level, kRequiredDiskSpace);
  int exit_code = EXIT_SETUP_NOT_RUN;
  if (silent) {
    LOG(INFO, kFunction) << "Installing in silent mode.";
    Installer installer(nullptr, &brand_info, &distrib_params, true, command_line);
    installer.SetMakeDefault(command_line.HasSwitch(switches::kMakeBrowserDefaultAfterImport));
    installer.set_send_statistics(command_line.HasSwitch(switches::kSendStatistics) ||
                                  brand_info.send_statistics());
    installer.set_scale_factor(ScaleFactor());
    installer.RunSynchronously();
    exit_code = installer.exit_code();
  } else if (enough_space) {
    // The window owns the installer; destroying it stops and joins the
    // installer thread.
    MainWindow window(&brand_info, &distrib_params, true);
    if (window.RunModal(nullptr) == 1) {
      // The setup's newer-version notice ends the window while the setup
      // may still be running: its exit code is final only once the
      // installer thread is done.
      window.installer()->WaitForInstallAsync();
      exit_code = window.installer()->exit_code();
    } else {
      LOG(INFO, kFunction) << "User cancelled installation.";
      exit_code = EXIT_USER_CANCELLED;
    }
  } else {
    RunNotEnoughDiskSpaceNotice(brand_info.language_id);
    exit_code = EXIT_NOT_ENOUGH_DISK_SPACE;
  }
  LOG(INFO, kFunction) << "Installer exit with code: " << exit_code;
  return exit_code;
}

}  // namespace

int RunLiteInstaller() {
  int relaunch_exit_code = 0;
  const int secure_result = SetUpSecureDllSearch(&relaunch_exit_code);
  // Removed last, when this function returns.
  CrashReporter crash_reporter(kCrashReportOrigin);
  crash_reporter.SetAnnotation("ptype", "installer");

  // The log path keeps the temporary folder's trailing backslash and adds
  // one more: every process must form the identical string, since the log
  // mutex is named after it.
  SetCurrentLogger(
      std::make_unique<FileLogger>(GetTempFolder() + L"\\lite_installer.log", kLogSizeLimit));
  LOG(INFO, kFunction) << "-------------------------------------- Start install.";

  const InstallerCommandLine& command_line = InstallerCommandLine::ForCurrentProcess();
  for (const std::wstring& name : command_line.dropped_switches()) {
    LOG(WARNING, kFunction) << "Dropped a switch with an unsafe name: "
                            << EscapeSwitchNameForLog(name);
  }
  if (command_line.HasSwitch(switches::kCheckTheInterface)) {
    const int exit_code =
        IsInternalInterfaceAvailable() ? EXIT_INTERFACE_AVAILABLE : EXIT_INTERFACE_NOT_AVAILABLE;
    LOG(INFO, kFunction)
        << "Handled non install cmd line option by win10 default browser helper, ret code: "
        << exit_code;
    return exit_code;
  }

  switch (secure_result) {
    case kSecureSearchCopyFinished:
      return relaunch_exit_code;
    case kSecureSearchStop:
      LOG(INFO, kFunction) << "Exiting, because of insecure environment.";
      return relaunch_exit_code;
    case kSecureSearchNotSet:
      LOG(INFO, kFunction) << "Can't find secure environment.";
      break;
    case kSecureSearchDllsFound:
      LOG(INFO, kFunction) << "Exiting, DLL files found in working directory";
      return EXIT_DLLS_IN_WORKING_DIRECTORY;
    default:
      LOG(INFO, kFunction) << "Runned in secure environment.";
      break;
  }

  if (command_line.HasSwitch(switches::kRunAsAdmin)) return ExecuteAsAdmin(command_line);
  return RunNormalInstallation(command_line);
}

}  // namespace lite
