#include "system/uac_notifications.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/scoped_hkey.h"
#include "captured_log.h"
#include "scoped_registry_redirect.h"

namespace lite {
namespace {

TEST(UacNotificationsTest, ReadsConsentPromptBehaviorAdmin) {
  struct Case {
    bool present;
    DWORD type;
    DWORD value;
    bool enabled;
    const char* shown;
  };
  const Case cases[] = {
      {true, REG_DWORD, 5, true, "5"},
      {true, REG_DWORD, 0, false, "0"},
      {false, REG_DWORD, 0, false, "0"},
      // Not a number: counts as unreadable.
      {true, REG_BINARY, 2, false, "0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shown);
    ScopedRegistryRedirect machine(HKEY_LOCAL_MACHINE, L"machine");
    ASSERT_TRUE(machine.ok());
    if (c.present) {
      ScopedHKey policies;
      ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE,
                                  L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System",
                                  0, nullptr, 0, KEY_ALL_ACCESS, nullptr, policies.receive(),
                                  nullptr),
                ERROR_SUCCESS);
      ASSERT_EQ(::RegSetValueExW(policies.get(), L"ConsentPromptBehaviorAdmin", 0, c.type,
                                 reinterpret_cast<const BYTE*>(&c.value), sizeof(c.value)),
                ERROR_SUCCESS);
    }
    ScopedLogCapture log;
    EXPECT_EQ(AreUACNotificationsEnabled(), c.enabled);
    EXPECT_TRUE(log.Contains(LOG_INFO, "AreUACNotificationsEnabled",
                             "Read HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion"
                             "\\Policies\\System\\ConsentPromptBehaviorAdmin which is \"" +
                                 std::string(c.shown) + "\""))
        << log.Dump();
  }
}

}  // namespace
}  // namespace lite
