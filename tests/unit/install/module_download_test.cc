#include "install/module_download.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/file_util.h"
#include "base/scoped_handle.h"
#include "base/string_conversion.h"
#include "config/brand_info.h"
#include "config/service_hosts.h"
#include "install_test_support.h"
#include "net/download_progress_observer.h"
#include "net/download_sink.h"
#include "net/downloader.h"
#include "process/installer_command_line.h"
#include "test_util.h"

namespace lite {
namespace {

constexpr int64_t kDayUs = 86400000000LL;

// What one download attempt does.
struct AttemptScript {
  uint32_t content_length = 0;
  uint32_t bytes = 0;  // written before the attempt ends
  bool succeeds = false;
  uint32_t fault_code = 0;  // a structured exception at open
  std::string dll_name;
  std::string proc_name;
  bool stop_after_bytes = false;  // the user closes the window meanwhile
};

// Shared by the fakes of one test: the script and what the attempts saw.
struct DownloadLog {
  std::vector<AttemptScript> script;  // attempts past its end fail at open
  std::vector<std::string> urls;
  std::vector<uint32_t> resume_offsets;  // the sink's size at open
  HANDLE stop_event = nullptr;
};

// One attempt of the script, standing in for the network steps.
class ScriptedDownloader : public Downloader {
 public:
  explicit ScriptedDownloader(DownloadLog* log) : log_(log) {
    const size_t index = log->urls.size();
    if (index < log->script.size()) {
      script_ = log->script[index];
    } else {
      script_.fault_code = 0;
      fail_open_ = true;
    }
  }

  bool OpenDownload(const std::wstring& url, DownloadSink* sink) override {
    log_->urls.push_back(WideToUTF8(url));
    log_->resume_offsets.push_back(sink->size());
    set_sink(sink);
    if (fail_open_ || script_.fault_code) {
      set_error_stage("open_url");
      mutable_fault()->code = script_.fault_code;
      mutable_fault()->dll_name = script_.dll_name;
      mutable_fault()->proc_name = script_.proc_name;
      return false;
    }
    set_content_length(script_.content_length);
    set_redirect_url(L"https://mirror.example.net/file");
    return true;
  }
  uint32_t ReadChunk() override {
    if (chunk_done_) return 0;
    chunk_done_ = true;
    if (script_.bytes == 0) return 0;
    const std::vector<uint8_t> data(script_.bytes, 'z');
    sink()->Write(data.data(), script_.bytes);
    if (script_.stop_after_bytes) ::SetEvent(log_->stop_event);
    return script_.bytes;
  }
  bool FinalizeDownload(int* status) override {
    if (!script_.succeeds) set_error_stage("read_data");
    return script_.succeeds;
  }

 private:
  DownloadLog* log_;
  AttemptScript script_;
  bool fail_open_ = false;
  bool chunk_done_ = false;
};

class ScriptedArchExperiment : public DownloadArchExperiment {
 protected:
  bool DrawRandomBit(uint32_t* bit) override {
    *bit = 1;
    return true;
  }
};

class TestModuleDownload : public ModuleDownload {
 public:
  TestModuleDownload(const BrandInfo& brand, const DistribParams* params,
                     const InstallerCommandLine& command_line, HANDLE stop_event,
                     DownloadLog* log)
      : ModuleDownload(brand, params, command_line, stop_event, nullptr), log_(log) {}

  int64_t build_age_us = 0;
  bool creation_time_known = true;
  size_t stop_in_pause = 0;  // 1-based; 0: never
  std::vector<uint32_t> pauses;
  std::vector<DownloadAttemptResult> reports;
  int started_events = 0;

