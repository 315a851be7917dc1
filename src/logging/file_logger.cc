#include "logging/file_logger.h"

#include <windows.h>

// The low-level digest interface is deprecated in OpenSSL 3 but links only
// the MD5 block function; the EVP interface drags in the provider machinery
// and every algorithm it lists, most of the executable's size.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/md5.h>

#include <cstdio>

#include "base/debug_log.h"
#include "base/file_util.h"
#include "base/scoped_handle.h"
#include "base/string_conversion.h"
#include "logging/log_record.h"

namespace lite {
namespace {

constexpr size_t kFormatBufferSize = 200;

std::unique_ptr<FileLogger>& CurrentLoggerSlot() {
  static std::unique_ptr<FileLogger> logger;
  return logger;
}

// The record time as calendar fields in UTC; all zero if it cannot be
// converted.
SYSTEMTIME BreakDownTime(int64_t microseconds) {
  SYSTEMTIME st = {};
  if (microseconds < 0) return st;
  const uint64_t ticks = static_cast<uint64_t>(microseconds) * 10;
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(ticks);
  ft.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  if (!::FileTimeToSystemTime(&ft, &st)) st = SYSTEMTIME{};
  return st;
}

std::optional<std::string> FitBuffer(int length, const char* buffer) {
  if (length < 0 || static_cast<size_t>(length) >= kFormatBufferSize) return std::nullopt;
  return std::string(buffer, static_cast<size_t>(length));
}

}  // namespace

FileLogger::FileLogger(std::wstring log_path, uint32_t size_limit)
    : log_path_(std::move(log_path)), size_limit_(size_limit) {}

FileLogger::~FileLogger() = default;

std::optional<std::string> FileLogger::FormatPrefix(const LogRecord& record) {
  const SYSTEMTIME st = BreakDownTime(record.time());
  char buffer[kFormatBufferSize];
  const int length = std::snprintf(
      buffer, sizeof(buffer), "%04d-%02d-%02d %02d:%02d:%02d.%03d %02lu:%02lu ", st.wYear,
      st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds,
      static_cast<unsigned long>(record.process_id()),
      static_cast<unsigned long>(record.thread_id()));
  return FitBuffer(length, buffer);
}

std::optional<std::string> FileLogger::FormatSuffix(const LogRecord& record) {
  char buffer[kFormatBufferSize];
  const int length =
      std::snprintf(buffer, sizeof(buffer), " (%s:%d)", record.function(), record.line());
  return FitBuffer(length, buffer);
}

const char* FileLogger::SeverityText(int severity) {
  switch (severity) {
    case LOG_ERROR:
      return "ERROR";
    case LOG_WARNING:
      return "WARNING";
    default:
      return "INFO";
  }
}

std::wstring FileLogger::MutexName(const std::wstring& log_path) {
  const std::string utf8 = WideToUTF8(log_path);
  unsigned char digest[MD5_DIGEST_LENGTH];
  unsigned int digest_length = 0;
  MD5_CTX context;
  if (MD5_Init(&context) && MD5_Update(&context, utf8.data(), utf8.size()) &&
      MD5_Final(digest, &context)) {
    digest_length = MD5_DIGEST_LENGTH;
  }
  static const char kHex[] = "0123456789abcdef";
  std::wstring name = L"broupdater log ";
  for (unsigned int i = 0; i < digest_length; ++i) {
    name += static_cast<wchar_t>(kHex[digest[i] >> 4]);
    name += static_cast<wchar_t>(kHex[digest[i] & 0x0F]);
  }
  return name;
}

std::wstring FileLogger::OldLogPath(const std::wstring& log_path) {
  const size_t separator = log_path.find_last_of(L"\\/");
  const size_t dot = log_path.rfind(L'.');
  if (dot == std::wstring::npos || (separator != std::wstring::npos && dot < separator)) {
    return log_path + L"_old";
  }
  return log_path.substr(0, dot) + L"_old" + log_path.substr(dot);
}

void* FileLogger::OpenForRecord(size_t record_length, const std::string& prefix,
                                std::string* notes) {
  const auto open = [this] {
    return ::CreateFileW(log_path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  HANDLE file = open();
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  if (rotation_failed_) return file;

  LARGE_INTEGER length;
  if (!::GetFileSizeEx(file, &length)) {
    DebugLog("Unable to get file length.");
    return file;
  }
  if (static_cast<uint64_t>(length.QuadPart) + record_length < size_limit_) return file;

  ::CloseHandle(file);
  const int error = MoveFileReplacing(log_path_, OldLogPath(log_path_));
  file = open();
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  if (error != 0) {
    rotation_failed_ = true;
    *notes += prefix + "LOGGING: Failed to rotate log file " + WideToUTF8(log_path_) + ": " +
              std::to_string(error) + "\n";
  }
  return file;
}

void FileLogger::Emit(const LogRecord& record) {
  const std::optional<std::string> prefix = FormatPrefix(record);
  if (!prefix) return;
  const std::optional<std::string> suffix = FormatSuffix(record);
  if (!suffix) return;
  const std::string message = record.message();

  ScopedHandle mutex(::CreateMutexW(nullptr, FALSE, MutexName(log_path_).c_str()));
  LockState lock = LockState::kFailed;
  if (mutex) {
    switch (::WaitForSingleObject(mutex.get(), lock_timeout_ms_)) {
      case WAIT_OBJECT_0:
        lock = LockState::kLocked;
        break;
      case WAIT_ABANDONED:
        lock = LockState::kAbandoned;
        break;
      default:
        break;
    }
  }

  const std::wstring folder = DirName(log_path_);
  if (folder.empty() || CreateDirectoryWithAncestors(folder)) {
    std::string output;
    ScopedHandle file(OpenForRecord(prefix->size() + message.size(), *prefix, &output));
    if (file) {
      if (lock == LockState::kFailed && !lock_failure_reported_) {
        lock_failure_reported_ = true;
        output += *prefix + "LOGGING: Failed to lock log file " + WideToUTF8(log_path_) + "\n";
      } else if (lock == LockState::kAbandoned) {
        output += *prefix + "LOGGING: Abandoned log mutex recovered for file " +
                  WideToUTF8(log_path_) + "\n";
      }
      output += *prefix + SeverityText(record.severity()) + ": " + message + *suffix + "\n";
      DWORD written = 0;
      ::WriteFile(file.get(), output.data(), static_cast<DWORD>(output.size()), &written, nullptr);
    }
  }

  if (lock != LockState::kFailed) ::ReleaseMutex(mutex.get());
}

void SetCurrentLogger(std::unique_ptr<FileLogger> logger) {
  CurrentLoggerSlot() = std::move(logger);
}

FileLogger* GetCurrentLogger() {
  return CurrentLoggerSlot().get();
}

}  // namespace lite
