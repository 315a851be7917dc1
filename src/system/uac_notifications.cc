#include "system/uac_notifications.h"

#include <windows.h>

#include "base/scoped_hkey.h"
#include "logging/log_record.h"

namespace lite {
namespace {

constexpr wchar_t kPolicyKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr char kPolicyKeyText[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr wchar_t kPolicyValue[] = L"ConsentPromptBehaviorAdmin";

}  // namespace

bool AreUACNotificationsEnabled() {
  DWORD behavior = 0;
  HKEY raw_key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPolicyKey, 0, KEY_READ, &raw_key) == ERROR_SUCCESS) {
    ScopedHKey key(raw_key);
    DWORD value = 0;
    DWORD size = sizeof(value);
    DWORD type = 0;
    if (::RegQueryValueExW(key.get(), kPolicyValue, nullptr, &type,
                           reinterpret_cast<BYTE*>(&value), &size) == ERROR_SUCCESS &&
        type == REG_DWORD && size == sizeof(value)) {
      behavior = value;
    }
  }
  LOG(INFO, "AreUACNotificationsEnabled")
      << "Read HKEY_LOCAL_MACHINE\\" << kPolicyKeyText << "\\ConsentPromptBehaviorAdmin which is \""
      << behavior << "\"";
  return behavior != 0;
}

}  // namespace lite
