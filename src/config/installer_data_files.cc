#include "config/installer_data_files.h"

#include "process/installer_command_line.h"
#include "base/file_util.h"
#include "base/resource_util.h"
#include "logging/log_record.h"
#include "process/switches.h"

namespace lite {
namespace {

constexpr char kFunction[] = "ExtractInstallerDataIfAbsent";

}  // namespace

InstallerDataPaths InstallerDataPaths::FromCommandLine(const InstallerCommandLine& command_line) {
  InstallerDataPaths paths;
  paths.installer_data = command_line.GetSwitchValue(switches::kInstallerData);
  paths.clids = command_line.GetSwitchValue(switches::kClidsFile);
  paths.clids_searchband = command_line.GetSwitchValue(switches::kClidsSearchbandFile);
  paths.website_icon = command_line.GetSwitchValue(switches::kZelmarWebsiteIconFile);
  paths.abt_config_resource = command_line.GetSwitchValue(switches::kAbtConfigResourceFile);
  return paths;
}

void ExtractInstallerDataIfAbsent(const std::wstring& folder, InstallerDataPaths* paths) {
  struct DataFile {
    std::wstring* path;
    int resource;
    const wchar_t* file_name;
  };
  const DataFile files[] = {
      {&paths->installer_data, 305, L"master_preferences"},
      {&paths->clids, 306, L"clids.xml"},
      {&paths->clids_searchband, 322, L"clids_searchband.xml"},
      {&paths->website_icon, 323, L"website.ico"},
  };
  for (const DataFile& file : files) {
    if (!file.path->empty()) continue;
    *file.path = folder + file.file_name;
    const std::string data = LoadBinResource(file.resource);
    // The setup program expects the file to exist, even when empty.
    WriteWholeFile(*file.path, data);
    if (data.empty()) LOG(WARNING, kFunction) << "Failed to extract resource " << file.resource;
  }

  if (!paths->abt_config_resource.empty()) return;
  paths->abt_config_resource = folder + L"abt_config_resource";
  const std::string config = LoadBinResource(L"ABT_CONFIG");
  if (config.empty()) {
    // No path is passed on, so no empty file is left behind either.
    LOG(WARNING, kFunction) << "Failed to extract resource " << "abt_config_resource";
    paths->abt_config_resource.clear();
    return;
  }
  WriteWholeFile(paths->abt_config_resource, config);
}

}  // namespace lite
