#ifndef LITE_TESTS_UNIT_SYSTEM_SYSTEM_TEST_SUPPORT_H_
#define LITE_TESTS_UNIT_SYSTEM_SYSTEM_TEST_SUPPORT_H_

#include "base/string_conversion.h"
#include "system/platform_queries.h"

namespace lite {

// A system without SetSearchPathMode and SetDefaultDllDirectories.
class NoSecureSearchFunctions : public PlatformQueries {
 public:
  void* GetKernel32Proc(const char* name) override { return nullptr; }
};

}  // namespace lite

#endif  // LITE_TESTS_UNIT_SYSTEM_SYSTEM_TEST_SUPPORT_H_
