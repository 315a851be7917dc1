// The bytes the crash upload is made of: the annotation stream, the
// multipart body and its gzip stream, the chunk framing and the address.
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "crash/annotation_stream.h"
#include "crash/file_reader_interface.h"
#include "string_file_reader.h"
#include "crash/http_body_gzip.h"
#include "crash/http_body_sender.h"
#include "crash/http_multipart_builder.h"
#include "crash/report_url.h"
#include "crash/string_http_body_stream.h"
#include "gtest/gtest.h"

namespace lite {
namespace {

std::string ReadAll(HttpBodyStream* stream, size_t piece = 7) {
  std::string out;
  std::vector<uint8_t> buffer(piece);
  for (;;) {
    const int64_t count = stream->GetBytesBuffer(buffer.data(), buffer.size());
    EXPECT_GE(count, 0);
    if (count <= 0) return out;
    out.append(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(count));
  }
}

std::string Gunzip(const std::string& compressed) {
  z_stream z = {};
  EXPECT_EQ(inflateInit2(&z, 15 + 16), Z_OK);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  z.avail_in = static_cast<uInt>(compressed.size());
  std::string out;
  char buffer[1024];
  int result;
  do {
    z.next_out = reinterpret_cast<Bytef*>(buffer);
    z.avail_out = sizeof(buffer);
    result = inflate(&z, Z_NO_FLUSH);
    out.append(buffer, sizeof(buffer) - z.avail_out);
  } while (result == Z_OK);
  EXPECT_EQ(result, Z_STREAM_END);
  inflateEnd(&z);
  return out;
}

std::string Le32(uint32_t value) {
  uint8_t bytes[4];
  PutUint32(bytes, value);
  return std::string(reinterpret_cast<const char*>(bytes), 4);
}

TEST(AnnotationStreamTest, LayoutForZeroOneAndThreeAnnotations) {
  GuidBytes report_id, client_id;
  for (int i = 0; i < 16; ++i) {
    report_id[i] = static_cast<uint8_t>(i);
    client_id[i] = static_cast<uint8_t>(0xf0 + i);
  }
  const struct {
    CrashAnnotations annotations;
    std::string entries_and_strings;
  } cases[] = {
      {{}, ""},
      {{{"k", "vv"}}, Le32(0) + Le32(6) + Le32(1) + "k" + '\0' + Le32(2) + "vv" + '\0'},
      // Key order, whatever the insertion order; each value after its key.
      {{{"b", "2"}, {"a", "1"}, {"ccc", ""}},
       Le32(0) + Le32(6) + Le32(12) + Le32(18) + Le32(24) + Le32(32) +
           Le32(1) + "a" + '\0' + Le32(1) + "1" + '\0' + Le32(1) + "b" + '\0' + Le32(1) + "2" +
           '\0' + Le32(3) + "ccc" + '\0' + Le32(0) + '\0'},
  };
  for (const auto& c : cases) {
    const std::string stream = AnnotationStream::Build(report_id, client_id, c.annotations);
    const uint32_t count = static_cast<uint32_t>(c.annotations.size());
    const std::string expected =
        Le32(1) + std::string(report_id.begin(), report_id.end()) +
        std::string(client_id.begin(), client_id.end()) +
        Le32(static_cast<uint32_t>(4 + c.entries_and_strings.size())) + Le32(52) + Le32(0) +
        Le32(0) + Le32(count) + c.entries_and_strings;
    EXPECT_EQ(stream, expected) << count << " annotations";
  }
}

TEST(AnnotationStreamTest, RelocateAddsTheBaseToEveryLocation) {
  std::string entries = Le32(0) + Le32(6) + Le32(12) + Le32(18);
  AnnotationStream::RelocateEntries(reinterpret_cast<uint8_t*>(&entries[0]), 2, 1000);
  EXPECT_EQ(entries, Le32(1000) + Le32(1006) + Le32(1012) + Le32(1018));
}

TEST(HttpMultipartBuilderTest, EscapesLineBreaksQuotesAndPercentInNames) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"plain", "plain"},          {"a\nb", "a%0ab"},      {"a\rb", "a%0db"},
      {"say \"hi\"", "say %22hi%22"}, {"100%", "100%25"}, {"\r\n\"%", "%0d%0a%22%25"},
  };
  for (const auto& c : cases) EXPECT_EQ(HttpMultipartBuilder::EncodeMimeField(c.in), c.out);
}

