// The log for natively built fuzz targets: records are collected and
// dropped, as the program does while no logger is set.
#include "logging/log_record.h"

namespace lite {

LogRecord::LogRecord(LogSeverity severity, const char* function, int line)
    : severity_(severity), function_(function ? function : ""), line_(line), time_(0),
      process_id_(0), thread_id_(0) {}

LogRecord::~LogRecord() = default;

LogRecord& LogRecord::operator<<(std::string_view text) {
  message_.append(text.data(), text.size());
  return *this;
}

}  // namespace lite
