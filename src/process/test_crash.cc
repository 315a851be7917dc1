#include "process/test_crash.h"

#if defined(LITE_TEST_HOOKS)
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "logging/log_record.h"
#include "process/installer_command_line.h"

namespace lite {

void CrashIfAskedForTesting(const char* where) {
  const InstallerCommandLine& command_line = InstallerCommandLine::ForCurrentProcess();
  if (command_line.GetSwitchValueASCII("test-crash") != where) return;
  // A working set of the given size, touched, as a busy process has.
  const size_t mib = std::strtoul(
      command_line.GetSwitchValueASCII("test-crash-working-set-mib").c_str(), nullptr, 10);
  std::unique_ptr<volatile char[]> working_set(new volatile char[mib << 20]);
  for (size_t i = 0; i < (mib << 20); i += 4096) working_set[i] = 1;
  LOG(INFO, "CrashIfAskedForTesting") << "Crashing on purpose: " << where;
  // Through a volatile address, so that the compiler cannot see the null
  // pointer and emit a trap instead of the write.
  volatile uintptr_t address = 0;
  *reinterpret_cast<volatile int*>(address) = 1;
}

}  // namespace lite
#endif
