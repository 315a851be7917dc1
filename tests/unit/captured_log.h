#ifndef LITE_TESTS_UNIT_CAPTURED_LOG_H_
#define LITE_TESTS_UNIT_CAPTURED_LOG_H_

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "logging/file_logger.h"
#include "logging/log_record.h"

namespace lite {

struct CapturedLine {
  LogSeverity severity;
  std::string function;
  std::string message;
};

// Keeps records in memory instead of writing a file.
class CapturingLogger : public FileLogger {
 public:
  CapturingLogger() : FileLogger(std::wstring(), 0) {}
  void Emit(const LogRecord& record) override {
    std::lock_guard<std::mutex> hold(lock_);
    lines_.push_back({record.severity(), record.function(), record.message()});
  }
  std::vector<CapturedLine> lines() {
    std::lock_guard<std::mutex> hold(lock_);
    return lines_;
  }
  void clear() {
    std::lock_guard<std::mutex> hold(lock_);
    lines_.clear();
  }

 private:
  std::mutex lock_;
  std::vector<CapturedLine> lines_;
};

// Makes a CapturingLogger the process's logger for one scope.
class ScopedLogCapture {
 public:
  ScopedLogCapture() {
    auto logger = std::make_unique<CapturingLogger>();
    logger_ = logger.get();
    SetCurrentLogger(std::move(logger));
  }
  ScopedLogCapture(const ScopedLogCapture&) = delete;
  ScopedLogCapture& operator=(const ScopedLogCapture&) = delete;
  ~ScopedLogCapture() { SetCurrentLogger(nullptr); }

  std::vector<CapturedLine> lines() { return logger_->lines(); }
  void clear() { logger_->clear(); }
  bool Contains(LogSeverity severity, const std::string& function, const std::string& message) {
    for (const CapturedLine& line : lines()) {
      if (line.severity == severity && line.function == function && line.message == message) {
        return true;
      }
    }
    return false;
  }
  // All records, one a line, for failure messages.
  std::string Dump() {
    std::string text;
    for (const CapturedLine& line : lines()) {
      text += std::to_string(line.severity) + " " + line.function + ": " + line.message + "\n";
    }
    return text;
  }

 private:
  CapturingLogger* logger_;
};

// Appends records to a vector the test owns (single-threaded tests).
class RecordingLogger : public FileLogger {
 public:
  explicit RecordingLogger(std::vector<CapturedLine>* lines)
      : FileLogger(std::wstring(), 0), lines_(lines) {}
  void Emit(const LogRecord& record) override {
    lines_->push_back({record.severity(), record.function(), record.message()});
  }

 private:
  std::vector<CapturedLine>* lines_;
};

}  // namespace lite

#endif  // LITE_TESTS_UNIT_CAPTURED_LOG_H_
