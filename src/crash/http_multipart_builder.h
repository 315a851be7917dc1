#ifndef LITE_CRASH_HTTP_MULTIPART_BUILDER_H_
#define LITE_CRASH_HTTP_MULTIPART_BUILDER_H_

#include <map>
#include <memory>
#include <string>

#include "crash/file_reader_interface.h"
#include "crash/http_body_stream.h"

namespace lite {

using HttpHeaders = std::map<std::string, std::string>;

// A multipart/form-data request body: form fields, then file attachments,
// each in name order, between boundaries of one random text.
class HttpMultipartBuilder {
 public:
  HttpMultipartBuilder();
  HttpMultipartBuilder(const HttpMultipartBuilder&) = delete;
  HttpMultipartBuilder& operator=(const HttpMultipartBuilder&) = delete;

  void SetGzipEnabled(bool gzip_enabled) { gzip_enabled_ = gzip_enabled; }
  // A field replaces an attachment of the same name and the reverse.
  void SetFormData(const std::string& name, const std::string& value);
  // |reader| is not owned; it must outlive the body stream. An empty
  // |content_type| means "application/octet-stream".
  void SetFileAttachment(const std::string& name, const std::string& file_name,
                         FileReaderInterface* reader, const std::string& content_type);
  void PopulateContentHeaders(HttpHeaders* headers) const;
  // The whole body, gzip-compressed when that is enabled. Reads the
  // attachments' readers as it is read.
  std::unique_ptr<HttpBodyStream> GetBodyStream();

  const std::string& boundary() const { return boundary_; }

  // "---MultipartBoundary-" + 32 random letters and digits + "---".
  static std::string GenerateBoundary();
  // LF, CR, '"' and '%' as "%" and two lower-case hex digits.
  static std::string EncodeMimeField(const std::string& text);

 private:
  struct FileAttachment {
    std::string file_name;
    std::string content_type;
    FileReaderInterface* reader;
  };

  const std::string boundary_;
  bool gzip_enabled_ = false;
  std::map<std::string, std::string> form_data_;
  std::map<std::string, FileAttachment> file_attachments_;
};

}  // namespace lite

#endif  // LITE_CRASH_HTTP_MULTIPART_BUILDER_H_
