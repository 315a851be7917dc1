#include "trust/built_in_key_table.h"

#include <windows.h>
#include <wincrypt.h>

#include <cstring>

#include "trust/built_in_keys.h"

namespace lite {

static_assert(sizeof(kBuiltInKeysBase64) / sizeof(kBuiltInKeysBase64[0]) ==
                  BuiltInKeyTable::kKeyCount,
              "the build configuration supplies exactly ten keys");

std::vector<uint8_t> BuiltInKeyTable::GetKey(int index) {
  if (index < 0 || index >= kKeyCount) return {};
  return DecodeBase64(kBuiltInKeysBase64[index]);
}

std::vector<uint8_t> BuiltInKeyTable::DecodeBase64(const char* text) {
  if (text == nullptr || *text == '\0') return {};
  const DWORD length = static_cast<DWORD>(std::strlen(text));
  DWORD size = 0;
  if (!::CryptStringToBinaryA(text, length, CRYPT_STRING_BASE64, nullptr, &size, nullptr,
                              nullptr) ||
      size == 0) {
    return {};
  }
  std::vector<uint8_t> bytes(size);
  if (!::CryptStringToBinaryA(text, length, CRYPT_STRING_BASE64, bytes.data(), &size, nullptr,
                              nullptr)) {
    return {};
  }
  bytes.resize(size);
  return bytes;
}

}  // namespace lite
