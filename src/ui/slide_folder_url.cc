#include "ui/slide_folder_url.h"

#include "base/string_conversion.h"
#include "config/brand_info.h"
#include "config/distrib_params.h"
#include "config/service_hosts.h"
#include "logging/log_record.h"
#include "process/switches.h"

namespace lite {

std::string GetSlideFolderUrl(const BrandInfo& brand_info, const DistribParams& params,
                              const InstallerCommandLine& command_line) {
  if (params.IsParamOne("ins")) {
    if (!brand_info.new_slide_url.empty()) return brand_info.new_slide_url;
    const std::wstring switch_url = command_line.GetSwitchValue(switches::kInsUrl);
    if (!switch_url.empty()) return WideToUTF8(switch_url);
    return std::string(kDownloadCdnOrigin) + "/browser/installer/2022/";
  }
  if (!brand_info.slide_url.empty()) return brand_info.slide_url;
  LOG(WARNING, "GetInstallerSlideUrl")
      << "Deprecated. Use brand package for setting \"slide_url\" in \"install\" section";
  return std::string(kDownloadCdnOrigin) + "/browser/installer/" + brand_info.interface_language +
         "/";
}

}  // namespace lite
