#ifndef LITE_TESTS_UNIT_CONFIG_TAG_IMAGE_BUILDER_H_
#define LITE_TESTS_UNIT_CONFIG_TAG_IMAGE_BUILDER_H_

// Small PE images with a certificate table, built byte by byte, for the tag
// reader's tests.

#include <cstdint>
#include <string>
#include <vector>

#include "config/installer_tag.h"

namespace lite {
namespace tag_test {

// A DER element with the shortest length form.
inline std::string Der(uint8_t tag, const std::string& content) {
  std::string out(1, static_cast<char>(tag));
  const size_t n = content.size();
  if (n < 0x80) {
    out += static_cast<char>(n);
  } else {
    std::string bytes;
    for (size_t v = n; v; v >>= 8) bytes.insert(bytes.begin(), static_cast<char>(v & 0xff));
    out += static_cast<char>(0x80 + bytes.size());
    out += bytes;
  }
  return out + content;
}

inline std::string Seq(const std::string& content) { return Der(0x30, content); }

inline std::string BE16(uint32_t v) {
  return std::string{static_cast<char>(v >> 8), static_cast<char>(v & 0xff)};
}

inline std::string LE16(uint32_t v) {
  return std::string{static_cast<char>(v & 0xff), static_cast<char>(v >> 8)};
}

inline std::string LE32(uint32_t v) { return LE16(v & 0xffff) + LE16(v >> 16); }

inline void PutLE32(std::string* data, size_t pos, uint32_t v) { data->replace(pos, 4, LE32(v)); }

inline std::string DummyPrefix() {
  return std::string(reinterpret_cast<const char*>(kDummyCertificatePrefix),
                     kDummyCertificatePrefixSize);
}

// An extension with a made-up identifier and a small value.
inline std::string PlainExtension(uint8_t id) {
  return Seq(Der(0x06, std::string("\x55\x1d") + static_cast<char>(id)) +
             Der(0x04, "\x03\x02\x07\x80"));
}

struct CertificateSpec {
  std::string tbs_prefix = DummyPrefix();
  // Content of the fourth extension's value: length, text, padding.
  std::string tag_content = BE16(0) + std::string(64, '\0');
  bool critical = false;
  int extension_count = 4;
};

// The tag content for |text| with |padding| zero bytes after it.
inline std::string TagContent(const std::string& text, size_t padding = 32) {
  return BE16(static_cast<uint32_t>(text.size())) + text + std::string(padding, '\0');
}

inline std::string Certificate(const CertificateSpec& spec) {
  std::string extensions;
  for (int i = 0; i < spec.extension_count; ++i) {
    if (i == 3) {
      const std::string oid = Der(0x06, "\x2b\x06\x01\x04\x01\xd6\x79\x02\x01\xce\x0f");
      const std::string critical = spec.critical ? Der(0x01, "\xff") : std::string();
      extensions += Seq(oid + critical + Der(0x04, spec.tag_content));
    } else {
      extensions += PlainExtension(static_cast<uint8_t>(15 + i));
    }
  }
  const std::string spki = Seq(Seq(Der(0x06, "\x2a\x86\x48\x86\xf7\x0d\x01\x01\x01") +
                                   Der(0x05, "")) +
                               Der(0x03, std::string("\0\x30\x03\x02\x01\x03", 6)));
  const std::string tbs = Seq(spec.tbs_prefix + spki + Der(0xa3, Seq(extensions)));
  const std::string algorithm =
      Seq(Der(0x06, "\x2a\x86\x48\x86\xf7\x0d\x01\x01\x05") + Der(0x05, ""));
  return Seq(tbs + algorithm + Der(0x03, std::string("\0\x01\x02", 3)));
}

inline std::string DummyCertificate(const std::string& text, size_t padding = 32) {
  CertificateSpec spec;
  spec.tag_content = TagContent(text, padding);
  return Certificate(spec);
}

// A certificate that is not a dummy one: serial number 2.
inline std::string OtherCertificate() {
  CertificateSpec spec;
  spec.tbs_prefix[7] = 0x02;
  spec.tag_content = TagContent("not=read");
  return Certificate(spec);
}

// ContentInfo { signedData, [0] SignedData { version, digestAlgorithms,
// encapContentInfo, [0] certificates, signerInfos } } around |certificates|
// (the raw content of the certificates set).
inline std::string ContentInfo(const std::string& certificates) {
  const std::string signed_data =
      Seq(Der(0x02, "\x01") + Der(0x31, "") + Seq(Der(0x06, "\x2b\x06\x01\x04\x01\x82\x37\x02\x01\x04")) +
          Der(0xa0, certificates) + Der(0x31, ""));
  return Seq(Der(0x06, "\x2a\x86\x48\x86\xf7\x0d\x01\x07\x02") + Der(0xa0, signed_data));
}

inline std::string Join(const std::vector<std::string>& parts) {
  std::string out;
  for (const auto& p : parts) out += p;
  return out;
}

// Layout of the images below.
constexpr size_t kPeOffset = 0x80;
constexpr size_t kOptionalHeader = kPeOffset + 24;
constexpr size_t kPe32Directory = kOptionalHeader + 128;
constexpr size_t kPe32PlusDirectory = kOptionalHeader + 144;
constexpr size_t kTableOffset = 0x400;

struct ImageSpec {
  std::string signature_blob;  // the DER ContentInfo
  bool pe32_plus = false;
  // Written right after the first table entry (8-byte aligned), inside the
  // table.
  std::string appended;
  std::string after_table;
};

// DOS header, PE signature, file header and an optional header with 16 data
// directories; the certificate table at kTableOffset, the last thing in the
// file unless |after_table| is given.
inline std::string BuildImage(const ImageSpec& spec) {
  std::string image(kTableOffset, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  PutLE32(&image, 60, kPeOffset);
  image.replace(kPeOffset, 4, std::string("PE\0\0", 4));
  image.replace(kPeOffset + 4, 2, LE16(spec.pe32_plus ? 0x8664 : 0x14c));
  image.replace(kPeOffset + 20, 2, LE16(spec.pe32_plus ? 240 : 224));
  image.replace(kOptionalHeader, 2, LE16(spec.pe32_plus ? 0x20b : 0x10b));

  std::string table = LE32(static_cast<uint32_t>(8 + spec.signature_blob.size())) + LE16(0x200) +
                      LE16(2) + spec.signature_blob;
  table.resize((table.size() + 7) & ~size_t{7}, '\0');
  table += spec.appended;
  table.resize((table.size() + 7) & ~size_t{7}, '\0');

  const size_t directory = spec.pe32_plus ? kPe32PlusDirectory : kPe32Directory;
  PutLE32(&image, directory, kTableOffset);
  PutLE32(&image, directory + 4, static_cast<uint32_t>(table.size()));
  return image + table + spec.after_table;
}

inline std::string ImageWithCertificates(const std::vector<std::string>& certificates) {
  ImageSpec spec;
  spec.signature_blob = ContentInfo(Join(certificates));
  return BuildImage(spec);
}

// The older block: marker, big-endian length, text.
inline std::string AppendedBlock(const std::string& text) {
  return "Zact" + BE16(static_cast<uint32_t>(text.size())) + text;
}

}  // namespace tag_test
}  // namespace lite

#endif  // LITE_TESTS_UNIT_CONFIG_TAG_IMAGE_BUILDER_H_
