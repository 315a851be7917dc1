#include "install/installer.h"

#include <objbase.h>
#include <process.h>

#include "base/file_util.h"
#include "base/scoped_path_deleter.h"
#include "base/string_conversion.h"
#include "config/brand_info.h"
#include "config/distrib_params.h"
#include "install/delayed_params.h"
#include "install/elevated_installer_process.h"
#include "install/installer_observer.h"
#include "install/run_module_and_wait.h"
#include "logging/log_record.h"
#include "logging/thread_boundary.h"
#include "net/async_install_tasks.h"
#include "net/download_with_progress.h"
#include "net/installer_events.h"
#include "net/installer_statistics.h"
#include "net/string_download_sink.h"
#include "process/exit_codes.h"
#include "process/switches.h"
#include "process/test_crash.h"
#include "system/file_version.h"
#include "system/internal_interface_safe_check.h"
#include "system/platform_queries.h"
#include "system/registry_helpers.h"
#include "system/registry_values.h"
#include "system/uac_notifications.h"
#include "trust/verify_module.h"

namespace lite {
namespace {

constexpr DWORD kThreadExitWaitMs = 60000;
constexpr DWORD kBrowserWindowCheckMs = 20000;
constexpr wchar_t kBrowserMessageWindowClass[] = L"ZelmarBrowser_MessageWindow";
constexpr wchar_t kModulePrefix[] = L"zb";
constexpr char kLiteSource[] = "lite";
constexpr char kPermanentLockParam[] = "setup_arc_permanent_lock";
// The elevated instance learns the real archive path only after the go signal.
constexpr wchar_t kPlaceholderArchive[] = L"fake_browser_arc";

// A command line with any of these is a setup maintenance call, never an
// installation to elevate for. Tested in this order.
constexpr const char* kNonInstallSwitches[] = {
    "update-setup-exe", "show-eula", "configure-user-settings", "register-dev-chrome",
    "register-browser-browser", "rename-browser-exe", "on-os-upgrade",
    "fake-rename-zelmar-internet", "patch", "reenable-autoupdates", "simulate-crash",
    "delete-old-versions", "set-as-default-browser", "set-as-default-browser-dll", "pttw1",
    "pwattw1", "pttw0",
};

// A zero-sized window in the middle of the work area, in front, so that the
// elevation prompt it owns comes up in front too.
HWND CreatePromptOwnerWindow() {
  const HWND window = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE,
                                       0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  if (!window) return nullptr;
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  if (::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) {
    const RECT& area = info.rcWork;
    ::MoveWindow(window, (area.left + area.right) / 2, (area.top + area.bottom) / 2, 0, 0, FALSE);
  }
  ::SetForegroundWindow(window);
  return window;
}

// The StringFromGUID2 form without its braces.
std::wstring NewReportId() {
  GUID guid;
  if (FAILED(::CoCreateGuid(&guid))) return std::wstring();
  wchar_t text[40] = {};
  if (::StringFromGUID2(guid, text, 40) != 39) return std::wstring();
  return std::wstring(text + 1, 36);
}

const BrandInfo& BrandOrEmpty(const BrandInfo* brand_info) {
  // The elevated instance runs a setup without brand data.
  static const BrandInfo* const kNoBrand = new BrandInfo(std::wstring());
  return brand_info ? *brand_info : *kNoBrand;
}

}  // namespace

Installer::Installer(InstallerObserver* observer, const BrandInfo* brand_info,
                     const DistribParams* distrib_params, bool start_prefetch,
                     const InstallerCommandLine& command_line,
                     std::unique_ptr<InstallerStatistics> statistics)
    : InstallerCommandLineHolder(command_line),
      ModuleDownload(BrandOrEmpty(brand_info), distrib_params, command_line_copy, nullptr,
                     observer),
      statistics_(statistics ? std::move(statistics) : std::make_unique<InstallerStatistics>()),
      observer_(observer),
      brand_info_(brand_info),
      working_folder_(brand_info ? brand_info->temporary_folder : std::wstring()),
      data_paths_(InstallerDataPaths::FromCommandLine(command_line)) {
  if (start_prefetch && brand_info) {
    static const DistribParams* const kNoParams = new DistribParams();
    prefetch_tasks_ = std::make_unique<AsyncInstallTasks>(
        *brand_info, distrib_params ? *distrib_params : *kNoParams);
  }
  InitStatistics(brand_info, distrib_params);
}

Installer::~Installer() {
  if (thread_.is_valid()) {
    ::SetEvent(stop_event_.get());
    if (::WaitForSingleObject(thread_.get(), kThreadExitWaitMs) == WAIT_TIMEOUT) {
      PLOG(ERROR, "~Installer")
          << "Failed to wait for install async exit. Terminate install_thread_";
      ::TerminateThread(thread_.get(), 0);
    }
  }
  elevated_instance_.reset();
  statistics_.reset();
  prefetch_tasks_.reset();
}

void Installer::InitStatistics(const BrandInfo* brand_info, const DistribParams* distrib_params) {
  statistics_->SetParameter(kStatParamBrandId, brand_info ? brand_info->brand_id : "unknown");
  statistics_->SetParameter(kStatParamPartnerId, brand_info ? brand_info->partner_id : "unknown");
  if (distrib_params) {
    const struct {
      const char* key;
      int index;
    } params[] = {
        {"banerid", kStatParamBannerId},
        {"distr_zelmaruid", kStatParamDistrZelmarUid},
        {"zelmaruid", kStatParamZelmarUid},
    };
    for (const auto& param : params) {
      std::string value;
      if (distrib_params->GetParam(param.key, &value)) statistics_->SetParameter(param.index, value);
    }
  }
  stop_event_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  start_event_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  set_stop_event(stop_event_.get());
}

bool Installer::StartInstallThread() {
  ::ResetEvent(stop_event_.get());
  ::ResetEvent(start_event_.get());
  const uintptr_t thread = ::_beginthreadex(nullptr, 0, &Installer::ThreadMain, this, 0, nullptr);
  thread_.reset(reinterpret_cast<HANDLE>(thread));
  return thread_.is_valid();
}

unsigned __stdcall Installer::ThreadMain(void* installer) {
#if defined(LITE_TEST_HOOKS)
  CrashIfAskedForTesting("worker");
#endif
  RunAtThreadBoundary("Installer::ThreadMain",
                      [installer] { static_cast<Installer*>(installer)->Install(); });
  return 0;
}

void Installer::RecordOkButtonTime() {
  ok_button_time_ = TickNow();
}

void Installer::StartInstallation() {
  start_time_ = TickNow();
  ::SetEvent(start_event_.get());
}

void Installer::RunSynchronously() {
  ::ResetEvent(stop_event_.get());
  start_time_ = TickNow();
  ::SetEvent(start_event_.get());
  Install();
}

bool Installer::WaitForInstallAsync() {
  if (!thread_.is_valid()) return true;
  ::SetEvent(stop_event_.get());
  return ::WaitForSingleObject(thread_.get(), kThreadExitWaitMs) != WAIT_TIMEOUT;
}

bool Installer::NeedStartThisProcessAsAdmin() {
  constexpr char kFunction[] = "NeedStartThisProcessAsAdmin";
  if (!Platform().IsUserInAdminGroup()) {
    LOG(INFO, kFunction) << "User is not in admin group.";
    return false;
  }
  if (Platform().GetWindowsVersion().major < 6) {
    LOG(INFO, kFunction) << "Windows version is not suitable for elevated restart.";
    return false;
  }
  for (const char* name : kNonInstallSwitches) {
    if (command_line_copy.HasSwitch(name)) {
      LOG(INFO, kFunction) << "Found non install-switch:" << name;
      return false;
    }
  }
  if (command_line_copy.HasSwitch(switches::kRunAsAdmin)) {
    LOG(INFO, kFunction) << "Run-as-admin functionality is already enabled.";
    return false;
  }
  if (command_line_copy.HasSwitch(switches::kSilent) &&
      !command_line_copy.HasSwitch(switches::kUacEnabled) && !Platform().IsRunningAsAdmin()) {
    LOG(INFO, kFunction) << "Elevated run is necessary but silent instalation is requested - "
                            "UAC will not be shown.";
    return false;
  }
  return true;
}

bool Installer::RestartAsAdmin() {
  InstallerCommandLine command_line = command_line_copy;
  command_line.AppendSwitch(switches::kRunAsAdmin);
  command_line.AppendSwitch(switches::kParentInstallerProcessId,
                            std::to_wstring(::GetCurrentProcessId()));
  command_line.AppendSwitch(switches::kSetupCmdLine,
                            BuildSetupCommandLine(kPlaceholderArchive, false).ToString());
  const std::wstring program = command_line.GetProgram();
  command_line.SetProgram(std::wstring());
  const std::wstring parameters = command_line.ToString();

  const HWND owner = CreatePromptOwnerWindow();
  elevated_instance_.reset();
  elevated_instance_ = CreateElevatedInstallerProcess();

  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.hwnd = owner;
  info.lpVerb = L"runas";
  info.lpFile = program.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_SHOW;
  if (ShellExecuteRunAs(&info)) {
    elevated_instance_->SetProcess(info.hProcess, owner);
    return true;
  }
  elevated_instance_.reset();
  uac_declined_ = reinterpret_cast<INT_PTR>(info.hInstApp) == SE_ERR_ACCESSDENIED;
  if (owner) ::DestroyWindow(owner);
  return false;
}

bool Installer::ShellExecuteRunAs(SHELLEXECUTEINFOW* info) {
  return ::ShellExecuteExW(info) != FALSE;
}

std::unique_ptr<ElevatedInstallerProcess> Installer::CreateElevatedInstallerProcess() {
  return std::make_unique<ElevatedInstallerProcess>();
}

void Installer::SetMakeDefault(bool make_default) {
  const WindowsVersion version = Platform().GetWindowsVersion();
  const bool windows8 = version.major == 6 && (version.minor == 2 || version.minor == 3);
  if (!windows8) make_default_ = make_default;
}

bool Installer::CanMakeDefaultBrowser() {
  const WindowsVersion version = Platform().GetWindowsVersion();
  if (version.major < 6 || (version.major == 6 && version.minor <= 1)) return true;
  if (version.major == 6) return false;
  uint32_t status = 0;
  const bool available = IsInternalInterfaceAvailableSafeCheck(&status);
  interface_availability_ = status;
  return available;
}

void Installer::SendButtonClickedEvent(const std::string& name) {
  statistics_->SendDialogEvent(ButtonClickedEvent(name));
}

void Installer::SendLinkClickedEvent(const std::string& address) {
  statistics_->SendDialogEvent(LinkClickedEvent(UTF8ToWide(address)));
}

void Installer::SendCheckBoxChosenEvent(const std::string& name) {
  statistics_->SendDialogEvent(CheckBoxChosenEvent(name));
}

void Installer::SendInstallButtonClickedEvent() {
  statistics_->SendEvent(InstallButtonClickedEvent());
}

bool Installer::Download(const std::wstring& url, DownloadSink* sink, std::string* error_stage,
                         std::wstring* redirect_url) {
  LOG(INFO, "Download") << "Attempt to download module: " << WideToUTF8(url);
  sink->Reset();
  // Not cancelled by the stop event: the report of a run the user left
  // says so, and would otherwise never be sent. Its own time-outs bound it
  // within the window's wait for this thread.
  return DownloadWithProgress(url, sink, error_stage, redirect_url, nullptr, nullptr, nullptr,
                              nullptr);
}

void Installer::Install() {
  statistics_->SendEvent(InstallerStartedEventForThisScreen(scale_factor_));
  report_id_ = NewReportId();
  if (brand_info_) brand_info_->StoreLanguageInRegistry();
  ExtractInstallerDataIfAbsent(working_folder_, &data_paths_);
  StoreRegistryMirrors();

  int result = InstallBrowser();
  if (result == 0) {
    RemoveRegistryMirrors();
  } else {
    const int32_t shared_error = GetSharedErrorCode();
    if (result == kInstallFailedGeneral && shared_error != kSharedErrorNone) result = shared_error;
    if (observer_ && (!IsStopped() || shared_error != kSharedErrorNone)) {
      observer_->OnInstallFailed(result);
    }
  }
  if (observer_) CloseWhenBrowserWindowGone();
  ReportInstallationFinished(result == 0);
}

void Installer::StoreRegistryMirrors() {
  StoreBrowserValue(kRegValueInstallerData, data_paths_.installer_data);
  StoreBrowserValue(kRegValueClidsFile, data_paths_.clids);
  StoreBrowserValue(kRegValueClidsSearchbandFile, data_paths_.clids_searchband);
  StoreBrowserValue(kRegValueZelmarWebsiteIconFile, data_paths_.website_icon);
  StoreBrowserValue(kRegValueAbtConfigResourceFile, data_paths_.abt_config_resource);
  if (brand_info_) brand_info_->StoreBrandInRegistry();
}

void Installer::RemoveRegistryMirrors() {
  for (const wchar_t* value : {kRegValueInstallerData, kRegValueClidsFile,
                               kRegValueClidsSearchbandFile, kRegValueZelmarWebsiteIconFile,
                               kRegValueDistribInfoParams}) {
    RemoveBrowserValue(value);
  }
  BrandInfo::RemoveBrandFromRegistry();
  if (brand_info_) {
    DeleteFileIfNamed(brand_info_->brand_package_path);
    DeleteFileIfNamed(brand_info_->partner_package_path);
  }
}

void Installer::CloseWhenBrowserWindowGone() {
  while (WaitForStopEventTimedOut(kBrowserWindowCheckMs)) {
    if (!BrowserMessageWindowExists()) {
      observer_->OnInstallFinished(1);
      return;
    }
  }
}

bool Installer::WaitForStopEventTimedOut(DWORD timeout_ms) {
  return ::WaitForSingleObject(stop_event_.get(), timeout_ms) == WAIT_TIMEOUT;
}

bool Installer::BrowserMessageWindowExists() {
  return ::FindWindowExW(HWND_MESSAGE, nullptr, kBrowserMessageWindowClass, nullptr) != nullptr;
}

int Installer::InstallBrowser() {
  LOG(INFO, "InstallBrowser") << "Install Browser.";
  module_path_ = GetModulePath();
  if (module_path_.empty()) return kInstallFailedGeneral;

  std::string lock_value;
  const bool permanent_lock = distrib_params() &&
                              distrib_params()->GetParam(kPermanentLockParam, &lock_value) &&
                              !lock_value.empty();

  LOG(INFO, "InstallBrowser") << "Executable path: " << WideToUTF8(module_path_);
  ::DeleteFileW(module_path_.c_str());
  ScopedPathDeleter module_deleter(module_path_);

  const int64_t t0 = WallClockNow();
  ScopedHandle lock;
  const int module_result = GetModule(module_path_, permanent_lock ? &lock : nullptr);
  if (module_result != 0) return module_result;

  const int64_t t1 = WallClockNow();
  HANDLE events[] = {stop_event_.get(), start_event_.get()};
  if (::WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
    PLOG(ERROR, "InstallBrowser") << "Installation after download event isn't in signal state "
                                     "or installation was stopped early.";
    return kInstallFailedGeneral;
  }

  const int64_t t2 = WallClockNow();
  if (!LockModule(permanent_lock, &lock)) return kInstallFailedGeneral;

  if (!VerifyModule(module_path_)) {
    PLOG(ERROR, "InstallBrowser") << "Module verification failed: " << WideToUTF8(module_path_);
    exit_code_ = EXIT_MODULE_VERIFICATION_FAILED;
    statistics_->SendEvent(VerificationFailedEvent());
    return kInstallFailedGeneral;
  }
  LOG(INFO, "InstallBrowser") << "Verification succeeded: " << WideToUTF8(module_path_);
  const int64_t t3 = WallClockNow();
  statistics_->StoreInRegistry();
  const std::wstring old_version = statistics_->GetParameter(kStatParamOldVer);
  SetupRunKind run_kind;
  run_kind.uac_prompts_off = !AreUacPromptsEnabled();
  run_kind.elevated_instance = elevated_instance_ != nullptr;
  statistics_->SendEvent(SetupLaunchedEvent(old_version, run_kind));

  const bool run_result = RunSetup();
  lock.reset();

  const int64_t t4 = WallClockNow();
  install_time_ = t4 - t3;
  statistics_->SendEvent(SetupExitedEvent(old_version, run_kind.elevated_instance, run_result,
                                         exit_code_, install_time_));
  elevated_instance_.reset();
  if (!run_result) return kInstallFailedGeneral;

  if (command_line_copy.HasSwitch(switches::kDoNotLaunchBrowser) && observer_) {
    observer_->SetProgressPercent(100);
    observer_->OnInstallFinished(1);
    observer_ = nullptr;
  }
  total_time_ = (t4 - t2) + (t1 - t0);
  return 0;
}

bool Installer::LockModule(bool permanent_lock, ScopedHandle* lock) {
  if (permanent_lock) {
    // Reopen for execution, then drop write sharing: from here on nobody
    // can change the archive between verification and launch.
    ScopedHandle shared(::ReOpenFile(lock->get(), GENERIC_READ | GENERIC_EXECUTE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, 0));
    if (shared.is_valid()) {
      lock->reset();
      lock->reset(::ReOpenFile(shared.get(), GENERIC_READ | GENERIC_EXECUTE, FILE_SHARE_READ, 0));
    }
    if (!shared.is_valid() || !lock->is_valid()) {
      statistics_->SendEvent(ArchiveLockFailedEvent());
      PLOG(ERROR, "InstallBrowser") << "Cannot lock file: " << WideToUTF8(module_path_);
      return false;
    }
    return true;
  }
  lock->reset(::CreateFileW(module_path_.c_str(), GENERIC_READ | GENERIC_EXECUTE, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!lock->is_valid()) {
    PLOG(ERROR, "InstallBrowser") << "Cannot lock file: " << WideToUTF8(module_path_);
    return false;
  }
  return true;
}

bool Installer::RunSetup() {
  if (elevated_instance_) {
    const bool extracted_brand = brand_info_ && brand_info_->brand_package_extracted;
    const bool extracted_partner = brand_info_ && brand_info_->partner_package_extracted;
    if (!WriteDelayedParams(
            module_path_, data_paths_.clids, data_paths_.clids_searchband,
            data_paths_.website_icon, data_paths_.installer_data,
            extracted_brand ? brand_info_->brand_package_path : std::wstring(),
            extracted_partner ? brand_info_->partner_package_path : std::wstring(),
            partner_override_path_, std::to_wstring(download_time_ / 1000000),
            std::to_wstring(start_time_), send_statistics_, make_default_,
            create_mirra_shortcut_)) {
      PLOG(ERROR, "InstallBrowser") << "Unexpected error in CreateDelayedParamsMapping()";
      return false;
    }
    return RunModuleInElevatedProcess();
  }
  const InstallerCommandLine setup_command_line = BuildSetupCommandLine(module_path_, true);
  return RunModule(module_path_, setup_command_line);
}

bool Installer::RunModuleInElevatedProcess() {
  LOG(INFO, "RunModuleInElevatedProcess")
      << "Started waiting the elevated installer has finished its work.";
  const bool result = elevated_instance_ && elevated_instance_->RunModule(stop_event_.get());
  LOG(INFO, "RunModuleInElevatedProcess")
      << "The elevated installer has finished, success=" << (result ? 1 : 0);
  return result;
}

bool Installer::RunModule(const std::wstring& path, const InstallerCommandLine& command_line) {
  InstallerCommandLine setup = command_line;
  setup.SetProgram(path);
  setup.AppendSwitchASCII(switches::kSource, kLiteSource);
  return RunModuleAndWait(nullptr, setup.ToString(), &exit_code_, observer_);
}

InstallerCommandLine Installer::BuildSetupCommandLine(const std::wstring& program_path,
                                                      bool with_data_files) {
  InstallerCommandLine setup = command_line_copy;
  setup.SetProgram(program_path);
  // Only the elevated instance may tell the setup a download time.
  setup.RemoveSwitch(switches::kHistogramDownloadTime);
  if (uac_declined_) setup.AppendSwitch(switches::kDisableUac);
  const HWND window = observer_ ? observer_->GetWindowHandle() : nullptr;
  setup.AppendSwitch(switches::kProgressWindow,
                     std::to_wstring(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window))));
  setup.AppendSwitch(switches::kVerboseLogging);
  if (brand_info_) setup.AppendSwitchASCII(switches::kBrandName, brand_info_->brand_name);
  if (distrib_params() && !distrib_params()->dump_path().empty()) {
    setup.AppendSwitch(switches::kDistrInfoFile, distrib_params()->dump_path());
  }
  setup.SetOrRemoveSwitch(make_default_, switches::kMakeBrowserDefaultAfterImport);
  setup.SetOrRemoveSwitch(send_statistics_, switches::kSendStatistics);
  setup.SetOrRemoveSwitch(create_mirra_shortcut_, switches::kCreateMirraShortcutInTaskbar);
  setup.SetOrRemoveSwitch(disable_mirra_logic_, switches::kDisableMirraLogicApply);
  if (ok_button_time_ != 0) {
    setup.AppendSwitch(switches::kOkButtonPressedTime, std::to_wstring(ok_button_time_));
  }
  if (start_time_ != 0) {
    setup.AppendSwitch(switches::kInstallStartTimeNoUac, std::to_wstring(start_time_));
  }
  if (interface_availability_ != 0) {
    setup.AppendSwitch(switches::kTheInterfaceAvailability,
                       std::to_wstring(interface_availability_));
  }
  if (!data_paths_.abt_config_resource.empty()) {
    setup.AppendSwitch(switches::kAbtConfigResourceFile, data_paths_.abt_config_resource);
  }
  if (with_data_files) {
    setup.AppendSwitch(switches::kInstallerData, data_paths_.installer_data);
    setup.AppendSwitch(switches::kClidsFile, data_paths_.clids);
    if (!data_paths_.clids_searchband.empty()) {
      setup.AppendSwitch(switches::kClidsSearchbandFile, data_paths_.clids_searchband);
    }
    if (!data_paths_.website_icon.empty()) {
      setup.AppendSwitch(switches::kZelmarWebsiteIconFile, data_paths_.website_icon);
    }
    if (brand_info_ && brand_info_->brand_package_extracted) {
      setup.AppendSwitch(switches::kBrandPackage, brand_info_->brand_package_path);
    }
    if (brand_info_ && brand_info_->partner_package_extracted) {
      setup.AppendSwitch(switches::kPartnerPackage, brand_info_->partner_package_path);
    }
    if (!partner_override_path_.empty()) {
      setup.AppendSwitch(switches::kOverridePartnerPackage, partner_override_path_);
    }
  }
  if (distrib_params() && distrib_params()->GetElevationMode(command_line_copy) == 2) {
    setup.AppendSwitch(switches::kShowUacAtBrowserStart);
  }
  if (distrib_params() && distrib_params()->IsParamOne("uts2")) {
    setup.AppendSwitch(switches::kUseTaskScheduler2);
  }
  if (prefetch_tasks_) prefetch_tasks_->AppendPathSwitches(&setup);
  return setup;
}

