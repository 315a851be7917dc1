#ifndef LITE_LOGGING_LOG_RECORD_H_
#define LITE_LOGGING_LOG_RECORD_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace lite {

// Written values: 0 INFO, 1 ERROR, 2 WARNING (this order is part of the
// log format other tools read).
enum LogSeverity : int {
  LOG_INFO = 0,
  LOG_ERROR = 1,
  LOG_WARNING = 2,
};

// One log statement. Collects its message and hands itself to the current
// logger when it goes out of scope, at the end of the statement.
class LogRecord {
 public:
  LogRecord(LogSeverity severity, const char* function, int line);
  // A record that ends with " - " and |error_text| (see SystemErrorText).
  LogRecord(LogSeverity severity, const char* function, int line, std::string error_text);
  LogRecord(const LogRecord&) = delete;
  LogRecord& operator=(const LogRecord&) = delete;
  ~LogRecord();

  LogRecord& operator<<(std::string_view text);
  LogRecord& operator<<(const char* text) { return *this << std::string_view(text ? text : ""); }
  LogRecord& operator<<(const std::string& text) { return *this << std::string_view(text); }
  LogRecord& operator<<(std::wstring_view text);
  LogRecord& operator<<(const wchar_t* text) { return *this << std::wstring_view(text ? text : L""); }
  LogRecord& operator<<(const std::wstring& text) { return *this << std::wstring_view(text); }
  LogRecord& operator<<(char c) { return *this << std::string_view(&c, 1); }
  LogRecord& operator<<(bool value) { return *this << (value ? "1" : "0"); }
  template <typename Int, typename = std::enable_if_t<std::is_integral_v<Int>>>
  LogRecord& operator<<(Int value) {
    message_ += std::to_string(value);
    return *this;
  }

  LogSeverity severity() const { return severity_; }
  const char* function() const { return function_; }
  int line() const { return line_; }
  // Microseconds since 1601-01-01 00:00 UTC.
  int64_t time() const { return time_; }
  uint32_t process_id() const { return process_id_; }
  uint32_t thread_id() const { return thread_id_; }
  // The message, with the error text appended for records that carry one.
  std::string message() const;

#if defined(LITE_TEST_HOOKS)
  // For tests of the line format.
  void set_time_for_testing(int64_t time) { time_ = time; }
  void set_ids_for_testing(uint32_t process_id, uint32_t thread_id) {
    process_id_ = process_id;
    thread_id_ = thread_id;
  }
#endif
  // Keeps the record from being emitted when it is destroyed.
  void Discard() { discarded_ = true; }

 private:
  LogSeverity severity_;
  const char* function_;
  int line_;
  int64_t time_;
  uint32_t process_id_;
  uint32_t thread_id_;
  std::string message_;
  bool has_error_ = false;
  std::string error_text_;
  bool discarded_ = false;
};

// LOG(INFO, "wWinMain") << "Temporary path is: " << path;
#define LOG(severity, function) ::lite::LogRecord(::lite::LOG_##severity, function, __LINE__)
// As LOG, and appends the last Windows error's number and text.
#define PLOG(severity, function)                              \
  ::lite::LogRecord(::lite::LOG_##severity, function, __LINE__, \
                    ::lite::SystemErrorText(::lite::LastSystemError()))

uint32_t LastSystemError();
std::string SystemErrorText(uint32_t error);

}  // namespace lite

#endif  // LITE_LOGGING_LOG_RECORD_H_
