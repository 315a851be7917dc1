#include "logging/file_logger.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "base/file_util.h"
#include "base/scoped_handle.h"
#include "base/string_conversion.h"
#include "logging/log_record.h"
#include "test_util.h"

namespace lite {
namespace {

int64_t MicrosecondsAt(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second,
                       WORD millisecond) {
  SYSTEMTIME st = {year, month, 0, day, hour, minute, second, millisecond};
  FILETIME ft;
  EXPECT_TRUE(::SystemTimeToFileTime(&st, &ft));
  return static_cast<int64_t>(((static_cast<uint64_t>(ft.dwHighDateTime) << 32) |
                               ft.dwLowDateTime) / 10);
}

const int64_t kExampleTime = MicrosecondsAt(2022, 10, 5, 8, 12, 33, 417);

class FileLoggerTest : public testing::Test {
 protected:
  std::wstring LogPath() const { return folder_.Child(L"lite_installer.log"); }
  std::string LogContent() const { return ReadWholeFile(LogPath()); }

  // Emits one record with fixed time and ids through |logger|.
  static void EmitFixed(FileLogger* logger, LogSeverity severity, const char* function, int line,
                        const std::string& message, uint32_t pid = 4312, uint32_t tid = 7720) {
    LogRecord record(severity, function, line);
    record << message;
    record.set_time_for_testing(kExampleTime);
    record.set_ids_for_testing(pid, tid);
    logger->Emit(record);
    record.Discard();
  }

