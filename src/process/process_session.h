#ifndef LITE_PROCESS_PROCESS_SESSION_H_
#define LITE_PROCESS_PROCESS_SESSION_H_

#include <cstdint>

namespace lite {

// Whether |process_id| names a running process in the caller's session.
// False for 0, for a process that is gone and when the query fails.
bool IsProcessInCurrentSession(uint32_t process_id);

}  // namespace lite

#endif  // LITE_PROCESS_PROCESS_SESSION_H_
