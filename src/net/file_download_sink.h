#ifndef LITE_NET_FILE_DOWNLOAD_SINK_H_
#define LITE_NET_FILE_DOWNLOAD_SINK_H_

#include <windows.h>

#include "net/download_sink.h"

namespace lite {

// Writes into a file the caller opened for writing; the handle stays the
// caller's. The size starts at 0 unless the owner sets the length already
// in the file.
class FileDownloadSink : public DownloadSink {
 public:
  explicit FileDownloadSink(HANDLE file) : file_(file) {}
  FileDownloadSink(const FileDownloadSink&) = delete;
  FileDownloadSink& operator=(const FileDownloadSink&) = delete;

  bool Write(const uint8_t* bytes, uint32_t count) override;
  // Truncates the file to nothing; the result is that of SetEndOfFile.
  bool Reset() override;

 private:
  HANDLE file_;
};

}  // namespace lite

#endif  // LITE_NET_FILE_DOWNLOAD_SINK_H_
