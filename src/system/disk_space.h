#ifndef LITE_SYSTEM_DISK_SPACE_H_
#define LITE_SYSTEM_DISK_SPACE_H_

#include <cstdint>

namespace lite {

inline constexpr uint64_t kRequiredDiskSpace = 629145600;  // 600 MiB

// Whether the drive the browser goes to has |required_bytes| available to
// the user (quotas honoured). An unanswerable question counts as enough.
bool HasEnoughDiskSpace(bool system_level, uint64_t required_bytes);

}  // namespace lite

#endif  // LITE_SYSTEM_DISK_SPACE_H_
