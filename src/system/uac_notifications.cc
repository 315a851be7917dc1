#include "system/uac_notifications.h"

#include <windows.h>

#include "logging/log_record.h"
#include "system/registry_helpers.h"

namespace lite {
namespace {

constexpr wchar_t kPolicyKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr wchar_t kPolicyValue[] = L"ConsentPromptBehaviorAdmin";

}  // namespace

bool AreUACNotificationsEnabled() {
  // An unreadable setting keeps 0.
  DWORD behavior = 0;
  ReadDwordValue(HKEY_LOCAL_MACHINE, kPolicyKey, kPolicyValue, KEY_READ, &behavior);
  LOG(INFO, "AreUACNotificationsEnabled")
      << "Read HKEY_LOCAL_MACHINE\\" << kPolicyKey << "\\" << kPolicyValue << " which is \""
      << behavior << "\"";
  return behavior != 0;
}

}  // namespace lite
