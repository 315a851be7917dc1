#include "config/installer_tag_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "base/file_util.h"
#include "base/scoped_handle.h"
#include "base/string_conversion.h"
#include "captured_log.h"
#include "config/tag_image_builder.h"
#include "logging/file_logger.h"
#include "logging/log_record.h"
#include "test_util.h"

namespace lite {
namespace {

using namespace tag_test;  // NOLINT

using Record = CapturedLine;

class InstallerTagFileTest : public testing::Test {
 protected:
  void SetUp() override { SetCurrentLogger(std::make_unique<RecordingLogger>(&records_)); }
  void TearDown() override { SetCurrentLogger(nullptr); }

  std::wstring Write(const std::wstring& name, const std::string& data) {
    const std::wstring path = folder_.Child(name);
    EXPECT_TRUE(WriteWholeFile(path, data));
    return path;
  }

  // Each record as "function: message", the error text cut off at " - ".
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    for (const Record& r : records_) {
      EXPECT_EQ(r.severity, LOG_ERROR) << r.message;
      lines.push_back(r.function + ": " + r.message.substr(0, r.message.find(" - ")));
    }
    return lines;
  }

  ScopedTempFolder folder_;
  std::vector<Record> records_;
};

TEST_F(InstallerTagFileTest, ReadsTheTagAndLogsOnlyFailures) {
  struct Case {
    const char* name;
    std::string image;
    std::string expected_tag;
    const char* expected_line;  // with the path appended; null for none
  };
  std::string no_table = ImageWithCertificates({DummyCertificate("a=1")});
  PutLE32(&no_table, kPe32Directory + 4, 0);
  const Case cases[] = {
      {"tagged", ImageWithCertificates({DummyCertificate("stat=2&def=1", kDefaultTagPadding)}),
       "stat=2&def=1", nullptr},
      {"untagged", ImageWithCertificates({DummyCertificate("", kDefaultTagPadding)}), "", nullptr},
      {"no dummy certificate", ImageWithCertificates({OtherCertificate()}), "", nullptr},
      {"table size 0", no_table, "",
       "ExtractTagFromFakeCertificate: Failed to find certificate table in "},
      {"not a PE file", "just some text that is not an executable at all, long enough to read",
       "", "ExtractTagFromFakeCertificate: Failed to find certificate table in "},
      {"set element with length 0x85",
       ImageWithCertificates({DummyCertificate("a=1"), std::string("\x30\x85\0\0\0\0\0", 7)}), "",
       "ExtractTagFromFakeCertificate: Invalid ASN1 format of certificate table in "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    records_.clear();
    const std::wstring path = Write(L"installer.exe", c.image);
    EXPECT_EQ(ExtractTagFromFakeCertificate(path), c.expected_tag);
    if (c.expected_line) {
      EXPECT_EQ(Lines(), std::vector<std::string>{c.expected_line + WideToUTF8(path)});
    } else {
      EXPECT_TRUE(Lines().empty());
    }
  }
}

TEST_F(InstallerTagFileTest, UnreadableFileIsLoggedTwice) {
  const std::wstring path = folder_.Child(L"missing.exe");
  EXPECT_EQ(ExtractTagFromFakeCertificate(path), "");
  const std::string utf8 = WideToUTF8(path);
  EXPECT_EQ(Lines(), (std::vector<std::string>{
                         "ReadAllBytesFromFile: Can't open file " + utf8,
                         "ExtractTagFromFakeCertificate: Failed to read file " + utf8}));
  // Both carry the error of the failed open.
  for (const Record& r : records_) {
    EXPECT_NE(r.message.find(" - 2, "), std::string::npos) << r.message;
  }
}

TEST_F(InstallerTagFileTest, ReadAllBytesFromFileKeepsEveryByte) {
  std::string data(3 * 1024 * 1024 + 5, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
  for (const std::string& content : {std::string(), data}) {
    std::string read = "stale";
    EXPECT_TRUE(ReadAllBytesFromFile(Write(L"data.bin", content), &read));
    EXPECT_TRUE(read == content);
  }
  EXPECT_TRUE(records_.empty());
}

TEST_F(InstallerTagFileTest, FileOpenForWritingElsewhereCannotBeRead) {
  const std::wstring path = Write(L"busy.exe", ImageWithCertificates({DummyCertificate("a=1")}));
  ScopedHandle writer(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(writer);
  std::string bytes;
  EXPECT_FALSE(ReadAllBytesFromFile(path, &bytes));
  EXPECT_EQ(Lines(), std::vector<std::string>{"ReadAllBytesFromFile: Can't open file " +
                                              WideToUTF8(path)});
  std::string tag;
  EXPECT_FALSE(ExtractTagFromAppendedBlock(path, &tag));
}

TEST_F(InstallerTagFileTest, AppendedBlockIsReadFromTheMappedFile) {
  ImageSpec spec;
  spec.signature_blob = ContentInfo(DummyCertificate("", 300));
  spec.appended = AppendedBlock("lang=ru&stat=1");
  std::string tag;
  EXPECT_TRUE(ExtractTagFromAppendedBlock(Write(L"old.exe", BuildImage(spec)), &tag));
  EXPECT_EQ(tag, "lang=ru&stat=1");

  // An empty file cannot be mapped; a missing one not opened.
  EXPECT_FALSE(ExtractTagFromAppendedBlock(Write(L"empty.exe", ""), &tag));
  EXPECT_EQ(tag, "");
  EXPECT_FALSE(ExtractTagFromAppendedBlock(folder_.Child(L"missing.exe"), &tag));
  EXPECT_TRUE(records_.empty());
}

TEST_F(InstallerTagFileTest, ReadInstallerTagPrefersTheCertificate) {
  struct Case {
    const char* name;
    std::string certificate_tag;
    std::string appended;
    std::string expected;
  };
  const Case cases[] = {
      {"certificate only", "stat=1", "", "stat=1"},
      {"both", "stat=1", AppendedBlock("stat=2"), "stat=1"},
      {"empty certificate tag", "", AppendedBlock("stat=2"), "stat=2"},
      {"neither", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ImageSpec spec;
    spec.signature_blob = ContentInfo(DummyCertificate(c.certificate_tag, 300));
    spec.appended = c.appended;
    EXPECT_EQ(ReadInstallerTag(Write(L"installer.exe", BuildImage(spec))), c.expected);
  }
  EXPECT_TRUE(records_.empty());
}

TEST_F(InstallerTagFileTest, UnsignedExecutableHasNoTag) {
  // The test program carries no certificate table: an empty tag, logged as
  // such, proves the file was found and read.
  wchar_t own_path[MAX_PATH];
  ::GetModuleFileNameW(nullptr, own_path, MAX_PATH);
  EXPECT_EQ(ReadInstallerTag(own_path), "");
  ASSERT_EQ(records_.size(), 1u);
  EXPECT_NE(records_[0].message.find("Failed to find certificate table in "), std::string::npos);
  EXPECT_NE(records_[0].message.find("config_tag_unittests.exe"), std::string::npos);
}

}  // namespace
}  // namespace lite
