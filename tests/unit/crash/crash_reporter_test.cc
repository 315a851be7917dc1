#include "crash/crash_reporter.h"

#include <string>
#include <vector>

#include "base/file_util.h"
#include "captured_log.h"
#include "crash/annotation_stream.h"
#include "gtest/gtest.h"

namespace lite {
namespace {

// Nothing listens there: an upload fails at once, on loopback.
constexpr char kClosedOrigin[] = "http://127.0.0.1:9";

uint32_t U32(const std::string& bytes, size_t at) {
  return GetUint32(reinterpret_cast<const uint8_t*>(bytes.data()) + at);
}

std::string StringAt(const std::string& dump, uint32_t rva) {
  const uint32_t length = U32(dump, rva);
  EXPECT_EQ(dump[rva + 4 + length], '\0');
  return dump.substr(rva + 4, length);
}

TEST(CrashReporterTest, ClientIdFromTheUserIdentifier) {
  ScopedLogCapture log;
  const struct {
    std::string user_id;
    std::string text;
    bool warned;
  } cases[] = {
      {"{6809B2AC-9B67-4517-A42D-238F990F5278}", "6809B2AC-9B67-4517-A42D-238F990F5278", false},
      {"6809b2ac-9b67-4517-a42d-238f990f5278", "6809B2AC-9B67-4517-A42D-238F990F5278", false},
      {"not a guid", "00000000-0000-0000-0000-000000000000", true},
      {"", "00000000-0000-0000-0000-000000000000", true},
  };
  for (const auto& c : cases) {
    log.clear();
    EXPECT_EQ(CrashReporter::GuidText(CrashReporter::ClientIdFromUserId(c.user_id)), c.text);
    EXPECT_EQ(log.Contains(LOG_WARNING, "Impl", "uid not found, use empty"), c.warned)
        << c.user_id;
  }
}

TEST(CrashReporterTest, InstallsAndRestoresTheFilterWithItsAnnotations) {
  const LPTOP_LEVEL_EXCEPTION_FILTER before = ::SetUnhandledExceptionFilter(nullptr);
  ::SetUnhandledExceptionFilter(before);
  {
    CrashReporter reporter(kClosedOrigin);
    ASSERT_TRUE(reporter.installed());
    EXPECT_EQ(CrashReporter::Current(), &reporter);
    const std::string report_id = CrashReporter::GuidText(reporter.report_id());
    EXPECT_EQ(reporter.dump_path(), GetTempFolder() + L"\\" +
                                        std::wstring(report_id.begin(), report_id.end()) + L".dmp");
    const CrashAnnotations& annotations = reporter.annotations();
    EXPECT_EQ(annotations.at("report_id"), report_id);
    EXPECT_EQ(annotations.at("uid"), CrashReporter::GuidText(reporter.client_id()));
    EXPECT_EQ(annotations.at("ver"), "22.9.3.891");
    EXPECT_EQ(annotations.at("plat"), "Win32");
    EXPECT_EQ(annotations.at("prod"), "Zelmar");
    EXPECT_EQ(annotations.at("gzip_enabled"), "true");
    EXPECT_EQ(annotations.size(), 6u);

    // Empty keys and values are never stored; others insert or replace.
    reporter.SetAnnotation("ptype", "");
    reporter.SetAnnotation("", "value");
    reporter.SetAnnotation("brand_id", "zelmar");
    reporter.SetAnnotation("brand_id", "tb");
    EXPECT_EQ(annotations.count("ptype"), 0u);
    EXPECT_EQ(annotations.count(""), 0u);
    EXPECT_EQ(annotations.at("brand_id"), "tb");
    EXPECT_NE(::SetUnhandledExceptionFilter(before), before);
    ::SetUnhandledExceptionFilter(::SetUnhandledExceptionFilter(nullptr));
  }
  EXPECT_EQ(CrashReporter::Current(), nullptr);
  EXPECT_EQ(::SetUnhandledExceptionFilter(before), before);
}

// A real dump of this process with a made-up exception at this point.
bool WriteTestDump(CrashReporter* reporter) {
  CONTEXT context = {};
  ::RtlCaptureContext(&context);
  EXCEPTION_RECORD record = {};
  record.ExceptionCode = EXCEPTION_ACCESS_VIOLATION;
  record.ExceptionAddress = reinterpret_cast<void*>(&WriteTestDump);
  EXCEPTION_POINTERS pointers = {&record, &context};
  return reporter->WriteMinidump(&pointers);
}

TEST(CrashReporterTest, DumpCarriesTheAnnotationsAtAbsoluteLocations) {
  for (const size_t extra : {size_t{0}, size_t{3}}) {
    CrashReporter reporter(kClosedOrigin);
    for (size_t i = 0; i < extra; ++i) {
      reporter.SetAnnotation("key" + std::to_string(i), std::string(i + 1, 'v'));
    }
    ASSERT_TRUE(WriteTestDump(&reporter));
    const std::string dump = ReadWholeFile(reporter.dump_path());
    ::DeleteFileW(reporter.dump_path().c_str());
    ASSERT_EQ(dump.substr(0, 4), "MDMP");

    const uint32_t streams = U32(dump, 8), directory = U32(dump, 12);
    uint32_t rva = 0;
    for (uint32_t i = 0; i < streams; ++i) {
      if (U32(dump, directory + 12 * i) == AnnotationStream::kStreamType) {
        rva = U32(dump, directory + 12 * i + 8);
      }
    }
    ASSERT_NE(rva, 0u);
    EXPECT_EQ(U32(dump, rva), 1u);
    EXPECT_EQ(dump.substr(rva + 4, 16),
              std::string(reinterpret_cast<const char*>(&reporter.report_id()), 16));
    EXPECT_EQ(U32(dump, rva + 40), rva + 52);
    const uint32_t count = U32(dump, rva + 52);
    ASSERT_EQ(count, reporter.annotations().size());
    size_t i = 0;
    for (const auto& [key, value] : reporter.annotations()) {
      EXPECT_EQ(StringAt(dump, U32(dump, rva + 56 + 8 * i)), key);
      EXPECT_EQ(StringAt(dump, U32(dump, rva + 60 + 8 * i)), value);
      ++i;
    }
  }
}

TEST(CrashReporterTest, ExistingDumpPathMeansNoDump) {
  CrashReporter reporter(kClosedOrigin);
  ASSERT_TRUE(WriteWholeFile(reporter.dump_path(), "someone else's"));
  EXPECT_FALSE(WriteTestDump(&reporter));
  EXPECT_EQ(ReadWholeFile(reporter.dump_path()), "someone else's");
  ::DeleteFileW(reporter.dump_path().c_str());
}

TEST(CrashReporterTest, FailedUploadKeepsTheDumpAndDiscardsTheReservedKey) {
  ScopedLogCapture log;
  CrashReporter reporter(kClosedOrigin);
  reporter.SetAnnotation("upload_file_minidump", "sneaky");
  ASSERT_TRUE(WriteTestDump(&reporter));
  EXPECT_FALSE(reporter.SendReport());
  EXPECT_TRUE(log.Contains(LOG_WARNING, "SendReport",
                           "reserved key upload_file_minidump, discarding value sneaky"))
      << log.Dump();
  // The call's name and its error, ERROR_WINHTTP_CANNOT_CONNECT: with the
  // system's text, or (Wine's winhttp.dll has no message table) the
  // lookup's own failure.
  bool logged_call = false;
  for (const CapturedLine& line : log.lines()) {
    if (line.severity == LOG_ERROR && line.function == "HttpTransport" &&
        line.message.rfind("WinHttpSendRequest: ", 0) == 0 &&
        line.message.find("0x2efd") != std::string::npos) {
      logged_call = true;
    }
  }
  EXPECT_TRUE(logged_call) << log.Dump();
  EXPECT_TRUE(FileExists(reporter.dump_path()));
  ::DeleteFileW(reporter.dump_path().c_str());
}

}  // namespace
}  // namespace lite
