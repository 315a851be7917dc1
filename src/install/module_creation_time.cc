#include "install/module_creation_time.h"

#include "logging/log_record.h"
#include "system/file_version.h"

namespace lite {

uint64_t FileTimeToMicroseconds(uint64_t file_time) {
  if (file_time == UINT64_MAX) return UINT64_MAX;
  return file_time / 10;
}

bool GetModuleCreationTime(const std::wstring& path, uint64_t* time) {
  uint64_t date = 0;
  const bool has_version = GetFileDate(path, &date);
  if (has_version && date != 0) {
    *time = date;
    return true;
  }
  if (!has_version) {
    LOG(WARNING, "GetModuleCreationTime") << "File version resource is absent in " << path;
  } else {
    LOG(WARNING, "GetModuleCreationTime") << "Version time is 0 in " << path;
  }
  LOG(WARNING, "GetModuleCreationTime") << "Used the last write file time";
  FileTimes times;
  if (!GetFileTimes(path, &times)) return false;
  // The line above names the last write time; the creation time would be
  // the moment a copy of the installer was made, not when it was built.
  *time = FileTimeToMicroseconds(times.last_write);
  return true;
}

}  // namespace lite
