#ifndef LITE_TRUST_WINTRUST_SIGNATURE_SETTINGS_H_
#define LITE_TRUST_WINTRUST_SIGNATURE_SETTINGS_H_

#include <windows.h>
#include <wintrust.h>

// The toolchain's wintrust.h ends WINTRUST_DATA at dwUIContext and lacks
// the signature settings that select one of several nested signatures;
// these are their documented layouts.
#ifndef WSS_VERIFY_SPECIFIC
#define WSS_VERIFY_SPECIFIC 0x00000001
#define WSS_GET_SECONDARY_SIG_COUNT 0x00000002

typedef struct WINTRUST_SIGNATURE_SETTINGS_ {
  DWORD cbStruct;
  DWORD dwIndex;
  DWORD dwFlags;
  DWORD cSecondarySigs;
  DWORD dwVerifiedSigIndex;
  void* pCryptoPolicy;
} WINTRUST_SIGNATURE_SETTINGS;
#endif

namespace lite {

// WINTRUST_DATA with the signature-settings pointer that follows it.
struct WintrustDataWithSettings {
  WINTRUST_DATA data;
  WINTRUST_SIGNATURE_SETTINGS* pSignatureSettings;
};

static_assert(sizeof(WintrustDataWithSettings) == (sizeof(void*) == 4 ? 52 : 88), "the system checks the structure size");
static_assert(sizeof(WINTRUST_SIGNATURE_SETTINGS) == (sizeof(void*) == 4 ? 24 : 32), "the system checks the structure size");

}  // namespace lite

#endif  // LITE_TRUST_WINTRUST_SIGNATURE_SETTINGS_H_
