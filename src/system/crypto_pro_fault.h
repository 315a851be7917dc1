#ifndef LITE_SYSTEM_CRYPTO_PRO_FAULT_H_
#define LITE_SYSTEM_CRYPTO_PRO_FAULT_H_

#include "system/guarded_call.h"

namespace lite {

// Whether |fault| is the failed delayed import of the CryptoPro provider's
// library, which the download step reports apart from other exceptions.
// Names are compared without regard to ASCII case.
bool IsCryptoProFault(const GuardedCallFault& fault);

}  // namespace lite

#endif  // LITE_SYSTEM_CRYPTO_PRO_FAULT_H_
