#ifndef LITE_CONFIG_LANGUAGE_TABLE_H_
#define LITE_CONFIG_LANGUAGE_TABLE_H_

#include <cstdint>
#include <string>

namespace lite {

inline constexpr uint32_t kEnglishLanguageId = 1033;

// The code of the user's interface language (GetUserDefaultUILanguage) from
// the interface languages the installer has; "en" for any other.
std::string GetUserLanguageCode();
// The code for a Windows language id; "en" when the id is not one of ours.
std::string LanguageCodeForId(uint32_t language_id);
// Exact, case-sensitive lookup; 1033 for anything unknown.
uint32_t LanguageIdForCode(const std::string& code);

}  // namespace lite

#endif  // LITE_CONFIG_LANGUAGE_TABLE_H_
