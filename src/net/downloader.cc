#include "net/downloader.h"

#include <algorithm>
#include <cwchar>
#include <utility>
#include <vector>

#include "base/file_util.h"
#include "base/scoped_handle.h"
#include "base/scoped_path_deleter.h"
#include "base/string_conversion.h"
#include "logging/log_record.h"
#include "net/file_download_sink.h"
#include "net/string_download_sink.h"

namespace lite {
namespace {

#if defined(LITE_TEST_HOOKS)
Downloader::SetFilePointerFunction g_set_file_pointer = &::InternetSetFilePointer;
#else
constexpr Downloader::SetFilePointerFunction g_set_file_pointer = &::InternetSetFilePointer;
#endif

std::string StageWithError(const char* stage) {
  return stage + std::to_string(static_cast<unsigned long>(::GetLastError()));
}

}  // namespace

bool IsCancelRequested(HANDLE cancel_event) {
  return cancel_event && ::WaitForSingleObject(cancel_event, 0) != WAIT_TIMEOUT;
}

#if defined(LITE_TEST_HOOKS)
// static
void Downloader::SetFilePointerFunctionForTesting(SetFilePointerFunction function) {
  g_set_file_pointer = function ? function : &::InternetSetFilePointer;
}
#endif

Downloader::Downloader() : buffer_(new uint8_t[kBufferSize]()) {}

Downloader::~Downloader() = default;

void Downloader::ResetForDownload() {
  url_.clear();
  error_stage_.clear();
  redirect_url_.clear();
  content_length_ = 0;
  sink_ = nullptr;
  request_handle_.reset();
  root_handle_.reset();
}

// static
void Downloader::SetTimeouts(HINTERNET handle, bool with_connect) {
  // Windows has finite defaults, but Wine waits for data without end: a
  // server that stops sending would hold the attempt for good. The values
  // are Windows' documented defaults, so nothing changes there.
  const std::pair<DWORD, DWORD> timeouts[] = {
      {INTERNET_OPTION_CONNECT_TIMEOUT, kConnectTimeoutMs},
      {INTERNET_OPTION_SEND_TIMEOUT, kSendTimeoutMs},
      {INTERNET_OPTION_RECEIVE_TIMEOUT, kReceiveTimeoutMs},
  };
  for (auto [option, milliseconds] : timeouts) {
    if (option == INTERNET_OPTION_CONNECT_TIMEOUT && !with_connect) continue;
    if (!::InternetSetOptionW(handle, option, &milliseconds, sizeof(milliseconds))) {
      PLOG(WARNING, "Downloader::SetTimeouts") << "Cannot set time-out option " << option;
    }
  }
}

// static
void CALLBACK Downloader::StatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status,
                                         void* information, DWORD information_length) {
  // Some WinINet implementations (Wine) give a request none of the
  // session's limits; the request's own bound its waits.
  if (status == INTERNET_STATUS_SENDING_REQUEST) {
    SetTimeouts(handle, false);
    return;
  }
  if (status != INTERNET_STATUS_REDIRECT || !context || !information) return;
  // The length bounds the copy in case the text comes without its end mark.
  const wchar_t* url = static_cast<const wchar_t*>(information);
  const size_t max_chars = information_length / sizeof(wchar_t);
  reinterpret_cast<std::wstring*>(context)->assign(url, wcsnlen(url, max_chars));
}

