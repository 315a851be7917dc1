#ifndef LITE_INSTALL_MODULE_CREATION_TIME_H_
#define LITE_INSTALL_MODULE_CREATION_TIME_H_

#include <cstdint>
#include <string>

namespace lite {

// The build time of an executable in microseconds since 1601-01-01 UTC:
// the file date of its version resource, or, when that is missing or 0,
// the file's last write time. False when neither can be read.
bool GetModuleCreationTime(const std::wstring& path, uint64_t* time);

// FILETIME units (100 ns) to microseconds; 0 and the largest value, which
// mean "none" and "never", keep their meaning.
uint64_t FileTimeToMicroseconds(uint64_t file_time);

}  // namespace lite

#endif  // LITE_INSTALL_MODULE_CREATION_TIME_H_
