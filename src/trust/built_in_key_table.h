#ifndef LITE_TRUST_BUILT_IN_KEY_TABLE_H_
#define LITE_TRUST_BUILT_IN_KEY_TABLE_H_

#include <cstdint>
#include <vector>

namespace lite {

// The public keys that may sign a module's trusted-certificate list, chosen
// by the index stored with the signature. The values come from the build
// configuration (LITE_BUILT_IN_KEYS_FILE).
class BuiltInKeyTable {
 public:
  static constexpr int kKeyCount = 10;

  // The DER SubjectPublicKeyInfo of key |index| (0 to 9); empty for any
  // other index or a key that does not decode.
  static std::vector<uint8_t> GetKey(int index);
};

}  // namespace lite

#endif  // LITE_TRUST_BUILT_IN_KEY_TABLE_H_
