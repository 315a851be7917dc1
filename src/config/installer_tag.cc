#include "config/installer_tag.h"

#include <cstring>

namespace lite {

const uint8_t kDummyCertificatePrefix[kDummyCertificatePrefixSize] = {
    // version [0] INTEGER 2, serialNumber 1
    0xa0, 0x03, 0x02, 0x01, 0x02, 0x02, 0x01, 0x01,
    // signature: sha1WithRSAEncryption, NULL parameters
    0x30, 0x0d, 0x06, 0x09, 0x2a, 0x86, 0x48, 0x86, 0xf7, 0x0d, 0x01, 0x01, 0x05, 0x05, 0x00,
    // issuer CN "Unknown issuer"
    0x30, 0x19, 0x31, 0x17, 0x30, 0x15, 0x06, 0x03, 0x55, 0x04, 0x03, 0x13, 0x0e,
    'U', 'n', 'k', 'n', 'o', 'w', 'n', ' ', 'i', 's', 's', 'u', 'e', 'r',
    // validity
    0x30, 0x1e, 0x17, 0x0d,
    '1', '3', '0', '1', '0', '1', '1', '0', '0', '0', '0', '0', 'Z',
    0x17, 0x0d,
    '1', '3', '0', '4', '0', '1', '1', '0', '0', '0', '0', '0', 'Z',
    // subject CN "Dummy certificate"
    0x30, 0x1c, 0x31, 0x1a, 0x30, 0x18, 0x06, 0x03, 0x55, 0x04, 0x03, 0x13, 0x11,
    'D', 'u', 'm', 'm', 'y', ' ', 'c', 'e', 'r', 't', 'i', 'f', 'i', 'c', 'a', 't', 'e',
};

namespace {

constexpr uint64_t kPeOffsetField = 60;
constexpr uint64_t kMinimumImageSize = 64;
constexpr uint32_t kPeSignature = 0x4550;  // "PE\0\0"
constexpr uint64_t kOptionalHeaderOffset = 24;
constexpr uint64_t kPeHeaderMinimum = 96;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
// Data-directory entry 4, from the start of the optional header.
constexpr uint64_t kPe32CertificateDirectory = 128;
constexpr uint64_t kPe32PlusCertificateDirectory = 144;
constexpr uint64_t kWinCertificateHeaderSize = 8;
constexpr size_t kTagLengthSize = 2;
constexpr char kAppendedBlockMarker[4] = {'Z', 'a', 'c', 't'};
constexpr uint64_t kAppendedBlockHeadSize = 6;

// Every offset below is a uint64_t: on the 32-bit build size_t sums of
// file-supplied values would wrap around and pass the bound checks.

uint8_t ByteAt(std::string_view data, uint64_t pos) {
  return static_cast<uint8_t>(data[static_cast<size_t>(pos)]);
}

uint32_t ReadLE16(std::string_view data, uint64_t pos) {
  return ByteAt(data, pos) | (ByteAt(data, pos + 1) << 8);
}

uint32_t ReadLE32(std::string_view data, uint64_t pos) {
  return ReadLE16(data, pos) | (ReadLE16(data, pos + 2) << 16);
}

uint32_t ReadBE16(std::string_view data, uint64_t pos) {
  return (ByteAt(data, pos) << 8) | ByteAt(data, pos + 1);
}

std::string_view Slice(std::string_view data, uint64_t begin, uint64_t end) {
  return data.substr(static_cast<size_t>(begin), static_cast<size_t>(end - begin));
}

struct DerElement {
  uint64_t content_begin = 0;
  uint64_t end = 0;  // not yet checked against any bound
};

// Reads the tag and length bytes at |pos|, which must lie before |limit|.
// Tags are not looked at: the walk goes by position alone.
bool ReadDerHeader(std::string_view data, uint64_t pos, uint64_t limit, DerElement* element) {
  if (pos + 2 > limit) return false;
  const uint8_t first = ByteAt(data, pos + 1);
  uint64_t length = 0;
  uint64_t header = 2;
  if (first < 0x80) {
    length = first;
  } else if (first >= 0x81 && first <= 0x84) {
    const uint64_t count = first - 0x80;
    if (pos + 2 + count > limit) return false;
    for (uint64_t i = 0; i < count; ++i) length = (length << 8) | ByteAt(data, pos + 2 + i);
    header += count;
  } else {
    // 0x80 (indefinite) and 0x85 and above have no place in DER here.
    return false;
  }
  element->content_begin = pos + header;
  element->end = pos + header + length;
  return true;
}

// Walks DER elements by position inside a window [pos, end) that it never
// leaves: every element must end inside the window it is found in.
class DerWalker {
 public:
  DerWalker(std::string_view data, uint64_t begin, uint64_t end)
      : data_(data), pos_(begin), end_(end) {}

