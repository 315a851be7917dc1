#ifndef LITE_TESTS_UNIT_INSTALL_INSTALL_TEST_SUPPORT_H_
#define LITE_TESTS_UNIT_INSTALL_INSTALL_TEST_SUPPORT_H_

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "captured_log.h"
#include "fake_platform_queries.h"
#include "install/installer_observer.h"
#include "map_distrib_params.h"
#include "scoped_registry_override.h"
#include "system/platform_queries.h"
#include "system/registry_helpers.h"

namespace lite {

using FakePlatform = FakePlatformQueries;

using FakeDistribParams = MapDistribParams;

// Keeps every call of the installer's observer as a short text such as
// "percent40" or "failed5"; calls may come from the installer's thread.
class RecordingObserver : public InstallerObserver {
 public:
  void SetProgress(float) override {}
  void OnSlowDownload() override {}
  void SetTimeLeft(int, int) override {}
  void OnInstallFinished(int result) override { Add("finished" + std::to_string(result)); }
  void OnInstallFailed(int type) override { Add("failed" + std::to_string(type)); }
  HWND GetWindowHandle() override { return nullptr; }
  void SetProgressPercent(int percent) override { Add("percent" + std::to_string(percent)); }
  void RemoveCancelButton() override { Add("remove_cancel"); }
  std::vector<std::string> calls() {
    std::lock_guard<std::mutex> hold(lock_);
    return calls_;
  }

 private:
  void Add(const std::string& call) {
    std::lock_guard<std::mutex> hold(lock_);
    calls_.push_back(call);
  }
  std::mutex lock_;
  std::vector<std::string> calls_;
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
