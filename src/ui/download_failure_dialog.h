#ifndef LITE_UI_DOWNLOAD_FAILURE_DIALOG_H_
#define LITE_UI_DOWNLOAD_FAILURE_DIALOG_H_

#include <windows.h>

#include <cstdint>
#include <string>

#include "ui/message_dialog.h"

namespace lite {

// The installation failed: offers the download page, where the user can
// get the full installer (Download, 1), or Cancel (113).
class DownloadFailureDialog : public MessageDialog {
 public:
  // What opens the download page: ShellExecuteA's signature.
  using OpenFunction = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
#if defined(LITE_TEST_HOOKS)
  // Stands in for ShellExecuteA, so that no browser starts in a test (null:
  // the real one).
  static void SetOpenFunctionForTesting(OpenFunction function);
#endif

  DownloadFailureDialog(uint32_t language_id, const std::string& download_address);

 protected:
  // Opens the download page, then ends with 1 whether it opened or not.
  void OnFirstButton() override;
  void LoadContent() override;

 private:
  std::string download_address_;
};

}  // namespace lite

#endif  // LITE_UI_DOWNLOAD_FAILURE_DIALOG_H_
