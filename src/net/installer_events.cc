#include "net/installer_events.h"

#include <windows.h>
#include <wininet.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "base/string_conversion.h"
#include "config/service_hosts.h"
#include "net/install_stat_text.h"

namespace lite {
namespace {

constexpr DWORD kUrlBufferChars = 2084;
constexpr wchar_t kDialogWindow[] = L"liteinstall";

std::wstring SetupAction(const std::wstring& old_version) {
  return old_version.empty() ? L"setup" : L"update";
}

bool IsSetupSuccessCode(int exit_code) {
  return exit_code == 1 || exit_code == 3 || exit_code == 5;
}

}  // namespace

int64_t DurationSeconds(int64_t microseconds) {
  if (microseconds == std::numeric_limits<int64_t>::min() ||
      microseconds == std::numeric_limits<int64_t>::max()) {
    return microseconds;
  }
  return microseconds / 1000000;
}

StatisticsEvent InstallerStartedEvent(double scale_factor, int screen_width, int screen_height) {
  wchar_t resolution[32];
  std::swprintf(resolution, 32, L"%dx%d", screen_width, screen_height);
  return {{"action", L"installer_started"},
          {"dpi", std::to_wstring(std::lround(scale_factor * 100.0))},
          {"resolution", resolution}};
}

StatisticsEvent InstallerStartedEventForThisScreen(double scale_factor) {
  return InstallerStartedEvent(scale_factor, ::GetSystemMetrics(SM_CXSCREEN),
                               ::GetSystemMetrics(SM_CYSCREEN));
}

StatisticsEvent DownloadStartedEvent() {
  return {{"action", L"download"}, {"stage", L"started"}};
}

StatisticsEvent DownloadAttemptEvent(const DownloadAttemptResult& attempt) {
  StatisticsEvent event = {
      {"action", L"download_attempt"},
      {"status", attempt.success ? L"success" : L"failed"},
      {"attempt_number", std::to_wstring(attempt.attempt_number)},
      {"downloaded_size", std::to_wstring(attempt.downloaded_size)},
      {"total_size", std::to_wstring(attempt.total_size)},
  };
  if (!attempt.success) event["error"] = UTF8ToWide(attempt.error_stage);
  if (!attempt.url.empty()) event["url"] = EscapeAttemptUrl(attempt.url);
  if (!attempt.redirect_url.empty()) {
    const std::wstring host = RedirectHost(attempt.redirect_url);
    if (!host.empty()) event["redirect"] = host;
  }
  if (attempt.x64) event["x64"] = L"1";
  return event;
}

StatisticsEvent DownloadErrorEvent(int attempt_number, const std::string& error_stage) {
  return {{"action", L"download"},
          {"stage", L"error"},
          {"error", L"attempt-" + std::to_wstring(attempt_number) + L"-" +
                        UTF8ToWide(error_stage)}};
}

StatisticsEvent DownloadFinishedEvent(int64_t download_time_us) {
  return {{"action", L"download"},
          {"stage", L"finished"},
          {"download_time", std::to_wstring(DurationSeconds(download_time_us))}};
}

StatisticsEvent ArchiveLockFailedEvent() {
  return {{"action", L"setup_arc_lock"}, {"stage", L"error"}};
}

StatisticsEvent VerificationFailedEvent() {
  return {{"action", L"verification"}, {"stage", L"error"}};
}

StatisticsEvent SetupLaunchedEvent(const std::wstring& old_version, const SetupRunKind& kind) {
  const wchar_t* uac = kind.uac_prompts_off ? L"100" : kind.elevated_instance ? L"1" : L"0";
  return {{"action", SetupAction(old_version)}, {"stage", L"setup_exe_launched"}, {"uac", uac}};
}

StatisticsEvent SetupExitedEvent(const std::wstring& old_version, bool elevated_instance,
                                 bool run_succeeded, int exit_code, int64_t install_time_us) {
  StatisticsEvent event = {
      {"action", SetupAction(old_version)},
      {"stage", L"setup_exe_exited"},
      {"setup_time", std::to_wstring(DurationSeconds(install_time_us))},
  };
  // The elevated instance keeps the setup's code to itself, so only a
  // direct run can report it.
  if (!run_succeeded) {
    event["error"] = L"FailedToStart";
  } else if (!elevated_instance && !IsSetupSuccessCode(exit_code)) {
    event["error"] = std::to_wstring(exit_code);
  }
  return event;
}

StatisticsEvent InstallButtonClickedEvent() {
  return {{"action", L"install_browser_button_clicked"}};
}

StatisticsEvent ButtonClickedEvent(const std::string& button_name) {
  return {{"clicked_button", UTF8ToWide(button_name)}, {"dialog_window", kDialogWindow}};
}

StatisticsEvent LinkClickedEvent(const std::wstring& address) {
  return {{"clicked_link", address}, {"dialog_window", kDialogWindow}};
}

StatisticsEvent CheckBoxChosenEvent(const std::string& check_box_name) {
  return {{"choosen_checkbox", UTF8ToWide(check_box_name)}, {"dialog_window", kDialogWindow}};
}

std::wstring EscapeAttemptUrl(const std::wstring& url) {
  return WidenBytes(PercentEscapeUnreserved(PercentEscapeUnreserved(WideToUTF8(url))));
}

std::wstring RedirectHost(const std::wstring& redirect_url) {
  wchar_t canonical[kUrlBufferChars];
  DWORD canonical_chars = kUrlBufferChars;
  if (!::InternetCanonicalizeUrlW(redirect_url.c_str(), canonical, &canonical_chars,
                                  ICU_BROWSER_MODE)) {
    return std::wstring();
  }
  wchar_t host[kUrlBufferChars] = {};
  URL_COMPONENTSW components = {};
  components.dwStructSize = sizeof(components);
  components.lpszHostName = host;
  components.dwHostNameLength = kUrlBufferChars;
  if (!::InternetCrackUrlW(canonical, 0, ICU_DECODE, &components)) return std::wstring();
  return std::wstring(host, ::wcsnlen(host, kUrlBufferChars));
}

std::wstring InstallReportResult(int cancel_count, bool success) {
  if (cancel_count > 0) return L"cancelled";
  return success ? L"success" : L"failed";
}

std::wstring BuildInstallReportUrl(const std::wstring& report_id, const std::wstring& result,
                                   int64_t total_time_us, int64_t download_time_us,
                                   int64_t install_time_us) {
  std::wstring url = UTF8ToWide(kReportOrigin) + L"/get/browser/install?ui=" + report_id +
                     L"&result=" + result +
                     L"&time=" + std::to_wstring(DurationSeconds(total_time_us));
  if (download_time_us != 0) {
    url += L"&download_time=" + std::to_wstring(DurationSeconds(download_time_us));
  }
  if (install_time_us != 0) {
    url += L"&install_time=" + std::to_wstring(DurationSeconds(install_time_us));
  }
  return url;
}

}  // namespace lite
