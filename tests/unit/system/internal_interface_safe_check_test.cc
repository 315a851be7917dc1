#include "system/internal_interface_safe_check.h"

#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include "captured_log.h"
#include "fake_platform_queries.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/file_util.h"
#include "base/scoped_handle.h"
#include "base/string_conversion.h"
#include "logging/file_logger.h"
#include "logging/log_record.h"
#include "system/platform_queries.h"

namespace lite {
namespace {

constexpr char kFunction[] = "IsInternalInterfaceAvailableSafeCheck";
constexpr uint32_t kUntouched = 0xDEADBEEF;
// Long enough for any child that exits by itself, even on a slow machine.
constexpr uint32_t kGenerousWaitMs = 60000;

TEST(MakeInterfaceCheckStatusTest, PacksCategoryBuildAndRevision) {
  struct Case {
    uint32_t category;
    uint32_t build;
    uint32_t revision;
    uint32_t status;
  } cases[] = {
      {2, 16299, 1029, 2162991029u},
      {0, 17134, 318, 171340318u},
      {0, 0, 0, 0u},
      // The largest value that still fits.
      {4, 29496, 7295, 4294967295u},
      // Builds and revisions at or beyond their limits count as 0.
      {4, 29497, 7295, 4000007295u},
      {4, 29496, 7296, 4294960000u},
      {1, 0xFFFFFFFF, 0xFFFFFFFF, 1000000000u},
      // Categories above 4 are clamped.
      {5, 16299, 1029, 4162991029u},
      {0xFFFFFFFF, 10240, 0, 4102400000u},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.status, MakeInterfaceCheckStatus(c.category, {10, 0, c.build, c.revision}))
        << c.category << " " << c.build << " " << c.revision;
  }
}

using Record = CapturedLine;

using FakeWindowsVersion = FakePlatformQueries;

// Finds the child the check starts, from another thread while the check
// waits, and keeps a handle so that its end can be examined afterwards.
class ChildWatcher {
 public:
  ChildWatcher() : thread_([this] { Watch(); }) {}
  ~ChildWatcher() { Stop(); }
  // Null when no child was seen.
  HANDLE Child() {
    Stop();
    return child_.get();
  }

 private:
  void Watch() {
    const DWORD self = ::GetCurrentProcessId();
    while (!stop_ && !child_) {
      ScopedHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
      PROCESSENTRY32W entry = {};
      entry.dwSize = sizeof(entry);
      for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more && !child_;
           more = ::Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ParentProcessID == self &&
            _wcsicmp(entry.szExeFile, L"interface_child.exe") == 0) {
          child_.reset(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE,
                                     entry.th32ProcessID));
        }
      }
      ::Sleep(5);
    }
  }

  void Stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }

  std::atomic<bool> stop_{false};
  ScopedHandle child_;
  std::thread thread_;
};

class SafeCheckTest : public testing::Test {
 protected:
  void SetUp() override {
    SetCurrentLogger(std::make_unique<RecordingLogger>(&records_));
    platform_.version = {10, 0, 16299, 1029};
    wchar_t exe[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    child_ = DirName(std::wstring(exe, length)) + L"\\..\\fixtures\\interface_child.exe";
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(child_.c_str()));
  }
  void TearDown() override {
    SetCurrentLogger(nullptr);
    ::SetEnvironmentVariableW(L"LITE_INTERFACE_CHILD", nullptr);
  }

  // The child's behaviour, see interface_child.cc.
  void SetChildMode(const wchar_t* mode) { ::SetEnvironmentVariableW(L"LITE_INTERFACE_CHILD", mode); }

  void ExpectOneRecord(LogSeverity severity, const std::string& text) {
    ASSERT_EQ(1u, records_.size());
    EXPECT_EQ(severity, records_[0].severity);
    EXPECT_EQ(kFunction, records_[0].function);
    if (severity == LOG_ERROR) {
      // Followed by " - " and the last Windows error.
      EXPECT_EQ(text + " - ", records_[0].message.substr(0, text.size() + 3));
    } else {
      EXPECT_EQ(text, records_[0].message);
    }
  }

  std::vector<Record> records_;
  FakeWindowsVersion platform_;
  ScopedPlatformQueriesOverride override_{&platform_};
  std::wstring child_;
};

