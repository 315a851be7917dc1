#ifndef LITE_NET_STRING_DOWNLOAD_SINK_H_
#define LITE_NET_STRING_DOWNLOAD_SINK_H_

#include <cstdint>
#include <string>

#include "net/download_sink.h"

namespace lite {

// Collects the body in memory, up to a limit chosen per use: a broken or
// hostile server must not run the process out of address space.
class StringDownloadSink : public DownloadSink {
 public:
  // Experiment seeds and configuration bundles.
  static constexpr uint32_t kSeedLimit = 8 * 1024 * 1024;
  // The install report's reply, which nobody reads.
  static constexpr uint32_t kReportReplyLimit = 64 * 1024;
  // The installer window's slides.
  static constexpr uint32_t kSlideLimit = 16 * 1024 * 1024;

  explicit StringDownloadSink(uint32_t size_limit) : size_limit_(size_limit) {}
  StringDownloadSink(const StringDownloadSink&) = delete;
  StringDownloadSink& operator=(const StringDownloadSink&) = delete;

  // False, storing nothing, when the bytes would pass the limit or memory
  // runs out.
  bool Write(const uint8_t* bytes, uint32_t count) override;
  bool Reset() override;
  bool IsOverLimit() const override { return over_limit_; }

  const std::string& data() const { return data_; }
  std::string TakeData();

 private:
  const uint32_t size_limit_;
  bool over_limit_ = false;
  std::string data_;
};

}  // namespace lite

#endif  // LITE_NET_STRING_DOWNLOAD_SINK_H_
