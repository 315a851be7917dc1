#include "system/installer_type_names.h"

namespace lite {

std::string InstallerTypeName(int type) {
  switch (type) {
    case -1:
      return "-1";
    case 1:
      return "full";
    case 2:
      return "updater";
    case 3:
      return "service";
    case 4:
      return "service_audit";
    case 5:
      return "browser_diagnostics";
    default:
      return "lite";
  }
}

std::string AltInstallerTypeName(int type) {
  switch (type) {
    case -1:
      return "-1";
    case 1:
      return "mini";
    case 2:
      return "service";
    case 3:
      return "unknown";
    case 4:
      return "icu_dat";
    case 5:
      return "icu_dat_lock_failed";
    case 6:
      return "version_folder_files_check";
    default:
      return std::string();
  }
}

}  // namespace lite
