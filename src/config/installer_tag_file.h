#ifndef LITE_CONFIG_INSTALLER_TAG_FILE_H_
#define LITE_CONFIG_INSTALLER_TAG_FILE_H_

// The installer tag of an executable file on disk (see installer_tag.h for
// the byte formats).

#include <string>

namespace lite {

// The whole content of |path|. Logs its own errors.
bool ReadAllBytesFromFile(const std::wstring& path, std::string* bytes);

// The tag text from the dummy certificates in |path|'s signature; empty when
// there is none or on any error (errors are logged, a missing tag is not).
std::string ExtractTagFromFakeCertificate(const std::wstring& path);

// The tag of the older appended block of |path|, which is mapped rather
// than read. False when there is no block; nothing is logged.
bool ExtractTagFromAppendedBlock(const std::wstring& path, std::string* tag);

// The raw tag text of the executable |path|: the dummy-certificate tag, or
// when that is empty the appended block's. Empty when neither has one.
std::string ReadInstallerTag(const std::wstring& path);

}  // namespace lite

#endif  // LITE_CONFIG_INSTALLER_TAG_FILE_H_