std::wstring Installer::GetModulePath() {
  const std::wstring path = CreateTempFileIn(working_folder_, kModulePrefix);
  if (path.empty()) PLOG(ERROR, "GetModulePath") << "Cannot obtain temp file.";
  return path;
}

int Installer::GetModule(const std::wstring& path, ScopedHandle* lock) {
  const int64_t start = WallClockNow();
  bool downloaded = false;
  const Result result = DownloadOrExtractModule(path, &downloaded, lock);
  download_time_ = WallClockNow() - start;
  if (result != kSucceeded) {
    PLOG(ERROR, "GetModule") << "Module was not downloaded: " << WideToUTF8(path);
    exit_code_ = EXIT_MODULE_NOT_DOWNLOADED;
    return result;
  }
  LOG(INFO, "GetModule") << "Module downloaded: " << WideToUTF8(path);
  statistics_->SetParameter(kStatParamNewVer, GetFileVersionString(path));
  if (downloaded) {
    statistics_->SetParameter(kStatParamInstallType, "normal");
    statistics_->SendEvent(DownloadFinishedEvent(download_time_));
  } else if (distrib_params() && distrib_params()->IsRetryAfterFailedInstall()) {
    statistics_->SetParameter(kStatParamInstallType, "lite_install_failed");
  }
  return 0;
}

