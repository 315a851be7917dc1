#ifndef LITE_TRUST_TRUSTED_CERTIFICATE_LIST_H_
#define LITE_TRUST_TRUSTED_CERTIFICATE_LIST_H_

#include <set>
#include <string>
#include <string_view>

namespace lite {

// The certificates a module's own signed list trusts, each identified by
// the issuer's serial number followed by the signer's (both big-endian).
// Built from the list's JSON text, which comes from the downloaded module.
class TrustedCertificateList {
 public:
  explicit TrustedCertificateList(std::string_view json);

  bool Contains(const std::string& identity) const { return identities_.count(identity) != 0; }
  bool empty() const { return identities_.empty(); }
  size_t size() const { return identities_.size(); }

 private:
  std::set<std::string> identities_;
};

}  // namespace lite

#endif  // LITE_TRUST_TRUSTED_CERTIFICATE_LIST_H_