  // Narrows the window to the content of the element at the position.
  bool Enter() {
    DerElement element;
    if (!Read(&element)) return false;
    pos_ = element.content_begin;
    end_ = element.end;
    return true;
  }

  // Moves past |count| elements.
  bool Skip(int count = 1) {
    for (int i = 0; i < count; ++i) {
      DerElement element;
      if (!Read(&element)) return false;
      pos_ = element.end;
    }
    return true;
  }

  uint64_t pos() const { return pos_; }
  uint64_t end() const { return end_; }

 private:
  bool Read(DerElement* element) const {
    return ReadDerHeader(data_, pos_, end_, element) && element->end <= end_;
  }

  std::string_view data_;
  uint64_t pos_;
  uint64_t end_;
};

// The certificate table's file range from data-directory entry 4.
bool LocateCertificateTable(std::string_view image, uint64_t* offset, uint64_t* size) {
  const uint64_t image_size = image.size();
  if (image_size < kMinimumImageSize) return false;
  const uint64_t pe = ReadLE32(image, kPeOffsetField);
  if (image_size < pe + kPeHeaderMinimum) return false;
  if (ReadLE32(image, pe) != kPeSignature) return false;
  const uint64_t optional_header = pe + kOptionalHeaderOffset;
  uint64_t directory = 0;
  switch (ReadLE16(image, optional_header)) {
    case kPe32Magic:
      directory = optional_header + kPe32CertificateDirectory;
      break;
    case kPe32PlusMagic:
      directory = optional_header + kPe32PlusCertificateDirectory;
      break;
    default:
      return false;
  }
  if (image_size < directory + 8) return false;
  *offset = ReadLE32(image, directory);
  *size = ReadLE32(image, directory + 4);
  return *size != 0 && image_size >= *offset + *size;
}

}  // namespace

bool FindDummyCertificateTagSlot(std::string_view certificate, TagSlot* slot) {
  DerWalker walker(certificate, 0, certificate.size());
  // Certificate, then TBSCertificate.
  if (!walker.Enter() || !walker.Enter()) return false;
  if (walker.end() - walker.pos() < kDummyCertificatePrefixSize ||
      std::memcmp(certificate.data() + walker.pos(), kDummyCertificatePrefix,
                  kDummyCertificatePrefixSize) != 0) {
    return false;
  }
  // version, serialNumber, signature, issuer, validity, subject,
  // subjectPublicKeyInfo; then [3] and the Extensions SEQUENCE; three
  // extensions; into the fourth, past extnID. A critical flag would stand
  // where extnValue is expected and leave too short a content.
  if (!walker.Skip(7) || !walker.Enter() || !walker.Enter() || !walker.Skip(3) ||
      !walker.Enter() || !walker.Skip() || !walker.Enter()) {
    return false;
  }
  slot->offset = static_cast<size_t>(walker.pos());
  slot->size = static_cast<size_t>(walker.end() - walker.pos());
  return true;
}

TagImageError FindTagSlots(std::string_view image, std::vector<TagSlot>* slots) {
  slots->clear();
  uint64_t table = 0;
  uint64_t table_size = 0;
  if (!LocateCertificateTable(image, &table, &table_size)) {
    return TagImageError::kNoCertificateTable;
  }
  const uint64_t table_end = table + table_size;
  const uint64_t content_info = table + kWinCertificateHeaderSize;
  DerElement outer;
  if (!ReadDerHeader(image, content_info, table_end, &outer)) {
    return TagImageError::kNoCertificateTable;
  }
  if (outer.end > table_end) return TagImageError::kInvalidCertificateTable;

  DerWalker walker(image, content_info, outer.end);
  // ContentInfo, past contentType, [0], SignedData, past version,
  // digestAlgorithms and encapContentInfo, into [0] certificates.
  if (!walker.Enter() || !walker.Skip() || !walker.Enter() || !walker.Enter() ||
      !walker.Skip(3) || !walker.Enter()) {
    return TagImageError::kInvalidCertificateTable;
  }

  std::vector<TagSlot> found;
  uint64_t pos = walker.pos();
  const uint64_t set_end = walker.end();
  while (pos < set_end) {
    DerElement certificate;
    // A broken element spoils the whole set, even after a good dummy
    // certificate: its length cannot be trusted to find what follows.
    if (!ReadDerHeader(image, pos, set_end, &certificate) || certificate.end > set_end) {
      return TagImageError::kInvalidCertificateTable;
    }
    TagSlot slot;
    if (FindDummyCertificateTagSlot(Slice(image, pos, certificate.end), &slot)) {
      slot.offset += static_cast<size_t>(pos);
      found.push_back(slot);
    }
    pos = certificate.end;
  }
  slots->swap(found);
  return TagImageError::kNone;
}

bool ReadTagFromSlot(std::string_view image, const TagSlot& slot, std::string* tag) {
  tag->clear();
  if (slot.size < kTagLengthSize || static_cast<uint64_t>(slot.offset) + slot.size > image.size()) {
    return false;
  }
  const size_t length = ReadBE16(image, slot.offset);
  if (slot.size - kTagLengthSize < length) return false;
  tag->assign(image.data() + slot.offset + kTagLengthSize, length);
  return true;
}

TagImageError ExtractTagFromFakeCertificate(std::string_view image, std::string* tag) {
  tag->clear();
  std::vector<TagSlot> slots;
  const TagImageError error = FindTagSlots(image, &slots);
  if (error != TagImageError::kNone) return error;
  for (const TagSlot& slot : slots) {
    std::string text;
    if (ReadTagFromSlot(image, slot, &text)) tag->append(text);
  }
  return TagImageError::kNone;
}

bool ExtractTagFromAppendedBlock(std::string_view image, std::string* tag) {
  tag->clear();
  const uint64_t image_size = image.size();
  if (image_size < kMinimumImageSize || image[0] != 'M' || image[1] != 'Z') return false;
  const uint64_t pe = ReadLE32(image, kPeOffsetField);
  if (pe + 4 > image_size || ReadLE32(image, pe) != kPeSignature) return false;
  // Only the PE32 layout was ever tagged this way.
  const uint64_t directory = pe + kOptionalHeaderOffset + kPe32CertificateDirectory;
  if (directory + 4 > image_size) return false;
  const uint64_t table = ReadLE32(image, directory);
  if (table == 0) return false;
  const uint64_t blob = table + kWinCertificateHeaderSize;
  if (blob + 4 > image_size || ByteAt(image, blob) != 0x30 || ByteAt(image, blob + 1) != 0x82) {
    return false;
  }
  // The blob is 4 + L bytes after an 8-byte WIN_CERTIFICATE header, and
  // table entries are 8-byte aligned.
  const uint64_t blob_content_length = ReadBE16(image, blob + 2);
  const uint64_t block = table + ((blob_content_length + 19) & ~uint64_t{7});
  if (block + kAppendedBlockHeadSize > image_size ||
      std::memcmp(image.data() + block, kAppendedBlockMarker, sizeof(kAppendedBlockMarker)) != 0) {
    return false;
  }
  const uint64_t length = ReadBE16(image, block + 4);
  if (block + kAppendedBlockHeadSize + length > image_size) return false;
  tag->assign(image.data() + block + kAppendedBlockHeadSize, static_cast<size_t>(length));
  return true;
}

}  // namespace lite
