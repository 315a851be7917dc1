#ifndef LITE_SYSTEM_SECURE_DLL_SEARCH_H_
#define LITE_SYSTEM_SECURE_DLL_SEARCH_H_

#include <string>

namespace lite {

class InstallerCommandLine;

// Results of SetUpSecureDllSearch.
enum SecureDllSearchResult : int {
  kSecureSearchStop = 0,          // the relaunched copy found an unsafe folder
  kSecureSearchNotSet = 1,        // securing the search order failed; go on
  kSecureSearchInForce = 2,       // the search order is secured
  kSecureSearchDllsFound = 3,     // DLL files lie next to the executable
  kSecureSearchCopyFinished = 4,  // a relaunched copy did the work
};

// Keeps libraries planted next to the installer (a download folder) from
// being loaded. Where the system cannot restrict the search order, the
// installer reruns itself from a fresh temporary folder and forwards the
// copy's exit code through |exit_code|. Runs before logging exists.
int SetUpSecureDllSearch(int* exit_code);
// The same for a given command line: the relaunched copy gets its switches.
int SetUpSecureDllSearch(const InstallerCommandLine& command_line, int* exit_code);

// The older systems' scheme on its own: runs a copy of |exe_path| from a
// fresh temporary folder with |command_line|'s switches and waits for it.
int RelaunchFromFreshFolder(const InstallerCommandLine& command_line, const std::wstring& exe_path,
                            int* exit_code);

// True if |folder| directly holds a file matching "*.dll".
bool FolderHasDllFiles(const wchar_t* folder);

}  // namespace lite

#endif  // LITE_SYSTEM_SECURE_DLL_SEARCH_H_
