#include "system/privileges.h"

#include "logging/log_record.h"

namespace lite {
namespace {

// Exported by ordinal only on older systems.
constexpr WORD kIsUserAnAdminOrdinal = 680;

}  // namespace

ScopedHandle GetProcessToken(HANDLE process) {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(process, TOKEN_QUERY, &token)) {
    PLOG(ERROR, "GetProcessToken") << "OpenProcessToken fail";
    return ScopedHandle();
  }
  return ScopedHandle(token);
}

bool GetTokenInfo(HANDLE token, TOKEN_INFORMATION_CLASS info_class, std::vector<BYTE>* buffer) {
  DWORD length = 0;
  ::GetTokenInformation(token, info_class, nullptr, 0, &length);
  if (length == 0) return false;
  buffer->assign(length, 0);
  if (!::GetTokenInformation(token, info_class, buffer->data(), length, &length)) {
    PLOG(ERROR, "GetTokenInfo") << "GetTokenInformation failed";
    buffer->clear();
    return false;
  }
  return true;
}

bool IsUserAnAdminGroup(HANDLE process) {
  const ScopedHandle token = GetProcessToken(process);
  if (!token.is_valid()) return false;
  BYTE admins[SECURITY_MAX_SID_SIZE] = {};
  DWORD size = sizeof(admins);
  if (!::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins, &size)) {
    PLOG(ERROR, "IsUserAnAdminGroup") << "CreateWellKnownSid failed";
    return false;
  }
  std::vector<BYTE> buffer;
  if (!GetTokenInfo(token.get(), TokenGroups, &buffer)) return false;
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
  for (DWORD i = 0; i < groups->GroupCount; ++i) {
    if (::EqualSid(groups->Groups[i].Sid, admins)) return true;
  }
  return false;
}

bool IsUserAnAdmin() {
  using IsUserAnAdminFn = BOOL(WINAPI*)();
  const auto is_admin = reinterpret_cast<IsUserAnAdminFn>(reinterpret_cast<void*>(::GetProcAddress(
      ::GetModuleHandleW(L"shell32.dll"), MAKEINTRESOURCEA(kIsUserAnAdminOrdinal))));
  return is_admin && is_admin() != FALSE;
}

}  // namespace lite
