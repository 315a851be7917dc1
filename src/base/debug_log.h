#ifndef LITE_BASE_DEBUG_LOG_H_
#define LITE_BASE_DEBUG_LOG_H_

#include <string>
#include <string_view>

namespace lite {

// The program's own diagnostic log, "debug.log" in the temporary folder,
// for records that do not belong in the installer log (problems of the
// logger itself, the interface check's details). Never fails the caller.
void DebugLog(std::string_view message);

#if defined(LITE_TEST_HOOKS)
// Tests capture the records instead of writing them; null restores the file.
void SetDebugLogSinkForTesting(std::string* sink);
#endif

}  // namespace lite

#endif  // LITE_BASE_DEBUG_LOG_H_
