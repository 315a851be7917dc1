#ifndef LITE_TESTS_UNIT_SCOPED_REGISTRY_OVERRIDE_H_
#define LITE_TESTS_UNIT_SCOPED_REGISTRY_OVERRIDE_H_

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/scoped_hkey.h"
#include "system/registry_helpers.h"

namespace lite {

// Points HKEY_CURRENT_USER of this process at a scratch key that is thrown
// away afterwards, so that the registry state of one test never leaks into
// another (child processes still see the real key).
class ScopedRegistryOverride {
 public:
  explicit ScopedRegistryOverride(const std::wstring& name) {
    path_ = L"Software\\LiteInstallerTests\\" + name + L"_" +
            std::to_wstring(::GetCurrentProcessId());
    ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    EXPECT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                nullptr, key_.receive(), nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(::RegOverridePredefKey(HKEY_CURRENT_USER, key_.get()), ERROR_SUCCESS);
  }
  ~ScopedRegistryOverride() {
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    key_.reset();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
  }
  ScopedRegistryOverride(const ScopedRegistryOverride&) = delete;
  ScopedRegistryOverride& operator=(const ScopedRegistryOverride&) = delete;

  static void Set(const wchar_t* name, const std::wstring& value) {
    ASSERT_TRUE(StoreBrowserValue(name, value));
  }
  // The browser's value, or "<absent>".
  static std::wstring Get(const wchar_t* name) {
    std::wstring value;
    if (!ReadValueFromRegistry(BrowserRegistryKey(), name, &value)) return L"<absent>";
    return value;
  }

 private:
  std::wstring path_;
  ScopedHKey key_;
};

}  // namespace lite

#endif  // LITE_TESTS_UNIT_SCOPED_REGISTRY_OVERRIDE_H_
