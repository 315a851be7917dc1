#ifndef LITE_SYSTEM_REGISTRY_HELPERS_H_
#define LITE_SYSTEM_REGISTRY_HELPERS_H_

#include <windows.h>

#include <string>

namespace lite {

// A REG_DWORD value under |root|, opened with |access|; false, leaving
// |value| alone, when the key or a DWORD value of that name is missing.
bool ReadDwordValue(HKEY root, const wchar_t* key_path, const wchar_t* value_name, REGSAM access,
                    DWORD* value);

// String values under HKEY_CURRENT_USER, always in the 32-bit registry view
// so that every build of the installer and the browser's setup meet the
// same values. Each call opens and closes the key itself and logs one line.

// Reads REG_SZ, or REG_EXPAND_SZ with environment variables expanded. Values
// of 1024 characters or more and values of other types cannot be read; on
// failure the thread's last error is ERROR_MORE_DATA, ERROR_CANTREAD or the
// registry's own status.
bool ReadValueFromRegistry(const std::wstring& key_path,
                           const std::wstring& value_name,
                           std::wstring* value);
// Writes a REG_SZ value, creating the key when it does not exist.
bool StoreValueInRegistry(const std::wstring& key_path,
                          const std::wstring& value_name,
                          const std::wstring& value);
// Deletes a value; a value that does not exist is a failure. The key is
// created when it does not exist.
bool RemoveValueFromRegistry(const std::wstring& key_path, const std::wstring& value_name);

// "Software\Zelmar\ZelmarBrowser": where every persistent value of the
// installer lives. Built on first use and kept for the process.
const wchar_t* BrowserRegistryKey();

// The operations above on BrowserRegistryKey(); the read gives empty when
// the value cannot be read.
std::wstring ReadBrowserValue(const std::wstring& value_name);
bool StoreBrowserValue(const std::wstring& value_name, const std::wstring& value);
bool RemoveBrowserValue(const std::wstring& value_name);

// A browser value that names a file or folder; empty when nothing exists at
// that path any more.
std::wstring ReadFilePathFromRegistry(const std::wstring& value_name);

}  // namespace lite

#endif  // LITE_SYSTEM_REGISTRY_HELPERS_H_
