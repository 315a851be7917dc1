#include "net/async_http_sender.h"

#include <process.h>
#include <wininet.h>

#include "logging/log_record.h"
#include "logging/thread_boundary.h"
#include "net/scoped_internet_handle.h"
#include "system/guarded_call.h"

namespace lite {
namespace {

// Any non-zero context: WinINet calls the status callback only for
// requests that have one.
constexpr DWORD_PTR kRequestContext = 1;

// The request the status callback closed on this thread, so that the
// sender does not close it a second time.
thread_local HINTERNET t_closed_request = nullptr;

// Closing the request once it is on the wire ends InternetOpenUrlW with
// ERROR_INTERNET_OPERATION_CANCELLED, so the thread never waits for the
// service's answer.
void CALLBACK CloseRequestWhenSent(HINTERNET handle, DWORD_PTR context, DWORD status,
                                   void* information, DWORD information_length) {
  if (status == INTERNET_STATUS_SENDING_REQUEST) {
    // Some WinINet implementations (Wine) give a request none of the
    // session's send and receive limits and finish it despite the close
    // below, waiting for the answer; the request's own limit bounds that.
    DWORD timeout = AsyncHttpSender::kTimeoutMs;
    ::InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof(timeout));
    ::InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof(timeout));
    return;
  }
  if (status != INTERNET_STATUS_REQUEST_SENT) return;
  ::InternetCloseHandle(handle);
  t_closed_request = handle;
}

}  // namespace

AsyncHttpSender::AsyncHttpSender() : AsyncHttpSender(&AsyncHttpSender::SendUrl) {}

AsyncHttpSender::AsyncHttpSender(SendFunction send)
    : send_(send), work_event_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

AsyncHttpSender::~AsyncHttpSender() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (!thread_) return;
    stop_ = true;
  }
  ::SetEvent(work_event_.get());
  ::WaitForSingleObject(thread_.get(), INFINITE);
}

bool AsyncHttpSender::Send(const std::wstring& url) {
  // The window's thread and the installer's worker both send; the lock
  // keeps them from starting two threads.
  std::lock_guard<std::mutex> hold(lock_);
  if (!thread_ && !InitializeThread()) return false;
  queue_.push_back(url);
  ::SetEvent(work_event_.get());
  return true;
}

bool AsyncHttpSender::InitializeThread() {
  if (work_event_) {
    thread_.reset(reinterpret_cast<HANDLE>(
        ::_beginthreadex(nullptr, 0, &AsyncHttpSender::ThreadMain, this, 0, nullptr)));
  }
  if (!thread_) {
    PLOG(ERROR, "InitializeThread") << "Failed to create thread for async http requests";
    return false;
  }
  return true;
}

// static
unsigned __stdcall AsyncHttpSender::ThreadMain(void* self) {
  RunAtThreadBoundary("AsyncHttpSender::ThreadMain",
                      [self] { static_cast<AsyncHttpSender*>(self)->Run(); });
  return 0;
}

void AsyncHttpSender::Run() {
  ::WaitForSingleObject(work_event_.get(), INFINITE);
  for (;;) {
    std::wstring url;
    {
      std::unique_lock<std::mutex> hold(lock_);
      if (stop_) return;
      if (queue_.empty()) {
        hold.unlock();
        ::WaitForSingleObject(work_event_.get(), INFINITE);
        continue;
      }
      url = std::move(queue_.front());
      queue_.pop_front();
    }
    send_(url);
  }
}

// static
void AsyncHttpSender::SendUrl(const std::wstring& url) {
  ScopedInternetHandle session(
      ::InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) {
    PLOG(ERROR, "SendUrl") << "Failed to open session for " << url;
    return;
  }
  ::InternetSetStatusCallbackW(session.get(), &CloseRequestWhenSent);

  DWORD timeout = kTimeoutMs;
  if (!::InternetSetOptionW(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, &timeout,
                            sizeof(timeout)) ||
      !::InternetSetOptionW(session.get(), INTERNET_OPTION_SEND_TIMEOUT, &timeout,
                            sizeof(timeout))) {
    PLOG(ERROR, "SendUrl") << "Failed to set internet options for " << url;
    return;
  }

  t_closed_request = nullptr;
  GuardedCallFault fault;
  HINTERNET root = session.get();
  HINTERNET request = GuardedCall(
      [root, &url] {
        return ::InternetOpenUrlW(root, url.c_str(), L"Accept: */*", static_cast<DWORD>(-1),
                                  INTERNET_FLAG_RELOAD, kRequestContext);
      },
      HINTERNET(nullptr), &fault);
  const DWORD error = ::GetLastError();
  // A request that came back open was answered: nothing failed, and the
  // handle is still ours to close.
  ScopedInternetHandle answered(request != t_closed_request ? request : nullptr);
  if (fault.code != 0) {
    LogRecord(LOG_ERROR, "SendUrl", __LINE__, SystemErrorText(error))
        << "An attempt to open url " << url << " generated an exception "
        << static_cast<unsigned long>(fault.code);
  } else if (!request && error != ERROR_INTERNET_OPERATION_CANCELLED) {
    LogRecord(LOG_ERROR, "SendUrl", __LINE__, SystemErrorText(error)) << "Failed to open " << url;
  }
}

}  // namespace lite
