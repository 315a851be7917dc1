#ifndef LITE_CONFIG_BRAND_INFO_H_
#define LITE_CONFIG_BRAND_INFO_H_

#include <cstdint>
#include <string>

namespace lite {

// A three-valued package option.
enum TriState : uint32_t {
  kTriStateNotSet = 0,
  kTriStateTrue = 1,
  kTriStateFalse = 2,
};

// The distribution channel's configuration: filled at start-up from the
// partner package, then the brand package (the first value found wins),
// then defaults; read-only afterwards.
class BrandInfo {
 public:
  explicit BrandInfo(std::wstring temporary_folder);
  BrandInfo(const BrandInfo&) = delete;
  BrandInfo& operator=(const BrandInfo&) = delete;
  virtual ~BrandInfo();
  virtual void Clear();

  // Selects and reads the packages for |brand_name| ("auto", a brand id or
  // empty), writing the package copies for the setup program.
  void GetInfo(const std::string& brand_name);
  // Extracts |file_name| from the package cabinet and reads its keys; the
  // brand record is logged only for a package that was read.
  void ReadPackage(const std::string& package, const std::string& file_name);
  // Reads the known keys from package text (JSON with comments) into the
  // fields that are still empty. Text that does not parse contributes
  // nothing and gives false.
  bool ReadPackageKeys(const std::string& text);
  void ApplyDefaults();
  void LogBrandInfo() const;

  // Sets the interface language and keeps the language id in step.
  void SetInterfaceLanguage(const std::string& language);

  std::string GetVariationsRequestUrl() const;
  std::string GetAbtRequestUrl() const;
  std::wstring GetLicenseLinkUrl() const;
  // Appends brand, partner, uid and version (those not empty) as query
  // parameters, unencoded.
  std::string AppendServiceParams(const std::string& url) const;

  bool alternate_installer_title() const { return alternate_installer_title_state == kTriStateTrue; }
  bool send_statistics() const { return send_statistics_state < kTriStateFalse; }
  bool make_browser_default() const { return make_browser_default_state < kTriStateFalse; }
  bool mirra_taskbar_shortcut_prompt() const {
    return mirra_taskbar_shortcut_prompt_state == kTriStateTrue;
  }

  // The registry copies the setup program and later runs read.
  void StoreLanguageInRegistry() const;
  void StoreBrandInRegistry() const;
  static void RemoveBrandFromRegistry();

#if defined(LITE_TEST_HOOKS)
  // For tests: the user identifier AppendServiceParams sends.
  void set_user_id_for_testing(const std::string& uid) {
    user_id_override_ = uid;
    has_user_id_override_ = true;
  }
#endif

  std::string setup_url;
  std::string versioned_setup_url;
  std::string setup_url_64;
  std::string versioned_setup_url_64;
  std::string setup_url_32;
  std::string brand_id;
  std::string brand_name;
  std::string interface_language;
  uint32_t language_id = 1033;
  std::string license_url;
  std::string privacy_policy_url;
  const std::wstring temporary_folder;
  std::wstring brand_package_path;
  std::wstring partner_package_path;
  std::string partner_id;
  std::string mirra_scenarios_url;
  std::string slide_url;
  std::string slide_url_if_tagged;
  std::string new_slide_url;
  std::string variations_url;
  std::string abt_url;
  std::string webntp_url;
  std::string preloaded_wallpapers_url;
  TriState mirra_taskbar_shortcut_prompt_state = kTriStateNotSet;
  bool brand_package_extracted = false;
  bool partner_package_extracted = false;
  TriState alternate_installer_title_state = kTriStateNotSet;
  TriState send_statistics_state = kTriStateNotSet;
  TriState make_browser_default_state = kTriStateNotSet;

 private:
  void GetInfoFromResources(const std::string& brand_name);
  std::string UserId() const;

#if defined(LITE_TEST_HOOKS)
  std::string user_id_override_;
  bool has_user_id_override_ = false;
#endif
};

}  // namespace lite

#endif  // LITE_CONFIG_BRAND_INFO_H_
