#include "install/download_time_left_adapter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lite {
namespace {

class RecordingObserver : public DownloadProgressObserver {
 public:
  void SetProgress(float fraction) override {
    calls.push_back("progress " + std::to_string(static_cast<int>(fraction * 100)));
  }
  void OnSlowDownload() override { calls.push_back("slow"); }
  void SetTimeLeft(int seconds, int kind) override {
    calls.push_back("time_left " + std::to_string(seconds) + " " + std::to_string(kind));
  }
  std::vector<std::string> calls;
};

TEST(DownloadTimeLeftAdapterTest, AddsSetupTimeToEstimatesOnly) {
  RecordingObserver observer;
  DownloadTimeLeftAdapter adapter(&observer);
  adapter.SetProgress(0.25f);
  adapter.OnSlowDownload();
  adapter.SetTimeLeft(-1, kTimeLeftNotEstimated);
  adapter.SetTimeLeft(60, kTimeLeftEstimate);
  adapter.SetTimeLeft(0, kTimeLeftFinished);
  EXPECT_EQ(observer.calls,
            (std::vector<std::string>{"progress 25", "slow", "time_left 239 0", "time_left 300 1",
                                      "time_left 240 2"}));
}

}  // namespace
}  // namespace lite
