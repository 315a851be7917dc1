#ifndef LITE_CONFIG_INSTALLER_TAG_H_
#define LITE_CONFIG_INSTALLER_TAG_H_

// Reading the installer tag out of an executable's bytes. No Windows
// headers: the tag tool and the fuzz target build this file natively.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lite {

// The first bytes of a dummy certificate's TBSCertificate content: version 3,
// serial 1, sha1WithRSAEncryption, issuer CN "Unknown issuer", validity
// 2013-01-01 10:00:00 to 2013-04-01 10:00:00 UTC, subject CN "Dummy
// certificate". A certificate is a dummy one exactly when it begins so.
inline constexpr size_t kDummyCertificatePrefixSize = 112;
extern const uint8_t kDummyCertificatePrefix[kDummyCertificatePrefixSize];

// The content of the fourth extension of an untagged dummy certificate is a
// zero tag length followed by this much zero padding, room for a tag to be
// written later without changing any length in the file.
inline constexpr size_t kDefaultTagPadding = 10240;

// Where a dummy certificate keeps its tag: the content of the fourth
// extension's extnValue, i.e. a 16-bit big-endian length n, n bytes of text
// and padding.
struct TagSlot {
  size_t offset = 0;  // from the start of the buffer that was searched
  size_t size = 0;
};

enum class TagImageError {
  kNone,
  // Not a PE file, or no certificate table that lies inside the file.
  kNoCertificateTable,
  // The certificate table's DER structure is broken.
  kInvalidCertificateTable,
};

// The tag slot of one DER-encoded certificate (the whole Certificate
// element). False when it is not a dummy certificate or its extensions are
// not laid out as the tag needs (a critical fourth extension, for one).
bool FindDummyCertificateTagSlot(std::string_view certificate, TagSlot* slot);

// The tag slots of every dummy certificate in the PKCS#7 certificate set of
// |image|'s certificate table, in order. On an error |slots| is left empty.
TagImageError FindTagSlots(std::string_view image, std::vector<TagSlot>* slots);

// The tag text held by |slot| of |image|; false when the slot is shorter
// than its own tag length says.
bool ReadTagFromSlot(std::string_view image, const TagSlot& slot, std::string* tag);

// The tag texts of all dummy certificates of |image|, joined in order.
// |tag| is empty on an error, and when there is no dummy certificate or
// only empty tags.
TagImageError ExtractTagFromFakeCertificate(std::string_view image, std::string* tag);

// The older form: a block "Zact", a 16-bit big-endian length and the text,
// right after the first signature blob of the certificate table (read with
// the PE32 layout). False when there is no such block inside |image|.
bool ExtractTagFromAppendedBlock(std::string_view image, std::string* tag);

}  // namespace lite

#endif  // LITE_CONFIG_INSTALLER_TAG_H_
