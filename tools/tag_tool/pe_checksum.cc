#include "pe_checksum.h"

namespace lite {
namespace {

constexpr size_t kPeOffsetField = 60;
constexpr size_t kChecksumInOptionalHeader = 64;  // the same in PE32 and PE32+

uint32_t ReadLE32(std::string_view data, size_t pos) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(data[pos + i]);
  return value;
}

}  // namespace

bool FindPeChecksumField(std::string_view image, size_t* offset) {
  if (image.size() < kPeOffsetField + 4) return false;
  const uint64_t pe = ReadLE32(image, kPeOffsetField);
  const uint64_t field = pe + 24 + kChecksumInOptionalHeader;
  if (field + 4 > image.size() ||
      image.substr(static_cast<size_t>(pe), 4) != std::string_view("PE\0\0", 4)) {
    return false;
  }
  *offset = static_cast<size_t>(field);
  return true;
}

uint32_t ComputePeChecksum(std::string_view image, size_t field_offset) {
  auto byte_at = [&](size_t pos) -> uint32_t {
    if (pos >= image.size() || (pos >= field_offset && pos - field_offset < 4)) return 0;
    return static_cast<uint8_t>(image[pos]);
  };
  uint64_t sum = 0;
  for (size_t pos = 0; pos < image.size(); pos += 2) {
    sum += byte_at(pos) | (byte_at(pos + 1) << 8);
    sum = (sum & 0xffff) + (sum >> 16);
  }
  sum = (sum & 0xffff) + (sum >> 16);
  return static_cast<uint32_t>(sum + image.size());
}

}  // namespace lite
