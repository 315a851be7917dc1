#include "base/debug_log.h"

#include <windows.h>

#include <mutex>

#include "base/file_util.h"
#include "base/scoped_handle.h"

namespace lite {
namespace {

std::mutex& SinkLock() {
  static std::mutex lock;
  return lock;
}

std::string*& Sink() {
  static std::string* sink = nullptr;
  return sink;
}

}  // namespace

void DebugLog(std::string_view message) {
  const DWORD saved_error = ::GetLastError();
  std::string line(message);
  line += "\n";
  {
    std::lock_guard<std::mutex> guard(SinkLock());
    if (Sink()) {
      *Sink() += line;
      return;
    }
  }
  const std::wstring folder = GetTempFolder();
  if (!folder.empty()) {
    ScopedHandle file(::CreateFileW((folder + L"debug.log").c_str(), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) {
      DWORD written = 0;
      ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
  }
  ::SetLastError(saved_error);
}

#if defined(LITE_TEST_HOOKS)
void SetDebugLogSinkForTesting(std::string* sink) {
  std::lock_guard<std::mutex> guard(SinkLock());
  Sink() = sink;
}
#endif

}  // namespace lite
