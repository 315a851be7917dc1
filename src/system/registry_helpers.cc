#include "system/registry_helpers.h"

#include <windows.h>

#include <cwchar>

#include "base/file_util.h"
#include "base/scoped_hkey.h"
#include "logging/log_record.h"

namespace lite {
namespace {

// Always the 32-bit view: a 64-bit setup writes there too.
constexpr REGSAM kReadAccess = KEY_READ | KEY_WOW64_32KEY;
constexpr REGSAM kWriteAccess = KEY_WRITE | KEY_WOW64_32KEY;
static_assert(kReadAccess == 0x20219, "read rights");
static_assert(kWriteAccess == 0x20206, "write rights");

// Values are read through a fixed buffer of 2048 bytes.
constexpr DWORD kValueBufferChars = 1024;

constexpr size_t kBrowserKeyBufferChars = MAX_PATH;
constexpr wchar_t kBrowserKeyBase[] = L"Software\\Zelmar\\ZelmarBrowser";
// This program only ever installs the normal mode of the browser.
constexpr wchar_t kInstallModeSuffix[] = L"";

LONG QueryStringValue(HKEY key, const std::wstring& value_name, std::wstring* value) {
  wchar_t buffer[kValueBufferChars];
  DWORD size = sizeof(buffer);
  DWORD type = REG_NONE;
  LONG status = ::RegQueryValueExW(key, value_name.c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(buffer), &size);
  if (status != ERROR_SUCCESS) return status;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_CANTREAD;
  // Another program may have stored the string without its terminating
  // null; one that fills the whole buffer is as long as the limit allows
  // and is refused rather than read past its end.
  const size_t length = ::wcsnlen(buffer, size / sizeof(wchar_t));
  if (length >= kValueBufferChars) return ERROR_MORE_DATA;
  const std::wstring text(buffer, length);
  if (type == REG_SZ) {
    *value = text;
    return ERROR_SUCCESS;
  }
  wchar_t expanded[kValueBufferChars];
  const DWORD needed = ::ExpandEnvironmentStringsW(text.c_str(), expanded, kValueBufferChars);
  if (needed == 0 || needed > kValueBufferChars) return ERROR_MORE_DATA;
  *value = std::wstring(expanded, ::wcsnlen(expanded, kValueBufferChars));
  return ERROR_SUCCESS;
}

LONG OpenOrCreateForWriting(const std::wstring& key_path, ScopedHKey* key) {
  LONG status =
      ::RegOpenKeyExW(HKEY_CURRENT_USER, key_path.c_str(), 0, kWriteAccess, key->receive());
  if (status == ERROR_SUCCESS) return status;
  return ::RegCreateKeyExW(HKEY_CURRENT_USER, key_path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           kWriteAccess, nullptr, key->receive(), nullptr);
}

}  // namespace

bool ReadValueFromRegistry(const std::wstring& key_path,
                           const std::wstring& value_name,
                           std::wstring* value) {
  std::wstring result;
  LONG status;
  {
    ScopedHKey key;
    status = ::RegOpenKeyExW(HKEY_CURRENT_USER, key_path.c_str(), 0, kReadAccess, key.receive());
    if (status == ERROR_SUCCESS) status = QueryStringValue(key.get(), value_name, &result);
  }
  if (status != ERROR_SUCCESS) {
    LOG(INFO, "ReadValueFromRegistry")
        << "Failed to read HKEY_CURRENT_USER\\" << key_path << "\\" << value_name;
    ::SetLastError(status);
    return false;
  }
  LOG(INFO, "ReadValueFromRegistry") << "Read HKEY_CURRENT_USER\\" << key_path << "\\" << value_name
                                     << "which is \"" << result << "\"";
  *value = result;
  return true;
}

bool StoreValueInRegistry(const std::wstring& key_path,
                          const std::wstring& value_name,
                          const std::wstring& value) {
  LONG status;
  {
    ScopedHKey key;
    status = OpenOrCreateForWriting(key_path, &key);
    if (status == ERROR_SUCCESS) {
      const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
      status = ::RegSetValueExW(key.get(), value_name.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(value.c_str()), bytes);
    }
  }
  LOG(INFO, "StoreValueInRegistry")
      << (status == ERROR_SUCCESS ? "Stored" : "Failed to store") << " HKEY_CURRENT_USER\\"
      << key_path << "\\" << value_name << " = " << value;
  if (status != ERROR_SUCCESS) ::SetLastError(status);
  return status == ERROR_SUCCESS;
}

bool RemoveValueFromRegistry(const std::wstring& key_path, const std::wstring& value_name) {
  LONG status;
  {
    ScopedHKey key;
    status = OpenOrCreateForWriting(key_path, &key);
    if (status == ERROR_SUCCESS) status = ::RegDeleteValueW(key.get(), value_name.c_str());
  }
  LOG(INFO, "RemoveValueFromRegistry") << (status == ERROR_SUCCESS ? "Removed" : "Failed to remove")
                                       << " HKEY_CURRENT_USER\\" << key_path << "\\" << value_name;
  if (status != ERROR_SUCCESS) ::SetLastError(status);
  return status == ERROR_SUCCESS;
}

bool ReadDwordValue(HKEY root, const wchar_t* key_path, const wchar_t* value_name, REGSAM access,
                    DWORD* value) {
  ScopedHKey key;
  if (::RegOpenKeyExW(root, key_path, 0, access, key.receive()) != ERROR_SUCCESS) return false;
  DWORD data = 0;
  DWORD size = sizeof(data);
  DWORD type = 0;
  if (::RegQueryValueExW(key.get(), value_name, nullptr, &type, reinterpret_cast<BYTE*>(&data),
                         &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(data)) {
    return false;
  }
  *value = data;
  return true;
}

const wchar_t* BrowserRegistryKey() {
  static const wchar_t* const key = [] {
    static wchar_t buffer[kBrowserKeyBufferChars];
    const std::wstring path = std::wstring(kBrowserKeyBase) + kInstallModeSuffix;
    ::lstrcpynW(buffer, path.c_str(), static_cast<int>(kBrowserKeyBufferChars));
    return buffer;
  }();
  return key;
}

std::wstring ReadBrowserValue(const std::wstring& value_name) {
  std::wstring value;
  if (!ReadValueFromRegistry(BrowserRegistryKey(), value_name, &value)) return std::wstring();
  return value;
}

bool StoreBrowserValue(const std::wstring& value_name, const std::wstring& value) {
  return StoreValueInRegistry(BrowserRegistryKey(), value_name, value);
}

bool RemoveBrowserValue(const std::wstring& value_name) {
  return RemoveValueFromRegistry(BrowserRegistryKey(), value_name);
}

std::wstring ReadFilePathFromRegistry(const std::wstring& value_name) {
  std::wstring path = ReadBrowserValue(value_name);
  if (!path.empty() && !PathExists(path)) path.clear();
  LOG(INFO, "ReadFilePathFromRegistry") << "Read HKEY_CURRENT_USER\\" << BrowserRegistryKey()
                                        << "\\" << value_name << " which is \"" << path << "\"";
  return path;
}

}  // namespace lite
