#ifndef LITE_NET_DOWNLOAD_PROGRESS_OBSERVER_H_
#define LITE_NET_DOWNLOAD_PROGRESS_OBSERVER_H_

namespace lite {

// Kinds passed to SetTimeLeft.
enum TimeLeftKind : int {
  kTimeLeftNotEstimated = 0,  // seconds -1
  kTimeLeftEstimate = 1,
  kTimeLeftFinished = 2,  // seconds 0
};

// What a download with progress reports while it runs.
class DownloadProgressObserver {
 public:
  virtual ~DownloadProgressObserver() = default;
  // |fraction| runs from 0 to 1.
  virtual void SetProgress(float fraction) = 0;
  // The download is expected to take more than two minutes in all.
  virtual void OnSlowDownload() = 0;
  virtual void SetTimeLeft(int seconds, int kind) = 0;
};

}  // namespace lite

#endif  // LITE_NET_DOWNLOAD_PROGRESS_OBSERVER_H_
