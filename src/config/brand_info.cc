#include "config/brand_info.h"

#include <jansson.h>

#include <vector>

#include "base/file_util.h"
#include "base/json_reader.h"
#include "base/resource_util.h"
#include "base/string_conversion.h"
#include "config/autodetect_brand_name.h"
#include "config/cabinet_extractor.h"
#include "config/language_table.h"
#include "config/service_hosts.h"
#include "config/user_id.h"
#include "logging/log_record.h"
#include "system/registry_helpers.h"
#include "system/registry_values.h"

namespace lite {
namespace {

constexpr int kPartnerPackageResource = 320;
constexpr int kDefaultPackageResource = 319;

// Finds "a.b.c" by walking nested objects from the root.
json_t* LookUp(json_t* root, const std::string& key) {
  json_t* node = root;
  size_t start = 0;
  while (true) {
    if (!json_is_object(node)) return nullptr;
    const size_t dot = key.find('.', start);
    const std::string segment = key.substr(start, dot == std::string::npos ? dot : dot - start);
    node = json_object_get(node, segment.c_str());
    if (!node) return nullptr;
    if (dot == std::string::npos) return node;
    start = dot + 1;
  }
}

// The value of |key|, or of |key| without its "install." prefix when the
// first lookup gives nothing of the wanted kind.
template <typename Accept>
json_t* LookUpWithFallback(json_t* root, const std::string& key, Accept accept) {
  json_t* value = LookUp(root, key);
  if (value && accept(value)) return value;
  static const std::string kInstallPrefix = "install.";
  if (key.compare(0, kInstallPrefix.size(), kInstallPrefix) == 0) {
    value = LookUp(root, key.substr(kInstallPrefix.size()));
    if (value && accept(value)) return value;
  }
  return nullptr;
}

void ReadString(json_t* root, const std::string& key, std::string* field) {
  if (!field->empty()) return;
  if (json_t* value = LookUpWithFallback(root, key, [](json_t* v) { return json_is_string(v); })) {
    field->assign(json_string_value(value), json_string_length(value));
  }
}

void ReadTriState(json_t* root, const std::string& key, TriState* field) {
  if (*field != kTriStateNotSet) return;
  if (json_t* value = LookUpWithFallback(root, key, [](json_t* v) { return json_is_boolean(v); })) {
    *field = json_is_true(value) ? kTriStateTrue : kTriStateFalse;
  }
}

void WritePackageCopy(const char* label, const std::wstring& path, const std::string& package) {
  LOG(INFO, "GetInfoFromResources") << label << path << " [" << package.size() << "B]";
  // The setup program finds out for itself whether the copy is usable.
  WriteWholeFile(path, package);
}

}  // namespace

BrandInfo::BrandInfo(std::wstring temporary_folder)
    : temporary_folder(std::move(temporary_folder)) {}

BrandInfo::~BrandInfo() = default;

void BrandInfo::Clear() {
  LOG(INFO, "Clear") << "Reset brand info.";
  for (std::string* field :
       {&setup_url, &versioned_setup_url, &setup_url_64, &versioned_setup_url_64, &setup_url_32,
        &brand_id, &brand_name, &interface_language, &license_url, &privacy_policy_url,
        &partner_id, &mirra_scenarios_url, &slide_url, &slide_url_if_tagged, &new_slide_url,
        &preloaded_wallpapers_url}) {
    field->clear();
  }
  brand_package_path.clear();
  partner_package_path.clear();
  language_id = kEnglishLanguageId;
  mirra_taskbar_shortcut_prompt_state = kTriStateNotSet;
  alternate_installer_title_state = kTriStateNotSet;
  send_statistics_state = kTriStateNotSet;
  make_browser_default_state = kTriStateNotSet;
}

void BrandInfo::GetInfo(const std::string& requested_brand) {
  Clear();
  RemoveBrandFromRegistry();
  brand_package_path = temporary_folder + L"BrandFile";
  partner_package_path = temporary_folder + L"PartnerFile";
  LOG(INFO, "GetInfo") << "Brand package path: " << brand_package_path;
  LOG(INFO, "GetInfo") << "Partner package path: " << partner_package_path;
  GetInfoFromResources(requested_brand);
}

void BrandInfo::GetInfoFromResources(const std::string& requested_brand) {
  constexpr char kFunction[] = "GetInfoFromResources";
  const std::string partner = LoadBinResource(kPartnerPackageResource);
  if (!partner.empty()) {
    WritePackageCopy("Extract Partner package: ", partner_package_path, partner);
    partner_package_extracted = true;
    ReadPackage(partner, "partner_config");
  } else {
    LOG(WARNING, kFunction) << "Partner package is empty.";
  }

  std::string package;
  if (requested_brand == "auto") {
    const std::string id = ToUpperASCII(AutodetectBrandName());
    LOG(INFO, kFunction) << "Fetching autodetected " << id << " package";
    package = LoadBinResource(L"BRAND_" + WidenBytes(id));
  } else if (!requested_brand.empty()) {
    LOG(INFO, kFunction) << "Fetching defined" << requested_brand << " package";
    package = LoadBinResource(L"BRAND_" + WidenBytes(ToUpperASCII(requested_brand)));
  }
  if (package.empty()) {
    LOG(INFO, kFunction) << "Fetching default package";
    package = LoadBinResource(kDefaultPackageResource);
  }
  if (package.empty()) {
    LOG(WARNING, kFunction) << "Brand package is empty.";
    return;
  }
  WritePackageCopy("Extract Brand package: ", brand_package_path, package);
  brand_package_extracted = true;
  ReadPackage(package, "brand_config");
}

void BrandInfo::ReadPackage(const std::string& package, const std::string& file_name) {
  CabinetFiles files;
  ExtractFilesFromCabinet(reinterpret_cast<const uint8_t*>(package.data()),
                          static_cast<uint32_t>(package.size()), &files, file_name);
  const auto it = files.find(file_name);
  if (it == files.end() || !ReadPackageKeys(it->second)) return;
  LogBrandInfo();
}

bool BrandInfo::ReadPackageKeys(const std::string& text) {
  ScopedJson root = ParseJsonWithComments(text);
  // Only an object is a brand record.
  if (!root || !json_is_object(root.get())) return false;
  json_t* json = root.get();

  ReadString(json, "languages.interface", &interface_language);
  language_id = LanguageIdForCode(interface_language);

  struct StringKey {
    const char* key;
    std::string* field;
  };
  const StringKey head[] = {
      {"brand_id", &brand_id},
      {"brand_name", &brand_name},
      {"install.setup_url", &setup_url},
      {"install.setup_url_version", &versioned_setup_url},
      {"install.setup_url64", &setup_url_64},
      {"install.setup_url_version64", &versioned_setup_url_64},
      {"install.setup_url32", &setup_url_32},
      {"license_url", &license_url},
      {"install.conf_policy_url", &privacy_policy_url},
  };
  for (const StringKey& entry : head) ReadString(json, entry.key, entry.field);
  ReadTriState(json, "install.alternate_installer_title", &alternate_installer_title_state);
  ReadTriState(json, "install.send_statistics", &send_statistics_state);
  ReadTriState(json, "install.make_browser_default", &make_browser_default_state);
  const StringKey tail[] = {
      {"partner_id", &partner_id},
      {"install.scenarios_url", &mirra_scenarios_url},
      {"install.slide_url", &slide_url},
      {"install.slide_url_if_tagged", &slide_url_if_tagged},
      {"install.new_slide_url", &new_slide_url},
      {"urls.variations", &variations_url},
      {"urls.abt", &abt_url},
      {"urls.webntp", &webntp_url},
      {"install.preloaded_wallpapers_url", &preloaded_wallpapers_url},
  };
  for (const StringKey& entry : tail) ReadString(json, entry.key, entry.field);
  ReadTriState(json, "install.mirra_taskbar_shortcut_promt", &mirra_taskbar_shortcut_prompt_state);
  return true;
}

void BrandInfo::SetInterfaceLanguage(const std::string& language) {
  interface_language = language;
  language_id = LanguageIdForCode(interface_language);
}

void BrandInfo::ApplyDefaults() {
  if (brand_id.empty()) brand_id = kDefaultBrandName;
  if (brand_name.empty()) brand_name = brand_id;
  if (mirra_scenarios_url.empty()) {
    mirra_scenarios_url = std::string(kDownloadCdnOrigin) + "/browser/installer/mirra/scenarios/";
  }
  if (setup_url.empty()) {
    setup_url = std::string(kDownloadCdnOrigin) + "/browser/" + brand_id + "/browser-setup.arc";
  }
  if (license_url.empty()) license_url = std::string(kLegalSiteOrigin) + "/browser_agreement/";
  if (privacy_policy_url.empty()) privacy_policy_url = std::string(kLegalSiteOrigin) + "/confidential/";
  if (interface_language.empty()) interface_language = GetUserLanguageCode();
  language_id = LanguageIdForCode(interface_language);
  if (variations_url.empty()) {
    variations_url = std::string(kApiOrigin) + "/content/get/experiments/browser.proto";
  }
  if (abt_url.empty()) abt_url = std::string(kAbtApiOrigin) + "/ab/get";
  if (webntp_url.empty()) webntp_url = std::string(kWebNtpOrigin) + "/";
  LogBrandInfo();
}

void BrandInfo::LogBrandInfo() const {
  constexpr char kFunction[] = "LogBrandInfo";
  LOG(INFO, kFunction) << "Brand id: " << brand_id;
  LOG(INFO, kFunction) << "Brand name: " << brand_name;
  LOG(INFO, kFunction) << "Setup url: " << setup_url;
  LOG(INFO, kFunction) << "Versioned setup url: " << versioned_setup_url;
  LOG(INFO, kFunction) << "Setup url64: " << setup_url_64;
  LOG(INFO, kFunction) << "Versioned setup url64: " << versioned_setup_url_64;
  LOG(INFO, kFunction) << "Setup url32: " << setup_url_32;
  LOG(INFO, kFunction) << "Default language: " << interface_language;
  LOG(INFO, kFunction) << "Mirra install scenarios url: " << mirra_scenarios_url;
  LOG(INFO, kFunction) << "Install slide url by default: " << slide_url;
  LOG(INFO, kFunction) << "Install slide url if tagged installer: " << slide_url_if_tagged;
  LOG(INFO, kFunction) << "Install new slide url by default: " << new_slide_url;
  LOG(INFO, kFunction) << "Show international title: " << alternate_installer_title();
  LOG(INFO, kFunction) << "Send browser's statistics: " << send_statistics();
  LOG(INFO, kFunction) << "Make browser default after import: " << make_browser_default();
  LOG(INFO, kFunction) << "Preloaded wallpapers url: " << preloaded_wallpapers_url;
  LOG(INFO, kFunction) << "Mirra taskbar shortcut promt: " << mirra_taskbar_shortcut_prompt();
}

std::string BrandInfo::UserId() const {
#if defined(LITE_TEST_HOOKS)
  if (has_user_id_override_) return user_id_override_;
#endif
  return GetUserIdInternal();
}

std::string BrandInfo::AppendServiceParams(const std::string& url) const {
  const std::pair<const char*, std::string> params[] = {
      {"brand", brand_id},
      {"partner", partner_id},
      {"uid", UserId()},
      {"version", kInstallerVersion},
  };
  std::string result = url;
  for (const auto& [name, value] : params) {
    if (value.empty()) continue;
    result += result.find('?') == std::string::npos ? "?" : "&";
    result += name;
    result += "=";
    result += value;
  }
  return result;
}

std::string BrandInfo::GetVariationsRequestUrl() const {
  return AppendServiceParams(variations_url);
}

std::string BrandInfo::GetAbtRequestUrl() const {
  return AppendServiceParams(abt_url);
}

std::wstring BrandInfo::GetLicenseLinkUrl() const {
  return UTF8ToWide(license_url) + L"?lang=" + UTF8ToWide(interface_language);
}

void BrandInfo::StoreLanguageInRegistry() const {
  StoreBrowserValue(kRegValueLang, WidenBytes(interface_language));
}

void BrandInfo::StoreBrandInRegistry() const {
  StoreBrowserValue(kRegValueBrand, WidenBytes(brand_name));
  StoreBrowserValue(kRegValueBrandFile, brand_package_path);
  if (partner_package_extracted) StoreBrowserValue(kRegValuePartnerFile, partner_package_path);
}

void BrandInfo::RemoveBrandFromRegistry() {
  RemoveBrowserValue(kRegValueBrand);
  RemoveBrowserValue(kRegValueBrandFile);
  RemoveBrowserValue(kRegValuePartnerFile);
}

}  // namespace lite
