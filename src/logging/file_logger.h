#ifndef LITE_LOGGING_FILE_LOGGER_H_
#define LITE_LOGGING_FILE_LOGGER_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace lite {

class LogRecord;

// Appends records to one log file that every process of the installer
// shares. A named mutex derived from the path serialises writers; the file
// is opened and closed per record so that other processes can append and
// rotate it between our writes.
class FileLogger {
 public:
  FileLogger(std::wstring log_path, uint32_t size_limit);
  FileLogger(const FileLogger&) = delete;
  FileLogger& operator=(const FileLogger&) = delete;
  virtual void Emit(const LogRecord& record);
  virtual ~FileLogger();

  const std::wstring& log_path() const { return log_path_; }
#if defined(LITE_TEST_HOOKS)
  // Lets tests see a busy mutex give up without waiting a whole second.
  void set_lock_timeout_for_testing(uint32_t milliseconds) { lock_timeout_ms_ = milliseconds; }
#endif

  // "YYYY-MM-DD hh:mm:ss.mmm pid:tid " or nothing when it does not fit the
  // 200-byte buffer (the record is then dropped).
  static std::optional<std::string> FormatPrefix(const LogRecord& record);
  // " (function:line)" under the same rule.
  static std::optional<std::string> FormatSuffix(const LogRecord& record);
  static const char* SeverityText(int severity);
  // "broupdater log " + MD5 of the path's UTF-8 bytes in lower-case hex.
  static std::wstring MutexName(const std::wstring& log_path);
  // The rotation target: "_old" inserted before the extension.
  static std::wstring OldLogPath(const std::wstring& log_path);

 private:
  enum class LockState { kLocked, kAbandoned, kFailed };

  // Returns the open file or null; rotates first when the record would
  // reach the size limit, appending any rotation note to |notes|.
  void* OpenForRecord(size_t record_length, const std::string& prefix, std::string* notes);

  const std::wstring log_path_;
  const uint32_t size_limit_;
  bool rotation_failed_ = false;
  bool lock_failure_reported_ = false;
  uint32_t lock_timeout_ms_ = 1000;
};

// The process-wide logger. Set once on the main thread before other threads
// start; records written while none is set are discarded.
void SetCurrentLogger(std::unique_ptr<FileLogger> logger);
FileLogger* GetCurrentLogger();

}  // namespace lite

#endif  // LITE_LOGGING_FILE_LOGGER_H_