  ScopedTempFolder folder_;
};

TEST_F(FileLoggerTest, WritesTheDocumentedLine) {
  FileLogger logger(LogPath(), 1048576);
  EmitFixed(&logger, LOG_INFO, "wWinMain", 157, "x");
  EXPECT_EQ(LogContent(), "2022-10-05 08:12:33.417 4312:7720 INFO: x (wWinMain:157)\n");
}

TEST_F(FileLoggerTest, FormatsSeveritiesAndShortIds) {
  struct Case {
    LogSeverity severity;
    uint32_t pid, tid;
    const char* expected;
  };
  const Case cases[] = {
      {LOG_INFO, 7, 3, "2022-10-05 08:12:33.417 07:03 INFO: m (f:1)\n"},
      {LOG_ERROR, 10, 99, "2022-10-05 08:12:33.417 10:99 ERROR: m (f:1)\n"},
      {LOG_WARNING, 4294967295u, 0, "2022-10-05 08:12:33.417 4294967295:00 WARNING: m (f:1)\n"},
  };
  for (const auto& c : cases) {
    ::DeleteFileW(LogPath().c_str());
    FileLogger logger(LogPath(), 1048576);
    EmitFixed(&logger, c.severity, "f", 1, "m", c.pid, c.tid);
    EXPECT_EQ(LogContent(), c.expected);
  }
}

TEST_F(FileLoggerTest, UnconvertibleTimeGivesZeroFields) {
  LogRecord record(LOG_INFO, "f", 2);
  record.set_time_for_testing(-1);
  record.set_ids_for_testing(1, 2);
  record.Discard();
  EXPECT_EQ(FileLogger::FormatPrefix(record), "0000-00-00 00:00:00.000 01:02 ");
}

TEST_F(FileLoggerTest, DropsRecordsWhoseSuffixDoesNotFit) {
  FileLogger logger(LogPath(), 1048576);
  // " (" + name + ":5)" is 5 characters more than the name: 194 fits in
  // 199 characters, 195 reaches the 200-byte limit.
  const std::string fits(194, 'f');
  const std::string too_long(195, 'f');
  EmitFixed(&logger, LOG_INFO, too_long.c_str(), 5, "dropped");
  EXPECT_FALSE(PathExists(LogPath()));
  EmitFixed(&logger, LOG_INFO, fits.c_str(), 5, "kept");
  EXPECT_NE(LogContent().find("kept (" + fits + ":5)\n"), std::string::npos);
  EXPECT_EQ(LogContent().find("dropped"), std::string::npos);
}

TEST_F(FileLoggerTest, NamesTheMutexAfterThePathString) {
  // Known digests: the empty path, a path longer than one 64-byte MD5 block,
  // and a path hashed as its UTF-8 bytes.
  const struct {
    const wchar_t* path;
    const wchar_t* name;
  } kCases[] = {
      {L"abc", L"broupdater log 900150983cd24fb0d6963f7d28e17f72"},
      {L"", L"broupdater log d41d8cd98f00b204e9800998ecf8427e"},
      {L"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       L"broupdater log 57edf4a22be3c955ac49da2e2107b67a"},
      {L"C:\\Temp\\\u00dcn\u00efc\u00f8d\u00e9\\lite_installer.log",
       L"broupdater log 43e82281051410a2f8ec876d36135f7e"},
  };
  for (const auto& c : kCases) EXPECT_EQ(FileLogger::MutexName(c.path), c.name) << c.path;
  EXPECT_EQ(FileLogger::MutexName(L"C:\\t\\\\lite_installer.log"),
            FileLogger::MutexName(L"C:\\t\\\\lite_installer.log"));
  EXPECT_NE(FileLogger::MutexName(L"C:\\t\\\\lite_installer.log"),
            FileLogger::MutexName(L"C:\\t\\lite_installer.log"));
}

TEST_F(FileLoggerTest, OldCopyPathInsertsSuffixBeforeExtension) {
  EXPECT_EQ(FileLogger::OldLogPath(L"C:\\t\\\\lite_installer.log"),
            L"C:\\t\\\\lite_installer_old.log");
  EXPECT_EQ(FileLogger::OldLogPath(L"C:\\t.d\\log"), L"C:\\t.d\\log_old");
  EXPECT_EQ(FileLogger::OldLogPath(L"a.b.log"), L"a.b_old.log");
}

// The prefix "2022-10-05 08:12:33.417 4312:7720 " is 34 bytes; a record
// rotates when file length + prefix + message reaches the limit.
TEST_F(FileLoggerTest, RotatesWhenTheRecordWouldReachTheLimit) {
  const uint32_t limit = 1000;
  const std::string existing(limit - 76, 'e');
  struct Case {
    size_t message_length;
    bool rotates;
  };
  for (const Case c : {Case{41, false}, Case{42, true}}) {
    ASSERT_TRUE(WriteWholeFile(LogPath(), existing));
    ASSERT_TRUE(WriteWholeFile(folder_.Child(L"lite_installer_old.log"), "earlier old copy"));
    FileLogger logger(LogPath(), limit);
    const std::string message(c.message_length, 'm');
    EmitFixed(&logger, LOG_INFO, "f", 1, message);
    const std::string line = "2022-10-05 08:12:33.417 4312:7720 INFO: " + message + " (f:1)\n";
    if (c.rotates) {
      EXPECT_EQ(LogContent(), line);
      EXPECT_EQ(ReadWholeFile(folder_.Child(L"lite_installer_old.log")), existing);
    } else {
      EXPECT_EQ(LogContent(), existing + line);
      EXPECT_EQ(ReadWholeFile(folder_.Child(L"lite_installer_old.log")), "earlier old copy");
    }
  }
}

TEST_F(FileLoggerTest, FailedRotationIsReportedOnceAndNotRetried) {
  const std::wstring old_path = folder_.Child(L"lite_installer_old.log");
  ASSERT_TRUE(WriteWholeFile(LogPath(), std::string(100, 'e')));
  ASSERT_TRUE(WriteWholeFile(old_path, "held"));
  FileLogger logger(LogPath(), 100);
  {
    // Held open without delete sharing, the old copy cannot be replaced.
    ScopedHandle holder(::CreateFileW(old_path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    EmitFixed(&logger, LOG_INFO, "f", 1, "first");
  }
  EmitFixed(&logger, LOG_INFO, "f", 1, "second");  // replaceable now, but no retry
  const std::string content = LogContent();
  const std::string prefix = "2022-10-05 08:12:33.417 4312:7720 ";
  EXPECT_EQ(content.find(std::string(100, 'e') + prefix + "LOGGING: Failed to rotate log file "),
            0u)
      << content;
  EXPECT_NE(content.find("lite_installer.log: -"), std::string::npos);
  EXPECT_NE(content.find("INFO: first (f:1)\n" + prefix + "INFO: second (f:1)\n"),
            std::string::npos);
  EXPECT_EQ(content.find("Failed to rotate"), content.rfind("Failed to rotate"));
  EXPECT_EQ(ReadWholeFile(old_path), "held");
}

// Holds the log mutex on another thread: mutex ownership is per thread.
class MutexHolder {
 public:
  MutexHolder(const std::wstring& log_path, bool abandon) {
    // Our own handle keeps the mutex object alive after its owner is gone,
    // as another installer process would.
    witness_.reset(::CreateMutexW(nullptr, FALSE, FileLogger::MutexName(log_path).c_str()));
    ready_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    release_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    thread_ = std::thread([this, name = FileLogger::MutexName(log_path), abandon] {
      ScopedHandle mutex(::CreateMutexW(nullptr, FALSE, name.c_str()));
      ::WaitForSingleObject(mutex.get(), INFINITE);
      ::SetEvent(ready_.get());
      if (abandon) return;  // the thread ends while owning it
      ::WaitForSingleObject(release_.get(), INFINITE);
      ::ReleaseMutex(mutex.get());
    });
    ::WaitForSingleObject(ready_.get(), INFINITE);
    if (abandon) thread_.join();
  }
  ~MutexHolder() {
    ::SetEvent(release_.get());
    if (thread_.joinable()) thread_.join();
  }

 private:
  ScopedHandle witness_;
  ScopedHandle ready_;
  ScopedHandle release_;
  std::thread thread_;
};

TEST_F(FileLoggerTest, WritesUnlockedWhenTheMutexIsBusyAndSaysSoOnce) {
  FileLogger logger(LogPath(), 1048576);
  logger.set_lock_timeout_for_testing(10);
  MutexHolder holder(LogPath(), /*abandon=*/false);
  EmitFixed(&logger, LOG_INFO, "f", 1, "one");
  EmitFixed(&logger, LOG_INFO, "f", 1, "two");
  const std::string prefix = "2022-10-05 08:12:33.417 4312:7720 ";
  EXPECT_EQ(LogContent(), prefix + "LOGGING: Failed to lock log file " +
                              WideToUTF8(LogPath()) + "\n" + prefix + "INFO: one (f:1)\n" +
                              prefix + "INFO: two (f:1)\n");
}

TEST_F(FileLoggerTest, RecoversAnAbandonedMutexEveryTime) {
  FileLogger logger(LogPath(), 1048576);
  for (int i = 0; i < 2; ++i) {
    MutexHolder holder(LogPath(), /*abandon=*/true);
    EmitFixed(&logger, LOG_INFO, "f", 1, "after");
  }
  const std::string prefix = "2022-10-05 08:12:33.417 4312:7720 ";
  const std::string block = prefix + "LOGGING: Abandoned log mutex recovered for file " +
                            WideToUTF8(LogPath()) + "\n" + prefix + "INFO: after (f:1)\n";
  EXPECT_EQ(LogContent(), block + block);
}

TEST_F(FileLoggerTest, CreatesMissingFoldersAndSurvivesImpossibleOnes) {
  const std::wstring nested = folder_.Child(L"a\\b\\\\lite_installer.log");
  FileLogger logger(nested, 1048576);
  EmitFixed(&logger, LOG_INFO, "f", 1, "nested");
  EXPECT_NE(ReadWholeFile(nested).find("nested"), std::string::npos);

  ASSERT_TRUE(WriteWholeFile(folder_.Child(L"blocker"), "a file, not a folder"));
  FileLogger blocked(folder_.Child(L"blocker\\sub\\lite_installer.log"), 1048576);
  EmitFixed(&blocked, LOG_INFO, "f", 1, "lost");  // must simply not crash
  EXPECT_FALSE(PathExists(folder_.Child(L"blocker\\sub")));
}

TEST_F(FileLoggerTest, CurrentLoggerReceivesStatementsAndCanBeReplaced) {
  SetCurrentLogger(nullptr);
  LOG(INFO, "Test") << "discarded";
  SetCurrentLogger(std::make_unique<FileLogger>(LogPath(), 1048576));
  ::SetLastError(ERROR_ACCESS_DENIED);
  LOG(WARNING, "Test") << "kept " << 42 << L" w\u00fc";
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  SetCurrentLogger(nullptr);
  LOG(INFO, "Test") << "discarded again";
  const std::string content = LogContent();
  EXPECT_NE(content.find("WARNING: kept 42 w\xC3\xBC (Test:"), std::string::npos) << content;
  EXPECT_EQ(content.find("discarded"), std::string::npos);
}

}  // namespace
}  // namespace lite
