#ifndef LITE_INSTALL_INSTALLER_OBSERVER_H_
#define LITE_INSTALL_INSTALLER_OBSERVER_H_

#include <windows.h>

#include "net/download_progress_observer.h"

namespace lite {

// Failure types the window turns into its dialogs.
enum InstallFailureType : int {
  kInstallFailedGeneral = 1,
  kInstallFailedDownload = 2,
  kInstallFailedCryptoPro = 3,
  kInstallFailedMachineType = 4,
  kInstallFailedAlreadyInstalled = 5,
};

// What the installer reports to whoever shows it: the window, or the proxy
// of the elevated instance. Called on the installer's worker thread.
class InstallerObserver : public DownloadProgressObserver {
 public:
  // The installation is over; close the window.
  virtual void OnInstallFinished(int result) = 0;
  virtual void OnInstallFailed(int type) = 0;
  // Where the setup sends its progress messages.
  virtual HWND GetWindowHandle() = 0;
  virtual void SetProgressPercent(int percent) = 0;
  // The setup runs and can no longer be cancelled.
  virtual void RemoveCancelButton() = 0;
};

}  // namespace lite

#endif  // LITE_INSTALL_INSTALLER_OBSERVER_H_
