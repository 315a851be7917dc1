#ifndef LITE_INSTALL_ELEVATED_INSTALLER_PROCESS_H_
#define LITE_INSTALL_ELEVATED_INSTALLER_PROCESS_H_

#include <windows.h>

namespace lite {

// The elevated copy of this installer that runs the setup on behalf of the
// non-elevated one. Owned by the Installer once the copy has started.
class ElevatedInstallerProcess {
 public:
  virtual void SetProcess(HANDLE process, HWND owner_window) = 0;
  virtual ~ElevatedInstallerProcess() = default;
  // Lets the copy run the setup and waits for it, or for |stop_event|.
  virtual bool RunModule(HANDLE stop_event) = 0;
  virtual void EnsureProcessFinished() = 0;
};

}  // namespace lite

#endif  // LITE_INSTALL_ELEVATED_INSTALLER_PROCESS_H_
