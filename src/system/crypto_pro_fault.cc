#include "system/crypto_pro_fault.h"

#include <string>

namespace lite {
namespace {

// Only ASCII: the names come from a PE import table.
std::string AsciiLower(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

}  // namespace

bool IsCryptoProFault(const GuardedCallFault& fault) {
  return fault.code == kDelayLoadFailureCode && AsciiLower(fault.dll_name) == "cplib.dll" &&
         AsciiLower(fault.proc_name).find("cryptopro") != std::string::npos;
}

}  // namespace lite
