#include <gtest/gtest.h>

#include "config/autodetect_brand_name.h"
#include "config/language_table.h"

namespace lite {
namespace {

TEST(LanguageTableTest, MapsCodesExactly) {
  struct Case {
    const char* code;
    uint32_t id;
  };
  const Case cases[] = {
      {"ru", 1049}, {"uk", 1058}, {"tr", 1055}, {"en", 1033},   {"uz", 1091},
      {"pt-BR", 1046}, {"zh-TW", 1028}, {"RU", 1033}, {"pt", 1033}, {"", 1033},
      {"zh-cn", 1033}, {"rus", 1033}, {"kk\0", 1087},
  };
  for (const auto& c : cases) EXPECT_EQ(LanguageIdForCode(c.code), c.id) << c.code;
}

// The sixteen interface languages, both ways; a display language that is
// not one of them (what GetUserLanguageCode looks up) gives English.
TEST(LanguageTableTest, EveryInterfaceLanguageBothWays) {
  struct Case {
    const char* code;
    uint32_t id;
  };
  const Case languages[] = {
      {"en", 1033},    {"ru", 1049},    {"uk", 1058},    {"tr", 1055}, {"de", 1031}, {"es", 3082},
      {"fr", 1036},    {"it", 1040},    {"ja", 1041},    {"pt-PT", 2070}, {"pt-BR", 1046},
      {"zh-CN", 2052}, {"zh-TW", 1028}, {"kk", 1087},    {"uz", 1091}, {"cs", 1029},
  };
  for (const auto& c : languages) {
    EXPECT_EQ(LanguageIdForCode(c.code), c.id) << c.code;
    EXPECT_EQ(LanguageCodeForId(c.id), c.code) << c.id;
  }
  const Case others[] = {
      {"en", 2057},  // English (United Kingdom)
      {"en", 1034},  // Spanish, traditional sort: only the modern sort is ours
      {"en", 2058},  // Spanish (Mexico)
      {"en", 4100},  // Chinese (Singapore)
      {"en", 2115},  // Uzbek (Cyrillic)
      {"en", 1053},  // Swedish
      {"en", 0},
  };
  for (const auto& c : others) EXPECT_EQ(LanguageCodeForId(c.id), c.code) << c.id;
}

TEST(AutodetectBrandNameTest, FirstMatchingRowWins) {
  struct Case {
    const char* region;
    const char* locale;
    const char* brand;
  };
  const Case cases[] = {
      {"RU", "uk", "ua_uk"}, {"RU", "en", "zelmar"}, {"UA", "ru", "ua_ru"}, {"UA", "de", "ua_uk"},
      {"TR", "ru", "tb"},    {"DE", "ru", "zelmar"}, {"", "uk", "ua_uk"},    {"KZ", "tr", "tb"},
      {"DE", "en", "zelmar"}, {"", "", "zelmar"},    {"ua", "ru", "zelmar"},  // case-sensitive
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BrandForRegionAndLocale(c.region, c.locale), c.brand) << c.region << "/" << c.locale;
  }
}

}  // namespace
}  // namespace lite
