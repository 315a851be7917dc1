#ifndef LITE_TESTS_UNIT_NET_STATISTICS_TEST_SUPPORT_H_
#define LITE_TESTS_UNIT_NET_STATISTICS_TEST_SUPPORT_H_

#include <windows.h>

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "base/file_util.h"
#include "base/scoped_handle.h"
#include "base/scoped_hkey.h"
#include "config/user_id.h"
#include "scoped_registry_override.h"
#include "system/registry_helpers.h"

namespace lite {

class ScopedStatisticsRegistry : public ScopedRegistryOverride {
 public:
  ScopedStatisticsRegistry() : ScopedRegistryOverride(L"stats") {}
};

// Gives this account a known user identifier for one scope and puts back
// whatever file was there before.
class ScopedUserId {
 public:
  explicit ScopedUserId(const std::string& id) : path_(GetUserIdFilePath(true)) {
    had_file_ = FileExists(path_);
    if (had_file_) saved_ = ReadWholeFile(path_);
    EXPECT_TRUE(WriteWholeFile(path_, id));
  }
  ~ScopedUserId() {
    if (had_file_) {
      WriteWholeFile(path_, saved_);
    } else {
      ::DeleteFileW(path_.c_str());
    }
  }
  ScopedUserId(const ScopedUserId&) = delete;
  ScopedUserId& operator=(const ScopedUserId&) = delete;

 private:
  std::wstring path_;
  bool had_file_ = false;
  std::string saved_;
};

// Stands in for the network on the sender thread: records each URL and
// can hold the first one until released.
struct SendRecorder {
  std::mutex lock;
  std::vector<std::wstring> urls;
  size_t expected = 0;
  ScopedHandle all_arrived{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  ScopedHandle first_entered{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  ScopedHandle release_first{::CreateEventW(nullptr, TRUE, TRUE, nullptr)};

  static SendRecorder*& Current() {
    static SendRecorder* current = nullptr;
    return current;
  }
  static void Send(const std::wstring& url) {
    SendRecorder* self = Current();
    bool first = false;
    {
      std::lock_guard<std::mutex> hold(self->lock);
      self->urls.push_back(url);
      first = self->urls.size() == 1;
      if (self->urls.size() == self->expected) ::SetEvent(self->all_arrived.get());
    }
    if (first) {
      ::SetEvent(self->first_entered.get());
      ::WaitForSingleObject(self->release_first.get(), INFINITE);
    }
  }

  SendRecorder() { Current() = this; }
  ~SendRecorder() { Current() = nullptr; }

  // Waits (bounded, so that a broken sender fails instead of hanging) for
  // |count| URLs in all.
  bool WaitFor(size_t count) {
    {
      std::lock_guard<std::mutex> hold(lock);
      expected = count;
      if (urls.size() >= count) return true;
    }
    return ::WaitForSingleObject(all_arrived.get(), 30000) == WAIT_OBJECT_0;
  }
  std::vector<std::wstring> Urls() {
    std::lock_guard<std::mutex> hold(lock);
    return urls;
  }
};

}  // namespace lite

#endif  // LITE_TESTS_UNIT_NET_STATISTICS_TEST_SUPPORT_H_
