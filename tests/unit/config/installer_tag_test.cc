#include "config/installer_tag.h"

#include <gtest/gtest.h>

#include <functional>

#include "config/tag_image_builder.h"

namespace lite {
namespace {

using namespace tag_test;  // NOLINT

TEST(InstallerTagTest, ReadsTheTagsOfDummyCertificates) {
  struct Case {
    const char* name;
    std::string image;
    std::string expected;
  };
  CertificateSpec critical;
  critical.critical = true;
  critical.tag_content = TagContent("stat=1");
  CertificateSpec three_extensions;
  three_extensions.extension_count = 3;
  CertificateSpec utf8_names;  // same fields, but the issuer as UTF8String
  utf8_names.tbs_prefix[34] = 0x0c;
  utf8_names.tag_content = TagContent("stat=1");
  CertificateSpec overlong;  // n says 40 but only 30 bytes follow
  overlong.tag_content = BE16(40) + std::string(30, 'x');
  CertificateSpec one_byte;
  one_byte.tag_content = std::string(1, '\0');
  CertificateSpec exact;  // no padding at all
  exact.tag_content = TagContent("a=b", 0);
  CertificateSpec truncated_prefix;  // 111 bytes of it, then the key
  truncated_prefix.tbs_prefix.resize(111);
  // A TBSCertificate shorter than the prefix, matching as far as it goes.
  const std::string short_tbs = Seq(Seq(DummyPrefix().substr(0, 111)));
  ImageSpec pe32_plus;
  pe32_plus.pe32_plus = true;
  pe32_plus.signature_blob = ContentInfo(DummyCertificate("lang=tr"));

  const Case cases[] = {
      {"written tag", ImageWithCertificates({DummyCertificate("stat=2&def=1", kDefaultTagPadding)}),
       "stat=2&def=1"},
      {"untagged build", ImageWithCertificates({DummyCertificate("", kDefaultTagPadding)}), ""},
      {"PE32+ layout", BuildImage(pe32_plus), "lang=tr"},
      {"among other certificates",
       ImageWithCertificates({OtherCertificate(), DummyCertificate("a=1"), OtherCertificate()}),
       "a=1"},
      {"several dummies in order",
       ImageWithCertificates({DummyCertificate("a=1"), OtherCertificate(), DummyCertificate("&b=2")}),
       "a=1&b=2"},
      {"raw bytes kept", ImageWithCertificates({DummyCertificate(std::string("x=%41\0\xff", 7))}),
       std::string("x=%41\0\xff", 7)},
      {"no dummy certificate", ImageWithCertificates({OtherCertificate()}), ""},
      {"empty certificate set", ImageWithCertificates({}), ""},
      {"critical fourth extension", ImageWithCertificates({Certificate(critical)}), ""},
      {"three extensions only", ImageWithCertificates({Certificate(three_extensions)}), ""},
      {"prefix differs", ImageWithCertificates({Certificate(utf8_names)}), ""},
      {"prefix cut short", ImageWithCertificates({Certificate(truncated_prefix)}), ""},
      {"TBSCertificate under 112 bytes", ImageWithCertificates({short_tbs}), ""},
      {"length past the content",
       ImageWithCertificates({Certificate(overlong), DummyCertificate("ok=1")}), "ok=1"},
      {"content under two bytes", ImageWithCertificates({Certificate(one_byte)}), ""},
      {"tag fills the content", ImageWithCertificates({Certificate(exact)}), "a=b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string tag = "stale";
    EXPECT_EQ(ExtractTagFromFakeCertificate(c.image, &tag), TagImageError::kNone);
    EXPECT_EQ(tag, c.expected);
  }
}

// Offsets inside the image that ImageWithCertificates({dummy}) builds.
constexpr size_t kBlob = kTableOffset + 8;

std::string GoodImage() { return ImageWithCertificates({DummyCertificate("stat=1")}); }

TEST(InstallerTagTest, RejectsBrokenImages) {
  struct Case {
    const char* name;
    std::function<void(std::string*)> damage;
    TagImageError expected;
  };
  const std::string good = GoodImage();
  const std::string blob = ContentInfo(DummyCertificate("stat=1"));
  // Replaces the signature blob with |other|, keeping the table size.
  auto replace_blob = [blob](std::string other) {
    return [blob, other](std::string* image) {
      std::string replacement = other;
      replacement.resize(blob.size(), '\0');
      image->replace(kBlob, blob.size(), replacement);
    };
  };
  const auto kNoTable = TagImageError::kNoCertificateTable;
  const auto kInvalid = TagImageError::kInvalidCertificateTable;
  const Case cases[] = {
      {"empty file", [](std::string* i) { i->clear(); }, kNoTable},
      {"63 bytes", [](std::string* i) { i->resize(63); }, kNoTable},
      {"PE offset past the end", [](std::string* i) { PutLE32(i, 60, 0x7fff0000); }, kNoTable},
      {"PE offset wrapping 32 bits", [](std::string* i) { PutLE32(i, 60, 0xffffffc0); }, kNoTable},
      {"headers cut short", [](std::string* i) { i->resize(kPeOffset + 95); }, kNoTable},
      {"directory cut short", [](std::string* i) { i->resize(kPe32Directory + 7); }, kNoTable},
      {"no PE signature", [](std::string* i) { (*i)[kPeOffset + 1] = 'X'; }, kNoTable},
      {"unknown magic", [](std::string* i) { (*i)[kOptionalHeader + 1] = 0x02; }, kNoTable},
      {"table size 0", [](std::string* i) { PutLE32(i, kPe32Directory + 4, 0); }, kNoTable},
      {"table past the end",
       [](std::string* i) { PutLE32(i, kPe32Directory + 4, static_cast<uint32_t>(i->size())); },
       kNoTable},
      // The good image's table ends exactly at the end of the file.
      {"table one byte past the end",
       [](std::string* i) {
         PutLE32(i, kPe32Directory + 4, static_cast<uint32_t>(i->size() - kTableOffset + 1));
       },
       kNoTable},
      {"table offset wrapping 32 bits",
       [](std::string* i) {
         PutLE32(i, kPe32Directory, 0xffffff00);
         PutLE32(i, kPe32Directory + 4, 0x200);
       },
       kNoTable},
      {"table too small for a DER header",
       [](std::string* i) { PutLE32(i, kPe32Directory + 4, 9); }, kNoTable},
      {"ContentInfo length 0x80", [](std::string* i) { (*i)[kBlob + 1] = '\x80'; }, kNoTable},
      {"ContentInfo length 0x85", [](std::string* i) { (*i)[kBlob + 1] = '\x85'; }, kNoTable},
      {"ContentInfo past the table",
       [](std::string* i) { PutLE32(i, kPe32Directory + 4, 64); }, kInvalid},
      {"ContentInfo claims 4 GB",
       replace_blob(std::string("\x30\x84\xff\xff\xff\xf0\x06\x00", 8)), kInvalid},
      {"ContentInfo without content", replace_blob(std::string("\x30\x00", 2)), kInvalid},
      {"SignedData without certificates",
       replace_blob(Seq(Der(0x06, "\x2a") + Der(0xa0, Seq(Der(0x02, "\x01"))))), kInvalid},
      {"inner element past its parent",
       replace_blob(Seq(Der(0x06, "\x2a") + std::string("\xa0\x82\x7f\xff", 4))), kInvalid},
  };
  // The undamaged image is read, though its table ends at the last byte.
  ASSERT_EQ(kTableOffset + static_cast<uint8_t>(good[kPe32Directory + 4]) +
                (static_cast<uint8_t>(good[kPe32Directory + 5]) << 8),
            good.size());
  std::string good_tag;
  ASSERT_EQ(ExtractTagFromFakeCertificate(good, &good_tag), TagImageError::kNone);
  ASSERT_EQ(good_tag, "stat=1");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string image = good;
    c.damage(&image);
    std::string tag = "stale";
    EXPECT_EQ(ExtractTagFromFakeCertificate(image, &tag), c.expected);
    EXPECT_EQ(tag, "");
    std::vector<TagSlot> slots(1);
    EXPECT_EQ(FindTagSlots(image, &slots), c.expected);
    EXPECT_TRUE(slots.empty());
  }
}

TEST(InstallerTagTest, ABrokenSetElementSpoilsEarlierDummies) {
  struct Case {
    const char* name;
    std::string last_element;
  };
  const Case cases[] = {
      {"length byte 0x85", std::string("\x30\x85\x00\x00\x00\x00\x01", 7)},
      {"length byte 0x80", std::string("\x30\x80\x00\x00", 4)},
      {"long length cut short", std::string("\x30\x82\x01", 3)},
      {"runs past the set", std::string("\x30\x05\x00", 3)},
      {"lone tag byte", std::string("\x30", 1)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string image =
        ImageWithCertificates({DummyCertificate("stat=1"), c.last_element});
    std::string tag;
    EXPECT_EQ(ExtractTagFromFakeCertificate(image, &tag), TagImageError::kInvalidCertificateTable);
    EXPECT_EQ(tag, "");
  }
}

TEST(InstallerTagTest, SlotsCoverTheWholeExtensionValue) {
  const std::string image =
      ImageWithCertificates({OtherCertificate(), DummyCertificate("def=1", 100)});
  std::vector<TagSlot> slots;
  ASSERT_EQ(FindTagSlots(image, &slots), TagImageError::kNone);
  ASSERT_EQ(slots.size(), 1u);
  EXPECT_EQ(slots[0].size, 2u + 5u + 100u);
  EXPECT_EQ(image.substr(slots[0].offset, 7), BE16(5) + "def=1");
  // The zero padding runs exactly to the end of the slot.
  EXPECT_EQ(image.find_first_not_of('\0', slots[0].offset + 7), slots[0].offset + slots[0].size);

  std::string tag;
  EXPECT_TRUE(ReadTagFromSlot(image, slots[0], &tag));
  EXPECT_EQ(tag, "def=1");
  EXPECT_FALSE(ReadTagFromSlot(image, {image.size() - 1, 2}, &tag));
  EXPECT_FALSE(ReadTagFromSlot(image, {0, 1}, &tag));
}

TEST(InstallerTagTest, FindsTheSlotOfALoneCertificate) {
  const std::string certificate = DummyCertificate("x=1", 10);
  TagSlot slot;
  ASSERT_TRUE(FindDummyCertificateTagSlot(certificate, &slot));
  EXPECT_EQ(certificate.substr(slot.offset, slot.size), TagContent("x=1", 10));
  EXPECT_FALSE(FindDummyCertificateTagSlot(OtherCertificate(), &slot));
  // Cut anywhere, the certificate no longer parses; nothing is read past it.
  for (size_t cut = 0; cut < certificate.size(); cut += 7) {
    SCOPED_TRACE(cut);
    const std::string shorter = certificate.substr(0, cut);
    EXPECT_FALSE(FindDummyCertificateTagSlot(shorter, &slot));
  }
}

TEST(InstallerTagTest, ReadsTheAppendedBlock) {
  struct Case {
    const char* name;
    std::function<void(ImageSpec*)> change;
    std::function<void(std::string*)> damage;
    bool found;
    std::string expected;
  };
  auto none = [](auto*) {};
  // The block is only looked for after a long-form ("30 82") blob.
  const std::string blob = ContentInfo(DummyCertificate("", 300));
  const Case cases[] = {
      {"block present", [](ImageSpec* s) { s->appended = AppendedBlock("stat=1&lang=ru"); }, none,
       true, "stat=1&lang=ru"},
      {"empty text", [](ImageSpec* s) { s->appended = AppendedBlock(""); }, none, true, ""},
      {"no block", none, none, false, ""},
      {"other marker", [](ImageSpec* s) { s->appended = "Zacu" + BE16(1) + "x"; }, none, false, ""},
      {"length past the end",
       [](ImageSpec* s) { s->appended = "Zact" + BE16(64) + "stat=1"; }, none, false, ""},
      {"length reaches the end exactly",
       [](ImageSpec* s) { s->appended = "Zact" + BE16(10) + "stat=1"; }, none, true,
       std::string("stat=1\0\0\0\0", 10)},
      {"short blob form",
       [](ImageSpec* s) {
         s->signature_blob = Seq(Der(0x06, "\x2a"));
         s->appended = AppendedBlock("a=1");
       },
       none, false, ""},
      {"no MZ", [](ImageSpec* s) { s->appended = AppendedBlock("a=1"); },
       [](std::string* i) { (*i)[0] = 'N'; }, false, ""},
      {"no PE signature", [](ImageSpec* s) { s->appended = AppendedBlock("a=1"); },
       [](std::string* i) { (*i)[kPeOffset] = 'N'; }, false, ""},
      {"PE offset past the end", [](ImageSpec* s) { s->appended = AppendedBlock("a=1"); },
       [](std::string* i) { PutLE32(i, 60, 0xfffffffe); }, false, ""},
      {"table offset 0", [](ImageSpec* s) { s->appended = AppendedBlock("a=1"); },
       [](std::string* i) { PutLE32(i, kPe32Directory, 0); }, false, ""},
      {"table offset past the end", [](ImageSpec* s) { s->appended = AppendedBlock("a=1"); },
       [](std::string* i) { PutLE32(i, kPe32Directory, 0xfffffff8); }, false, ""},
      {"file ends inside the block head", [](ImageSpec* s) { s->appended = AppendedBlock(""); },
       [](std::string* i) { i->resize(i->rfind("Zact") + 5); }, false, ""},
      {"file ends inside the blob header", none,
       [](std::string* i) { i->resize(kTableOffset + 11); }, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ImageSpec spec;
    spec.signature_blob = blob;
    c.change(&spec);
    std::string image = BuildImage(spec);
    c.damage(&image);
    std::string tag = "stale";
    EXPECT_EQ(ExtractTagFromAppendedBlock(image, &tag), c.found);
    EXPECT_EQ(tag, c.expected);
  }
}

}  // namespace
}  // namespace lite
