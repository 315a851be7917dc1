// libFuzzer target for the installer tag reader: arbitrary bytes as an
// executable image and as a lone certificate. Besides memory errors (ASan),
// it checks that every slot found lies inside the input.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "config/installer_tag.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  std::vector<lite::TagSlot> slots;
  const lite::TagImageError error = lite::FindTagSlots(input, &slots);
  Check(error == lite::TagImageError::kNone || slots.empty());
  size_t tag_bytes = 0;
  for (const lite::TagSlot& slot : slots) {
    Check(slot.offset <= size && slot.size <= size - slot.offset);
    std::string text;
    if (lite::ReadTagFromSlot(input, slot, &text)) tag_bytes += text.size();
  }

  std::string tag;
  Check(lite::ExtractTagFromFakeCertificate(input, &tag) == error);
  Check(tag.size() == tag_bytes);

  Check(!lite::ExtractTagFromAppendedBlock(input, &tag) || tag.size() + 6 <= size);

  lite::TagSlot slot;
  if (lite::FindDummyCertificateTagSlot(input, &slot)) {
    Check(slot.offset >= lite::kDummyCertificatePrefixSize && slot.size <= size - slot.offset);
  }
  return 0;
}
