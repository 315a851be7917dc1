#include "crash/http_transport_win.h"

#include <windows.h>
#include <winhttp.h>

#include <cstdio>
#include <cstdlib>

#include "base/scoped_generic.h"
#include "base/string_conversion.h"
#include "crash/http_body_sender.h"
#include "crash/module_version.h"
#include "logging/log_record.h"

namespace lite {
namespace {

constexpr char kFunction[] = "HttpTransport";
constexpr char kContentLength[] = "Content-Length";
constexpr DWORD kResponseReadSize = 4096;

struct WinHttpHandleTraits {
  static HINTERNET InvalidValue() { return nullptr; }
  static bool IsValid(HINTERNET handle) { return handle != nullptr; }
  static void Free(HINTERNET handle) { ::WinHttpCloseHandle(handle); }
};
using ScopedWinHttpHandle = ScopedGeneric<HINTERNET, WinHttpHandleTraits>;

// "WinHttpSendRequest: <system message> (0x2efd)".
std::string WinHttpErrorText(const char* call, DWORD error) {
  char message[256];
  DWORD length = ::FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS |
          FORMAT_MESSAGE_MAX_WIDTH_MASK,
      ::GetModuleHandleW(L"winhttp.dll"), error, 0, message, sizeof(message), nullptr);
  char text[512];
  if (length == 0) {
    std::snprintf(text, sizeof(text), "%s: error 0x%lx while retrieving error 0x%lx", call,
                  static_cast<unsigned long>(::GetLastError()), static_cast<unsigned long>(error));
    return text;
  }
  // The width mask turns the message's line break into a trailing space.
  if (message[length - 1] == ' ') message[--length] = '\0';
  std::snprintf(text, sizeof(text), "%s: %s (0x%lx)", call, message,
                static_cast<unsigned long>(error));
  return text;
}

void LogWinHttpError(const char* call) {
  LOG(ERROR, kFunction) << WinHttpErrorText(call, ::GetLastError());
}

std::string FourPartVersion(const VS_FIXEDFILEINFO& info) {
  char text[64];
  std::snprintf(text, sizeof(text), "%lu.%lu.%lu.%lu",
                static_cast<unsigned long>(info.dwFileVersionMS >> 16),
                static_cast<unsigned long>(info.dwFileVersionMS & 0xffff),
                static_cast<unsigned long>(info.dwFileVersionLS >> 16),
                static_cast<unsigned long>(info.dwFileVersionLS & 0xffff));
  return text;
}

bool IsWow64() {
  BOOL wow64 = FALSE;
  return ::IsWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

// A "Content-Length" header's value when it is a valid number.
bool ParseContentLength(const HttpHeaders& headers, DWORD* length) {
  const auto found = headers.find(kContentLength);
  if (found == headers.end() || found->second.empty()) return false;
  char* end = nullptr;
  const unsigned long long value = std::strtoull(found->second.c_str(), &end, 10);
  if (*end != '\0' || found->second[0] == '-' || value > MAXDWORD) return false;
  *length = static_cast<DWORD>(value);
  return true;
}

}  // namespace

// static
std::string HttpTransport::UserAgent() {
  std::string agent = "Crashpad/0.8.0 WinHTTP";
  VS_FIXEDFILEINFO info;
  if (GetModuleVersion(L"winhttp.dll", &info)) agent += "/" + FourPartVersion(info);
  if (GetModuleVersion(L"kernel32.dll", &info) && (info.dwFileOS & VOS_NT_WINDOWS32)) {
    agent += " Windows_NT/" + FourPartVersion(info) + " (x86";
    if (IsWow64()) agent += "; WoW64";
    agent += ")";
  }
  return agent;
}

// static
bool HttpTransport::IsRunningUnderWine() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll && ::GetProcAddress(ntdll, "wine_get_version");
}

