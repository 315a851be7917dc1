#ifndef LITE_BASE_RESOURCE_UTIL_H_
#define LITE_BASE_RESOURCE_UTIL_H_

#include <windows.h>

#include <string>

namespace lite {

// The bytes of resource |name| of type |type| in |module|; empty when it is
// absent or cannot be loaded.
std::string LoadResourceBytes(HMODULE module, const wchar_t* name, const wchar_t* type);

// The bytes of a "BIN" resource of the executable, by number or name;
// empty when it is absent.
std::string LoadBinResource(int id);
std::string LoadBinResource(const std::wstring& name);

}  // namespace lite

#endif  // LITE_BASE_RESOURCE_UTIL_H_
