#include "logging/log_record.h"

#include <windows.h>

#include "base/string_conversion.h"
#include "logging/file_logger.h"

namespace lite {
namespace {

int64_t NowMicroseconds() {
  FILETIME ft;
  ::GetSystemTimeAsFileTime(&ft);
  const uint64_t ticks = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return static_cast<int64_t>(ticks / 10);
}

}  // namespace

uint32_t LastSystemError() {
  return ::GetLastError();
}

LogRecord::LogRecord(LogSeverity severity, const char* function, int line)
    : severity_(severity),
      function_(function ? function : ""),
      line_(line),
      time_(NowMicroseconds()),
      process_id_(::GetCurrentProcessId()),
      thread_id_(::GetCurrentThreadId()) {}

LogRecord::LogRecord(LogSeverity severity, const char* function, int line, std::string error_text)
    : LogRecord(severity, function, line) {
  has_error_ = true;
  error_text_ = std::move(error_text);
}

LogRecord::~LogRecord() {
  if (discarded_) return;
  // Logging must not disturb the caller's error state.
  const DWORD saved_error = ::GetLastError();
  if (FileLogger* logger = GetCurrentLogger()) logger->Emit(*this);
  ::SetLastError(saved_error);
}

LogRecord& LogRecord::operator<<(std::string_view text) {
  message_.append(text.data(), text.size());
  return *this;
}

LogRecord& LogRecord::operator<<(std::wstring_view text) {
  message_ += WideToUTF8(text);
  return *this;
}

std::string LogRecord::message() const {
  if (!has_error_) return message_;
  std::string text = message_;
  if (!text.empty()) text += " - ";
  text += error_text_;
  return text;
}

}  // namespace lite