bool Downloader::OpenDownload(const std::wstring& url, DownloadSink* sink) {
  ResetForDownload();

  root_handle_.reset(
      ::InternetOpenW(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!root_handle_) {
    error_stage_ = StageWithError("internet_open-");
    return false;
  }

  SetTimeouts(root_handle_.get(), true);

  if (::InternetSetStatusCallbackW(root_handle_.get(), &Downloader::StatusCallback) ==
      INTERNET_INVALID_STATUS_CALLBACK) {
    PLOG(ERROR, "Downloader::OpenDownload") << "SetStatusCallback failed";
  }

  HINTERNET root = root_handle_.get();
  const DWORD_PTR context = reinterpret_cast<DWORD_PTR>(&redirect_url_);
  HINTERNET request = GuardedCall(
      [root, &url, context] {
        return ::InternetOpenUrlW(root, url.c_str(), L"Accept: */*", static_cast<DWORD>(-1),
                                  INTERNET_FLAG_RELOAD, context);
      },
      HINTERNET(nullptr), &fault_);
  if (fault_.code != 0) {
    PLOG(ERROR, "Downloader::OpenDownload")
        << "An attempt to open url " << url << " generated an exception "
        << static_cast<unsigned long>(fault_.code);
    ::InternetSetStatusCallbackW(root, nullptr);
    return false;
  }
  if (!request) {
    const DWORD error = ::GetLastError();
    ::InternetSetStatusCallbackW(root, nullptr);
    error_stage_ = "internet_open_url-" + std::to_string(static_cast<unsigned long>(error));
    return false;
  }
  request_handle_.reset(request);

  if (sink && sink->size() != 0) {
    const DWORD position = g_set_file_pointer(request, static_cast<LONG>(sink->size()), nullptr,
                                              FILE_BEGIN, 0);
    if (position != sink->size()) {
      // The read and the final check now fail, so the caller's next
      // attempt starts from an empty sink.
      error_stage_ = StageWithError("internet_set_file_pointer-");
      sink->Reset();
    }
  }

  ::InternetSetStatusCallbackW(root, nullptr);
  url_ = url;
  sink_ = sink;
  LOG(INFO, "Downloader::OpenDownload") << "Connection established: " << url;
  return true;
}

bool Downloader::QueryStatusCode(DWORD* status) const {
  DWORD size = sizeof(*status);
  return ::HttpQueryInfoW(request_handle_.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER,
                          status, &size, nullptr) != FALSE;
}

uint32_t Downloader::ReadChunk() {
  if (!error_stage_.empty() || !request_handle_ || !sink_) return 0;

  DWORD read = 0;
  if (!::InternetReadFile(request_handle_.get(), buffer_.get(), kBufferSize, &read)) {
    error_stage_ = StageWithError("internet_read-");
    PLOG(ERROR, "Downloader::ReadChunk") << "Download chunk error.";
    return 0;
  }

  DWORD status = 0;
  if (QueryStatusCode(&status) && status != HTTP_STATUS_OK) {
    PLOG(ERROR, "Downloader::ReadChunk") << "HTTP request status isn't OK";
    return 0;
  }

  if (read > 0 && !sink_->Write(buffer_.get(), read)) {
    if (sink_->IsOverLimit()) {
      error_stage_ = "response_too_large-" + std::to_string(sink_->size() + read);
      LOG(ERROR, "Downloader::ReadChunk") << "Response too large: " << url_;
      return 0;
    }
    error_stage_ = StageWithError("write_file-");
    PLOG(ERROR, "Downloader::ReadChunk") << "Write file error.";
    return 0;
  }

  if (content_length_ == 0) {
    DWORD length = 0;
    DWORD size = sizeof(length);
    if (::HttpQueryInfoW(request_handle_.get(),
                         HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size,
                         nullptr)) {
      content_length_ = length;
    }
  }
  return read;
}

bool Downloader::FinalizeDownload(int* status) {
  if (!error_stage_.empty()) return false;

  DWORD code = 0;
  const bool queried = request_handle_ && QueryStatusCode(&code);
  if (!queried || code != HTTP_STATUS_OK) {
    const DWORD error = ::GetLastError();
    error_stage_ = "final_query_info-" + std::to_string(static_cast<int>(code)) + "-" +
                   std::to_string(static_cast<unsigned long>(error));
    LogRecord(LOG_ERROR, "Downloader::FinalizeDownload", __LINE__, SystemErrorText(error))
        << "Unsuccessful download: " << url_;
    if (status) *status = static_cast<int>(code);
    return false;
  }

  // A connection that ends early reads like a normal end; without this a
  // cut body would count as a complete download.
  if (content_length_ != 0 && sink_ && sink_->size() != content_length_) {
    error_stage_ = "content_length_mismatch-" + std::to_string(sink_->size());
    LOG(ERROR, "Downloader::FinalizeDownload")
        << "Incomplete download: " << url_ << " " << sink_->size() << " of " << content_length_;
    return false;
  }
  return true;
}

bool Downloader::RunDownload(const std::string& url, HANDLE cancel_event, DownloadSink* sink) {
  if (!OpenDownload(WidenBytes(url), sink)) return false;
  while (ReadChunk() != 0) {
    if (IsCancelRequested(cancel_event)) return false;
  }
  if (IsCancelRequested(cancel_event)) return false;
  return FinalizeDownload(nullptr);
}

bool Downloader::DownloadToFile(const std::string& url, const std::wstring& target,
                                HANDLE cancel_event) {
  // The target appears only complete; the partial file never outlives us.
  const ScopedPathDeleter temp(CreateTempFileIn(GetTempFolder(), L"dl"));
  if (temp.path().empty()) return false;
  {
    ScopedHandle file(::CreateFileW(temp.path().c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    FileDownloadSink sink(file.get());
    if (!RunDownload(url, cancel_event, &sink)) return false;
  }
  return ::MoveFileExW(temp.path().c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED) != FALSE;
}

bool Downloader::DownloadToString(const std::string& url, HANDLE cancel_event,
                                  uint32_t size_limit, std::string* body) {
  StringDownloadSink sink(size_limit);
  if (!RunDownload(url, cancel_event, &sink)) return false;
  if (body) *body = sink.TakeData();
  return true;
}

std::string Downloader::GetResponseHeader(const std::string& name) const {
  if (!request_handle_) return std::string();
  // The buffer carries the header name in and the value out.
  std::vector<char> buffer(name.begin(), name.end());
  buffer.push_back('\0');
  DWORD size = static_cast<DWORD>(buffer.size());
  if (::HttpQueryInfoA(request_handle_.get(), HTTP_QUERY_CUSTOM, buffer.data(), &size,
                       nullptr)) {
    return std::string(buffer.data(), size);
  }
  if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::string();
  buffer.assign(std::max<size_t>(size, name.size() + 1), '\0');
  std::copy(name.begin(), name.end(), buffer.begin());
  size = static_cast<DWORD>(buffer.size());
  if (::HttpQueryInfoA(request_handle_.get(), HTTP_QUERY_CUSTOM, buffer.data(), &size,
                       nullptr)) {
    return std::string(buffer.data(), size);
  }
  return std::string();
}

}  // namespace lite
