#ifndef LITE_NET_DOWNLOADER_H_
#define LITE_NET_DOWNLOADER_H_

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <memory>
#include <string>

#include "net/scoped_internet_handle.h"
#include "system/guarded_call.h"

namespace lite {

class DownloadSink;

// Whether |cancel_event| asks a download to stop: never without an event,
// and also when the wait itself fails.
bool IsCancelRequested(HANDLE cancel_event);

// Fetches one URL with WinINet, synchronously on the calling thread, in
// 32 KiB chunks into a DownloadSink. The failed step is kept as a short
// stage string for statistics and logs. One object serves one download.
class Downloader {
 public:
  static constexpr uint32_t kBufferSize = 32768;
  // Windows' documented WinINet defaults. Test builds may shorten the
  // receive wait (LITE_RECEIVE_TIMEOUT_MS) so that a stalled server ends
  // an attempt in test time.
  static constexpr DWORD kConnectTimeoutMs = 60000;
  static constexpr DWORD kSendTimeoutMs = 30000;
  static constexpr DWORD kReceiveTimeoutMs = LITE_RECEIVE_TIMEOUT_MS;
  static constexpr wchar_t kUserAgent[] = L"Zelmar.Browser lite installer";

  // Lets tests stand in for InternetSetFilePointer, which Wine only stubs.
  using SetFilePointerFunction = DWORD(WINAPI*)(HINTERNET, LONG, PVOID, DWORD, DWORD_PTR);
#if defined(LITE_TEST_HOOKS)
  static void SetFilePointerFunctionForTesting(SetFilePointerFunction function);
#endif

  Downloader();
  Downloader(const Downloader&) = delete;
  Downloader& operator=(const Downloader&) = delete;
  virtual ~Downloader();

  // Downloads into a temporary file and moves it onto |target| only after a
  // complete, successful download.
  virtual bool DownloadToFile(const std::string& url, const std::wstring& target,
                              HANDLE cancel_event);
  // On success the body replaces |body| (which may be null). A body longer
  // than |size_limit| fails with the stage "response_too_large-".
  virtual bool DownloadToString(const std::string& url, HANDLE cancel_event, uint32_t size_limit,
                                std::string* body);
  // Opens |url| and positions it at the sink's size.
  virtual bool OpenDownload(const std::wstring& url, DownloadSink* sink);
  // Bytes read into the sink; 0 at the end, on failure or when failed before.
  virtual uint32_t ReadChunk();
  // True only for a final status of 200. |status| may be null.
  virtual bool FinalizeDownload(int* status);

  // Opens |url| (ASCII, widened byte by byte) and reads it to the end or
  // until |cancel_event| (may be null) is signalled.
  bool RunDownload(const std::string& url, HANDLE cancel_event, DownloadSink* sink);

  // A response header of the open request, empty when absent.
  std::string GetResponseHeader(const std::string& name) const;

  const std::string& error_stage() const { return error_stage_; }
  const GuardedCallFault& fault() const { return fault_; }
  const std::wstring& redirect_url() const { return redirect_url_; }
  uint32_t content_length() const { return content_length_; }
  DownloadSink* sink() const { return sink_; }

 protected:
  // For fakes that stand in for the network steps.
  void set_error_stage(std::string stage) { error_stage_ = std::move(stage); }
  void set_redirect_url(std::wstring url) { redirect_url_ = std::move(url); }
  void set_content_length(uint32_t length) { content_length_ = length; }
  void set_sink(DownloadSink* sink) { sink_ = sink; }
  GuardedCallFault* mutable_fault() { return &fault_; }

 private:
  static void SetTimeouts(HINTERNET handle, bool with_connect);
  static void CALLBACK StatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status,
                                      void* information, DWORD information_length);
  void ResetForDownload();
  // The request's status code; false if the query fails.
  bool QueryStatusCode(DWORD* status) const;

  std::wstring url_;
  std::string error_stage_;
  GuardedCallFault fault_;
  std::wstring redirect_url_;
  uint32_t content_length_ = 0;
  DownloadSink* sink_ = nullptr;
  ScopedInternetHandle root_handle_;
  ScopedInternetHandle request_handle_;
  std::unique_ptr<uint8_t[]> buffer_;
};

}  // namespace lite

#endif  // LITE_NET_DOWNLOADER_H_