TEST_F(SafeCheckTest, KnownSystemsNeedNoChild) {
  struct Case {
    WindowsVersion version;
    bool result;
    uint32_t status;
  } cases[] = {
      {{6, 3, 9600, 0}, false, kUntouched},
      {{6, 1, 7601, 0}, false, kUntouched},
      {{10, 0, 17704, 0}, true, 177040000u},
      {{10, 0, 19045, 3803}, true, 190453803u},
      {{10, 0, 17134, 319}, true, 171340319u},
      {{10, 0, 29497, 7296}, true, 0u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.version.major << "." << c.version.build << "."
                                    << c.version.revision);
    platform_.version = c.version;
    uint32_t status = kUntouched;
    // A program that does not exist: any attempt to run it would show.
    EXPECT_EQ(c.result, IsInternalInterfaceAvailableSafeCheck(L"C:\\no\\such\\installer.exe",
                                                               kGenerousWaitMs, &status));
    EXPECT_EQ(c.status, status);
    uint32_t default_status = kUntouched;
    EXPECT_EQ(c.result, IsInternalInterfaceAvailableSafeCheck(&default_status));
    EXPECT_EQ(c.status, default_status);
  }
  EXPECT_TRUE(records_.empty());
}

TEST_F(SafeCheckTest, ChildExitCodeGivesResultAndCategory) {
  const std::string kFailed = "Failed to check Win10 internal interface availability";
  struct Case {
    const wchar_t* mode;
    bool result;
    uint32_t status;
    LogSeverity severity;
    std::string log;
  } cases[] = {
      {L"700", true, 162991029u, LOG_INFO,
       "Successfuly checked Win10 internal interface availability: availability: 1"},
      {L"701", false, 2162991029u, LOG_INFO,
       "Successfuly checked Win10 internal interface availability: availability: 0"},
      {L"crash", false, 1162991029u, LOG_ERROR,
       kFailed + ", ret code: -1073741819, installer crashed"},
      {L"-5", false, 1162991029u, LOG_ERROR, kFailed + ", ret code: -5, installer crashed"},
      {L"0", false, 4162991029u, LOG_ERROR, kFailed + ", unknown ret code: 0"},
      {L"702", false, 4162991029u, LOG_ERROR, kFailed + ", unknown ret code: 702"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(WideToUTF8(c.mode));
    records_.clear();
    SetChildMode(c.mode);
    uint32_t status = kUntouched;
    EXPECT_EQ(c.result, IsInternalInterfaceAvailableSafeCheck(child_, kGenerousWaitMs, &status));
    EXPECT_EQ(c.status, status);
    ExpectOneRecord(c.severity, c.log);
  }
}

// Revision 318 of build 17134 is not yet known to be good.
TEST_F(SafeCheckTest, Build17134Revision318RunsTheChild) {
  platform_.version = {10, 0, 17134, 318};
  SetChildMode(L"701");
  uint32_t status = kUntouched;
  EXPECT_FALSE(IsInternalInterfaceAvailableSafeCheck(child_, kGenerousWaitMs, &status));
  EXPECT_EQ(2171340318u, status);
}

TEST_F(SafeCheckTest, HangingChildIsTerminatedWith22) {
  SetChildMode(L"hang");
  ChildWatcher watcher;
  uint32_t status = kUntouched;
  EXPECT_FALSE(IsInternalInterfaceAvailableSafeCheck(child_, 1000, &status));
  EXPECT_EQ(3162991029u, status);
  ExpectOneRecord(LOG_ERROR,
                  "Failed to check Win10 internal interface availability,  installer was "
                  "terminated by timeout.");

  HANDLE child = watcher.Child();
  ASSERT_NE(nullptr, child) << "the child was never seen";
  ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(child, 10000));
  DWORD exit_code = 0;
  ASSERT_TRUE(::GetExitCodeProcess(child, &exit_code));
  EXPECT_EQ(22u, exit_code);
}

TEST_F(SafeCheckTest, ChildThatCannotBeStarted) {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = temp;
  const std::wstring not_a_program = folder + L"lite_interface_check_not_a_program.exe";
  ASSERT_TRUE(WriteWholeFile(not_a_program, "this is not a program"));

  struct Case {
    std::wstring program;
    std::string log;
  } cases[] = {
      {folder + L"lite_interface_check_missing.exe",
       "Failed to check Win10 internal interface availability: can't get installer exe path."},
      {folder, "Failed to check Win10 internal interface availability: can't get installer exe "
               "path."},
      {not_a_program,
       "Failed to check Win10 internal interface availability: can't run installer: \"" +
           WideToUTF8(not_a_program) + "\" --check-the-interface"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(WideToUTF8(c.program));
    records_.clear();
    uint32_t status = kUntouched;
    EXPECT_FALSE(IsInternalInterfaceAvailableSafeCheck(c.program, kGenerousWaitMs, &status));
    EXPECT_EQ(4162991029u, status);
    ExpectOneRecord(LOG_ERROR, c.log);
  }
  ::DeleteFileW(not_a_program.c_str());
}

}  // namespace
}  // namespace lite
