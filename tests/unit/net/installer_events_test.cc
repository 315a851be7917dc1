#include "net/installer_events.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "base/string_conversion.h"
#include "config/service_hosts.h"

namespace lite {
namespace {

constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();

TEST(InstallerEventsTest, DurationsAreWholeSecondsExceptTheExtremes) {
  struct {
    int64_t microseconds;
    int64_t seconds;
  } cases[] = {{0, 0}, {999999, 0}, {1000000, 1}, {61500000, 61}, {-1500000, -1},
               {kMax, kMax}, {kMin, kMin}, {kMax - 1, (kMax - 1) / 1000000}};
  for (const auto& test : cases) {
    SCOPED_TRACE(test.microseconds);
    EXPECT_EQ(DurationSeconds(test.microseconds), test.seconds);
  }
  EXPECT_EQ(DownloadFinishedEvent(kMax).at("download_time"), std::to_wstring(kMax));
  EXPECT_EQ(SetupExitedEvent(L"", false, true, 1, kMin).at("setup_time"), std::to_wstring(kMin));
}

TEST(InstallerEventsTest, InstallerStartedCarriesScalingAndScreenSize) {
  struct {
    double scale;
    int width, height;
    const wchar_t* dpi;
    const wchar_t* resolution;
  } cases[] = {
      {1.5, 1920, 1080, L"150", L"1920x1080"},
      {1.0, 1280, 1024, L"100", L"1280x1024"},
      {1.25, 800, 600, L"125", L"800x600"},
      {1.754, 3840, 2160, L"175", L"3840x2160"},
      {1.756, 0, 0, L"176", L"0x0"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.scale);
    const StatisticsEvent expected = {
        {"action", L"installer_started"}, {"dpi", test.dpi}, {"resolution", test.resolution}};
    EXPECT_EQ(InstallerStartedEvent(test.scale, test.width, test.height), expected);
  }
  // This screen: the given scale and whatever size it has.
  const StatisticsEvent here = InstallerStartedEventForThisScreen(1.25);
  EXPECT_EQ(here.at("dpi"), L"125");
  EXPECT_NE(here.at("resolution").find(L'x'), std::wstring::npos);
}

TEST(InstallerEventsTest, DownloadAttemptEvents) {
  DownloadAttemptResult failed;
  failed.error_stage = "internet_open_url-12029";
  failed.attempt_number = 1;
  failed.downloaded_size = 0;
  failed.url = L"https://download.example.com/browser/zelmar/browser-setup.arc?from_installer=true";
  const StatisticsEvent expected_failed = {
      {"action", L"download_attempt"},
      {"status", L"failed"},
      {"error", L"internet_open_url-12029"},
      {"attempt_number", L"1"},
      {"downloaded_size", L"0"},
      {"total_size", L"0"},
      {"url",
       L"https%253A%252F%252Fdownload.example.com%252Fbrowser%252Fzelmar%252F"
       L"browser%252Dsetup.arc%253Ffrom_installer%253Dtrue"},
  };
  EXPECT_EQ(DownloadAttemptEvent(failed), expected_failed);

  DownloadAttemptResult success;
  success.success = true;
  success.error_stage = "ignored";
  success.attempt_number = 2;
  success.downloaded_size = 4000000000u;
  success.total_size = 4000000000u;
  success.redirect_url = L"http://mirror-3.example.net:8080/a%20b/c.arc?x=1#f";
  success.x64 = true;
  const StatisticsEvent expected_success = {
      {"action", L"download_attempt"},     {"status", L"success"},
      {"attempt_number", L"2"},            {"downloaded_size", L"4000000000"},
      {"total_size", L"4000000000"},       {"redirect", L"mirror-3.example.net"},
      {"x64", L"1"},
  };
  EXPECT_EQ(DownloadAttemptEvent(success), expected_success);

  // No host can be taken: the key stays out.
  for (const wchar_t* redirect : {L"not a url", L"file:///C:/a.arc", L"http://"}) {
    SCOPED_TRACE(redirect);
    success.redirect_url = redirect;
    EXPECT_EQ(DownloadAttemptEvent(success).count("redirect"), 0u);
  }

  EXPECT_EQ(DownloadErrorEvent(1, "internet_read-12002"),
            (StatisticsEvent{{"action", L"download"},
                             {"stage", L"error"},
                             {"error", L"attempt-1-internet_read-12002"}}));
}

TEST(InstallerEventsTest, AttemptUrlIsEscapedTwiceOverUtf8) {
  struct {
    const wchar_t* url;
    const wchar_t* escaped;
  } cases[] = {
      {L"a?from_installer=true", L"a%253Ffrom_installer%253Dtrue"},
      {L"A-z 0~!'()._", L"A%252Dz%25200~!'()._"},
      {L"\xE9%", L"%25C3%25A9%2525"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(WideToUTF8(test.url));
    EXPECT_EQ(EscapeAttemptUrl(test.url), test.escaped);
  }
}

TEST(InstallerEventsTest, SetupEventsNameTheActionAndRunKind) {
  struct {
    bool uac_off;
    bool elevated;
    const wchar_t* uac;
  } uac_cases[] = {{true, true, L"100"}, {true, false, L"100"}, {false, true, L"1"},
                   {false, false, L"0"}};
  for (const auto& test : uac_cases) {
    SCOPED_TRACE(testing::Message() << test.uac_off << test.elevated);
    const StatisticsEvent expected = {
        {"action", L"setup"}, {"stage", L"setup_exe_launched"}, {"uac", test.uac}};
    EXPECT_EQ(SetupLaunchedEvent(L"", {test.uac_off, test.elevated}), expected);
  }
  EXPECT_EQ(SetupLaunchedEvent(L"21.3.1.2", {}).at("action"), L"update");
  EXPECT_EQ(SetupExitedEvent(L"21.3.1.2", false, true, 1, 0).at("action"), L"update");
}

TEST(InstallerEventsTest, SetupExitedErrorRule) {
  struct {
    bool elevated;
    bool run_succeeded;
    int exit_code;
    const wchar_t* error;  // null: absent
  } cases[] = {
      {false, true, 1, nullptr},
      {false, true, 3, nullptr},
      {false, true, 5, nullptr},
      {false, true, 0, L"0"},
      {false, true, 2, L"2"},
      {false, true, -2147024891, L"-2147024891"},
      {false, false, 7, L"FailedToStart"},
      {false, false, 1, L"FailedToStart"},
      {true, true, 400, nullptr},
      {true, true, 2, nullptr},
      {true, false, 400, L"FailedToStart"},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(testing::Message() << test.elevated << test.run_succeeded << " "
                                    << test.exit_code);
    StatisticsEvent expected = {
        {"action", L"setup"}, {"stage", L"setup_exe_exited"}, {"setup_time", L"42"}};
    if (test.error) expected["error"] = test.error;
    EXPECT_EQ(SetupExitedEvent(L"", test.elevated, test.run_succeeded, test.exit_code, 42999999),
              expected);
  }
}

TEST(InstallerEventsTest, FixedAndWindowEvents) {
  struct {
    StatisticsEvent event;
    StatisticsEvent expected;
  } cases[] = {
      {DownloadStartedEvent(), {{"action", L"download"}, {"stage", L"started"}}},
      {DownloadFinishedEvent(12345678),
       {{"action", L"download"}, {"stage", L"finished"}, {"download_time", L"12"}}},
      {ArchiveLockFailedEvent(), {{"action", L"setup_arc_lock"}, {"stage", L"error"}}},
      {VerificationFailedEvent(), {{"action", L"verification"}, {"stage", L"error"}}},
      {InstallButtonClickedEvent(), {{"action", L"install_browser_button_clicked"}}},
      {ButtonClickedEvent("close"),
       {{"clicked_button", L"close"}, {"dialog_window", L"liteinstall"}}},
      {LinkClickedEvent(L"https://legal.example.com/eula?lang=tr"),
       {{"clicked_link", L"https://legal.example.com/eula?lang=tr"},
        {"dialog_window", L"liteinstall"}}},
      {CheckBoxChosenEvent("make_default"),
       {{"choosen_checkbox", L"make_default"}, {"dialog_window", L"liteinstall"}}},
  };
  for (const auto& test : cases) {
    EXPECT_EQ(test.event, test.expected);
  }
}

TEST(InstallerEventsTest, InstallReportUrl) {
  const std::wstring base = UTF8ToWide(kReportOrigin) + L"/get/browser/install?ui=ID";
  struct {
    const wchar_t* result;
    int64_t total, download, install;
    std::wstring expected;
  } cases[] = {
      {L"success", 95000000, 30500000, 40000000,
       base + L"&result=success&time=95&download_time=30&install_time=40"},
      {L"failed", 5000000, 0, 0, base + L"&result=failed&time=5"},
      {L"cancelled", 0, 1, 0, base + L"&result=cancelled&time=0&download_time=0"},
      {L"success", 1, 0, 2000000, base + L"&result=success&time=0&install_time=2"},
  };
  for (const auto& test : cases) {
    EXPECT_EQ(BuildInstallReportUrl(L"ID", test.result, test.total, test.download, test.install),
              test.expected);
  }
  EXPECT_EQ(InstallReportResult(1, true), L"cancelled");
  EXPECT_EQ(InstallReportResult(0, true), L"success");
  EXPECT_EQ(InstallReportResult(0, false), L"failed");
}

}  // namespace
}  // namespace lite