TEST(HttpMultipartBuilderTest, BoundaryIsFreshFromItsAlphabet) {
  const std::string alphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  std::set<std::string> seen;
  std::set<char> used;
  for (int i = 0; i < 200; ++i) {
    const std::string boundary = HttpMultipartBuilder::GenerateBoundary();
    ASSERT_EQ(boundary.size(), 21u + 32u + 3u);
    EXPECT_EQ(boundary.substr(0, 21), "---MultipartBoundary-");
    EXPECT_EQ(boundary.substr(53), "---");
    for (const char c : boundary.substr(21, 32)) {
      EXPECT_NE(alphabet.find(c), std::string::npos) << c;
      used.insert(c);
    }
    seen.insert(boundary);
  }
  EXPECT_EQ(seen.size(), 200u);
  // 6400 draws reach every one of the 62 characters.
  EXPECT_EQ(used.size(), alphabet.size());
}

TEST(HttpMultipartBuilderTest, FieldsThenFilesInNameOrder) {
  HttpMultipartBuilder builder;
  StringFileReader dump(std::string("MDMP\0bytes", 10));
  StringFileReader other("x");
  builder.SetFormData("zeta", "last \"value\"\n");
  builder.SetFormData("al\"pha", "1");
  builder.SetFileAttachment("upload", "a%b.dmp", &dump, "");
  builder.SetFileAttachment("replaced", "r.bin", &other, "text/plain");
  builder.SetFormData("replaced", "now a field");
  HttpHeaders headers;
  builder.PopulateContentHeaders(&headers);
  const std::string& b = builder.boundary();
  EXPECT_EQ(headers, (HttpHeaders{{"Content-Type", "multipart/form-data; boundary=" + b}}));

  auto body = builder.GetBodyStream();
  EXPECT_EQ(ReadAll(body.get()),
            "--" + b + "\r\nContent-Disposition: form-data; name=\"al%22pha\"\r\n\r\n1\r\n" +
                "--" + b + "\r\nContent-Disposition: form-data; name=\"replaced\"\r\n\r\n" +
                "now a field\r\n" +
                "--" + b + "\r\nContent-Disposition: form-data; name=\"zeta\"\r\n\r\n" +
                "last \"value\"\n\r\n" +
                "--" + b + "\r\nContent-Disposition: form-data; name=\"upload\"; " +
                "filename=\"a%25b.dmp\"\r\nContent-Type: application/octet-stream\r\n\r\n" +
                std::string("MDMP\0bytes", 10) + "\r\n--" + b + "--\r\n");
}

TEST(HttpMultipartBuilderTest, GzipBodyDecompressesToThePlainBody) {
  std::string file(100000, '\0');
  for (size_t i = 0; i < file.size(); ++i) file[i] = static_cast<char>((i * 7919) >> 5);
  StringFileReader plain_reader(file), gzip_reader(file);
  HttpMultipartBuilder plain, gzipped;
  gzipped.SetGzipEnabled(true);
  for (auto* builder : {&plain, &gzipped}) builder->SetFormData("uid", "ABC");
  plain.SetFileAttachment("upload_file_minidump", "ABC.dmp", &plain_reader, "");
  gzipped.SetFileAttachment("upload_file_minidump", "ABC.dmp", &gzip_reader, "");
  HttpHeaders headers;
  gzipped.PopulateContentHeaders(&headers);
  EXPECT_EQ(headers["Content-Encoding"], "gzip");

  std::string expected = ReadAll(plain.GetBodyStream().get(), 4096);
  // The other builder's boundary.
  for (size_t at = expected.find(plain.boundary()); at != std::string::npos;
       at = expected.find(plain.boundary(), at)) {
    expected.replace(at, plain.boundary().size(), gzipped.boundary());
  }
  const std::string compressed = ReadAll(gzipped.GetBodyStream().get(), 1000);
  EXPECT_EQ(compressed.substr(0, 2), "\x1f\x8b");
  EXPECT_EQ(Gunzip(compressed), expected);
}

