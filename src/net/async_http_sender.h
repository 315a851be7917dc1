#ifndef LITE_NET_ASYNC_HTTP_SENDER_H_
#define LITE_NET_ASYNC_HTTP_SENDER_H_

#include <windows.h>

#include <deque>
#include <mutex>
#include <string>

#include "base/scoped_handle.h"

namespace lite {

// Sends GET requests one by one, in queue order, on a thread of its own,
// without reading any answer. The thread starts with the first URL and
// ends with the object; URLs still queued then are dropped.
class AsyncHttpSender {
 public:
  static constexpr wchar_t kUserAgent[] = L"Zelmar.Browser installer";
  static constexpr DWORD kTimeoutMs = 2000;

  // What the thread does with each URL; tests replace the network.
  using SendFunction = void (*)(const std::wstring& url);

  AsyncHttpSender();
  explicit AsyncHttpSender(SendFunction send);
  AsyncHttpSender(const AsyncHttpSender&) = delete;
  AsyncHttpSender& operator=(const AsyncHttpSender&) = delete;
  // Waits for the request in progress, without a time limit.
  ~AsyncHttpSender();

  // False only when the thread cannot be started.
  bool Send(const std::wstring& url);

  // One fire-and-forget request through WinINet: the request handle is
  // closed as soon as the request has gone out.
  static void SendUrl(const std::wstring& url);

#if defined(LITE_TEST_HOOKS)
  bool stop_requested_for_testing() {
    std::lock_guard<std::mutex> hold(lock_);
    return stop_;
  }
#endif

 private:
  static unsigned __stdcall ThreadMain(void* self);
  // Called with |lock_| held.
  bool InitializeThread();
  void Run();

  const SendFunction send_;
  ScopedHandle thread_;
  std::mutex lock_;
  ScopedHandle work_event_;
  bool stop_ = false;
  std::deque<std::wstring> queue_;
};

}  // namespace lite

#endif  // LITE_NET_ASYNC_HTTP_SENDER_H_
