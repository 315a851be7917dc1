#include "install/installer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "base/file_util.h"
#include "base/json_reader.h"
#include "base/string_conversion.h"
#include "config/brand_info.h"
#include "install/delayed_params.h"
#include "install/install_test_support.h"
#include "install/installer_observer.h"
#include "net/download_sink.h"
#include "net/installer_statistics.h"
#include "system/registry_helpers.h"
#include "test_util.h"

namespace lite {
namespace {

// Statistics URLs the installer sent, in order.
std::mutex g_sent_lock;
std::vector<std::wstring> g_sent;
// Set when the sender reaches the marker the test queued last.
HANDLE g_marker_sent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
constexpr wchar_t kMarkerAction[] = L"test_marker";

void RecordStatistics(const std::wstring& url) {
  if (url.find(kMarkerAction) != std::wstring::npos) {
    ::SetEvent(g_marker_sent);
    return;
  }
  std::lock_guard<std::mutex> hold(g_sent_lock);
  g_sent.push_back(url);
}

// The "action" (or "clicked_button") and "stage" of every event sent,
// e.g. "download:started", once the sender has sent them all.
std::vector<std::string> SentEvents() {
  std::lock_guard<std::mutex> hold(g_sent_lock);
  std::vector<std::string> events;
  for (const std::wstring& url : g_sent) {
    const std::string text = WideToUTF8(url);
    auto value = [&](const std::string& key) {
      const size_t at = text.find("-" + key + "=");
      if (at == std::string::npos) return std::string();
      const size_t start = at + key.size() + 2;
      const size_t end = text.find_first_of(",/", start);
      return text.substr(start, end - start);
    };
    std::string event = value("action");
    if (!value("stage").empty()) event += ":" + value("stage");
    if (!value("status").empty()) event += ":" + value("status");
    if (!value("error").empty()) event += ":error=" + value("error");
    events.push_back(event);
  }
  return events;
}

constexpr int64_t kSecond = 1000000;

std::wstring TestSetupPath() {
  return DirName(ExecutableFolder()) + L"\\fixtures\\test_setup.exe";
}

// An Installer whose network, trust verdict, browser window and clock are
// scripted; the setup it runs is the real test setup program.
class TestInstaller : public Installer {
 public:
  TestInstaller(InstallerObserver* observer, const BrandInfo* brand, const DistribParams* params,
                const InstallerCommandLine& command_line)
      : Installer(observer, brand, params, false, command_line,
                  std::make_unique<InstallerStatistics>(&RecordStatistics)) {}

  // Attempts that fail before one succeeds; -1: none succeeds.
  int failures_before_success = 0;
  bool verify_result = true;
  bool report_result = true;
  std::vector<bool> browser_window_checks;
  std::vector<DWORD> stop_waits;
  std::vector<std::wstring> report_urls;
  // Whether the archive could be opened for writing during verification.
  bool archive_writable_at_verification = true;
  std::function<void()> on_attempt;
  // Runs once the archive is in place, before the start signal.
  std::function<void()> on_module;
  // Someone else keeps the downloaded archive open for writing.
  bool archive_held_for_writing = false;
  // The wall clock: a download attempt takes 30 s when it succeeds and 1 s
  // when it fails, verification 5 s, the setup 20 s, and the user waits
  // 600 s before starting the installation.
  int64_t clock = 13000000000 * kSecond;

