#ifndef LITE_TOOLS_TAG_TOOL_DUMMY_CERTIFICATE_H_
#define LITE_TOOLS_TAG_TOOL_DUMMY_CERTIFICATE_H_

#include <cstddef>
#include <string>

namespace lite {

// Builds the DER of the dummy certificate that a build adds to its
// signature's certificate set: the fixed fields the installer recognises,
// key usage, extended key usage and basic constraints, then a non-critical
// fourth extension holding a zero tag length and |padding| zero bytes.
// The key is a fresh throwaway one; nothing ever trusts this certificate.
// On failure returns false and says why in |error|.
bool MakeDummyCertificate(size_t padding, std::string* der, std::string* error);

// The PEM form of a DER certificate (osslsigncode reads additional
// certificates only as PEM); empty if |der| is not a certificate.
std::string CertificateDerToPem(const std::string& der);

}  // namespace lite

#endif  // LITE_TOOLS_TAG_TOOL_DUMMY_CERTIFICATE_H_
