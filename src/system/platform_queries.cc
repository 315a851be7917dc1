#include "system/platform_queries.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "system/privileges.h"
#include "system/registry_helpers.h"

namespace lite {
namespace {

PlatformQueries*& CurrentOverride() {
  static PlatformQueries* queries = nullptr;
  return queries;
}

uint32_t ReadUpdateBuildRevision() {
  DWORD revision = 0;
  ReadDwordValue(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", L"UBR",
                 KEY_QUERY_VALUE | KEY_WOW64_64KEY, &revision);
  return revision;
}

#if defined(LITE_TEST_HOOKS)
// Wine counts every user as an administrator; end-to-end runs that are not
// about elevation play a standard user with LITE_TEST_USER=standard.
bool PlaysStandardUser() {
  wchar_t value[16] = {};
  return ::GetEnvironmentVariableW(L"LITE_TEST_USER", value, 16) == 8 &&
         std::wstring(value) == L"standard";
}
#endif

}  // namespace

PlatformQueries::~PlatformQueries() = default;

bool PlatformQueries::IsProcessorFeaturePresent(uint32_t feature) {
  return ::IsProcessorFeaturePresent(feature) != FALSE;
}

WindowsVersion PlatformQueries::GetWindowsVersion() {
  // GetVersionEx lies to programs without a matching manifest entry;
  // RtlGetVersion does not.
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  WindowsVersion version;
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  auto rtl_get_version = reinterpret_cast<RtlGetVersionFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  if (rtl_get_version && rtl_get_version(&info) == 0) {
    version.major = info.dwMajorVersion;
    version.minor = info.dwMinorVersion;
    version.build = info.dwBuildNumber;
  }
  if (version.major >= 10) version.revision = ReadUpdateBuildRevision();
  return version;
}

void* PlatformQueries::GetKernel32Proc(const char* name) {
  return reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), name));
}

bool PlatformQueries::GetFolderPath(int csidl, std::wstring* path) {
  wchar_t buffer[MAX_PATH];
  if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buffer))) return false;
  *path = buffer;
  return true;
}

bool PlatformQueries::GetFreeDiskSpace(const std::wstring& folder, uint64_t* bytes) {
  ULARGE_INTEGER available;
  if (!::GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr)) return false;
  *bytes = available.QuadPart;
  return true;
}

uint16_t PlatformQueries::GetNativeProcessorArchitecture() {
  SYSTEM_INFO info = {};
  ::GetNativeSystemInfo(&info);
  return info.wProcessorArchitecture;
}

bool PlatformQueries::GetTotalPhysicalMemory(uint64_t* bytes) {
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof(status);
  if (!::GlobalMemoryStatusEx(&status)) return false;
  *bytes = status.ullTotalPhys;
  return true;
}

bool PlatformQueries::GetProcessExitCode(void* process, uint32_t* code) {
  DWORD value = 0;
  if (!::GetExitCodeProcess(process, &value)) return false;
  *code = value;
  return true;
}

PlatformQueries& Platform() {
  static PlatformQueries real;
  return CurrentOverride() ? *CurrentOverride() : real;
}

ScopedPlatformQueriesOverride::ScopedPlatformQueriesOverride(PlatformQueries* queries)
    : previous_(CurrentOverride()) {
  CurrentOverride() = queries;
}

ScopedPlatformQueriesOverride::~ScopedPlatformQueriesOverride() {
  CurrentOverride() = previous_;
}

bool PlatformQueries::IsUserInAdminGroup() {
#if defined(LITE_TEST_HOOKS)
  if (PlaysStandardUser()) return false;
#endif
  return IsUserAnAdminGroup(::GetCurrentProcess());
}

bool PlatformQueries::IsRunningAsAdmin() {
#if defined(LITE_TEST_HOOKS)
  if (PlaysStandardUser()) return false;
#endif
  return IsUserAnAdmin();
}

}  // namespace lite
