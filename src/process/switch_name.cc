#include "process/switch_name.h"

#include <cstdint>

namespace lite {
namespace {

bool IsSafeCharacter(uint32_t c) {
  return c > 0x20 && c < 0x7F && c != '"' && c != '=';
}

}  // namespace

bool IsSafeSwitchName(std::string_view name) {
  for (const char c : name) {
    if (!IsSafeCharacter(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

bool NarrowSwitchName(std::wstring_view text, std::string* name) {
  std::string narrow;
  narrow.reserve(text.size());
  for (const wchar_t wide : text) {
    const uint32_t c = static_cast<uint32_t>(wide);
    if (!IsSafeCharacter(c)) return false;
    narrow += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  name->swap(narrow);
  return true;
}

std::string EscapeSwitchNameForLog(std::wstring_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  for (const wchar_t wide : text) {
    const uint32_t c = static_cast<uint32_t>(wide);
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      escaped += static_cast<char>(c);
      continue;
    }
    escaped += "\\u";
    int digits = 4;
    while (digits < 8 && (c >> (4 * digits)) != 0) ++digits;
    for (int i = digits - 1; i >= 0; --i) escaped += kHex[(c >> (4 * i)) & 0xF];
  }
  return escaped;
}

}  // namespace lite