 protected:
  bool DownloadUrlWithProgress(const std::wstring& url, DownloadSink* sink,
                               std::string* error_stage, std::wstring* redirect_url,
                               uint32_t* content_length, DownloadProgressObserver* observer,
                               GuardedCallFault* fault) override {
    if (on_attempt) on_attempt();
    if (failures_before_success < 0 || attempts_++ < failures_before_success) {
      clock += kSecond;
      *error_stage = "final_query_info-404-0";
      return false;
    }
    clock += 30 * kSecond;
    const std::string archive = ReadWholeFile(TestSetupPath());
    sink->Reset();
    sink->Write(reinterpret_cast<const uint8_t*>(archive.data()),
                static_cast<uint32_t>(archive.size()));
    *content_length = static_cast<uint32_t>(archive.size());
    return true;
  }
  int GetModule(const std::wstring& path, ScopedHandle* lock) override {
    const int result = Installer::GetModule(path, lock);
    if (archive_held_for_writing) {
      // With the permanent lock the download's own handle must let the
      // writer in first.
      if (lock) {
        lock->reset();
        lock->reset(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
      }
      writer_.reset(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
      EXPECT_TRUE(writer_.is_valid());
    }
    if (on_module) on_module();
    archive_in_place_ = true;
    return result;
  }
  int64_t WallClockNow() override {
    const int64_t now = clock;
    // The first reading once the archive is in place starts the wait for
    // the user.
    if (archive_in_place_ && !user_waited_) {
      user_waited_ = true;
      clock += 600 * kSecond;
    }
    return now;
  }
  bool RunModule(const std::wstring& path, const InstallerCommandLine& command_line) override {
    const bool result = Installer::RunModule(path, command_line);
    clock += 20 * kSecond;
    return result;
  }
  bool WaitForRetry(uint32_t delay_ms) override {
    return ::WaitForSingleObject(stop_event(), 0) == WAIT_OBJECT_0;
  }
  bool GetModuleCreationTime(const std::wstring& path, uint64_t* time) override { return false; }
  bool VerifyModule(const std::wstring& path) override {
    ScopedHandle writer(::CreateFileW(path.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    archive_writable_at_verification = writer.is_valid();
    clock += 5 * kSecond;
    return verify_result;
  }
  bool BrowserMessageWindowExists() override {
    if (browser_window_checks.empty()) return false;
    const bool exists = browser_window_checks.front();
    browser_window_checks.erase(browser_window_checks.begin());
    return exists;
  }
  bool WaitForStopEventTimedOut(DWORD timeout_ms) override {
    stop_waits.push_back(timeout_ms);
    return ::WaitForSingleObject(stop_event(), 0) != WAIT_OBJECT_0;
  }
  bool Download(const std::wstring& url, DownloadSink* sink, std::string* error_stage,
                std::wstring* redirect_url) override {
    report_urls.push_back(url);
    // The report comes after every event of the run. Events still queued
    // when the installer goes are dropped, so let the sender catch up
    // first: it sends in order, and the marker goes last.
    ::ResetEvent(g_marker_sent);
    statistics()->SendEvent({{"action", kMarkerAction}});
    EXPECT_EQ(::WaitForSingleObject(g_marker_sent, 30000), WAIT_OBJECT_0);
    return report_result;
  }
  bool AreUacPromptsEnabled() override { return true; }

 private:
  int attempts_ = 0;
  bool archive_in_place_ = false;
  bool user_waited_ = false;
  ScopedHandle writer_;
};

class InstallerTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FileExists(TestSetupPath())) << "build the test_setup target";
    {
      std::lock_guard<std::mutex> hold(g_sent_lock);
      g_sent.clear();
    }
    SetSharedErrorCode(kSharedErrorNone);
    brand_.brand_id = "zelmar";
    brand_.brand_name = "zelmar";
    brand_.interface_language = "en";
    brand_.setup_url = "https://dl.example/browser/zelmar/browser-setup.arc";
    record_ = folder_.Child(L"record.json");
    ::SetEnvironmentVariableW(L"LITE_TEST_SETUP_RECORD", record_.c_str());
  }
  void TearDown() override {
    ::SetEnvironmentVariableW(L"LITE_TEST_SETUP_RECORD", nullptr);
    SetSharedErrorCode(kSharedErrorNone);
  }

  InstallerCommandLine CommandLine(const std::wstring& switches) {
    return InstallerCommandLine::FromString(L"lite_installer.exe --silent --test-setup-pv=none " +
                                            switches);
  }
  // Every event sent before the report, once the installer is gone.
  std::vector<std::string> EventsAfter(std::unique_ptr<TestInstaller> installer) {
    installer.reset();
    return SentEvents();
  }
  bool SetupRan() { return FileExists(record_); }
  // The command line the test setup received.
  InstallerCommandLine SetupCommandLine() {
    const ScopedJson record = ParseJsonWithComments(ReadWholeFile(record_));
    const char* text = json_string_value(json_object_get(record.get(), "command_line"));
    EXPECT_NE(text, nullptr) << "no setup record";
    return InstallerCommandLine::FromString(UTF8ToWide(text ? text : ""));
  }

  ScopedRegistryScratch registry_;
  ScopedTempFolder folder_;
  BrandInfo brand_{folder_.path() + L"\\"};
  FakeDistribParams params_;
  RecordingObserver observer_;
  std::wstring record_;
};

TEST_F(InstallerTest, SuccessfulRunWithWindow) {
  const InstallerCommandLine command_line = CommandLine(L"--test-setup-exit-code=3");
  auto installer = std::make_unique<TestInstaller>(&observer_, &brand_, &params_, command_line);
  installer->failures_before_success = 1;
  // The browser keeps its window for one check, then closes it.
  installer->browser_window_checks = {true, false};
  installer->RunSynchronously();

  EXPECT_EQ(installer->exit_code(), 3);
  EXPECT_TRUE(SetupRan());
  EXPECT_FALSE(installer->archive_writable_at_verification);
  EXPECT_EQ(observer_.calls(),
            (std::vector<std::string>{"percent40", "remove_cancel", "finished1"}));
  EXPECT_EQ(installer->stop_waits, (std::vector<DWORD>{20000, 20000}));
  // The archive is gone once the setup ran.
  EXPECT_FALSE(FileExists(installer->module_path()));
  ASSERT_EQ(installer->report_urls.size(), 1u);
  const std::string report = WideToUTF8(installer->report_urls[0]);
  EXPECT_NE(report.find("/get/browser/install?ui=" + WideToUTF8(installer->report_id()) +
                        "&result=success&time="),
            std::string::npos)
      << report;
  EXPECT_EQ(installer->report_id().size(), 36u);

  EXPECT_EQ(EventsAfter(std::move(installer)),
            (std::vector<std::string>{
                "installer_started", "download:started",
                "download:error:error=attempt_1_final_query_info_404_0",
                "download_attempt:failed:error=final_query_info_404_0",
                "download_attempt:success", "download:finished", "setup:setup_exe_launched",
                // 3 counts as a success of the setup: no error.
                "setup:setup_exe_exited"}));
}

TEST_F(InstallerTest, RegistryMirrorsAndPackages) {
  brand_.brand_package_path = folder_.Child(L"BrandFile");
  brand_.partner_package_path = folder_.Child(L"PartnerFile");
  struct Case {
    const wchar_t* exit_code;
    bool success;
  };
  for (const Case& c : {Case{L"0", true}, Case{L"7", false}}) {
    SCOPED_TRACE(WideToUTF8(c.exit_code));
    ASSERT_TRUE(WriteWholeFile(brand_.brand_package_path, "cab"));
    ASSERT_TRUE(WriteWholeFile(brand_.partner_package_path, "cab"));
    const InstallerCommandLine command_line =
        CommandLine(std::wstring(L"--test-setup-exit-code=") + c.exit_code);
    TestInstaller installer(nullptr, &brand_, &params_, command_line);
    installer.RunSynchronously();

    for (const wchar_t* name : {L"InstallerData", L"ClidsFile", L"brand", L"BrandFile"}) {
      EXPECT_EQ(ReadBrowserValue(name).empty(), c.success) << WideToUTF8(name);
    }
    // What the browser reads on its first start stays.
    EXPECT_EQ(ReadBrowserValue(L"lang"), L"en");
    EXPECT_FALSE(ReadBrowserValue(L"AbtConfigResourceFile").empty());
    EXPECT_EQ(FileExists(brand_.brand_package_path), !c.success);
    EXPECT_EQ(FileExists(brand_.partner_package_path), !c.success);
  }
}

// How each failure ends: exit code, failure type, events, report.
struct FailureCase {
  const char* name;
  int failures_before_success;
  bool verify;
  const wchar_t* setup_exit_code;
  int32_t exit_code;
  const char* observer_call;
  bool setup_ran;
  const char* last_events;
  const char* report_result;
};

class InstallerFailureTest : public InstallerTest,
                             public testing::WithParamInterface<FailureCase> {};

TEST_P(InstallerFailureTest, EndsAsSpecified) {
  const FailureCase& c = GetParam();
  const InstallerCommandLine command_line =
      CommandLine(std::wstring(L"--test-setup-exit-code=") + c.setup_exit_code);
  auto installer = std::make_unique<TestInstaller>(&observer_, &brand_, &params_, command_line);
  installer->failures_before_success = c.failures_before_success;
  installer->verify_result = c.verify;
  installer->RunSynchronously();

  EXPECT_EQ(installer->exit_code(), c.exit_code);
  EXPECT_EQ(SetupRan(), c.setup_ran);
  const std::vector<std::string> calls = observer_.calls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), c.observer_call), calls.end());
  ASSERT_EQ(installer->report_urls.size(), 1u);
  EXPECT_NE(WideToUTF8(installer->report_urls[0]).find(std::string("&result=") + c.report_result),
            std::string::npos);
  std::string events;
  for (const std::string& event : EventsAfter(std::move(installer))) events += event + ";";
  EXPECT_NE(events.find(c.last_events), std::string::npos) << events;
  EXPECT_EQ(events.substr(events.size() - std::string(c.last_events).size()), c.last_events)
      << events;
}

