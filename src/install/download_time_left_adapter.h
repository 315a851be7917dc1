#ifndef LITE_INSTALL_DOWNLOAD_TIME_LEFT_ADAPTER_H_
#define LITE_INSTALL_DOWNLOAD_TIME_LEFT_ADAPTER_H_

#include "net/download_progress_observer.h"

namespace lite {

// Passes the archive download's progress on to the installer's observer.
// The setup still runs after the download, so the time left shown to the
// user includes an allowance for it.
class DownloadTimeLeftAdapter : public DownloadProgressObserver {
 public:
  // Seconds added to every time-left estimate for the setup run.
  static constexpr int kSetupAllowanceSeconds = 240;

  // |observer| may be null (a silent run); everything is dropped then.
  explicit DownloadTimeLeftAdapter(DownloadProgressObserver* observer) : observer_(observer) {}
  DownloadTimeLeftAdapter(const DownloadTimeLeftAdapter&) = delete;
  DownloadTimeLeftAdapter& operator=(const DownloadTimeLeftAdapter&) = delete;

  void SetProgress(float fraction) override;
  void OnSlowDownload() override;
  void SetTimeLeft(int seconds, int kind) override;

 private:
  DownloadProgressObserver* observer_;
};

}  // namespace lite

#endif  // LITE_INSTALL_DOWNLOAD_TIME_LEFT_ADAPTER_H_
