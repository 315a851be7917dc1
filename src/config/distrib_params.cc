#include "config/distrib_params.h"

#include <windows.h>

#include <cstdlib>

#include "base/file_util.h"
#include "base/string_conversion.h"
#include "config/brand_info.h"
#include "config/installer_tag_file.h"
#include "config/service_hosts.h"
#include "logging/log_record.h"
#include "process/installer_command_line.h"
#include "process/switches.h"
#include "system/registry_helpers.h"
#include "system/registry_values.h"

namespace lite {

DistribParams::DistribParams() = default;
DistribParams::~DistribParams() = default;

bool DistribParams::GetParam(const std::string& key, std::string* value) const {
  const auto it = params_.find(key);
  if (it == params_.end()) return false;
  *value = it->second;
  return true;
}

void DistribParams::StoreRawParams(const std::string& text) {
  StoreBrowserValue(kRegValueDistribInfoParams, WidenBytes(text));
}

std::wstring DistribParams::GetTaggedFilePath() {
  return GetExecutablePath();
}

bool DistribParams::Initialize(const InstallerCommandLine& command_line,
                               const std::wstring& temporary_folder) {
  std::string text = command_line.GetSwitchValueASCII(switches::kDistrInfoParams);
  if (text.empty()) {
    const std::wstring path = GetTaggedFilePath();
    if (!path.empty()) text = ReadInstallerTag(path);
  }
  if (!text.empty()) StoreRawParams(text);
  params_ = ParseDistribParamsText(text);

  if (!params_.empty()) {
    dump_path_ = temporary_folder + L"distrib_info";
    const std::optional<std::string> json = DistribParamsToJson(params_);
    if (!json) {
      PLOG(ERROR, "CreateJsonFromDistribParams") << "Can't create json dump";
    } else if (!WriteWholeFile(dump_path_, *json)) {
      PLOG(ERROR, "CreateJsonFromDistribParams") << "Write json to file error";
    }
  }
  return !dump_path_.empty();
}

bool DistribParams::GetBoolParam(const std::string& key, bool* value) const {
  std::string text;
  *value = false;
  if (!GetParam(key, &text)) return false;
  if (text == "1") {
    *value = true;
    return true;
  }
  return text == "2";
}

bool DistribParams::IsParamOne(const std::string& key) const {
  std::string text;
  return GetParam(key, &text) && text == "1";
}

bool DistribParams::IsRetryAfterFailedInstall() const {
  std::string code;
  return GetParam("code", &code) && code == "lite_install_failed";
}

bool DistribParams::GetMakeDefault(bool* value) const {
  return GetBoolParam("def", value);
}

bool DistribParams::UseAlternativeMirraWording() const {
  return IsParamOne("disal");
}

bool DistribParams::GetStatistics(bool* value) const {
  if (GetBoolParam("stat", value)) return true;
  std::string promo;
  if (!GetParam("statpromo", &promo)) return false;
  *value = promo == "true";
  return true;
}

bool DistribParams::GetMirraShortcut(bool* value) const {
  return GetBoolParam("mirrashortcut", value);
}

bool DistribParams::StartAtOnce() const {
  bool unused;
  return IsParamOne("first") && GetBoolParam("def", &unused) && GetStatistics(&unused);
}

bool DistribParams::ShowCancelButton() const {
  return IsParamOne("cancel");
}

bool DistribParams::UseTaskScheduler() const {
  return IsParamOne("uts2");
}

int DistribParams::GetElevationMode(const InstallerCommandLine& command_line) const {
  if (command_line.HasSwitch(switches::kSystemLevel) ||
      command_line.HasSwitch(switches::kProgramFilesInstallation)) {
    return 0;
  }
  std::string uac;
  if (!GetParam("uac", &uac)) return 0;
  // Leading white space and a sign, then digits; the rest is ignored. A
  // number outside 32 bits is no valid mode.
  const long long number = std::strtoll(uac.c_str(), nullptr, 10);
  if (number == 1 || number == 2) return static_cast<int>(number);
  if (number == 0) return StartAtOnce() ? 1 : 0;
  return 0;
}

std::string BuildDownloadPageUrl(const BrandInfo& brand_info, const DistribParams& params) {
  struct Suffix {
    const char* brand_id;
    const char* suffix;
  };
  // Brand ids are written "ua_uk"; the hyphenated keys stay for any
  // caller that still spells them that way.
  static constexpr Suffix kSuffixes[] = {
      {"by", "by"},    {"int", "com"},   {"tb", "com.tr"}, {"ua", "ua"},     {"ua_uk", "ua"},
      {"ua_ru", "ua"}, {"ua-uk", "ua"}, {"ua-ru", "ua"},   {"zelmar", "ru"},
  };
  const char* suffix = "ru";
  for (const Suffix& entry : kSuffixes) {
    if (brand_info.brand_id == entry.brand_id) suffix = entry.suffix;
  }
  static constexpr const char* kPassThrough[] = {
      "banerid", "beta", "betacusto", "bgid", "calypso", "custo", "expcalypso",
      "football", "lang", "partner_id", "panno", "zlpartner_id",
  };
  std::string url = std::string("https://") + kBrowserSiteBaseHost + "." + suffix + "/download?";
  for (const auto& [key, value] : params.params()) {
    for (const char* pass : kPassThrough) {
      if (key == pass) url += key + "=" + value + "&";
    }
  }
  return url + "full=1&code=lite_install_failed";
}

}  // namespace lite
