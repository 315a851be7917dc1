#include "trust/verify_module.h"

#include "base/debug_log.h"
#include "base/string_conversion.h"
#include "logging/log_record.h"
#include "system/platform_queries.h"
#include "trust/trust_json_from_module.h"
#include "trust/trust_provider.h"
#include "trust/trusted_certificate_list.h"

namespace lite {
namespace {

constexpr char kFunction[] = "VerifyModuleImpl";

}  // namespace

bool VerifyModule(const std::wstring& path, const TrustedCertificateList& list) {
  TrustProvider provider(path);
  return VerifyModule(path, list, &provider);
}

bool VerifyModule(const std::wstring& path, const TrustedCertificateList& list,
                  TrustProvider* provider) {
  LOG(INFO, "VerifyModule") << "Verifying " << path;
  if (list.empty()) return false;

  const bool before_windows_10 = Platform().GetWindowsVersion().major < 10;
  bool hash_only = false;
  bool accepted = false;
  bool sha256_failed = false;
  uint32_t secondary_count = 0;
  for (uint32_t index = 0; index <= secondary_count; ++index) {
    GuardedCallFault fault;
    long code = provider->Verify(index, hash_only, &secondary_count, &fault);
    if (fault.code != 0) {
      PLOG(ERROR, kFunction) << "An attempt to verify " << path << " generated an exception "
                             << fault.code << ", is_prevents_net_usage = " << 0;
      continue;
    }
    if (code != 0) {
      if (!before_windows_10) continue;
      LOG(WARNING, kFunction) << "Start additional sha256 verification. " << path
                              << " Error code: " << code;
      hash_only = true;
      code = provider->Verify(index, hash_only, &secondary_count, &fault);
      if (fault.code != 0) code = -1;
      LOG(INFO, kFunction) << "Extended verification " << (code == 0 ? "success. " : "failed. ")
                           << path << " Error code: " << code;
      if (code != 0) continue;
    }

    SignerIdentity signer;
    if (!provider->ExtractSigner(&signer)) {
      DebugLog("ExtractCertParams failed. " + WideToUTF8(path));
      continue;
    }
    // Once a SHA-256 certificate has failed, SHA-1 ones no longer count.
    if (sha256_failed && !signer.sha256_certified) continue;
    if (!list.Contains(signer.identity)) {
      LOG(ERROR, kFunction) << "Can not find sertificate in trusted list. " << path;
      if (signer.sha256_certified) {
        LOG(ERROR, kFunction) << "SHA256 verification failed. " << path;
        accepted = false;
        sha256_failed = true;
      }
      continue;
    }
    if (signer.sha256_certified) {
      LOG(INFO, kFunction) << "File successfully verified with sha256. " << path;
      provider->Close();
      return true;
    }
    accepted = true;
  }
  provider->Close();

  if (accepted) {
    LOG(INFO, kFunction) << "File successfully verified. " << path;
    return true;
  }
  PLOG(ERROR, kFunction) << "KNOWN_ERROR_untrusted_certificate";
  LOG(ERROR, kFunction) << "Can not find any trusted certificates. " << path;
  return false;
}

bool VerifySignedModule(const std::wstring& path) {
  const TrustedCertificateList list(GetTrustJsonFromModule(path));
  return VerifyModule(path, list);
}

}  // namespace lite