 protected:
  std::unique_ptr<Downloader> CreateDownloader() override {
    return std::make_unique<ScriptedDownloader>(log_);
  }
  std::unique_ptr<DownloadArchExperiment> CreateArchExperiment() override {
    return std::make_unique<ScriptedArchExperiment>();
  }
  bool GetModuleCreationTime(const std::wstring& path, uint64_t* time) override {
    if (!creation_time_known) return false;
    *time = static_cast<uint64_t>(WallClockNow() - build_age_us);
    return true;
  }
  // Records the pause and waits on the real stop event without the delay,
  // or, for the pause the stop comes in, with the full delay.
  bool WaitForRetry(uint32_t delay_ms) override {
    pauses.push_back(delay_ms);
    if (pauses.size() == stop_in_pause) {
      ::SetEvent(stop_event());
      return ModuleDownload::WaitForRetry(delay_ms);
    }
    return ModuleDownload::WaitForRetry(0);
  }
  void OnDownloadStarted() override {
    EXPECT_TRUE(reports.empty());
    ++started_events;
  }
  void OnDownloadAttempt(const DownloadAttemptResult& report) override {
    reports.push_back(report);
  }

 private:
  DownloadLog* log_;
};

const std::vector<std::string> kFunctions = {
    "DownloadOrExtractModule", "DownloadModule",      "IsVersionedSetupUrlAllowed",
    "AdjustDownloadUrl",       "ConfigurateRegistry", "WaitForRetry"};

constexpr char kSetup[] = "https://cdn.example.com/setup.arc";
constexpr char kVersioned[] = "https://cdn.example.com/1.2/setup.arc";
constexpr char kSetup64[] = "https://cdn.example.com/x64/setup.arc";
constexpr char kSetup32[] = "https://cdn.example.com/x32/setup.arc";
const std::string kSuffix = "?from_installer=true";

std::vector<std::string> Repeat(const std::string& url, int times) {
  return std::vector<std::string>(times, url + kSuffix);
}
std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class ModuleDownloadTest : public testing::Test {
 protected:
  ModuleDownloadTest() : brand_(folder_.path()), stop_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    brand_.setup_url = kSetup;
    brand_.versioned_setup_url = kVersioned;
    brand_.setup_url_64 = kSetup64;
    brand_.setup_url_32 = kSetup32;
    log_.stop_event = stop_.get();
    path_ = folder_.Child(L"zb1.tmp");
  }

  std::unique_ptr<TestModuleDownload> Make(const wchar_t* command_line, int64_t build_age_days) {
    command_line_ = InstallerCommandLine::FromString(command_line);
    auto download = std::make_unique<TestModuleDownload>(brand_, &params_, command_line_,
                                                         stop_.get(), &log_);
    download->build_age_us = build_age_days * kDayUs;
    return download;
  }

  // The log lines a failed run writes after the URL list.
  std::vector<std::string> Header(const std::vector<std::string>& urls) {
    std::vector<std::string> lines = {"I DownloadOrExtractModule: Try to download module:" +
                                          WideToUTF8(path_),
                                      "I DownloadModule: Selected download urls:"};
    for (const std::string& url : urls) lines.push_back("I DownloadModule: " + url);
    return lines;
  }

  uint64_t FileSize() {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &data)) return UINT64_MAX;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }

  ScopedTempFolder folder_;
  BrandInfo brand_;
  FakeDistribParams params_;
  InstallerCommandLine command_line_;
  ScopedHandle stop_;
  DownloadLog log_;
  std::wstring path_;
  FakePlatform platform_;
  ScopedPlatformQueriesOverride platform_override_{&platform_};
  ScopedRegistryScratch registry_;
};

struct AttemptCountCase {
  const char* name;
  const wchar_t* command_line;
  int64_t build_age_days;
  std::vector<std::string> expected_attempts;
  const wchar_t* expected_state;
};

class AttemptCountTest : public ModuleDownloadTest,
                         public testing::WithParamInterface<AttemptCountCase> {};

