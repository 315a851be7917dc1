#ifndef LITE_SYSTEM_INSTALLER_TYPE_NAMES_H_
#define LITE_SYSTEM_INSTALLER_TYPE_NAMES_H_

#include <string>

namespace lite {

// The statistics field "installer_type" and the setup's "source" switch.
// Numbers without a name of their own read as "lite".
std::string InstallerTypeName(int type);
// The second enumeration, used for "installer_type" when the first one is
// -1. Numbers without a name of their own read as empty.
std::string AltInstallerTypeName(int type);

}  // namespace lite

#endif  // LITE_SYSTEM_INSTALLER_TYPE_NAMES_H_