TEST(GzipBodyStreamTest, EmptyInputIsAnEmptyGzipMember) {
  GzipBodyStream stream(std::make_unique<StringHttpBodyStream>(""));
  const std::string compressed = ReadAll(&stream, 3);
  EXPECT_EQ(Gunzip(compressed), "");
  uint8_t byte;
  EXPECT_EQ(stream.GetBytesBuffer(&byte, 1), 0);
}

TEST(HttpBodySenderTest, ChunkFraming) {
  const struct {
    size_t body_size;
    std::vector<std::string> chunk_heads;
  } cases[] = {
      {0, {"0\r\n\r\n"}},
      {1, {"1\r\n", "0\r\n\r\n"}},
      {32768, {"8000\r\n", "0\r\n\r\n"}},
      {32769, {"8000\r\n", "1\r\n", "0\r\n\r\n"}},
  };
  for (const auto& c : cases) {
    const std::string body(c.body_size, 'z');
    StringHttpBodyStream stream(body);
    std::vector<std::string> writes;
    ASSERT_TRUE(HttpBodySender::Send(&stream, true, [&](const std::string& bytes) {
      writes.push_back(bytes);
      return true;
    }));
    ASSERT_EQ(writes.size(), c.chunk_heads.size()) << c.body_size;
    std::string joined;
    for (size_t i = 0; i < writes.size(); ++i) {
      EXPECT_EQ(writes[i].substr(0, c.chunk_heads[i].size()), c.chunk_heads[i]);
      joined += writes[i];
    }
    std::string expected;
    for (size_t done = 0; done < c.body_size; done += 32768) {
      const size_t size = std::min<size_t>(32768, c.body_size - done);
      expected += HttpBodySender::FrameChunk(reinterpret_cast<const uint8_t*>(body.data()), size);
    }
    EXPECT_EQ(joined, expected + "0\r\n\r\n");
  }
}

TEST(HttpBodySenderTest, UnchunkedSendsTheBytesAndStopsOnFailure) {
  StringHttpBodyStream stream("abc");
  std::string sent;
  ASSERT_TRUE(HttpBodySender::Send(&stream, false, [&](const std::string& bytes) {
    sent += bytes;
    return true;
  }));
  EXPECT_EQ(sent, "abc");
  StringHttpBodyStream failing("abc");
  EXPECT_FALSE(HttpBodySender::Send(&failing, true, [](const std::string&) { return false; }));
}

TEST(ReportUrlTest, QueryFromProductVersionAndGuid) {
  const struct {
    CrashAnnotations annotations;
    std::string url;
  } cases[] = {
      {{}, "http://h/submit"},
      {{{"prod", "Zelmar"}, {"ver", "22.9.3.891"}, {"uid", "U"}},
       "http://h/submit?product=Zelmar&version=22.9.3.891"},
      {{{"guid", "a b&c/~"}, {"prod", "P"}},
       "http://h/submit?product=P&guid=a%20b%26c%2F~"},
      {{{"ver", "\xd0\x96-_."}}, "http://h/submit?version=%D0%96-_."},
  };
  for (const auto& c : cases) EXPECT_EQ(BuildReportUrl("http://h", c.annotations), c.url);
}

}  // namespace
}  // namespace lite
