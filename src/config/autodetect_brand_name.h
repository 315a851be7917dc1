#ifndef LITE_CONFIG_AUTODETECT_BRAND_NAME_H_
#define LITE_CONFIG_AUTODETECT_BRAND_NAME_H_

#include <string>

namespace lite {

// The brand of a download that names none.
inline constexpr char kDefaultBrandName[] = "zelmar";

// The brand for the user's region and interface language (the switch
// "brand-name=auto"), logging what it found.
std::string AutodetectBrandName();

// The table lookup alone: exact, case-sensitive; empty cells match
// anything; "zelmar" when no row matches.
std::string BrandForRegionAndLocale(const std::string& region, const std::string& locale);


}  // namespace lite

#endif  // LITE_CONFIG_AUTODETECT_BRAND_NAME_H_
