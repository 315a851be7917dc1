#ifndef LITE_TESTS_UNIT_INSTALL_INSTALL_TEST_SUPPORT_H_
#define LITE_TESTS_UNIT_INSTALL_INSTALL_TEST_SUPPORT_H_

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "config/distrib_params.h"
#include "captured_log.h"
#include "fake_platform_queries.h"
#include "scoped_registry_override.h"
#include "system/platform_queries.h"
#include "system/registry_helpers.h"

namespace lite {

using FakePlatform = FakePlatformQueries;

class FakeDistribParams : public DistribParams {
 public:
  std::map<std::string, std::string> values;
  bool GetParam(const std::string& key, std::string* value) const override {
    const auto found = values.find(key);
    if (found == values.end()) return false;
    *value = found->second;
    return true;
  }
};

// The experiment state lives under the browser's key of a scratch registry.
class ScopedRegistryScratch : public ScopedRegistryOverride {
 public:
  ScopedRegistryScratch() : ScopedRegistryOverride(L"install") {}

  // The stored experiment state, or "<absent>".
  static std::wstring StoredState() { return Get(L"try_x64"); }
  static void StoreState(const std::wstring& value) { Set(L"try_x64", value); }
};

// The lines of |functions|, as "I|W|E function: message". Error lines keep
// only the text before the system error, which differs between machines.
inline std::vector<std::string> LinesOf(ScopedLogCapture& log,
                                        const std::vector<std::string>& functions) {
  std::vector<std::string> result;
  for (const CapturedLine& line : log.lines()) {
    bool wanted = false;
    for (const std::string& function : functions) wanted = wanted || line.function == function;
    if (!wanted) continue;
    std::string message = line.message;
    if (line.severity == LOG_ERROR) {
      const size_t error = message.find(" - ");
      EXPECT_NE(error, std::string::npos) << "no system error in: " << message;
      if (error != std::string::npos) message.resize(error);
    }
    const char* severity =
        line.severity == LOG_INFO ? "I" : (line.severity == LOG_WARNING ? "W" : "E");
    result.push_back(std::string(severity) + " " + line.function + ": " + message);
  }
  return result;
}

}  // namespace lite

#endif  // LITE_TESTS_UNIT_INSTALL_INSTALL_TEST_SUPPORT_H_
