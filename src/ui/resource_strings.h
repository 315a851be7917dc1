#ifndef LITE_UI_RESOURCE_STRINGS_H_
#define LITE_UI_RESOURCE_STRINGS_H_

#include <cstdint>
#include <string>

namespace lite {

// A string from the executable's string table in |language_id| (every
// interface language has its own). Empty if absent.
std::wstring LoadUiString(int string_id, uint32_t language_id);

}  // namespace lite

#endif  // LITE_UI_RESOURCE_STRINGS_H_
