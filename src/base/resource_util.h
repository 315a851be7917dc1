#ifndef LITE_BASE_RESOURCE_UTIL_H_
#define LITE_BASE_RESOURCE_UTIL_H_

#include <windows.h>

#include <string>
#include <string_view>

namespace lite {

// The bytes of resource |name| of type |type| in |module|, in place in the
// loaded module (valid while it stays loaded); empty when the resource is
// absent, empty or cannot be loaded.
std::string_view FindResourceBytes(HMODULE module, const wchar_t* name, const wchar_t* type);

// A copy of those bytes.
std::string LoadResourceBytes(HMODULE module, const wchar_t* name, const wchar_t* type);

// The bytes of a "BIN" resource of the executable, by number or name;
// empty when it is absent.
std::string LoadBinResource(int id);
std::string LoadBinResource(const std::wstring& name);

}  // namespace lite

#endif  // LITE_BASE_RESOURCE_UTIL_H_
