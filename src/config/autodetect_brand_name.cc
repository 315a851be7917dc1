#include "config/autodetect_brand_name.h"

#include <windows.h>

#include "base/string_conversion.h"
#include "config/language_table.h"
#include "logging/log_record.h"

namespace lite {
namespace {

constexpr char kFunction[] = "AutodetectBrandName";

struct AutodetectRow {
  const char* region;  // empty: any
  const char* locale;  // empty: any
  const char* brand_id;
};

constexpr AutodetectRow kAutodetectTable[] = {
    {"RU", "uk", "ua_uk"}, {"RU", "", "zelmar"}, {"UA", "ru", "ua_ru"}, {"UA", "", "ua_uk"},
    {"TR", "", "tb"},      {"", "ru", "zelmar"}, {"", "uk", "ua_uk"},   {"", "tr", "tb"},
};

bool CellMatches(const char* cell, const std::string& value) {
  return *cell == '\0' || value == cell;
}

const AutodetectRow* FindRow(const std::string& region, const std::string& locale) {
  for (const AutodetectRow& row : kAutodetectTable) {
    if (CellMatches(row.region, region) && CellMatches(row.locale, locale)) return &row;
  }
  return nullptr;
}

// The user's nation as two ISO letters, or empty.
std::string GetUserRegion() {
  const GEOID geo = ::GetUserGeoID(GEOCLASS_NATION);
  if (geo == GEOID_NOT_AVAILABLE) return std::string();
  wchar_t letters[3] = {};
  if (::GetGeoInfoW(geo, GEO_ISO2, letters, 3, 0) != 3) return std::string();
  return NarrowLowByte(std::wstring_view(letters, 2));
}

}  // namespace

std::string BrandForRegionAndLocale(const std::string& region, const std::string& locale) {
  const AutodetectRow* row = FindRow(region, locale);
  return row ? row->brand_id : kDefaultBrandName;
}

std::string AutodetectBrandName() {
  const std::string region = GetUserRegion();
  LOG(INFO, kFunction) << "User region: " << region;
  const std::string locale = GetUserLanguageCode();
  LOG(INFO, kFunction) << "User locale: " << locale;
  if (const AutodetectRow* row = FindRow(region, locale)) {
    LOG(INFO, kFunction) << "Detected brand-name: " << row->brand_id;
    return row->brand_id;
  }
  LOG(INFO, kFunction) << "Didn't found brand-name. Use default: " << kDefaultBrandName;
  return kDefaultBrandName;
}

}  // namespace lite
