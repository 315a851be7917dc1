#ifndef LITE_INSTALL_ELEVATED_INSTALLER_PROCESS_H_
#define LITE_INSTALL_ELEVATED_INSTALLER_PROCESS_H_

#include <windows.h>

#include <cstdint>

#include "base/scoped_handle.h"

namespace lite {

// Both processes open the handshake's events by these names.
inline constexpr char kElevatedGoEventName[] = "0c0f0f0d-6434-4cfd-a5e9-23e9ca4d94b6";
inline constexpr char kElevatedCancelEventName[] = "fef32d6d-67e9-4654-b314-6c72098ff5d1";

// The elevated copy of this installer that runs the setup on behalf of the
// non-elevated one. Created with its events before the copy is started;
// owned by the Installer.
class ElevatedInstallerProcess {
 public:
  static constexpr DWORD kFinishWaitMs = 30000;

  // |finish_wait_ms| is how long a released copy may take to end.
  explicit ElevatedInstallerProcess(DWORD finish_wait_ms = kFinishWaitMs);
  ElevatedInstallerProcess(const ElevatedInstallerProcess&) = delete;
  ElevatedInstallerProcess& operator=(const ElevatedInstallerProcess&) = delete;

  // Takes |process| and |owner_window| (the elevation prompt's owner).
  virtual void SetProcess(HANDLE process, HWND owner_window);
  // Cancels a copy that was never let go, then ends it as
  // EnsureProcessFinished does.
  virtual ~ElevatedInstallerProcess();
  // Lets the copy run the setup and waits for it, or for |stop_event|.
  virtual bool RunModule(HANDLE stop_event);
  // Gives the copy its time to end, then terminates it; closes everything.
  virtual void EnsureProcessFinished();

  bool started() const { return started_; }
  bool terminated() const { return terminated_; }
  int32_t exit_code() const { return exit_code_; }

 private:
  void DestroyOwnerWindow();

  ScopedHandle process_;
  HWND owner_window_ = nullptr;
  ScopedHandle go_event_;
  ScopedHandle cancel_event_;
  bool started_ = false;
  bool terminated_ = false;
  int32_t exit_code_ = -1;
  const DWORD finish_wait_ms_;
};

}  // namespace lite

#endif  // LITE_INSTALL_ELEVATED_INSTALLER_PROCESS_H_
