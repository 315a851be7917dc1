#ifndef LITE_UI_RESOURCE_STRINGS_H_
#define LITE_UI_RESOURCE_STRINGS_H_

#include <string>

namespace lite {

// Windows language id for a language code ("en", "tr", ...); English for
// unknown codes.
unsigned short LanguageIdForCode(const std::string& code);

// A string from the executable's string table in |language|, falling back
// to English, then to any language the string exists in. Empty if absent.
std::wstring LoadResourceString(const std::string& language, int string_id);

}  // namespace lite

#endif  // LITE_UI_RESOURCE_STRINGS_H_
