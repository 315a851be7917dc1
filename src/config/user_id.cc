#include "config/user_id.h"

#include <windows.h>
#include <lmcons.h>
#include <objbase.h>
#include <shlobj.h>

#include <mutex>

#include "base/file_util.h"
#include "base/scoped_handle.h"
#include "base/scoped_hkey.h"
#include "base/string_conversion.h"
#include "logging/log_record.h"
#include "system/platform_queries.h"

namespace lite {
namespace {

constexpr wchar_t kMarkKey[] = L"Software\\Zelmar";
// Where a low-integrity browser process can see the mark too.
constexpr wchar_t kLowIntegrityMarkKey[] = L"Software\\AppDataLow\\Zelmar";
constexpr wchar_t kMarkPrefix[] = L"UICreated_";
constexpr size_t kMaxUserIdBytes = 64;

bool IsVistaOrLater() {
  return Platform().GetWindowsVersion().major >= 6;
}

bool GetMarkName(std::wstring* name) {
  wchar_t user[UNLEN + 1];
  DWORD size = UNLEN + 1;
  if (!::GetUserNameW(user, &size)) return false;
  *name = kMarkPrefix;
  *name += user;
  return true;
}

bool MarkExistsUnder(const wchar_t* key_path, const std::wstring& name) {
  ScopedHKey key;
  const LONG status = ::RegOpenKeyExW(HKEY_CURRENT_USER, key_path, 0, KEY_READ, key.receive());
  if (status != ERROR_SUCCESS) {
    if (status != ERROR_FILE_NOT_FOUND) {
      LogRecord(LOG_ERROR, "RegistryValueExist", __LINE__, SystemErrorText(status))
          << "Can't open registry key: " << key_path;
    }
    return false;
  }
  return ::RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
}

// The whole file if it holds at most |limit| bytes.
bool ReadSmallFile(const std::wstring& path, size_t limit, std::string* data) {
  ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  // One byte more than allowed tells a full file from a longer one.
  std::string buffer(limit + 1, '\0');
  DWORD read = 0;
  if (!::ReadFile(file.get(), &buffer[0], static_cast<DWORD>(buffer.size()), &read, nullptr) ||
      read > limit) {
    return false;
  }
  buffer.resize(read);
  *data = buffer;
  return true;
}

std::string NewGuidText() {
  GUID guid;
  if (FAILED(::CoCreateGuid(&guid))) return std::string();
  wchar_t text[40];
  const int length = ::StringFromGUID2(guid, text, 40);
  if (length <= 1) return std::string();
  return NarrowLowByte(std::wstring_view(text, length - 1));
}

// Threads of one run would otherwise each find no file on the first run and
// each create an identifier of their own. Recursive, because the crash
// reporter may ask from a thread that crashed while holding it.
std::recursive_mutex& UserIdLock() {
  static std::recursive_mutex lock;
  return lock;
}

}  // namespace

std::wstring GetUserIdFilePath(bool create) {
  wchar_t app_data[MAX_PATH];
  if (!::SHGetSpecialFolderPathW(nullptr, app_data, CSIDL_APPDATA, create ? TRUE : FALSE)) {
    PLOG(ERROR, "GetUserIdFilePath") << "Can't get path to AppData folder";
    return std::wstring();
  }
  const std::wstring folder = std::wstring(app_data) + L"\\Zelmar";
  if (create && !CreateDirectoryWithAncestors(folder)) {
    PLOG(ERROR, "GetUserIdFilePath") << "Can't create directory: " << folder;
    return std::wstring();
  }
  return folder + L"\\ui";
}

std::string ReadUserIdFromFile() {
  const std::wstring path = GetUserIdFilePath(false);
  if (path.empty()) return std::string();
  std::string content;
  // One byte beyond the longest identifier is still read, so that it is
  // reported as bad content rather than as an unreadable file.
  if (!ReadSmallFile(path, kMaxUserIdBytes + 1, &content)) {
    LOG(ERROR, "ReadUserIdFromFile") << "Failed to read file " << path;
    return std::string();
  }
  if (content.empty() || content.size() > kMaxUserIdBytes) {
    LOG(ERROR, "ReadUserIdFromFile") << "Incorrect User ID file content";
    return std::string();
  }
  return content;
}

std::string GenerateAndStoreUserId() {
  const std::string user_id = NewGuidText();
  const std::wstring path = GetUserIdFilePath(true);
  if (path.empty()) return std::string();
  if (user_id.empty() || !WriteWholeFile(path, user_id)) {
    LOG(ERROR, "GenerateAndStoreUserId") << "Can't write file " << path;
    return std::string();
  }
  if (!RememberUidIsCreated()) {
    LOG(ERROR, "GenerateAndStoreUserId") << "Can't create 'UI created' entry";
    return std::string();
  }
  return user_id;
}

std::string GetUserIdInternal() {
  std::lock_guard<std::recursive_mutex> hold(UserIdLock());
  std::string user_id = ReadUserIdFromFile();
  if (!user_id.empty()) return user_id;
  if (RegistryValueExist()) {
    LOG(INFO, "GetUserIdInternal") << "Registry entry already exists, skip User ID file generation";
    return std::string();
  }
  return GenerateAndStoreUserId();
}

bool RegistryValueExist() {
  std::wstring name;
  if (!GetMarkName(&name)) return false;
  if (MarkExistsUnder(kMarkKey, name)) return true;
  if (!IsVistaOrLater()) return false;
  return MarkExistsUnder(kLowIntegrityMarkKey, name);
}

bool RememberUidIsCreated() {
  std::wstring name;
  if (!GetMarkName(&name)) return false;
  const wchar_t* key_path = IsVistaOrLater() ? kLowIntegrityMarkKey : kMarkKey;
  ScopedHKey key;
  LONG status = ::RegCreateKeyExW(HKEY_CURRENT_USER, key_path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_SET_VALUE, nullptr, key.receive(), nullptr);
  if (status != ERROR_SUCCESS) {
    LogRecord(LOG_ERROR, "RememberUidIsCreated", __LINE__, SystemErrorText(status))
        << "Can't open registry key: " << key_path;
    return false;
  }
  const DWORD created = 1;
  status = ::RegSetValueExW(key.get(), name.c_str(), 0, REG_DWORD,
                            reinterpret_cast<const BYTE*>(&created), sizeof(created));
  if (status != ERROR_SUCCESS) {
    LogRecord(LOG_ERROR, "RememberUidIsCreated", __LINE__, SystemErrorText(status))
        << "Can't create registry value '" << name << "' at '" << key_path;
    return false;
  }
  return true;
}

}  // namespace lite