TEST_P(AttemptCountTest, EverySourceFailing) {
  const AttemptCountCase& test = GetParam();
  auto download = Make(test.command_line, test.build_age_days);
  ScopedLogCapture log;
  bool downloaded = true;

  EXPECT_EQ(download->DownloadOrExtractModule(path_, &downloaded, nullptr),
            ModuleDownload::kDownloadFailed);
  EXPECT_FALSE(downloaded);
  EXPECT_EQ(log_.urls, test.expected_attempts);
  // A pause after every attempt but the last.
  EXPECT_EQ(download->pauses,
            std::vector<uint32_t>(test.expected_attempts.size() - 1, 15000u));
  EXPECT_EQ(download->started_events, 1);
  ASSERT_EQ(download->reports.size(), test.expected_attempts.size());
  for (size_t i = 0; i < download->reports.size(); ++i) {
    EXPECT_FALSE(download->reports[i].success);
    EXPECT_EQ(download->reports[i].attempt_number, i + 1);
    EXPECT_EQ(WideToUTF8(download->reports[i].url), test.expected_attempts[i]);
    EXPECT_EQ(download->reports[i].error_stage, "open_url");
  }
  std::vector<std::string> urls;
  for (const std::string& url : test.expected_attempts) {
    if (urls.empty() || urls.back() != url) urls.push_back(url);
  }
  std::vector<std::string> expected_lines = Header(urls);
  expected_lines.push_back("E DownloadModule: Max download attempts failed (" +
                           std::to_string(test.expected_attempts.size()) + ")");
  EXPECT_EQ(LinesOf(log, kFunctions), expected_lines);
  EXPECT_EQ(ScopedRegistryScratch::StoredState(), test.expected_state);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AttemptCountTest,
    testing::Values(
        AttemptCountCase{"OneUrlSixAttempts", L"lite.exe", 31, Repeat(kSetup, 6), L"<absent>"},
        AttemptCountCase{"TwoUrlsThreeEach", L"lite.exe", 29,
                         Join(Repeat(kVersioned, 3), Repeat(kSetup, 3)), L"<absent>"},
        AttemptCountCase{"ThreeUrlsThreeEach", L"lite.exe --download-x64", 0,
                         Join(Join(Repeat(kSetup64, 3), Repeat(kVersioned, 3)),
                              Repeat(kSetup, 3)),
                         L"2"},
        AttemptCountCase{"X32BuildFirst", L"lite.exe --download-x32", 40,
                         Join(Repeat(kSetup32, 3), Repeat(kSetup, 3)), L"2"}),
    [](const testing::TestParamInfo<AttemptCountCase>& info) {
      return std::string(info.param.name);
    });

TEST_F(ModuleDownloadTest, MissingArchitectureUrlStillTakesItsTurn) {
  brand_.setup_url_64.clear();
  auto download = Make(L"lite.exe --download-x64", 31);
  bool downloaded = false;
  EXPECT_EQ(download->DownloadOrExtractModule(path_, &downloaded, nullptr),
            ModuleDownload::kDownloadFailed);
  EXPECT_EQ(log_.urls, Join(Repeat("", 3), Repeat(kSetup, 3)));
}

struct SuccessCase {
  const char* name;
  const wchar_t* command_line;
  int successful_attempt;  // 1-based
  const wchar_t* expected_state;
};

class SuccessTest : public ModuleDownloadTest,
                    public testing::WithParamInterface<SuccessCase> {};

