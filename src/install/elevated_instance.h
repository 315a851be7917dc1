#ifndef LITE_INSTALL_ELEVATED_INSTANCE_H_
#define LITE_INSTALL_ELEVATED_INSTANCE_H_

namespace lite {

class InstallerCommandLine;

// The run of the copy started through the elevation prompt: waits for the
// parent's go signal, then runs the setup the parent downloaded with the
// parameters it left in the shared section. 0 when the setup succeeded,
// else -1.
int ExecuteAsAdmin(const InstallerCommandLine& command_line);

}  // namespace lite

#endif  // LITE_INSTALL_ELEVATED_INSTANCE_H_
