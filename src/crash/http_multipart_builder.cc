#include "crash/http_multipart_builder.h"

#include <random>
#include <utility>
#include <vector>

#include "crash/composite_http_body_stream.h"
#include "crash/file_reader_http_body_stream.h"
#include "crash/http_body_gzip.h"
#include "crash/string_http_body_stream.h"

namespace lite {
namespace {

constexpr char kBoundaryCharacters[] =
    "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr size_t kBoundaryRandomLength = 32;
constexpr char kCrLf[] = "\r\n";

std::string BoundaryLine(const std::string& boundary) {
  return "--" + boundary + kCrLf;
}

std::string DispositionHeader(const std::string& name) {
  return "Content-Disposition: form-data; name=\"" + HttpMultipartBuilder::EncodeMimeField(name) +
         "\"";
}

}  // namespace

HttpMultipartBuilder::HttpMultipartBuilder() : boundary_(GenerateBoundary()) {}

// static
std::string HttpMultipartBuilder::GenerateBoundary() {
  std::random_device random;
  std::uniform_int_distribution<size_t> pick(0, sizeof(kBoundaryCharacters) - 2);
  std::string boundary = "---MultipartBoundary-";
  for (size_t i = 0; i < kBoundaryRandomLength; ++i) boundary += kBoundaryCharacters[pick(random)];
  return boundary + "---";
}

// static
std::string HttpMultipartBuilder::EncodeMimeField(const std::string& text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string encoded;
  for (const char c : text) {
    if (c == '\n' || c == '\r' || c == '"' || c == '%') {
      const unsigned char byte = static_cast<unsigned char>(c);
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0xf];
    } else {
      encoded += c;
    }
  }
  return encoded;
}

void HttpMultipartBuilder::SetFormData(const std::string& name, const std::string& value) {
  file_attachments_.erase(name);
  form_data_[name] = value;
}

void HttpMultipartBuilder::SetFileAttachment(const std::string& name, const std::string& file_name,
                                             FileReaderInterface* reader,
                                             const std::string& content_type) {
  form_data_.erase(name);
  file_attachments_[name] = {file_name,
                             content_type.empty() ? "application/octet-stream" : content_type,
                             reader};
}

void HttpMultipartBuilder::PopulateContentHeaders(HttpHeaders* headers) const {
  (*headers)["Content-Type"] = "multipart/form-data; boundary=" + boundary_;
  if (gzip_enabled_) (*headers)["Content-Encoding"] = "gzip";
}

std::unique_ptr<HttpBodyStream> HttpMultipartBuilder::GetBodyStream() {
  std::vector<std::unique_ptr<HttpBodyStream>> parts;
  std::string text;
  for (const auto& [name, value] : form_data_) {
    text += BoundaryLine(boundary_) + DispositionHeader(name) + kCrLf + kCrLf + value + kCrLf;
  }
  for (const auto& [name, attachment] : file_attachments_) {
    text += BoundaryLine(boundary_) + DispositionHeader(name) + "; filename=\"" +
            EncodeMimeField(attachment.file_name) + "\"" + kCrLf +
            "Content-Type: " + attachment.content_type + kCrLf + kCrLf;
    parts.push_back(std::make_unique<StringHttpBodyStream>(std::move(text)));
    text.clear();
    parts.push_back(std::make_unique<FileReaderHttpBodyStream>(attachment.reader));
    text = kCrLf;
  }
  text += "--" + boundary_ + "--" + kCrLf;
  parts.push_back(std::make_unique<StringHttpBodyStream>(std::move(text)));

  std::unique_ptr<HttpBodyStream> body =
      std::make_unique<CompositeHttpBodyStream>(std::move(parts));
  if (gzip_enabled_) body = std::make_unique<GzipBodyStream>(std::move(body));
  return body;
}

}  // namespace lite
