#ifndef LITE_SYSTEM_INTERNAL_INTERFACE_SAFE_CHECK_H_
#define LITE_SYSTEM_INTERNAL_INTERFACE_SAFE_CHECK_H_

#include <cstdint>
#include <string>

#include "system/platform_queries.h"

namespace lite {

// category × 1 000 000 000 + the system's build and revision, packed so
// that the largest value still fits 32 bits.
using InterfaceCheckStatus = uint32_t;

enum InterfaceCheckCategory : uint32_t {
  kInterfaceCheckAvailable = 0,
  kInterfaceCheckCrashed = 1,
  kInterfaceCheckNotAvailable = 2,
  kInterfaceCheckTimedOut = 3,
  kInterfaceCheckOtherFailure = 4,
};

// How long the check waits for its child process.
inline constexpr uint32_t kInterfaceCheckTimeoutMs = 3000;

InterfaceCheckStatus MakeInterfaceCheckStatus(uint32_t category, const WindowsVersion& version);

// Whether the default-browser interface of Windows 10 can be used, asked
// of a child process (this program with only "--check-the-interface") so
// that a crash or hang there costs only the answer. Systems older than
// Windows 10 answer false and leave |status| alone; otherwise |status|
// receives an InterfaceCheckStatus.
bool IsInternalInterfaceAvailableSafeCheck(uint32_t* status);

// As above, with the child program and the time to wait for it given.
bool IsInternalInterfaceAvailableSafeCheck(const std::wstring& program, uint32_t timeout_ms,
                                           uint32_t* status);

}  // namespace lite

#endif  // LITE_SYSTEM_INTERNAL_INTERFACE_SAFE_CHECK_H_
