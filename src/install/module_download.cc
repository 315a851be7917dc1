#include "install/module_download.h"

#include <utility>

#include "base/file_util.h"
#include "base/string_conversion.h"
#include "config/brand_info.h"
#include "config/distrib_params.h"
#include "config/service_hosts.h"
#include "install/download_time_left_adapter.h"
#include "install/module_creation_time.h"
#include "logging/log_record.h"
#include "net/download_with_progress.h"
#include "net/downloader.h"
#include "net/file_download_sink.h"
#include "process/installer_command_line.h"
#include "system/crypto_pro_fault.h"
#include "system/platform_queries.h"

namespace lite {
namespace {

// Windows XP (5.x) and Vista (6.0) need a build of their own.
bool IsXpOrVista(const WindowsVersion& version) {
  return version.major == 5 || (version.major == 6 && version.minor == 0);
}

// A partial file below a tenth of the content is not worth resuming.
bool KeepsPartialDownload(uint32_t received, uint32_t content_length) {
  // 64 bits: lengths above 400 MiB would wrap a 32-bit product.
  return received >= static_cast<uint64_t>(content_length) * 10 / 100;
}


}  // namespace

ModuleDownload::ModuleDownload(const BrandInfo& brand_info, const DistribParams* distrib_params,
                               const InstallerCommandLine& command_line, HANDLE stop_event,
                               DownloadProgressObserver* observer)
    : brand_info_(brand_info),
      distrib_params_(distrib_params),
      command_line_(command_line),
      stop_event_(stop_event),
      observer_(observer) {}

ModuleDownload::~ModuleDownload() = default;

ModuleDownload::Result ModuleDownload::DownloadOrExtractModule(const std::wstring& path,
                                                               bool* downloaded,
                                                               ScopedHandle* lock) {
  *downloaded = false;
  // The locked file must stay readable for the verification that follows.
  const DWORD share = lock ? FILE_SHARE_READ : 0;
  ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, share, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.is_valid()) {
    PLOG(ERROR, "DownloadOrExtractModule") << "Cannot create file:" << path;
    return kCannotCreateFile;
  }
  Result result = kSucceeded;
  if (!ExtractBrowserSetupResource(file.get())) {
    LOG(INFO, "DownloadOrExtractModule") << "Try to download module:" << path;
    result = DownloadModule(file.get(), command_line_);
    *downloaded = result == kSucceeded;
  }
  if (lock) *lock = std::move(file);
  return result;
}

ModuleDownload::Result ModuleDownload::DownloadModule(HANDLE file,
                                                      const InstallerCommandLine& command_line) {
  FileDownloadSink sink(file);
  std::unique_ptr<DownloadArchExperiment> experiment = CreateArchExperiment();
  if (!experiment->ApplyCommandLineOverride(command_line) && distrib_params_) {
    experiment->AdjustDownloadUrl(*distrib_params_);
  }

  const std::vector<std::string> urls = GetSetupUrls(experiment->architecture());
  if (urls.empty()) {
    PLOG(ERROR, "DownloadModule") << "Setup url is empty.";
    return kDownloadFailed;
  }
  LOG(INFO, "DownloadModule") << "Selected download urls:";
  for (const std::string& url : urls) LOG(INFO, "DownloadModule") << url;

  OnDownloadStarted();

  const uint32_t url_count = static_cast<uint32_t>(urls.size());
  const uint32_t attempts = url_count == 1 ? kAttemptsForSingleUrl : kAttemptsPerUrl * url_count;
  const uint32_t attempts_per_url = attempts / url_count;
  DownloadTimeLeftAdapter progress(observer_);
  std::string current_url;
  // Only a first source that failed every one of its attempts ends the
  // experiment; a stop before that says nothing about the build.
  uint32_t failed_attempts = 0;

  for (uint32_t attempt = 0; attempt < attempts && !IsStopped(); ++attempt) {
    const std::string& url = urls[attempt / attempts_per_url];
    if (url != current_url) {
      // Bytes of another source must not be resumed.
      current_url = url;
      sink.Reset();
    }

    DownloadAttemptResult report;
    GuardedCallFault fault;
    report.url = WidenBytes(url);
    report.success = DownloadUrlWithProgress(report.url, &sink, &report.error_stage,
                                             &report.redirect_url, &report.total_size, &progress,
                                             &fault);
    report.attempt_number = static_cast<int>(attempt) + 1;
    report.x64 = experiment->architecture() == DownloadArchExperiment::kX64;

    if (report.success) {
      report.downloaded_size = sink.size();
      OnDownloadAttempt(report);
      experiment->ConfigurateRegistry(attempt < attempts_per_url);
      return kSucceeded;
    }
    if (fault.code != 0) {
      // The same fault would only come back on the next attempt.
      PLOG(ERROR, "DownloadModule") << DescribeGuardedCallFault(fault);
      return IsCryptoProFault(fault) ? kCryptoProFault : kDownloadFailed;
    }
    if (!KeepsPartialDownload(sink.size(), report.total_size)) sink.Reset();
    report.downloaded_size = sink.size();
    OnDownloadAttempt(report);
    ++failed_attempts;
    if (attempt + 1 < attempts && WaitForRetry(RetryDelay())) break;
  }

  PLOG(ERROR, "DownloadModule") << "Max download attempts failed (" << attempts << ")";
  if (failed_attempts >= attempts_per_url) experiment->ConfigurateRegistry(false);
  return kDownloadFailed;
}