INSTANTIATE_TEST_SUITE_P(
    Failures, InstallerFailureTest,
    testing::Values(
        FailureCase{"download", -1, true, L"0", 401, "failed2", false,
                    "download:error:error=attempt_6_final_query_info_404_0;"
                    "download_attempt:failed:error=final_query_info_404_0;",
                    "failed"},
        FailureCase{"verification", 0, false, L"0", 402, "failed1", false,
                    "download:finished;verification:error;", "failed"},
        FailureCase{"already_installed", 0, true, L"7", 7, "failed5", true,
                    "setup:setup_exe_launched;setup:setup_exe_exited:error=FailedToStart;",
                    "failed"},
        // Any other failure code of the setup counts as a finished run.
        FailureCase{"setup_failure_code", 0, true, L"9", 9, "finished1", true,
                    "setup:setup_exe_launched;setup:setup_exe_exited:error=9;", "success"}),
    [](const testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST_F(InstallerTest, NoTemporaryFileForTheArchive) {
  BrandInfo brand(folder_.Child(L"missing") + L"\\");
  brand.setup_url = brand_.setup_url;
  ScopedLogCapture log;
  TestInstaller installer(&observer_, &brand, &params_, CommandLine(L""));
  installer.RunSynchronously();
  EXPECT_EQ(installer.exit_code(), 400);
  EXPECT_EQ(observer_.calls().front(), "failed1");
  EXPECT_EQ(LinesOf(log, {"GetModulePath"}),
            (std::vector<std::string>{"E GetModulePath: Cannot obtain temp file."}));
}

TEST_F(InstallerTest, WindowClosedBeforeTheStartSignal) {
  struct Case {
    bool during_download;
    bool cancelled;
    int32_t exit_code;
  };
  const Case cases[] = {{true, false, 401}, {true, true, 401}, {false, false, 400},
                        {false, true, 400}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.during_download << c.cancelled);
    RecordingObserver observer;
    const InstallerCommandLine command_line = CommandLine(L"");
    auto installer = std::make_unique<TestInstaller>(&observer, &brand_, &params_, command_line);
    TestInstaller* raw = installer.get();
    ScopedHandle reached(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (c.during_download) {
      installer->failures_before_success = -1;
      installer->on_attempt = [&] {
        ::SetEvent(reached.get());
        ::WaitForSingleObject(raw->stop_event(), INFINITE);
      };
    } else {
      installer->on_module = [&] { ::SetEvent(reached.get()); };
    }
    ScopedLogCapture log;
    ASSERT_TRUE(installer->StartInstallThread());
    ASSERT_EQ(::WaitForSingleObject(reached.get(), 30000), WAIT_OBJECT_0);
    if (c.cancelled) installer->IncrementCancelCount();
    ASSERT_TRUE(installer->WaitForInstallAsync());

    EXPECT_EQ(installer->exit_code(), c.exit_code);
    EXPECT_FALSE(SetupRan());
    // The user has gone: no dialog, and the closing loop ends at its
    // first wait.
    EXPECT_TRUE(observer.calls().empty());
    EXPECT_EQ(installer->stop_waits, std::vector<DWORD>{20000});
    ASSERT_EQ(installer->report_urls.size(), 1u);
    EXPECT_NE(WideToUTF8(installer->report_urls[0])
                  .find(c.cancelled ? "&result=cancelled" : "&result=failed"),
              std::string::npos);
    const std::vector<std::string> lines = LinesOf(log, {"InstallBrowser"});
    const bool stopped_line =
        std::find(lines.begin(), lines.end(),
                  "E InstallBrowser: Installation after download event isn't in signal state or "
                  "installation was stopped early.") != lines.end();
    EXPECT_EQ(stopped_line, !c.during_download) << log.Dump();
  }
}

TEST_F(InstallerTest, CancelledDownloadSendsNoAttemptEvents) {
  auto installer = std::make_unique<TestInstaller>(&observer_, &brand_, &params_, CommandLine(L""));
  installer->failures_before_success = -1;
  TestInstaller* raw = installer.get();
  int attempts = 0;
  installer->on_attempt = [&] {
    if (++attempts == 2) raw->IncrementCancelCount();
  };
  installer->RunSynchronously();
  std::string events;
  for (const std::string& event : EventsAfter(std::move(installer))) events += event + ";";
  EXPECT_EQ(events,
            "installer_started;download:started;"
            "download:error:error=attempt_1_final_query_info_404_0;"
            "download_attempt:failed:error=final_query_info_404_0;");
}

TEST_F(InstallerTest, DoNotLaunchBrowserClosesAtOnce) {
  TestInstaller installer(&observer_, &brand_, &params_, CommandLine(L"--do-not-launch-browser"));
  installer.browser_window_checks = {true, true, true};
  installer.RunSynchronously();
  EXPECT_EQ(observer_.calls(), (std::vector<std::string>{"percent40", "remove_cancel",
                                                         "percent100", "finished1"}));
  EXPECT_TRUE(installer.stop_waits.empty());
}

TEST_F(InstallerTest, PermanentLockKeepsTheArchiveReadOnly) {
  params_.values["setup_arc_permanent_lock"] = "yes";
  TestInstaller installer(nullptr, &brand_, &params_, CommandLine(L""));
  installer.RunSynchronously();
  EXPECT_EQ(installer.exit_code(), 0);
  EXPECT_FALSE(installer.archive_writable_at_verification);
}

TEST_F(InstallerTest, SetupCommandLine) {
  params_.values["uts2"] = "1";
  const InstallerCommandLine command_line =
      CommandLine(L"--send-statistics --foo=1 --histogram-download-time=5");
  TestInstaller installer(nullptr, &brand_, &params_, command_line);
  // The user unchecked statistics.
  installer.set_send_statistics(false);
  installer.set_create_mirra_shortcut(true);
  const InstallerCommandLine setup =
      installer.BuildSetupCommandLine(L"c:\\t\\zb1.tmp", /*with_data_files=*/true);

  EXPECT_EQ(setup.GetProgram(), L"c:\\t\\zb1.tmp");
  EXPECT_FALSE(setup.HasSwitch("send-statistics"));
  EXPECT_EQ(setup.GetSwitchValue("foo"), L"1");
  EXPECT_EQ(setup.GetSwitchValue("progress-window"), L"0");
  EXPECT_EQ(setup.GetSwitchValue("brand-name"), L"zelmar");
  EXPECT_TRUE(setup.HasSwitch("verbose-logging"));
  EXPECT_TRUE(setup.HasSwitch("create-mirra-shortcut-in-taskbar"));
  EXPECT_TRUE(setup.HasSwitch("use-task-scheduler2"));
  EXPECT_TRUE(setup.HasSwitch("installerdata"));
  EXPECT_TRUE(setup.HasSwitch("clids-file"));
  EXPECT_FALSE(setup.HasSwitch("ok-button-pressed-time"));
  EXPECT_FALSE(setup.HasSwitch("disable-uac"));
  EXPECT_FALSE(setup.HasSwitch("source"));
  // Switches in name order.
  const std::wstring text = setup.ToString();
  EXPECT_LT(text.find(L"--brand-name"), text.find(L"--foo"));
  EXPECT_LT(text.find(L"--foo"), text.find(L"--progress-window"));

  const InstallerCommandLine placeholder =
      installer.BuildSetupCommandLine(L"fake_browser_arc", /*with_data_files=*/false);
  EXPECT_FALSE(placeholder.HasSwitch("clids-file"));
  EXPECT_FALSE(placeholder.HasSwitch("installerdata"));
}

TEST_F(InstallerTest, SetupReceivesItsCommandLine) {
  TestInstaller installer(nullptr, &brand_, &params_,
                          CommandLine(L"--foo=1 --histogram-download-time=5"));
  installer.RunSynchronously();
  const std::string record = ReadWholeFile(record_);
  for (const char* expected : {"--source=lite", "--progress-window=0", "--foo=1",
                               "--brand-name=zelmar", "--verbose-logging"}) {
    EXPECT_NE(record.find(expected), std::string::npos) << expected << "\n" << record;
  }
  // The direct setup never learns a download time from the command line.
  EXPECT_EQ(record.find("histogram-download-time"), std::string::npos) << record;
}

TEST_F(InstallerTest, ArchiveThatCannotBeLocked) {
  for (const bool permanent_lock : {false, true}) {
    SCOPED_TRACE(permanent_lock ? "permanent lock" : "lock after download");
    RecordingObserver observer;
    FakeDistribParams params;
    if (permanent_lock) params.values["setup_arc_permanent_lock"] = "1";
    auto installer = std::make_unique<TestInstaller>(&observer, &brand_, &params, CommandLine(L""));
    installer->archive_held_for_writing = true;
    ScopedLogCapture log;
    installer->RunSynchronously();

    EXPECT_EQ(installer->exit_code(), 400);
    EXPECT_FALSE(SetupRan());
    EXPECT_EQ(observer.calls(), (std::vector<std::string>{"failed1", "finished1"}));
    const std::vector<std::string> lines = LinesOf(log, {"InstallBrowser"});
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "E InstallBrowser: Cannot lock file: " +
                            WideToUTF8(installer->module_path())),
              lines.end())
        << log.Dump();
    std::string events;
    for (const std::string& event : EventsAfter(std::move(installer))) events += event + ";";
    // Only the permanent lock has an event of its own.
    const std::string last = permanent_lock ? "download:finished;setup_arc_lock:error;"
                                            : "download:finished;";
    EXPECT_EQ(events.substr(events.size() - last.size()), last) << events;
  }
}

