#ifndef LITE_SYSTEM_FILE_VERSION_H_
#define LITE_SYSTEM_FILE_VERSION_H_

#include <cstdint>
#include <string>

namespace lite {

// The product version from the file's version resource, most significant
// half in the upper 32 bits. Logs the version it found.
bool GetFileVersion(const std::wstring& path, uint64_t* version);
// "major.minor.build.patch" of the product version, or "0.0.0.0" when the
// file has none.
std::string GetFileVersionString(const std::wstring& path);
// The file date of the version resource, most significant half in the upper
// 32 bits; most files leave it 0.
bool GetFileDate(const std::wstring& path, uint64_t* date);

// File time stamps in 100-nanosecond units since 1601-01-01 UTC.
struct FileTimes {
  uint64_t creation = 0;
  uint64_t last_access = 0;
  uint64_t last_write = 0;
};
bool GetFileTimes(const std::wstring& path, FileTimes* times);

}  // namespace lite

#endif  // LITE_SYSTEM_FILE_VERSION_H_
