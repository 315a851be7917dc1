#include "process/test_crash.h"

#if defined(LITE_TEST_HOOKS)
#include <cstdint>

#include "logging/log_record.h"
#include "process/installer_command_line.h"

namespace lite {

void CrashIfAskedForTesting(const char* where) {
  const InstallerCommandLine& command_line = InstallerCommandLine::ForCurrentProcess();
  if (command_line.GetSwitchValueASCII("test-crash") != where) return;
  LOG(INFO, "CrashIfAskedForTesting") << "Crashing on purpose: " << where;
  // Through a volatile address, so that the compiler cannot see the null
  // pointer and emit a trap instead of the write.
  volatile uintptr_t address = 0;
  *reinterpret_cast<volatile int*>(address) = 1;
}

}  // namespace lite
#endif
