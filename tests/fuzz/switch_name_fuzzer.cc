// Switch names come from whoever starts the installer. A name is kept only
// when it narrows losslessly to a safe name, since it is written back onto
// the setup's command line without quotes; the log form of any name is one
// line of printable ASCII.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>

#include "process/switch_name.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // UTF-16 code units, as the command line holds them.
  std::wstring text;
  for (size_t i = 0; i + 1 < size; i += 2) {
    text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
  }
  bool expect_kept = true;
  for (const wchar_t c : text) {
    if (c > 0x7F || !std::isgraph(static_cast<int>(c)) || c == L'"' || c == L'=') {
      expect_kept = false;
    }
  }
  std::string name = "unchanged";
  const bool kept = lite::NarrowSwitchName(text, &name);
  if (kept != expect_kept) __builtin_trap();
  if (!kept && name != "unchanged") __builtin_trap();
  if (kept) {
    if (name.size() != text.size() || !lite::IsSafeSwitchName(name)) __builtin_trap();
    for (size_t i = 0; i < text.size(); ++i) {
      if (name[i] != std::tolower(static_cast<int>(text[i]))) __builtin_trap();
    }
  }
  for (const char c : lite::EscapeSwitchNameForLog(text)) {
    if (c < 0x20 || c > 0x7E) __builtin_trap();
  }
  return 0;
}
