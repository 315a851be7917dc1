#include "trust/trust_provider.h"

#include <softpub.h>

#include <cstring>

namespace lite {
namespace {

constexpr char kSha256WithRsa[] = "1.2.840.113549.1.1.11";

// The serial number as displayed: certificate structures keep it
// least significant byte first.
std::string BigEndianSerial(const CRYPT_INTEGER_BLOB& serial) {
  std::string bytes(reinterpret_cast<const char*>(serial.pbData), serial.cbData);
  return std::string(bytes.rbegin(), bytes.rend());
}

}  // namespace

TrustProvider::TrustProvider(const std::wstring& path) : path_(path) {
  file_info_ = {};
  file_info_.cbStruct = sizeof(file_info_);
  file_info_.pcwszFilePath = path_.c_str();
  settings_ = {};
  settings_.cbStruct = sizeof(settings_);
  settings_.dwFlags = WSS_VERIFY_SPECIFIC | WSS_GET_SECONDARY_SIG_COUNT;
  data_ = {};
  data_.data.cbStruct = sizeof(data_);
  data_.data.dwUIChoice = WTD_UI_NONE;
  data_.data.fdwRevocationChecks = WTD_REVOKE_WHOLECHAIN;
  data_.data.dwUnionChoice = WTD_CHOICE_FILE;
  data_.data.pFile = &file_info_;
  data_.data.dwProvFlags = WTD_REVOCATION_CHECK_CHAIN;
  data_.data.dwUIContext = WTD_UICONTEXT_INSTALL;
  data_.pSignatureSettings = &settings_;
}

TrustProvider::~TrustProvider() {
  Close();
}

long TrustProvider::Verify(uint32_t index, bool hash_only, uint32_t* secondary_count,
                           GuardedCallFault* fault) {
  Close();
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  settings_.dwIndex = index;
  if (hash_only) data_.data.dwProvFlags |= WTD_HASH_ONLY_FLAG;
  data_.data.dwStateAction = WTD_STATEACTION_VERIFY;
  WINTRUST_DATA* data = &data_.data;
  const long result = GuardedCall(
      [&] {
        return static_cast<long>(
            ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, data));
      },
      -1L, fault);
  // Even a failed check may leave state behind (hWVTStateData) that Close
  // must release.
  *secondary_count = settings_.cSecondarySigs;
  return result;
}

bool TrustProvider::ExtractSigner(SignerIdentity* signer) {
  if (!data_.data.hWVTStateData) return false;
  CRYPT_PROVIDER_DATA* provider = ::WTHelperProvDataFromStateData(data_.data.hWVTStateData);
  if (!provider || provider->csSigners != 1) return false;
  CRYPT_PROVIDER_SGNR* signer_data = ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0);
  if (!signer_data || signer_data->csCertChain < 2) return false;
  CRYPT_PROVIDER_CERT* certificate = ::WTHelperGetProvCertFromChain(signer_data, 0);
  CRYPT_PROVIDER_CERT* issuer = ::WTHelperGetProvCertFromChain(signer_data, 1);
  if (!certificate || !issuer || !certificate->pCert || !issuer->pCert) return false;
  const CERT_INFO* info = certificate->pCert->pCertInfo;
  signer->identity = BigEndianSerial(issuer->pCert->pCertInfo->SerialNumber) +
                     BigEndianSerial(info->SerialNumber);
  const char* algorithm = info->SignatureAlgorithm.pszObjId;
  signer->sha256_certified = algorithm && std::strcmp(algorithm, kSha256WithRsa) == 0;
  return true;
}

void TrustProvider::Close() {
  if (!data_.data.hWVTStateData) return;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  data_.data.dwStateAction = WTD_STATEACTION_CLOSE;
  ::WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data_.data);
  data_.data.hWVTStateData = nullptr;
}

}  // namespace lite
