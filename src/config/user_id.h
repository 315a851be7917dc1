#ifndef LITE_CONFIG_USER_ID_H_
#define LITE_CONFIG_USER_ID_H_

#include <string>

namespace lite {

// The random identifier of this Windows account that the services receive.
// It lives in "%APPDATA%\Zelmar\ui" (UserIdFile); a registry mark records
// that one was ever created, so that a lost file never leads to a second
// identifier. Returns empty when there is none. Reads the file on every call
// and may be called from any thread.
std::string GetUserIdInternal();

// The path of UserIdFile, or empty on failure; with |create| the folders are
// created too.
std::wstring GetUserIdFilePath(bool create);
// The identifier in UserIdFile, or empty when the file is missing or
// invalid (empty, or longer than 64 bytes).
std::string ReadUserIdFromFile();
// Makes a new identifier, writes UserIdFile and the mark; empty on failure.
std::string GenerateAndStoreUserId();

// Whether the mark "UICreated_<user name>" exists.
bool RegistryValueExist();
// Writes the mark.
bool RememberUidIsCreated();

}  // namespace lite

#endif  // LITE_CONFIG_USER_ID_H_
