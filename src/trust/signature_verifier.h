#ifndef LITE_TRUST_SIGNATURE_VERIFIER_H_
#define LITE_TRUST_SIGNATURE_VERIFIER_H_

#include <windows.h>
#include <wincrypt.h>

#include <cstdint>
#include <vector>

namespace lite {

// Checks one detached RSA signature (PKCS #1 v1.5 over SHA-1) with one public
// key given as DER SubjectPublicKeyInfo, through CryptoAPI. The signature is
// big-endian, as common signing tools write it. One thread at a time; each
// check uses its own instance.
class SignatureVerifier {
 public:
  SignatureVerifier() = default;
  SignatureVerifier(const SignatureVerifier&) = delete;
  SignatureVerifier& operator=(const SignatureVerifier&) = delete;
  // Releases whatever the owner did not release with Cleanup.
  ~SignatureVerifier();

  // Initialize, HashData, ImportPublicKey, VerifySignature; stops at the
  // first failure. The caller calls Cleanup afterwards.
  bool Verify(const std::vector<uint8_t>& signature, const std::vector<uint8_t>& public_key,
              const std::vector<uint8_t>& data);

  bool Initialize();
  bool HashData(const std::vector<uint8_t>& data);
  bool ImportPublicKey(const std::vector<uint8_t>& public_key);
  bool VerifySignature(const std::vector<uint8_t>& signature);
  // Destroys the key, then the hash, then releases the provider. Safe to call
  // any number of times.
  void Cleanup();

  HCRYPTPROV provider() const { return provider_; }
  HCRYPTHASH hash() const { return hash_; }
  HCRYPTKEY key() const { return key_; }

 private:
  HCRYPTPROV provider_ = 0;
  HCRYPTHASH hash_ = 0;
  HCRYPTKEY key_ = 0;
};

}  // namespace lite

#endif  // LITE_TRUST_SIGNATURE_VERIFIER_H_