bool Installer::VerifyModule(const std::wstring& path) {
  return VerifySignedModule(path);
}

int64_t Installer::TickNow() {
  ULONGLONG interrupt_time = 0;  // 100-nanosecond units
  ::QueryUnbiasedInterruptTime(&interrupt_time);
  return static_cast<int64_t>(interrupt_time / 10);
}

bool Installer::AreUacPromptsEnabled() {
  return AreUACNotificationsEnabled();
}

void Installer::OnDownloadStarted() {
  statistics_->SendEvent(DownloadStartedEvent());
}

void Installer::OnDownloadAttempt(const DownloadAttemptResult& attempt) {
  // The user has gone: what is left of the download is not news.
  if (IsCancelled()) return;
  if (!attempt.success) {
    statistics_->SendEvent(DownloadErrorEvent(attempt.attempt_number, attempt.error_stage));
  }
  statistics_->SendEvent(DownloadAttemptEvent(attempt));
}

void Installer::ReportInstallationFinished(bool success) {
  const std::wstring url =
      BuildInstallReportUrl(report_id_, InstallReportResult(cancel_count_.load(), success),
                            total_time_, download_time_, install_time_);
  StringDownloadSink sink(StringDownloadSink::kReportReplyLimit);
  std::string error_stage;
  std::wstring redirect_url;
  if (!Download(url, &sink, &error_stage, &redirect_url)) {
    PLOG(ERROR, "ReportInstallationFinished")
        << "Cannot report installation status: " << error_stage;
  }
}

}  // namespace lite
