#include "system/disk_space.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "logging/log_record.h"
#include "system/platform_queries.h"

namespace lite {

bool HasEnoughDiskSpace(bool system_level, uint64_t required_bytes) {
  std::wstring folder;
  if (!Platform().GetFolderPath(system_level ? CSIDL_PROGRAM_FILES : CSIDL_LOCAL_APPDATA,
                                &folder)) {
    LOG(INFO, "HasEnoughDiskSpace") << "SHGetFolderPath failed";
    return true;
  }
  uint64_t available = 0;
  if (!Platform().GetFreeDiskSpace(folder, &available)) {
    LOG(INFO, "HasEnoughDiskSpace") << "GetDiskFreeSpaceEx failed";
    return true;
  }
  if (available >= required_bytes) return true;
  LOG(INFO, "HasEnoughDiskSpace") << "There is not enough disk space to install browser";
  return false;
}

}  // namespace lite
