#ifndef LITE_PROCESS_BRING_PROCESS_WINDOW_TO_TOP_H_
#define LITE_PROCESS_BRING_PROCESS_WINDOW_TO_TOP_H_

#include <cstdint>

namespace lite {

// Brings the first top-level window of |process_id| to the foreground, so
// that a second start of the installer shows the running one instead.
void BringProcessWindowToTop(uint32_t process_id);

}  // namespace lite

#endif  // LITE_PROCESS_BRING_PROCESS_WINDOW_TO_TOP_H_
