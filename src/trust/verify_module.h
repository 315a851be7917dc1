#ifndef LITE_TRUST_VERIFY_MODULE_H_
#define LITE_TRUST_VERIFY_MODULE_H_

#include <string>

namespace lite {

class TrustedCertificateList;
class TrustProvider;

// Whether the file at |path| is signed by a certificate the list trusts,
// walking the primary and every nested signature.
bool VerifyModule(const std::wstring& path, const TrustedCertificateList& list);
// The same decisions with the system's check supplied by |provider|.
bool VerifyModule(const std::wstring& path, const TrustedCertificateList& list,
                  TrustProvider* provider);

// VerifyModule against the list the module itself carries.
bool VerifySignedModule(const std::wstring& path);

}  // namespace lite

#endif  // LITE_TRUST_VERIFY_MODULE_H_
