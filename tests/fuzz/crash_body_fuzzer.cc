// Random annotations and file bytes through the multipart builder and the
// gzip stream, read back by inflating and parsing the body: every field
// and the file must come back unchanged.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>

#include "crash/file_reader_interface.h"
#include "crash/http_multipart_builder.h"
#include "string_file_reader.h"

namespace {

std::string Inflate(const std::string& compressed) {
  z_stream z = {};
  if (inflateInit2(&z, 31) != Z_OK) __builtin_trap();
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  z.avail_in = static_cast<uInt>(compressed.size());
  std::string out;
  char buffer[4096];
  int result;
  do {
    z.next_out = reinterpret_cast<Bytef*>(buffer);
    z.avail_out = sizeof(buffer);
    result = inflate(&z, Z_NO_FLUSH);
    out.append(buffer, sizeof(buffer) - z.avail_out);
  } while (result == Z_OK);
  inflateEnd(&z);
  if (result != Z_STREAM_END || z.avail_in != 0) __builtin_trap();
  return out;
}

// Splits the body at its boundary lines and checks each part's name and
// content against what was set.
void CheckBody(const std::string& body, const std::string& boundary,
               const std::map<std::string, std::string>& fields, const std::string& file) {
  const std::string delimiter = "--" + boundary;
  const std::string closing = delimiter + "--\r\n";
  if (body.size() < closing.size() || body.compare(body.size() - closing.size(), closing.size(),
                                                   closing) != 0) {
    __builtin_trap();
  }
  size_t at = 0;
  auto field = fields.begin();
  for (size_t part = 0; part <= fields.size(); ++part) {
    if (body.compare(at, delimiter.size() + 2, delimiter + "\r\n") != 0) __builtin_trap();
    at += delimiter.size() + 2;
    const size_t head_end = body.find("\r\n\r\n", at);
    if (head_end == std::string::npos) __builtin_trap();
    const std::string head = body.substr(at, head_end - at);
    // Escaped names never hold a line break or a quote of their own.
    const std::string name = part < fields.size() ? field->first : "upload_file_minidump";
    const std::string expected_head =
        "Content-Disposition: form-data; name=\"" +
        lite::HttpMultipartBuilder::EncodeMimeField(name) + "\"" +
        (part < fields.size() ? "" : "; filename=\"f.dmp\"\r\nContent-Type: application/octet-stream");
    if (head != expected_head) __builtin_trap();
    at = head_end + 4;
    const std::string& content = part < fields.size() ? field->second : file;
    if (body.compare(at, content.size(), content) != 0) __builtin_trap();
    at += content.size();
    if (body.compare(at, 2, "\r\n") != 0) __builtin_trap();
    at += 2;
    if (part < fields.size()) ++field;
  }
  if (at + closing.size() != body.size()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Input: "key\0value\0" pairs until a lone "\0", then the file's bytes.
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::map<std::string, std::string> fields;
  size_t at = 0;
  while (at < input.size() && input[at] != '\0') {
    const size_t key_end = input.find('\0', at);
    if (key_end == std::string::npos) break;
    const size_t value_end = input.find('\0', key_end + 1);
    if (value_end == std::string::npos) break;
    const std::string key = input.substr(at, key_end - at);
    if (key != "upload_file_minidump") fields[key] = input.substr(key_end + 1, value_end - key_end - 1);
    at = value_end + 1;
  }
  const std::string file = at < input.size() ? input.substr(at + 1) : std::string();

  lite::StringFileReader reader(file);
  lite::HttpMultipartBuilder builder;
  builder.SetGzipEnabled(true);
  for (const auto& [key, value] : fields) builder.SetFormData(key, value);
  builder.SetFileAttachment("upload_file_minidump", "f.dmp", &reader, "");
  auto stream = builder.GetBodyStream();
  std::string compressed;
  uint8_t buffer[1 + 4096];
  // Odd read sizes exercise the stream's partial fills.
  for (size_t piece = 1;; piece = piece % 4096 + 97) {
    const int64_t count = stream->GetBytesBuffer(buffer, piece);
    if (count < 0) __builtin_trap();
    if (count == 0) break;
    compressed.append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(count));
  }
  CheckBody(Inflate(compressed), builder.boundary(), fields, file);
  return 0;
}
