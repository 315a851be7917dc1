#ifndef LITE_CRASH_FILE_READER_HTTP_BODY_STREAM_H_
#define LITE_CRASH_FILE_READER_HTTP_BODY_STREAM_H_

#include "crash/file_reader_interface.h"
#include "crash/http_body_stream.h"

namespace lite {

// The bytes of an attached file, read as the body is sent. The reader is
// not owned and must outlive the stream.
class FileReaderHttpBodyStream : public HttpBodyStream {
 public:
  explicit FileReaderHttpBodyStream(FileReaderInterface* reader) : reader_(reader) {}
  int64_t GetBytesBuffer(uint8_t* buffer, size_t max_size) override;

 private:
  FileReaderInterface* const reader_;
  bool at_end_ = false;
};

}  // namespace lite

#endif  // LITE_CRASH_FILE_READER_HTTP_BODY_STREAM_H_
