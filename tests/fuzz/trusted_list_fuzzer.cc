// The trusted list arrives inside a downloaded module, before anything
// about that module is trusted.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/base64.h"
#include "trust/trusted_certificate_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  lite::TrustedCertificateList list(text);
  if (list.size() > size) __builtin_trap();
  // Whatever decodes must be three bytes per four characters at most.
  if (const auto bytes = lite::DecodeBase64(text)) {
    if (bytes->size() > size / 4 * 3) __builtin_trap();
  }
  return 0;
}
