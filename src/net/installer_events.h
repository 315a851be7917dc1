#ifndef LITE_NET_INSTALLER_EVENTS_H_
#define LITE_NET_INSTALLER_EVENTS_H_

#include <cstdint>
#include <string>

#include "net/statistics_event.h"

// The statistics events of an installation, built from plain values.
namespace lite {

// Whole seconds of a duration in microseconds, truncated; the two extreme
// values mark an unknown duration and pass through unchanged.
int64_t DurationSeconds(int64_t microseconds);

// "installer_started" with the display's scaling (1.5 for 150 %) and
// screen size in pixels.
StatisticsEvent InstallerStartedEvent(double scale_factor, int screen_width, int screen_height);
// The same for this system's screen; the scaling comes from the drawing
// code, which lives above this layer.
StatisticsEvent InstallerStartedEventForThisScreen(double scale_factor);

StatisticsEvent DownloadStartedEvent();

struct DownloadAttemptResult {
  bool success = false;
  std::string error_stage;  // failed attempts only
  int attempt_number = 1;   // 1-based
  uint32_t downloaded_size = 0;
  uint32_t total_size = 0;  // 0 when no length was announced
  std::wstring url;
  std::wstring redirect_url;  // empty without a redirect
  bool x64 = false;           // the 64-bit build was asked for
};
StatisticsEvent DownloadAttemptEvent(const DownloadAttemptResult& attempt);
// Sent with a failed attempt, just before its attempt event.
StatisticsEvent DownloadErrorEvent(int attempt_number, const std::string& error_stage);
StatisticsEvent DownloadFinishedEvent(int64_t download_time_us);

StatisticsEvent ArchiveLockFailedEvent();
StatisticsEvent VerificationFailedEvent();

// How the setup was started, for "uac".
struct SetupRunKind {
  bool uac_prompts_off = false;
  bool elevated_instance = false;
};
// |old_version| is the old_ver parameter: a browser already installed
// makes the action "update".
StatisticsEvent SetupLaunchedEvent(const std::wstring& old_version, const SetupRunKind& kind);
// |run_succeeded| is the setup run's result; |exit_code| the installer's
// exit code after a direct run.
StatisticsEvent SetupExitedEvent(const std::wstring& old_version, bool elevated_instance,
                                 bool run_succeeded, int exit_code, int64_t install_time_us);

StatisticsEvent InstallButtonClickedEvent();
// Dialog events of the installer window.
StatisticsEvent ButtonClickedEvent(const std::string& button_name);
StatisticsEvent LinkClickedEvent(const std::wstring& address);
StatisticsEvent CheckBoxChosenEvent(const std::string& check_box_name);

// The attempt URL as the "url" value: UTF-8, percent-escaped twice.
std::wstring EscapeAttemptUrl(const std::wstring& url);
// The host of a redirect target, or empty when none can be taken.
std::wstring RedirectHost(const std::wstring& redirect_url);

// The installation report, fetched by the installer at the very end.
// The result is "cancelled" after any cancel, else "success" or "failed".
std::wstring InstallReportResult(int cancel_count, bool success);
// Durations in microseconds; a zero download or install time is left out.
std::wstring BuildInstallReportUrl(const std::wstring& report_id, const std::wstring& result,
                                   int64_t total_time_us, int64_t download_time_us,
                                   int64_t install_time_us);

}  // namespace lite

#endif  // LITE_NET_INSTALLER_EVENTS_H_