TEST_P(SuccessTest, StopsAtFirstSuccessAndRecordsExperiment) {
  const SuccessCase& test = GetParam();
  for (int i = 1; i < test.successful_attempt; ++i) log_.script.push_back({1000, 0, false});
  log_.script.push_back({1000, 1000, true});
  auto download = Make(test.command_line, 31);
  ScopedLogCapture log;
  bool downloaded = false;

  EXPECT_EQ(download->DownloadOrExtractModule(path_, &downloaded, nullptr),
            ModuleDownload::kSucceeded);
  EXPECT_TRUE(downloaded);
  EXPECT_EQ(log_.urls.size(), static_cast<size_t>(test.successful_attempt));
  EXPECT_EQ(download->pauses.size(), static_cast<size_t>(test.successful_attempt - 1));
  ASSERT_FALSE(download->reports.empty());
  const DownloadAttemptResult& last = download->reports.back();
  EXPECT_TRUE(last.success);
  EXPECT_EQ(last.attempt_number, test.successful_attempt);
  EXPECT_EQ(last.downloaded_size, 1000u);
  EXPECT_EQ(last.total_size, 1000u);
  EXPECT_EQ(last.redirect_url, L"https://mirror.example.net/file");
  EXPECT_EQ(FileSize(), 1000u);
  EXPECT_EQ(ScopedRegistryScratch::StoredState(), test.expected_state);
  for (const std::string& line : LinesOf(log, kFunctions)) {
    EXPECT_EQ(line.find("Max download attempts"), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SuccessTest,
    testing::Values(SuccessCase{"X64FirstAttempt", L"lite.exe --download-x64", 1, L"1"},
                    SuccessCase{"X64LastAttemptOfFirstUrl", L"lite.exe --download-x64", 3, L"1"},
                    SuccessCase{"X64OnlyFallbackSucceeded", L"lite.exe --download-x64", 4, L"2"},
                    SuccessCase{"X32FirstUrl", L"lite.exe --download-x32", 2, L"0"},
                    SuccessCase{"NoExperimentNoWrite", L"lite.exe", 5, L"<absent>"}),
    [](const testing::TestParamInfo<SuccessCase>& info) { return std::string(info.param.name); });

struct ResumeCase {
  const char* name;
  uint32_t content_length;
  uint32_t first_bytes;
  uint32_t expected_resume_offset;
};

class ResumeTest : public ModuleDownloadTest, public testing::WithParamInterface<ResumeCase> {};

TEST_P(ResumeTest, TenPercentRule) {
  const ResumeCase& test = GetParam();
  // The second attempt's own bytes go after whatever the first one kept.
  log_.script = {{test.content_length, test.first_bytes, false}, {test.content_length, 10, true}};
  auto download = Make(L"lite.exe", 31);
  bool downloaded = false;

  EXPECT_EQ(download->DownloadOrExtractModule(path_, &downloaded, nullptr),
            ModuleDownload::kSucceeded);
  EXPECT_EQ(log_.resume_offsets, (std::vector<uint32_t>{0, test.expected_resume_offset}));
  ASSERT_EQ(download->reports.size(), 2u);
  EXPECT_EQ(download->reports[0].downloaded_size, test.expected_resume_offset);
  EXPECT_EQ(FileSize(), test.expected_resume_offset + 10u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResumeTest,
    testing::Values(ResumeCase{"HalfIsResumed", 1000, 500, 500},
                    ResumeCase{"FivePercentStartsOver", 1000, 50, 0},
                    ResumeCase{"ExactlyTenPercentIsResumed", 1000, 100, 100},
                    ResumeCase{"JustBelowTenPercentStartsOver", 1000, 99, 0},
                    // 430000000 * 10 wraps in 32 bits to a threshold of 50327.
                    ResumeCase{"LargeFileDoesNotWrap", 430000000, 60000, 0}),
    [](const testing::TestParamInfo<ResumeCase>& info) { return std::string(info.param.name); });

TEST_F(ModuleDownloadTest, UnannouncedLengthKeepsPartialFile) {
  log_.script = {{0, 50, false}, {0, 70, true}};
  auto download = Make(L"lite.exe", 31);
  bool downloaded = false;
  EXPECT_EQ(download->DownloadOrExtractModule(path_, &downloaded, nullptr),
            ModuleDownload::kSucceeded);
  EXPECT_EQ(log_.resume_offsets, (std::vector<uint32_t>{0, 50}));
  EXPECT_EQ(FileSize(), 120u);
}

TEST_F(ModuleDownloadTest, NextSourceStartsWithEmptyFile) {
  // Two sources; the last attempt on the first leaves half the file.
  log_.script = {{1000, 0, false}, {1000, 0, false}, {1000, 500, false}, {1000, 1000, true}};
  auto download = Make(L"lite.exe", 29);
  bool downloaded = false;
  EXPECT_EQ(download->DownloadOrExtractModule(path_, &downloaded, nullptr),
            ModuleDownload::kSucceeded);
  EXPECT_EQ(log_.urls, Join(Repeat(kVersioned, 3), Repeat(kSetup, 1)));
  EXPECT_EQ(log_.resume_offsets, (std::vector<uint32_t>{0, 0, 0, 0}));
  EXPECT_EQ(FileSize(), 1000u);
}

struct FaultCase {
  const char* name;
  uint32_t code;
  const char* dll;
  const char* proc;
  ModuleDownload::Result expected;
  const char* expected_line;
};

class FaultTest : public ModuleDownloadTest, public testing::WithParamInterface<FaultCase> {};

TEST_P(FaultTest, EndsDownloadWithoutRetry) {
  const FaultCase& test = GetParam();
  log_.script = {{0, 0, false, test.code, test.dll, test.proc}};
  auto download = Make(L"lite.exe --download-x64", 31);
  ScopedLogCapture log;
  bool downloaded = true;

  EXPECT_EQ(download->DownloadOrExtractModule(path_, &downloaded, nullptr), test.expected);
  EXPECT_FALSE(downloaded);
  EXPECT_EQ(log_.urls.size(), 1u);
  EXPECT_TRUE(download->pauses.empty());
  EXPECT_TRUE(download->reports.empty());
  EXPECT_EQ(ScopedRegistryScratch::StoredState(), L"<absent>");
  EXPECT_EQ(LinesOf(log, kFunctions),
            Join(Header({kSetup64 + kSuffix, kSetup + kSuffix}),
                 {std::string("E DownloadModule: ") + test.expected_line}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FaultTest,
    testing::Values(
        FaultCase{"CryptoPro", 0xC06D007E, "CPLIB.DLL", "CryptoProInit",
                  ModuleDownload::kCryptoProFault,
                  "Exception with code=3228369022dll_name=CPLIB.DLLproc_name=CryptoProInit"},
        FaultCase{"OtherDelayLoad", 0xC06D007E, "other.dll", "CryptoProInit",
                  ModuleDownload::kDownloadFailed,
                  "Exception with code=3228369022dll_name=other.dllproc_name=CryptoProInit"},
        FaultCase{"AccessViolation", 0xC0000005, "", "", ModuleDownload::kDownloadFailed,
                  "Exception with code=3221225477"}),
    [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

TEST_F(ModuleDownloadTest, StopBeforeFirstAttempt) {
  ::SetEvent(stop_.get());
  auto download = Make(L"lite.exe --download-x64", 31);
  ScopedLogCapture log;
  bool downloaded = true;
  EXPECT_EQ(download->DownloadOrExtractModule(path_, &downloaded, nullptr),
            ModuleDownload::kDownloadFailed);
  EXPECT_TRUE(log_.urls.empty());
  EXPECT_TRUE(download->reports.empty());
  EXPECT_EQ(LinesOf(log, kFunctions),
            Join(Header({kSetup64 + kSuffix, kSetup + kSuffix}),
                 {"E DownloadModule: Max download attempts failed (6)"}));
  EXPECT_EQ(ScopedRegistryScratch::StoredState(), L"<absent>");
}

struct StopCase {
  const char* name;
  const wchar_t* stored_state;  // nullptr: none stored
  bool stop_in_first_download;
  size_t stop_in_pause;
  const wchar_t* expected_state;
};

class StopTest : public ModuleDownloadTest, public testing::WithParamInterface<StopCase> {};

// Closing the installer is no verdict on the 64-bit build: only its own
// source failing every attempt turns the experiment off.
TEST_P(StopTest, LeavesTheExperimentAsItWasUnlessItsSourceFailed) {
  const StopCase& test = GetParam();
  if (test.stored_state) ScopedRegistryScratch::StoreState(test.stored_state);
  AttemptScript first{1000, 400, false};
  first.stop_after_bytes = test.stop_in_first_download;
  log_.script = {first};
  auto download = Make(L"lite.exe --download-x64", 31);
  download->stop_in_pause = test.stop_in_pause;
  bool downloaded = true;
  EXPECT_EQ(download->DownloadOrExtractModule(path_, &downloaded, nullptr),
            ModuleDownload::kDownloadFailed);
  EXPECT_EQ(ScopedRegistryScratch::StoredState(), test.expected_state);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StopTest,
    testing::Values(StopCase{"InFirstDownloadKeepsX64", L"1", true, 0, L"1"},
                    StopCase{"InFirstDownloadKeepsX32", L"0", true, 0, L"0"},
                    StopCase{"InFirstPauseWritesNothing", nullptr, false, 1, L"<absent>"},
                    StopCase{"BeforeLastAttemptOfItsSource", L"1", false, 2, L"1"},
                    StopCase{"AfterItsSourceFailedDisables", L"1", false, 3, L"2"}),
    [](const testing::TestParamInfo<StopCase>& info) { return std::string(info.param.name); });

TEST_F(ModuleDownloadTest, StopDuringDownloadEndsLoop) {
  AttemptScript cancelled{1000, 400, false};
  cancelled.stop_after_bytes = true;
  log_.script = {cancelled};
  auto download = Make(L"lite.exe", 29);
  ScopedLogCapture log;
  bool downloaded = true;
  EXPECT_EQ(download->DownloadOrExtractModule(path_, &downloaded, nullptr),
            ModuleDownload::kDownloadFailed);
  EXPECT_EQ(log_.urls.size(), 1u);
  EXPECT_EQ(download->reports.size(), 1u);
  EXPECT_EQ(LinesOf(log, kFunctions),
            Join(Header({kVersioned + kSuffix, kSetup + kSuffix}),
                 {"E DownloadModule: Max download attempts failed (6)"}));
}

TEST_F(ModuleDownloadTest, StopDuringPauseEndsItAtOnce) {
  auto download = Make(L"lite.exe", 31);
  download->stop_in_pause = 1;
  ScopedLogCapture log;
  bool downloaded = true;
  const DWORD start = ::GetTickCount();
  EXPECT_EQ(download->DownloadOrExtractModule(path_, &downloaded, nullptr),
            ModuleDownload::kDownloadFailed);
  // The full 15 s pause was asked for; the stop event cut it short.
  EXPECT_LT(::GetTickCount() - start, 5000u);
  EXPECT_EQ(download->pauses, (std::vector<uint32_t>{15000}));
  EXPECT_EQ(log_.urls.size(), 1u);
  EXPECT_EQ(LinesOf(log, kFunctions),
            Join(Header({kSetup + kSuffix}), {"E DownloadModule: Max download attempts failed (6)"}));
}

struct WindowsCase {
  uint32_t major;
  uint32_t minor;
  bool old_build;
};

TEST_F(ModuleDownloadTest, XpAndVistaGetTheirOwnBuild) {
  const std::string xp_url =
      std::string(kDownloadCdnOrigin) + "/browser-partners/_xp_builds/browser-setup.arc" + kSuffix;
  const WindowsCase cases[] = {{5, 1, true}, {5, 2, true}, {6, 0, true}, {6, 1, false},
                               {10, 0, false}};
  for (const WindowsCase& test : cases) {
    platform_.version = {test.major, test.minor, 0, 0};
    auto download = Make(L"lite.exe --download-x64", 1);
    const std::vector<std::string> expected =
        test.old_build ? std::vector<std::string>{xp_url}
                       : std::vector<std::string>{kSetup64 + kSuffix, kVersioned + kSuffix,
                                                  kSetup + kSuffix};
    EXPECT_EQ(download->GetSetupUrls(DownloadArchExperiment::kX64), expected)
        << test.major << "." << test.minor;
  }
}

TEST_F(ModuleDownloadTest, VistaDownloadsSixTimesFromOneSource) {
  platform_.version = {6, 0, 6002, 0};
  auto download = Make(L"lite.exe", 1);
  bool downloaded = true;
  EXPECT_EQ(download->DownloadOrExtractModule(path_, &downloaded, nullptr),
            ModuleDownload::kDownloadFailed);
  EXPECT_EQ(log_.urls,
            Repeat(std::string(kDownloadCdnOrigin) + "/browser-partners/_xp_builds/browser-setup.arc",
                   6));
}

struct VersionedCase {
  const char* name;
  const char* versioned_url;
  bool creation_time_known;
  int64_t build_age_us;
  std::vector<std::string> expected_urls;
  std::vector<std::string> expected_lines;
};

class VersionedUrlTest : public ModuleDownloadTest,
                         public testing::WithParamInterface<VersionedCase> {};

TEST_P(VersionedUrlTest, UsedOnlyForRecentBuilds) {
  const VersionedCase& test = GetParam();
  brand_.versioned_setup_url = test.versioned_url;
  auto download = Make(L"lite.exe", 0);
  download->creation_time_known = test.creation_time_known;
  download->build_age_us = test.build_age_us;
  ScopedLogCapture log;
  EXPECT_EQ(download->GetSetupUrls(DownloadArchExperiment::kNone), test.expected_urls);
  EXPECT_EQ(LinesOf(log, kFunctions), test.expected_lines);
}

const std::string kBoth[] = {kVersioned + kSuffix, kSetup + kSuffix};

INSTANTIATE_TEST_SUITE_P(
    Cases, VersionedUrlTest,
    testing::Values(
        VersionedCase{"Built29DaysAgo", kVersioned, true, 29 * kDayUs,
                      {kBoth[0], kBoth[1]}, {}},
        VersionedCase{"Built31DaysAgo", kVersioned, true, 31 * kDayUs, {kBoth[1]}, {}},
        VersionedCase{"BuiltJustOver30DaysAgo", kVersioned, true, 30 * kDayUs + 60000000,
                      {kBoth[1]}, {}},
        VersionedCase{"BuildTimeInFuture", kVersioned, true, -kDayUs, {kBoth[0], kBoth[1]}, {}},
        VersionedCase{"BuildTimeUnknown", kVersioned, false, 0, {kBoth[1]}, {}},
        VersionedCase{"NoVersionedUrl", "", true, 0, {kBoth[1]}, {}},
        VersionedCase{"Placeholder", "https://cdn.example.com/{version}/setup.arc", true, 0,
                      {kBoth[1]},
                      {"E IsVersionedSetupUrlAllowed: Wrong setup url:"
                       "https://cdn.example.com/{version}/setup.arc"}}),
    [](const testing::TestParamInfo<VersionedCase>& info) {
      return std::string(info.param.name);
    });

TEST_F(ModuleDownloadTest, NoSourceAtAll) {
  brand_.setup_url.clear();
  brand_.versioned_setup_url.clear();
  auto download = Make(L"lite.exe", 0);
  ScopedLogCapture log;
  bool downloaded = true;
  EXPECT_EQ(download->DownloadOrExtractModule(path_, &downloaded, nullptr),
            ModuleDownload::kDownloadFailed);
  EXPECT_TRUE(log_.urls.empty());
  EXPECT_EQ(download->started_events, 0);
  EXPECT_EQ(LinesOf(log, kFunctions),
            (std::vector<std::string>{
                "I DownloadOrExtractModule: Try to download module:" + WideToUTF8(path_),
                "E DownloadModule: Setup url is empty."}));
}

TEST_F(ModuleDownloadTest, UncreatableFile) {
  auto download = Make(L"lite.exe", 0);
  const std::wstring path = folder_.Child(L"missing\\zb.tmp");
  ScopedLogCapture log;
  bool downloaded = true;
  ScopedHandle lock;
  EXPECT_EQ(download->DownloadOrExtractModule(path, &downloaded, &lock),
            ModuleDownload::kCannotCreateFile);
  EXPECT_FALSE(downloaded);
  EXPECT_FALSE(lock.is_valid());
  EXPECT_TRUE(log_.urls.empty());
  EXPECT_EQ(LinesOf(log, kFunctions),
            (std::vector<std::string>{"E DownloadOrExtractModule: Cannot create file:" +
                                      WideToUTF8(path)}));
}

TEST_F(ModuleDownloadTest, LockKeepsFileOpenAndReadable) {
  log_.script = {{10, 10, true}};
  auto download = Make(L"lite.exe", 31);
  bool downloaded = false;
  ScopedHandle lock;
  ASSERT_EQ(download->DownloadOrExtractModule(path_, &downloaded, &lock),
            ModuleDownload::kSucceeded);
  ASSERT_TRUE(lock.is_valid());
  // Others may read but not write while the lock holds the file.
  ScopedHandle reader(::CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_TRUE(reader.is_valid());
  ScopedHandle writer(::CreateFileW(path_.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                    nullptr));
  EXPECT_FALSE(writer.is_valid());
  lock.reset();
  reader.reset();
  // Without a lock the file is closed on return.
  auto second = Make(L"lite.exe", 31);
  log_ = DownloadLog{{{10, 10, true}}, {}, {}, stop_.get()};
  ASSERT_EQ(second->DownloadOrExtractModule(path_, &downloaded, nullptr),
            ModuleDownload::kSucceeded);
  ScopedHandle exclusive(
      ::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  EXPECT_TRUE(exclusive.is_valid());
}

}  // namespace
}  // namespace lite
