#ifndef LITE_INSTALL_INSTALLER_H_
#define LITE_INSTALL_INSTALLER_H_

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "base/scoped_handle.h"
#include "config/installer_data_files.h"
#include "install/module_download.h"
#include "net/installer_statistics.h"
#include "process/installer_command_line.h"

namespace lite {

class AsyncInstallTasks;
class BrandInfo;
class DistribParams;
class ElevatedInstallerProcess;
class InstallerObserver;

// Holds the Installer's copy of its command line, so that the copy exists
// before the download base that refers to it.
struct InstallerCommandLineHolder {
  explicit InstallerCommandLineHolder(const InstallerCommandLine& command_line)
      : command_line_copy(command_line) {}
  const InstallerCommandLine command_line_copy;
};

// Carries one installation from start to end: announces it, fetches the
// setup archive while the user still looks at the first screen, waits for
// the start signal, locks and verifies the archive, runs the setup, reports
// each stage and tells the window to close. Runs on its own worker thread
// with a window, on the caller's thread in a silent run.
class Installer : private InstallerCommandLineHolder, public ModuleDownload {
 public:
  // Nothing is owned. |observer| (silent run), |brand_info| (elevated
  // instance) and |distrib_params| (no tag) may be null. |command_line| is
  // the installer's own; it is copied. |statistics| replaces the real
  // sender in tests.
  Installer(InstallerObserver* observer, const BrandInfo* brand_info,
            const DistribParams* distrib_params, bool start_prefetch,
            const InstallerCommandLine& command_line = InstallerCommandLine::ForCurrentProcess(),
            std::unique_ptr<InstallerStatistics> statistics = nullptr);
  ~Installer() override;

  // Thread control.
  bool StartInstallThread();
  void RecordOkButtonTime();
  void StartInstallation();
  void RunSynchronously();
  // False when the worker did not end within a minute.
  bool WaitForInstallAsync();

  // Elevation, decided and started on the window's thread before the start
  // signal.
  bool NeedStartThisProcessAsAdmin();
  // True when the elevated instance was started; a refused prompt makes the
  // setup run here with "disable-uac".
  bool RestartAsAdmin();
  bool uac_declined() const { return uac_declined_; }

  // Options, set by the window before the start signal.
  void SetMakeDefault(bool make_default);
  bool CanMakeDefaultBrowser();
  void set_send_statistics(bool value) { send_statistics_ = value; }
  void set_create_mirra_shortcut(bool value) { create_mirra_shortcut_ = value; }
  void set_disable_mirra_logic(bool value) { disable_mirra_logic_ = value; }
  // The display's scaling reported by "installer_started"; the window's
  // drawing code works it out. Set before the worker starts.
  void set_scale_factor(double value) { scale_factor_ = value; }

  // Events the window reports.
  void SendButtonClickedEvent(const std::string& name);
  void SendLinkClickedEvent(const std::string& address);
  void SendCheckBoxChosenEvent(const std::string& name);
  void SendInstallButtonClickedEvent();

  // The user confirmed cancelling.
  void IncrementCancelCount() { cancel_count_.fetch_add(1); }
  bool IsCancelled() const { return cancel_count_.load() > 0; }

  int32_t exit_code() const { return exit_code_; }
  using ModuleDownload::stop_event;
  const std::wstring& report_id() const { return report_id_; }
  const std::wstring& module_path() const { return module_path_; }
  InstallerStatistics* statistics() { return statistics_.get(); }

  // The setup's command line: the installer's own switches passed on, plus
  // what the setup needs from this run.
  InstallerCommandLine BuildSetupCommandLine(const std::wstring& program_path,
                                             bool with_data_files);

  // The body of the worker thread.
  void Install();
  // Runs the setup at |path| and waits for it; the elevated instance calls
  // it directly.
  virtual bool RunModule(const std::wstring& path, const InstallerCommandLine& command_line);
  // 0 on success, else a failure type.
  int InstallBrowser();

  // Fetches |url| into |sink|, cancelled by the stop event.
  virtual bool Download(const std::wstring& url, DownloadSink* sink, std::string* error_stage,
                        std::wstring* redirect_url);
  void ReportInstallationFinished(bool success);

 protected:
  virtual bool RunModuleInElevatedProcess();
  virtual void InitStatistics(const BrandInfo* brand_info, const DistribParams* distrib_params);
  virtual std::wstring GetModulePath();
  // 0 or a failure type; fills the module file and keeps it open in |lock|
  // when one is given.
  virtual int GetModule(const std::wstring& path, ScopedHandle* lock);
  virtual bool VerifyModule(const std::wstring& path);
  // Whether the browser keeps its message window, which keeps the
  // installer's window open.
  virtual bool BrowserMessageWindowExists();
  // Waits on the stop event; true when the time ran out instead.
  virtual bool WaitForStopEventTimedOut(DWORD timeout_ms);
  // Microseconds of the unbiased interrupt time.
  virtual int64_t TickNow();
  // Whether user-account-control prompts are shown, for the launch event.
  virtual bool AreUacPromptsEnabled();
  // ShellExecuteExW with the "runas" verb; the user answers the prompt.
  virtual bool ShellExecuteRunAs(SHELLEXECUTEINFOW* info);
  // The elevated copy's handshake, before the copy is started.
  virtual std::unique_ptr<ElevatedInstallerProcess> CreateElevatedInstallerProcess();

  // ModuleDownload statistics hooks.
  void OnDownloadStarted() override;
  void OnDownloadAttempt(const DownloadAttemptResult& attempt) override;

 private:
  static unsigned __stdcall ThreadMain(void* installer);
  // Mirrors the run's data into the registry for the setup.
  void StoreRegistryMirrors();
  void RemoveRegistryMirrors();
  // Runs the setup once the archive is locked and verified.
  bool RunSetup();
  bool LockModule(bool permanent_lock, ScopedHandle* lock);
  void CloseWhenBrowserWindowGone();

  std::unique_ptr<AsyncInstallTasks> prefetch_tasks_;
  std::unique_ptr<InstallerStatistics> statistics_;
  InstallerObserver* observer_;
  const BrandInfo* brand_info_;
  bool make_default_ = false;
  bool send_statistics_ = false;
  bool create_mirra_shortcut_ = false;
  bool disable_mirra_logic_ = false;
  double scale_factor_ = 1.0;
  std::wstring working_folder_;
  InstallerDataPaths data_paths_;
  std::wstring report_id_;
  int32_t exit_code_ = 400;
  ScopedHandle thread_;
  ScopedHandle stop_event_;
  ScopedHandle start_event_;
  std::atomic<int32_t> cancel_count_{0};
  int64_t total_time_ = 0;
  int64_t download_time_ = 0;
  int64_t install_time_ = 0;
  int64_t ok_button_time_ = 0;
  int64_t start_time_ = 0;
  uint64_t interface_availability_ = 0;
  std::unique_ptr<ElevatedInstallerProcess> elevated_instance_;
  bool uac_declined_ = false;
  std::wstring module_path_;
  std::wstring partner_override_path_;
};

}  // namespace lite

#endif  // LITE_INSTALL_INSTALLER_H_
