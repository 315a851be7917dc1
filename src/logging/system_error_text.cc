#include <windows.h>

#include <cstdio>

#include "base/string_conversion.h"
#include "logging/log_record.h"

namespace lite {
namespace {

constexpr DWORD kEnglishUS = 1033;
constexpr DWORD kBufferChars = 1024;

bool FormatFrom(DWORD flags, const void* source, uint32_t error, std::wstring* text) {
  wchar_t buffer[kBufferChars];
  const DWORD length = ::FormatMessageW(flags | FORMAT_MESSAGE_IGNORE_INSERTS, source, error,
                                        kEnglishUS, buffer, kBufferChars, nullptr);
  if (length == 0) return false;
  text->assign(buffer, length);
  return true;
}

}  // namespace

std::string SystemErrorText(uint32_t error) {
  std::wstring text;
  bool found = FormatFrom(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, error, &text);
  // WinINet and URL moniker errors live in their own message tables; only
  // modules already loaded are asked, never loaded just for this.
  for (const wchar_t* module_name : {L"wininet.dll", L"urlmon.dll"}) {
    if (found) break;
    if (HMODULE module = ::GetModuleHandleW(module_name)) {
      found = FormatFrom(FORMAT_MESSAGE_FROM_HMODULE, module, error, &text);
    }
  }
  std::string result = std::to_string(error) + ", ";
  if (found) {
    result += WideToUTF8(text);
  } else {
    char hex[32];
    std::snprintf(hex, sizeof(hex), "unknown error 0x%lx\n", static_cast<unsigned long>(error));
    result += hex;
  }
  return result;
}

}  // namespace lite
