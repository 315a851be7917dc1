#include "ui/download_failure_dialog.h"

#include <shellapi.h>

#include "logging/log_record.h"
#include "ui/resource_ids.h"

namespace lite {
namespace {

constexpr int kIdsErrorOccurred = 418;
constexpr int kIdsDownloadAndRepeat = 423;
constexpr int kIdsDownload = 427;
constexpr int kIdsCancel = 428;

#if defined(LITE_TEST_HOOKS)
DownloadFailureDialog::OpenFunction g_open = &::ShellExecuteA;
#else
constexpr DownloadFailureDialog::OpenFunction g_open = &::ShellExecuteA;
#endif

}  // namespace

#if defined(LITE_TEST_HOOKS)
// static
void DownloadFailureDialog::SetOpenFunctionForTesting(OpenFunction function) {
  g_open = function ? function : &::ShellExecuteA;
}
#endif

DownloadFailureDialog::DownloadFailureDialog(uint32_t language_id,
                                             const std::string& download_address)
    : MessageDialog(language_id), download_address_(download_address) {}

void DownloadFailureDialog::OnFirstButton() {
  const HINSTANCE opened =
      g_open(window(), "open", download_address_.c_str(), nullptr, nullptr, SW_SHOW);
  // Values up to 32 are ShellExecute's error codes.
  if (reinterpret_cast<INT_PTR>(opened) <= 32) {
    LOG(ERROR, "OnFirstButton") << "Failed to open the download page, error "
                                << reinterpret_cast<INT_PTR>(opened);
  }
  ::EndDialog(window(), IDC_FIRST_BUTTON);
}

void DownloadFailureDialog::LoadContent() {
  MessageDialog::LoadContent();
  SetText(IDC_TITLE, kIdsErrorOccurred);
  SetText(IDC_BODY, kIdsDownloadAndRepeat);
  SetText(IDC_FIRST_BUTTON, kIdsDownload);
  SetText(IDC_SECOND_BUTTON, kIdsCancel);
}

}  // namespace lite
