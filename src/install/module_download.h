#ifndef LITE_INSTALL_MODULE_DOWNLOAD_H_
#define LITE_INSTALL_MODULE_DOWNLOAD_H_

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/scoped_handle.h"
#include "install/download_arch_experiment.h"
#include "net/installer_events.h"
#include "system/guarded_call.h"

namespace lite {

class BrandInfo;
class DistribParams;
class DownloadProgressObserver;
class DownloadSink;
class Downloader;
class InstallerCommandLine;

// Fetches the browser's setup archive into the module file: picks the
// download sources for this machine and brand, retries each a few times,
// resumes a partial file when enough of it arrived, and pauses between
// attempts until the stop event says the user has gone.
class ModuleDownload {
 public:
  // Results, which are also the installer's failure types.
  enum Result : int {
    kSucceeded = 0,
    kCannotCreateFile = 1,
    kDownloadFailed = 2,
    kCryptoProFault = 3,
  };

  static constexpr char kFromInstallerSuffix[] = "?from_installer=true";
  static constexpr char kXpBuildPath[] = "/browser-partners/_xp_builds/browser-setup.arc";
  static constexpr uint32_t kRetryDelayMs = 15000;
  static constexpr uint32_t kAttemptsForSingleUrl = 6;
  static constexpr uint32_t kAttemptsPerUrl = 3;
  // An installer whose build is older than this no longer trusts the
  // versioned URL its brand names.
  static constexpr int64_t kVersionedUrlMaxAgeUs = 2592000000000LL;  // 30 days

  // Nothing is owned. |distrib_params| (no tag), |stop_event| and
  // |observer| (a silent run) may be null.
  ModuleDownload(const BrandInfo& brand_info, const DistribParams* distrib_params,
                 const InstallerCommandLine& command_line, HANDLE stop_event,
                 DownloadProgressObserver* observer);
  ModuleDownload(const ModuleDownload&) = delete;
  ModuleDownload& operator=(const ModuleDownload&) = delete;
  virtual ~ModuleDownload();

  // Creates the module file at |path| and fills it. With |lock| the file
  // stays open in it, readable by others, for the caller to lock later;
  // without, it is closed before returning. |downloaded| tells whether the
  // content came from the network.
  Result DownloadOrExtractModule(const std::wstring& path, bool* downloaded, ScopedHandle* lock);
  // The attempt loop over the sources into |file|.
  virtual Result DownloadModule(HANDLE file, const InstallerCommandLine& command_line);

  // The download sources in the order they are tried.
  std::vector<std::string> GetSetupUrls(DownloadArchExperiment::Architecture architecture);
  bool IsVersionedSetupUrlAllowed(const std::string& url);
  virtual bool GetModuleCreationTime(const std::wstring& path, uint64_t* time);

 protected:
  // One attempt on |url|, resuming at the sink's size; cancelled by the
  // stop event between chunks.
  virtual bool DownloadUrlWithProgress(const std::wstring& url, DownloadSink* sink,
                                       std::string* error_stage, std::wstring* redirect_url,
                                       uint32_t* content_length,
                                       DownloadProgressObserver* observer,
                                       GuardedCallFault* fault);
  virtual uint32_t RetryDelay();
  // Waits |delay_ms| unless the stop event comes first; true when it did.
  virtual bool WaitForRetry(uint32_t delay_ms);
  virtual std::unique_ptr<Downloader> CreateDownloader();
  virtual std::unique_ptr<DownloadArchExperiment> CreateArchExperiment();
  // No archive is embedded in this installer.
  virtual bool ExtractBrowserSetupResource(HANDLE file);
  // Microseconds since 1601-01-01 UTC.
  virtual int64_t WallClockNow();

  // Statistics hooks: before the first attempt and after each attempt.
  virtual void OnDownloadStarted() {}
  virtual void OnDownloadAttempt(const DownloadAttemptResult& attempt) {}

  bool IsStopped() const;
  HANDLE stop_event() const { return stop_event_; }
  const DistribParams* distrib_params() const { return distrib_params_; }
  // For owners that create their stop event after this base exists.
  void set_stop_event(HANDLE stop_event) { stop_event_ = stop_event; }

 private:
  const BrandInfo& brand_info_;
  const DistribParams* distrib_params_;
  const InstallerCommandLine& command_line_;
  HANDLE stop_event_;
  DownloadProgressObserver* observer_;
};

}  // namespace lite

#endif  // LITE_INSTALL_MODULE_DOWNLOAD_H_
