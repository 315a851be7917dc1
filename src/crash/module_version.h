#ifndef LITE_CRASH_MODULE_VERSION_H_
#define LITE_CRASH_MODULE_VERSION_H_

#include <windows.h>

#include <string>

namespace lite {

// The fixed file information of a module's version resource, its flags
// masked with the flags mask; false when the file has none.
bool GetModuleVersion(const std::wstring& file_name, VS_FIXEDFILEINFO* info);

}  // namespace lite

#endif  // LITE_CRASH_MODULE_VERSION_H_
