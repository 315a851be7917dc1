#include "install/download_time_left_adapter.h"

namespace lite {

void DownloadTimeLeftAdapter::SetProgress(float fraction) {
  if (observer_) observer_->SetProgress(fraction);
}

void DownloadTimeLeftAdapter::OnSlowDownload() {
  if (observer_) observer_->OnSlowDownload();
}

void DownloadTimeLeftAdapter::SetTimeLeft(int seconds, int kind) {
  if (observer_) observer_->SetTimeLeft(seconds + kSetupAllowanceSeconds, kind);
}

}  // namespace lite
