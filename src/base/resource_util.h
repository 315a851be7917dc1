#ifndef LITE_BASE_RESOURCE_UTIL_H_
#define LITE_BASE_RESOURCE_UTIL_H_

#include <string>

namespace lite {

// The bytes of a "BIN" resource of the executable, by number or name;
// empty when it is absent.
std::string LoadBinResource(int id);
std::string LoadBinResource(const std::wstring& name);

}  // namespace lite

#endif  // LITE_BASE_RESOURCE_UTIL_H_
