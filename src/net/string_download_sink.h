#ifndef LITE_NET_STRING_DOWNLOAD_SINK_H_
#define LITE_NET_STRING_DOWNLOAD_SINK_H_

#include <string>

#include "net/download_sink.h"

namespace lite {

// Collects the body in memory.
class StringDownloadSink : public DownloadSink {
 public:
  StringDownloadSink() = default;
  StringDownloadSink(const StringDownloadSink&) = delete;
  StringDownloadSink& operator=(const StringDownloadSink&) = delete;

  bool Write(const uint8_t* bytes, uint32_t count) override;
  bool Reset() override;

  const std::string& data() const { return data_; }
  std::string TakeData();

 private:
  std::string data_;
};

}  // namespace lite

#endif  // LITE_NET_STRING_DOWNLOAD_SINK_H_
