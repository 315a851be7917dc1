#ifndef LITE_CRASH_HTTP_TRANSPORT_WIN_H_
#define LITE_CRASH_HTTP_TRANSPORT_WIN_H_

#include <memory>
#include <string>

#include "crash/http_body_stream.h"
#include "crash/http_multipart_builder.h"

namespace lite {

// One synchronous HTTP request over WinHTTP. Without a "Content-Length"
// header the body is sent with chunked transfer encoding.
class HttpTransport {
 public:
  HttpTransport() = default;
  HttpTransport(const HttpTransport&) = delete;
  HttpTransport& operator=(const HttpTransport&) = delete;

  void SetUrl(const std::string& url) { url_ = url; }
  void SetMethod(const std::string& method) { method_ = method; }
  void SetHeader(const std::string& name, const std::string& value) { headers_[name] = value; }
  void SetBodyStream(std::unique_ptr<HttpBodyStream> body) { body_ = std::move(body); }
  void SetTimeout(double seconds) { timeout_seconds_ = seconds; }

  // Sends the request and reads the response; true only for status 200.
  // Failures are logged with the WinHTTP call's name and error text.
  bool ExecuteSynchronously(std::string* response_body);

  // "Crashpad/0.8.0 WinHTTP" with the versions of winhttp.dll and, on NT,
  // kernel32.dll.
  static std::string UserAgent();
  // Whether the program runs under Wine: ntdll exports wine_get_version.
  static bool IsRunningUnderWine();

 private:
  std::string url_;
  std::string method_ = "POST";
  HttpHeaders headers_;
  std::unique_ptr<HttpBodyStream> body_;
  double timeout_seconds_ = 15;
};

}  // namespace lite

#endif  // LITE_CRASH_HTTP_TRANSPORT_WIN_H_
