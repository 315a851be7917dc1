#ifndef LITE_SYSTEM_PRIVILEGES_H_
#define LITE_SYSTEM_PRIVILEGES_H_

#include <windows.h>

#include <vector>

#include "base/scoped_handle.h"

namespace lite {

// The process's token for queries; invalid on failure.
ScopedHandle GetProcessToken(HANDLE process);

// The token's information of |info_class|, in a buffer exactly as long as
// the system asks for.
bool GetTokenInfo(HANDLE token, TOKEN_INFORMATION_CLASS info_class, std::vector<BYTE>* buffer);

// Whether the process's user is a member of the Administrators group,
// elevated or not: a deny-only group counts.
bool IsUserAnAdminGroup(HANDLE process);

// The shell's own test: whether this process runs with administrator rights.
bool IsUserAnAdmin();

}  // namespace lite

#endif  // LITE_SYSTEM_PRIVILEGES_H_
