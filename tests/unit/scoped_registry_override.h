#ifndef LITE_TESTS_UNIT_SCOPED_REGISTRY_OVERRIDE_H_
#define LITE_TESTS_UNIT_SCOPED_REGISTRY_OVERRIDE_H_

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "scoped_registry_redirect.h"
#include "system/registry_helpers.h"

namespace lite {

// HKEY_CURRENT_USER of this process redirected to a scratch key, with
// access to the browser's values there.
class ScopedRegistryOverride : public ScopedRegistryRedirect {
 public:
  explicit ScopedRegistryOverride(const std::wstring& name)
      : ScopedRegistryRedirect(HKEY_CURRENT_USER, name) {
    EXPECT_TRUE(ok());
  }

  static void Set(const wchar_t* name, const std::wstring& value) {
    ASSERT_TRUE(StoreBrowserValue(name, value));
  }
  // The browser's value, or "<absent>".
  static std::wstring Get(const wchar_t* name) {
    std::wstring value;
    if (!ReadValueFromRegistry(BrowserRegistryKey(), name, &value)) return L"<absent>";
    return value;
  }
};

}  // namespace lite

#endif  // LITE_TESTS_UNIT_SCOPED_REGISTRY_OVERRIDE_H_