bool HttpTransport::ExecuteSynchronously(std::string* response_body) {
  ScopedWinHttpHandle session(::WinHttpOpen(UTF8ToWide(UserAgent()).c_str(),
                                            WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                            WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session.is_valid()) {
    LogWinHttpError("WinHttpOpen");
    return false;
  }
  const int timeout_ms = static_cast<int>(timeout_seconds_ * 1000);
  if (!::WinHttpSetTimeouts(session.get(), timeout_ms, timeout_ms, timeout_ms, timeout_ms)) {
    LogWinHttpError("WinHttpSetTimeouts");
    return false;
  }

  const std::wstring url = UTF8ToWide(url_);
  URL_COMPONENTS parts = {};
  parts.dwStructSize = sizeof(parts);
  // Zero buffers with non-zero lengths: the parts point into |url|.
  parts.dwHostNameLength = 1;
  parts.dwUrlPathLength = 1;
  parts.dwExtraInfoLength = 1;
  if (!::WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) {
    LogWinHttpError("WinHttpCrackUrl");
    return false;
  }
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
  std::wstring extra(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  path += extra.substr(0, extra.find(L'#'));

  ScopedWinHttpHandle connection(::WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
  if (!connection.is_valid()) {
    LogWinHttpError("WinHttpConnect");
    return false;
  }
  ScopedWinHttpHandle request(::WinHttpOpenRequest(
      connection.get(), UTF8ToWide(method_).c_str(), path.c_str(), nullptr, WINHTTP_NO_REFERER,
      WINHTTP_DEFAULT_ACCEPT_TYPES,
      parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0));
  if (!request.is_valid()) {
    LogWinHttpError("WinHttpOpenRequest");
    return false;
  }

  for (const auto& [name, value] : headers_) {
    if (name == kContentLength) continue;
    const std::wstring line = UTF8ToWide(name + ": " + value + "\r\n");
    if (!::WinHttpAddRequestHeaders(request.get(), line.c_str(), static_cast<DWORD>(-1),
                                    WINHTTP_ADDREQ_FLAG_ADD)) {
      LogWinHttpError("WinHttpAddRequestHeaders");
      return false;
    }
  }
  DWORD total_length = 0;
  const bool chunked = !ParseContentLength(headers_, &total_length);
  if (chunked) {
    if (!::WinHttpAddRequestHeaders(request.get(), L"Transfer-Encoding: chunked\r\n",
                                    static_cast<DWORD>(-1), WINHTTP_ADDREQ_FLAG_ADD)) {
      LogWinHttpError("WinHttpAddRequestHeaders");
      return false;
    }
    // Wine's WinHTTP (8.0) takes a request whose Content-Length is no more
    // than the data handed to WinHttpSendRequest as complete and waits for
    // the response before a byte of the body goes out. Announcing one byte
    // keeps the body flowing; Wine then also sends "Content-Length: 1",
    // which servers ignore beside "Transfer-Encoding: chunked". The chunks
    // are the same either way.
    if (IsRunningUnderWine()) total_length = 1;
  }

  if (!::WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                            WINHTTP_NO_REQUEST_DATA, 0, total_length, 0)) {
    LogWinHttpError("WinHttpSendRequest");
    return false;
  }
  if (body_) {
    const bool sent = HttpBodySender::Send(body_.get(), chunked, [&](const std::string& bytes) {
      DWORD written = 0;
      if (!::WinHttpWriteData(request.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                              &written)) {
        LogWinHttpError("WinHttpWriteData");
        return false;
      }
      return written == bytes.size();
    });
    if (!sent) return false;
  }

  if (!::WinHttpReceiveResponse(request.get(), nullptr)) {
    LogWinHttpError("WinHttpReceiveResponse");
    return false;
  }
  DWORD status = 0;
  DWORD status_size = sizeof(status);
  if (!::WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &status_size,
                             WINHTTP_NO_HEADER_INDEX)) {
    LogWinHttpError("WinHttpQueryHeaders");
    return false;
  }
  if (status != 200) {
    LOG(ERROR, kFunction) << "HTTP status " << static_cast<unsigned long>(status);
    return false;
  }

  std::string body;
  char buffer[kResponseReadSize];
  for (;;) {
    DWORD read = 0;
    if (!::WinHttpReadData(request.get(), buffer, sizeof(buffer), &read)) {
      LogWinHttpError("WinHttpReadData");
      return false;
    }
    if (read == 0) break;
    body.append(buffer, read);
  }
  if (response_body) *response_body = std::move(body);
  return true;
}

}  // namespace lite
