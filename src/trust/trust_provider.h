#ifndef LITE_TRUST_TRUST_PROVIDER_H_
#define LITE_TRUST_TRUST_PROVIDER_H_

#include <cstdint>
#include <string>

#include "system/guarded_call.h"
#include "trust/wintrust_signature_settings.h"

namespace lite {

// The signing certificate of one checked signature.
struct SignerIdentity {
  // Issuer serial then signer serial, both big-endian.
  std::string identity;
  // Signed with sha256WithRSAEncryption.
  bool sha256_certified = false;
};

// Windows' Authenticode check of one file, one signature at a time. The
// verification logic talks to this, so tests can play the system's part.
class TrustProvider {
 public:
  explicit TrustProvider(const std::wstring& path);
  TrustProvider(const TrustProvider&) = delete;
  TrustProvider& operator=(const TrustProvider&) = delete;
  // Closes the open state.
  virtual ~TrustProvider();

  // Checks signature |index| (0: the primary one), with revocation checks
  // and, when |hash_only|, only the file hash. Sets |secondary_count| to
  // the number of nested signatures the system found. A structured
  // exception inside the check is described in |fault| (code 0 if none).
  virtual long Verify(uint32_t index, bool hash_only, uint32_t* secondary_count,
                      GuardedCallFault* fault);
  // The signer of the signature the last Verify accepted; false unless
  // there is exactly one signer with a chain of at least two certificates.
  virtual bool ExtractSigner(SignerIdentity* signer);
  // Releases the state a Verify left open.
  virtual void Close();

 private:
  std::wstring path_;
  WINTRUST_FILE_INFO file_info_;
  WINTRUST_SIGNATURE_SETTINGS settings_;
  WintrustDataWithSettings data_;
};

}  // namespace lite

#endif  // LITE_TRUST_TRUST_PROVIDER_H_
