#ifndef LITE_CONFIG_INSTALLER_DATA_FILES_H_
#define LITE_CONFIG_INSTALLER_DATA_FILES_H_

#include <string>

namespace lite {

class InstallerCommandLine;

// The data files the setup program receives by path. Each comes from its
// switch when given, else from the installer's own resources.
struct InstallerDataPaths {
  std::wstring installer_data;       // "installerdata"
  std::wstring clids;                // "clids-file"
  std::wstring clids_searchband;     // "clids-searchband-file"
  std::wstring website_icon;         // "zelmar-website-icon-file"
  std::wstring abt_config_resource;  // "abt-config-resource-file"

  static InstallerDataPaths FromCommandLine(const InstallerCommandLine& command_line);
};

// Writes the embedded data files that no switch provided into |folder|
// (which ends with a separator) and sets their paths.
void ExtractInstallerDataIfAbsent(const std::wstring& folder, InstallerDataPaths* paths);

}  // namespace lite

#endif  // LITE_CONFIG_INSTALLER_DATA_FILES_H_
