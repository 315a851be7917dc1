#include "trust/signature_verifier.h"

#include <algorithm>

#include "base/scoped_handle.h"
#include "logging/log_record.h"

namespace lite {
namespace {

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

// "<text><number>" followed by the error text; |error| is read by the caller
// right after the failing call, before anything else can change it.
void LogCryptError(const char* function, int line, const char* text, DWORD error) {
  LogRecord(LOG_ERROR, function, line, SystemErrorText(error)) << text << error;
}

}  // namespace

SignatureVerifier::~SignatureVerifier() {
  Cleanup();
}

bool SignatureVerifier::Verify(const std::vector<uint8_t>& signature,
                               const std::vector<uint8_t>& public_key,
                               const std::vector<uint8_t>& data) {
  return Initialize() && HashData(data) && ImportPublicKey(public_key) &&
         VerifySignature(signature);
}

bool SignatureVerifier::Initialize() {
  Cleanup();
  if (!::CryptAcquireContextW(&provider_, nullptr, nullptr, PROV_RSA_FULL,
                              CRYPT_VERIFYCONTEXT)) {
    const DWORD error = ::GetLastError();
    provider_ = 0;
    LogCryptError("Initialize", __LINE__, "Failed to initialize crypt context, error: ", error);
    return false;
  }
  return true;
}

bool SignatureVerifier::HashData(const std::vector<uint8_t>& data) {
  if (!::CryptCreateHash(provider_, CALG_SHA1, 0, 0, &hash_)) {
    const DWORD error = ::GetLastError();
    hash_ = 0;
    LogCryptError("HashData", __LINE__, "Failed to initialize hash object, error: ", error);
    return false;
  }
  if (!::CryptHashData(hash_, data.data(), static_cast<DWORD>(data.size()), 0)) {
    const DWORD error = ::GetLastError();
    LogCryptError("HashData", __LINE__, "Failed to hash data, error: ", error);
    return false;
  }
  return true;
}

bool SignatureVerifier::ImportPublicKey(const std::vector<uint8_t>& public_key) {
  CERT_PUBLIC_KEY_INFO* info = nullptr;
  DWORD info_size = 0;
  const BOOL decoded = ::CryptDecodeObjectEx(kEncoding, X509_PUBLIC_KEY_INFO, public_key.data(),
                                             static_cast<DWORD>(public_key.size()),
                                             CRYPT_DECODE_ALLOC_FLAG, nullptr, &info, &info_size);
  // The decoder allocated the structure with LocalAlloc.
  const ScopedLocalAlloc info_memory(info);
  if (!decoded) {
    const DWORD error = ::GetLastError();
    LogCryptError("ImportPublicKey", __LINE__, "Failed to convert decode public key, error: ",
                  error);
    return false;
  }
  if (!::CryptImportPublicKeyInfo(provider_, kEncoding, info, &key_)) {
    const DWORD error = ::GetLastError();
    key_ = 0;
    LogCryptError("ImportPublicKey", __LINE__, "Failed to import crypt key, error: ", error);
    return false;
  }
  return true;
}

bool SignatureVerifier::VerifySignature(const std::vector<uint8_t>& signature) {
  if (signature.empty()) return false;
  // CryptoAPI wants the least significant byte first.
  std::vector<uint8_t> reversed(signature.rbegin(), signature.rend());
  if (!::CryptVerifySignatureW(hash_, reversed.data(), static_cast<DWORD>(reversed.size()), key_,
                               nullptr, 0)) {
    const DWORD error = ::GetLastError();
    LogCryptError("VerifySignature", __LINE__, "Failed to verify signature, error: ", error);
    return false;
  }
  return true;
}

void SignatureVerifier::Cleanup() {
  if (key_ != 0) {
    if (!::CryptDestroyKey(key_)) {
      const DWORD error = ::GetLastError();
      LogCryptError("Cleanup", __LINE__, "Failed to destroy crypt key, error: ", error);
    }
    key_ = 0;
  }
  if (hash_ != 0) {
    if (!::CryptDestroyHash(hash_)) {
      const DWORD error = ::GetLastError();
      LogCryptError("Cleanup", __LINE__, "Failed to destroy, error: ", error);
    }
    hash_ = 0;
  }
  if (provider_ != 0) {
    if (!::CryptReleaseContext(provider_, 0)) {
      const DWORD error = ::GetLastError();
      LogCryptError("Cleanup", __LINE__, "Failed to release crypt context, error: ", error);
    }
    provider_ = 0;
  }
}

}  // namespace lite
