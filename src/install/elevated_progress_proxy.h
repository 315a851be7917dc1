#ifndef LITE_INSTALL_ELEVATED_PROGRESS_PROXY_H_
#define LITE_INSTALL_ELEVATED_PROGRESS_PROXY_H_

#include <windows.h>

#include "install/installer_observer.h"

namespace lite {

// The elevated instance's observer: it forwards the setup's progress to the
// non-elevated installer's window, which shows it.
class ElevatedProgressProxy : public InstallerObserver {
 public:
  // The window's messages for what the proxy forwards.
  static constexpr UINT kProgressPercentMessage = WM_APP + 100;  // wParam: percent
  static constexpr UINT kTimeLeftMessage = WM_APP + 101;         // wParam: seconds, lParam: kind
  static constexpr int kCancelButtonId = 112;

  explicit ElevatedProgressProxy(HWND window) : window_(window) {}

  void SetProgress(float) override {}
  void OnSlowDownload() override {}
  void SetTimeLeft(int seconds, int kind) override;
  void OnInstallFinished(int) override {}
  void OnInstallFailed(int) override {}
  HWND GetWindowHandle() override { return window_; }
  void SetProgressPercent(int percent) override;
  void RemoveCancelButton() override;

 private:
  const HWND window_;
};

}  // namespace lite

#endif  // LITE_INSTALL_ELEVATED_PROGRESS_PROXY_H_
