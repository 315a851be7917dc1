#ifndef LITE_UI_SLIDE_FOLDER_URL_H_
#define LITE_UI_SLIDE_FOLDER_URL_H_

#include <string>

#include "process/installer_command_line.h"

namespace lite {

class BrandInfo;
class DistribParams;

// The server folder the progress screen's slides come from, ending with
// "/": the brand's address when it has one, else a folder on the download
// CDN. The alternative theme ("ins" = "1") reads its own address and may
// take one from the "ins-url" switch.
std::string GetSlideFolderUrl(
    const BrandInfo& brand_info, const DistribParams& params,
    const InstallerCommandLine& command_line = InstallerCommandLine::ForCurrentProcess());

}  // namespace lite

#endif  // LITE_UI_SLIDE_FOLDER_URL_H_
