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
  EXPECT_EQ(LanguageCodeForId(1058), "uk");
  EXPECT_EQ(LanguageCodeForId(2070), "pt-PT");
  EXPECT_EQ(LanguageCodeForId(2057), "en");  // English (UK) is not one of ours
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
