#ifndef LITE_SYSTEM_PLATFORM_QUERIES_H_
#define LITE_SYSTEM_PLATFORM_QUERIES_H_

#include <cstdint>
#include <string>

namespace lite {

struct WindowsVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  uint32_t revision = 0;  // the update build revision ("UBR")
};

// The few facts about the machine that decisions depend on. Tests replace
// the answers with ScopedPlatformQueriesOverride; everything else calls the
// real system.
class PlatformQueries {
 public:
  virtual ~PlatformQueries();

  virtual bool IsProcessorFeaturePresent(uint32_t feature);
  virtual WindowsVersion GetWindowsVersion();
  // GetProcAddress on the already loaded kernel32.dll.
  virtual void* GetKernel32Proc(const char* name);
  // SHGetFolderPathW for a CSIDL; false on failure.
  virtual bool GetFolderPath(int csidl, std::wstring* path);
  // Bytes available to the caller on the volume of |folder|.
  virtual bool GetFreeDiskSpace(const std::wstring& folder, uint64_t* bytes);
  // GetNativeSystemInfo's wProcessorArchitecture: the machine's own
  // processor, not the one this 32-bit program is emulated on.
  virtual uint16_t GetNativeProcessorArchitecture();
  // GlobalMemoryStatusEx's ullTotalPhys; false when the query fails.
  virtual bool GetTotalPhysicalMemory(uint64_t* bytes);
  // GetExitCodeProcess on a process handle; false when it cannot be read.
  virtual bool GetProcessExitCode(void* process, uint32_t* code);
  // IsUserAnAdminGroup of this process: Wine counts every user in.
  virtual bool IsUserInAdminGroup();
  // IsUserAnAdmin: true for every process under Wine.
  virtual bool IsRunningAsAdmin();
};

PlatformQueries& Platform();

class ScopedPlatformQueriesOverride {
 public:
  explicit ScopedPlatformQueriesOverride(PlatformQueries* queries);
  ScopedPlatformQueriesOverride(const ScopedPlatformQueriesOverride&) = delete;
  ScopedPlatformQueriesOverride& operator=(const ScopedPlatformQueriesOverride&) = delete;
  ~ScopedPlatformQueriesOverride();

 private:
  PlatformQueries* previous_;
};

}  // namespace lite

#endif  // LITE_SYSTEM_PLATFORM_QUERIES_H_
