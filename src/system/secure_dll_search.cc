#include "system/secure_dll_search.h"

#include <windows.h>

#include <string>

#include "base/file_util.h"
#include "base/scoped_handle.h"
#include "process/installer_command_line.h"
#include "process/switches.h"
#include "system/platform_queries.h"

namespace lite {
namespace {

using SetSearchPathModeFn = BOOL(WINAPI*)(DWORD);
using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

constexpr DWORD kSafeSearchPermanent = 0x8001;  // SAFE_SEARCHMODE | PERMANENT
constexpr DWORD kSearchSystem32 = 0x800;        // LOAD_LIBRARY_SEARCH_SYSTEM32
constexpr int kDllsInWorkingDirectoryExit = -200;

std::wstring NewFolderIn(const std::wstring& parent) {
  if (parent.empty()) return std::wstring();
  LARGE_INTEGER counter;
  for (int attempt = 0; attempt < 100; ++attempt) {
    ::QueryPerformanceCounter(&counter);
    wchar_t name[64];
    wsprintfW(name, L"lite_installer_%08lx%04x", counter.LowPart ^ ::GetCurrentProcessId(),
              attempt);
    const std::wstring folder = parent + name;
    if (::CreateDirectoryW(folder.c_str(), nullptr)) return folder;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return std::wstring();
}

void DeleteAtRestart(const std::wstring& path) {
  if (path.size() < MAX_PATH) ::MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

}  // namespace

// Runs a copy of the executable from a fresh folder and waits for it.
int RelaunchFromFreshFolder(const InstallerCommandLine& original, const std::wstring& exe_path,
                            int* exit_code) {
  const std::wstring folder = NewFolderIn(GetTempFolder());
  if (folder.empty()) return kSecureSearchNotSet;
  const std::wstring copy = folder + L"\\" + BaseName(exe_path);
  if (!::CopyFileW(exe_path.c_str(), copy.c_str(), TRUE)) {
    DeleteFolderRecursively(folder);
    return kSecureSearchNotSet;
  }
  DeleteAtRestart(copy);
  DeleteAtRestart(folder);

  InstallerCommandLine command_line = original;
  command_line.SetProgram(copy);
  command_line.AppendSwitch(switches::kSpawnedInProtectedDir);
  std::wstring text = command_line.ToString();

  int result = kSecureSearchNotSet;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (::CreateProcessW(copy.c_str(), &text[0], nullptr, nullptr, FALSE, 0, nullptr,
                       folder.c_str(), &startup, &info)) {
    ScopedHandle process(info.hProcess);
    ScopedHandle thread(info.hThread);
    ::WaitForSingleObject(process.get(), INFINITE);
    uint32_t code = 0;
    if (Platform().GetProcessExitCode(process.get(), &code)) {
      *exit_code = static_cast<int>(code);
      result = *exit_code == kDllsInWorkingDirectoryExit ? kSecureSearchStop
                                                         : kSecureSearchCopyFinished;
    } else {
      result = kSecureSearchStop;
    }
  }
  DeleteFolderRecursively(folder);
  return result;
}

bool FolderHasDllFiles(const wchar_t* folder) {
  WIN32_FIND_DATAW data;
  ScopedFindHandle find(::FindFirstFileW((std::wstring(folder) + L"\\*.dll").c_str(), &data));
  if (!find) return false;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
  } while (::FindNextFileW(find.get(), &data));
  return false;
}

int SetUpSecureDllSearch(int* exit_code) {
  return SetUpSecureDllSearch(InstallerCommandLine::ForCurrentProcess(), exit_code);
}

int SetUpSecureDllSearch(const InstallerCommandLine& command_line, int* exit_code) {
  *exit_code = 0;
  ::SetDllDirectoryW(L"");

  auto set_search_path_mode =
      reinterpret_cast<SetSearchPathModeFn>(Platform().GetKernel32Proc("SetSearchPathMode"));
  auto set_default_dll_directories = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      Platform().GetKernel32Proc("SetDefaultDllDirectories"));
  if (set_search_path_mode && set_default_dll_directories) {
    return set_search_path_mode(kSafeSearchPermanent) &&
                   set_default_dll_directories(kSearchSystem32)
               ? kSecureSearchInForce
               : kSecureSearchNotSet;
  }

  // Older systems: the folder we were started from cannot be taken out of
  // the search order, so run from a folder that holds nothing but us.
  ::SetDllDirectoryW(L"");
  const std::wstring exe = GetExecutablePath();

  if (!command_line.HasSwitch(switches::kRunAsAdmin) &&
      !command_line.HasSwitch(switches::kSpawnedInProtectedDir)) {
    return RelaunchFromFreshFolder(command_line, exe, exit_code);
  }
  return FolderHasDllFiles(DirName(exe).c_str()) ? kSecureSearchDllsFound : kSecureSearchInForce;
}

}  // namespace lite