std::vector<std::string> ModuleDownload::GetSetupUrls(
    DownloadArchExperiment::Architecture architecture) {
  std::vector<std::string> urls;
  if (IsXpOrVista(Platform().GetWindowsVersion())) {
    urls.push_back(std::string(kDownloadCdnOrigin) + kXpBuildPath);
  } else {
    // The architecture's own URL keeps its place even when the brand has
    // none, so that its failure is what ends the experiment.
    if (architecture == DownloadArchExperiment::kX64) urls.push_back(brand_info_.setup_url_64);
    if (architecture == DownloadArchExperiment::kX32) urls.push_back(brand_info_.setup_url_32);
    if (IsVersionedSetupUrlAllowed(brand_info_.versioned_setup_url)) {
      urls.push_back(brand_info_.versioned_setup_url);
    }
    if (!brand_info_.setup_url.empty()) urls.push_back(brand_info_.setup_url);
  }
  for (std::string& url : urls) url += kFromInstallerSuffix;
  return urls;
}

bool ModuleDownload::IsVersionedSetupUrlAllowed(const std::string& url) {
  if (url.empty()) return false;
  // A placeholder the distribution server failed to fill in.
  if (url.find('{') != std::string::npos) {
    PLOG(ERROR, "IsVersionedSetupUrlAllowed") << "Wrong setup url:" << url;
    return false;
  }
  uint64_t built = 0;
  if (!GetModuleCreationTime(GetExecutablePath(kMaxLongPathChars), &built) || built == 0) return false;
  // Wrapping subtraction: a build time in the future gives a negative age.
  const int64_t age = static_cast<int64_t>(static_cast<uint64_t>(WallClockNow()) - built);
  return age < kVersionedUrlMaxAgeUs;
}

bool ModuleDownload::GetModuleCreationTime(const std::wstring& path, uint64_t* time) {
  return ::lite::GetModuleCreationTime(path, time);
}

bool ModuleDownload::DownloadUrlWithProgress(const std::wstring& url, DownloadSink* sink,
                                             std::string* error_stage,
                                             std::wstring* redirect_url,
                                             uint32_t* content_length,
                                             DownloadProgressObserver* observer,
                                             GuardedCallFault* fault) {
  std::unique_ptr<Downloader> downloader = CreateDownloader();
  return DownloadWithProgressUsing(downloader.get(), &SystemTickCount, url, sink, stop_event_,
                                   observer, {error_stage, redirect_url, content_length, fault});
}

uint32_t ModuleDownload::RetryDelay() { return kRetryDelayMs; }

bool ModuleDownload::WaitForRetry(uint32_t delay_ms) {
  if (!stop_event_) {
    ::Sleep(delay_ms);
    return false;
  }
  const DWORD wait = ::WaitForSingleObject(stop_event_, delay_ms);
  if (wait == WAIT_TIMEOUT) return false;
  // A wait that cannot be made would turn the pauses into a busy loop.
  if (wait == WAIT_FAILED) PLOG(ERROR, "WaitForRetry") << "Cannot wait for the stop event.";
  return true;
}

std::unique_ptr<Downloader> ModuleDownload::CreateDownloader() {
  return std::make_unique<Downloader>();
}

std::unique_ptr<DownloadArchExperiment> ModuleDownload::CreateArchExperiment() {
  return std::make_unique<DownloadArchExperiment>();
}

bool ModuleDownload::ExtractBrowserSetupResource(HANDLE file) { return false; }

int64_t ModuleDownload::WallClockNow() {
  FILETIME now;
  ::GetSystemTimeAsFileTime(&now);
  const uint64_t units = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return static_cast<int64_t>(units / 10);
}

bool ModuleDownload::IsStopped() const {
  return stop_event_ && ::WaitForSingleObject(stop_event_, 0) == WAIT_OBJECT_0;
}

}  // namespace lite
