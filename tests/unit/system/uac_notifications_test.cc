#include "system/uac_notifications.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/scoped_hkey.h"
#include "captured_log.h"

namespace lite {
namespace {

// HKEY_LOCAL_MACHINE of this process, redirected to a scratch key.
class ScopedMachineScratch {
 public:
  ScopedMachineScratch() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kPath);
    EXPECT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                key_.receive(), nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(::RegOverridePredefKey(HKEY_LOCAL_MACHINE, key_.get()), ERROR_SUCCESS);
  }
  ~ScopedMachineScratch() {
    ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    key_.reset();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kPath);
  }

 private:
  static constexpr wchar_t kPath[] = L"Software\\LiteInstallerTests\\machine";
  ScopedHKey key_;
};

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
    ScopedMachineScratch machine;
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