// The report's times come from the installer's own clock readings: the
// total leaves out the wait for the start signal.
TEST_F(InstallerTest, ReportTimesLeaveOutTheWaitForTheUser) {
  TestInstaller installer(nullptr, &brand_, &params_, CommandLine(L""));
  installer.failures_before_success = 1;
  installer.RunSynchronously();
  ASSERT_EQ(installer.exit_code(), 0);
  ASSERT_EQ(installer.report_urls.size(), 1u);
  const std::string report = WideToUTF8(installer.report_urls[0]);
  // Download 1 + 30 s, verification 5 s, setup 20 s.
  EXPECT_NE(report.find("&result=success&time=56&download_time=31&install_time=20"),
            std::string::npos)
      << report;
}

TEST_F(InstallerTest, DefaultBrowserOptionsFollowTheWindowsVersion) {
  struct Case {
    const char* name;
    WindowsVersion version;
    bool make_default_kept;
    bool can_make_default;
    const wchar_t* availability;
  };
  const Case cases[] = {
      {"7", {6, 1, 7601, 0}, true, true, L""},
      {"8", {6, 2, 9200, 0}, false, false, L""},
      {"8.1", {6, 3, 9600, 0}, false, false, L""},
      // A build known to have the interface: no child test is needed.
      {"10", {10, 0, 19045, 1234}, true, true, L"190451234"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform platform;
    platform.version = c.version;
    ScopedPlatformQueriesOverride scope(&platform);
    // The switch given to the installer reaches the setup only through
    // the option.
    TestInstaller installer(nullptr, &brand_, &params_,
                            CommandLine(L"--make-browser-default-after-import"));
    installer.SetMakeDefault(true);
    EXPECT_EQ(installer.CanMakeDefaultBrowser(), c.can_make_default);
    const InstallerCommandLine setup = installer.BuildSetupCommandLine(L"zb1.tmp", false);
    EXPECT_EQ(setup.HasSwitch("make-browser-default-after-import"), c.make_default_kept);
    EXPECT_EQ(setup.GetSwitchValue("the-interface-availability"), c.availability);
  }
}

// What the setup learns on the direct path about packages, elevation, the
// interface and the start time.
TEST_F(InstallerTest, DirectSetupLearnsPackagesInterfaceAndStartTime) {
  struct Case {
    const char* name;
    bool brand_extracted;
    bool partner_extracted;
    const char* uac;
    bool show_uac;
  };
  const Case cases[] = {
      {"nothing_extracted", false, false, "1", false},
      {"brand_only", true, false, "2", true},
      {"both", true, true, "0", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ::DeleteFileW(record_.c_str());
    brand_.brand_package_path = folder_.Child(L"brand.cab");
    brand_.partner_package_path = folder_.Child(L"partner.cab");
    brand_.brand_package_extracted = c.brand_extracted;
    brand_.partner_package_extracted = c.partner_extracted;
    FakeDistribParams params;
    params.values["uac"] = c.uac;
    FakePlatform platform;
    platform.version = {10, 0, 19045, 1234};
    ScopedPlatformQueriesOverride scope(&platform);
    TestInstaller installer(nullptr, &brand_, &params, CommandLine(L""));
    ASSERT_TRUE(installer.CanMakeDefaultBrowser());
    ULONGLONG before = 0, after = 0;
    ::QueryUnbiasedInterruptTime(&before);
    installer.RunSynchronously();
    ::QueryUnbiasedInterruptTime(&after);

    const InstallerCommandLine setup = SetupCommandLine();
    EXPECT_EQ(setup.GetSwitchValue("brand-package"),
              c.brand_extracted ? brand_.brand_package_path : L"");
    EXPECT_EQ(setup.GetSwitchValue("partner-package"),
              c.partner_extracted ? brand_.partner_package_path : L"");
    EXPECT_EQ(setup.HasSwitch("show-uac-at-browser-start"), c.show_uac);
    EXPECT_EQ(setup.GetSwitchValue("the-interface-availability"), L"190451234");
    // The start time is the interrupt time in microseconds when the run
    // began.
    const int64_t start = _wtoi64(setup.GetSwitchValue("install-start-time-no-uac").c_str());
    EXPECT_GE(start, static_cast<int64_t>(before / 10));
    EXPECT_LE(start, static_cast<int64_t>(after / 10));
  }
}

}  // namespace
}  // namespace lite
