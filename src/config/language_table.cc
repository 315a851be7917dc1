#include "config/language_table.h"

#include <windows.h>

namespace lite {
namespace {

struct Language {
  const char* code;
  uint32_t id;
};

constexpr Language kLanguages[] = {
    {"en", 1033},    {"ru", 1049},    {"uk", 1058},    {"tr", 1055},    {"de", 1031},
    {"es", 3082},    {"fr", 1036},    {"it", 1040},    {"ja", 1041},    {"pt-PT", 2070},
    {"pt-BR", 1046}, {"zh-CN", 2052}, {"zh-TW", 1028}, {"kk", 1087},    {"uz", 1091},
    {"cs", 1029},
};

}  // namespace

std::string LanguageCodeForId(uint32_t language_id) {
  for (const Language& language : kLanguages) {
    if (language.id == language_id) return language.code;
  }
  return "en";
}

std::string GetUserLanguageCode() {
  return LanguageCodeForId(::GetUserDefaultUILanguage());
}

uint32_t LanguageIdForCode(const std::string& code) {
  // Two-letter codes only match two-letter entries, five-character codes
  // only the regional ones; nothing else matches at all.
  if (code.size() != 2 && code.size() != 5) return kEnglishLanguageId;
  for (const Language& language : kLanguages) {
    if (code == language.code) return language.id;
  }
  return kEnglishLanguageId;
}

}  // namespace lite
