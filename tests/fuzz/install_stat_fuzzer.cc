// The "install_stat" registry value is read back from whatever an earlier
// run or another program left. Parse it, write it again and check that
// the text reads back to the same parameters.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/string_conversion.h"
#include "net/install_stat_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const lite::StatisticsParameters parameters = lite::ParseInstallStatText(lite::UTF8ToWide(bytes));
  for (const auto& [key, value] : parameters) {
    if (key.empty() || key.find('\n') != std::string::npos ||
        value.find(L'\n') != std::wstring::npos) {
      __builtin_trap();
    }
  }
  if (lite::ParseInstallStatText(lite::FormatInstallStatText(parameters)) != parameters) {
    __builtin_trap();
  }
  for (const auto& [key, value] : parameters) {
    const std::wstring vars = lite::ReplaceVarsSeparators(value);
    if (vars.size() != value.size() || vars.find_first_of(L",-=") != std::wstring::npos) {
      __builtin_trap();
    }
    const std::string escaped = lite::PercentEscapeUnreserved(key);
    if (escaped.size() < key.size() || escaped.find_first_of(",-=/ ") != std::string::npos) {
      __builtin_trap();
    }
  }
  return 0;
}
