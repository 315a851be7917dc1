#ifndef LITE_PROCESS_SHARED_SECTIONS_H_
#define LITE_PROCESS_SHARED_SECTIONS_H_

#include <cstddef>
#include <cstdint>

namespace lite {

// Data in two image sections that the loader maps shared between every
// running process of this executable, elevated or not.
inline constexpr size_t kMasterSectionSize = 4096;    // "SHARED"
inline constexpr size_t kDelayedParamsSize = 8192;    // "Shared"

// The process id of the instance that owns the single-instance mutex.
uint32_t GetMasterInstallerProcessId();
void SetMasterInstallerProcessId(uint32_t process_id);

// The raw storage of the delayed parameters record.
volatile uint8_t* DelayedParamsStorage();

}  // namespace lite

#endif  // LITE_PROCESS_SHARED_SECTIONS_H_
