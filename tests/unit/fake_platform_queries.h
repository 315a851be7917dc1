#ifndef LITE_TESTS_UNIT_FAKE_PLATFORM_QUERIES_H_
#define LITE_TESTS_UNIT_FAKE_PLATFORM_QUERIES_H_

#include <windows.h>

#include <cstdint>

#include "system/platform_queries.h"

namespace lite {

// Answers the machine questions as a test sets them; install it with
// ScopedPlatformQueriesOverride. Questions it does not fake reach the
// real system.
class FakePlatformQueries : public PlatformQueries {
 public:
  WindowsVersion version{10, 0, 19045, 0};
  uint16_t architecture = PROCESSOR_ARCHITECTURE_AMD64;
  bool memory_known = true;
  uint64_t memory = 8ull << 30;
  bool admin_group = true;
  bool running_as_admin = false;

  WindowsVersion GetWindowsVersion() override { return version; }
  uint16_t GetNativeProcessorArchitecture() override { return architecture; }
  bool GetTotalPhysicalMemory(uint64_t* bytes) override {
    if (!memory_known) return false;
    *bytes = memory;
    return true;
  }
  bool IsUserInAdminGroup() override { return admin_group; }
  bool IsRunningAsAdmin() override { return running_as_admin; }
};

}  // namespace lite

#endif  // LITE_TESTS_UNIT_FAKE_PLATFORM_QUERIES_H_
