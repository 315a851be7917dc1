#include "trust/built_in_key_table.h"

#include "base/base64.h"
#include "trust/built_in_keys.h"

namespace lite {

static_assert(sizeof(kBuiltInKeysBase64) / sizeof(kBuiltInKeysBase64[0]) ==
                  BuiltInKeyTable::kKeyCount,
              "the build configuration supplies exactly ten keys");

std::vector<uint8_t> BuiltInKeyTable::GetKey(int index) {
  if (index < 0 || index >= kKeyCount) return {};
  const std::optional<std::string> key = DecodeBase64(kBuiltInKeysBase64[index]);
  if (!key) return {};
  return std::vector<uint8_t>(key->begin(), key->end());
}

}  // namespace lite
