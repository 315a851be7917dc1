#ifndef LITE_SYSTEM_REGISTRY_VALUES_H_
#define LITE_SYSTEM_REGISTRY_VALUES_H_

namespace lite {

// Names of the values under BrowserRegistryKey(). The browser's setup reads
// and writes some of them too, so the names never change.
inline constexpr wchar_t kRegValueBrand[] = L"brand";
inline constexpr wchar_t kRegValueBrandFile[] = L"BrandFile";
inline constexpr wchar_t kRegValuePartnerFile[] = L"PartnerFile";
inline constexpr wchar_t kRegValueLang[] = L"lang";
inline constexpr wchar_t kRegValueDistribInfoParams[] = L"DistribInfoParams";
inline constexpr wchar_t kRegValueInstallerData[] = L"InstallerData";
inline constexpr wchar_t kRegValueClidsFile[] = L"ClidsFile";
inline constexpr wchar_t kRegValueClidsSearchbandFile[] = L"ClidsSearchbandFile";
inline constexpr wchar_t kRegValueZelmarWebsiteIconFile[] = L"ZelmarWebsiteIconFile";
inline constexpr wchar_t kRegValueAbtConfigResourceFile[] = L"AbtConfigResourceFile";
inline constexpr wchar_t kRegValueInstallStat[] = L"install_stat";
// The 64-bit download experiment: a decimal number 0 to 2.
inline constexpr wchar_t kRegValueTryX64[] = L"try_x64";
// Written by the browser's setup.
inline constexpr wchar_t kRegValueInstallerSuccessLaunchCmdLine[] =
    L"InstallerSuccessLaunchCmdLine";
inline constexpr wchar_t kRegValueZpv[] = L"zpv";
inline constexpr wchar_t kRegValuePv[] = L"pv";

}  // namespace lite

#endif  // LITE_SYSTEM_REGISTRY_VALUES_H_
