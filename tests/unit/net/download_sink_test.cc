#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/file_util.h"
#include "base/scoped_handle.h"
#include "net/file_download_sink.h"
#include "net/string_download_sink.h"
#include "test_util.h"

namespace lite {
namespace {

bool WriteText(DownloadSink* sink, const std::string& text) {
  return sink->Write(reinterpret_cast<const uint8_t*>(text.data()),
                     static_cast<uint32_t>(text.size()));
}

class FileDownloadSinkTest : public testing::Test {
 protected:
  ScopedHandle OpenForWriting(DWORD disposition) {
    return ScopedHandle(::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  }

  ScopedTempFolder folder_;
  const std::wstring path_ = folder_.Child(L"sink.bin");
};

TEST_F(FileDownloadSinkTest, WritesCountAndResetTruncatesToNothing) {
  {
    ScopedHandle file = OpenForWriting(CREATE_ALWAYS);
    ASSERT_TRUE(file);
    FileDownloadSink sink(file.get());
    EXPECT_EQ(sink.size(), 0u);
    ASSERT_TRUE(WriteText(&sink, "first chunk "));
    ASSERT_TRUE(WriteText(&sink, "second"));
    EXPECT_EQ(sink.size(), 18u);

    EXPECT_TRUE(sink.Reset());
    EXPECT_EQ(sink.size(), 0u);
    // After a reset the next attempt starts at the beginning of the file.
    ASSERT_TRUE(WriteText(&sink, "new"));
    EXPECT_EQ(sink.size(), 3u);
  }
  EXPECT_EQ(ReadWholeFile(path_), "new");
}

TEST_F(FileDownloadSinkTest, ResumesAfterBytesTheOwnerAlreadyHas) {
  ASSERT_TRUE(WriteWholeFile(path_, "0123456789"));
  {
    ScopedHandle file = OpenForWriting(OPEN_EXISTING);
    ASSERT_TRUE(file);
    ::SetFilePointer(file.get(), 0, nullptr, FILE_END);
    FileDownloadSink sink(file.get());
    sink.set_size(10);
    ASSERT_TRUE(WriteText(&sink, "abc"));
    EXPECT_EQ(sink.size(), 13u);
  }
  EXPECT_EQ(ReadWholeFile(path_), "0123456789abc");
}

TEST_F(FileDownloadSinkTest, FailedWriteDoesNotCount) {
  ASSERT_TRUE(WriteWholeFile(path_, "x"));
  ScopedHandle read_only(::CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(read_only);
  FileDownloadSink sink(read_only.get());
  EXPECT_FALSE(WriteText(&sink, "data"));
  EXPECT_EQ(sink.size(), 0u);
  // Truncating needs write access too; the failure is reported.
  EXPECT_FALSE(sink.Reset());
}

TEST(StringDownloadSinkTest, AppendsResetsAndHandsOverTheBody) {
  StringDownloadSink sink(StringDownloadSink::kSeedLimit);
  const std::string binary("a\0b", 3);
  ASSERT_TRUE(WriteText(&sink, binary));
  ASSERT_TRUE(WriteText(&sink, "cd"));
  EXPECT_EQ(sink.data(), binary + "cd");
  EXPECT_EQ(sink.size(), 5u);

  EXPECT_TRUE(sink.Reset());
  EXPECT_EQ(sink.data(), "");
  EXPECT_EQ(sink.size(), 0u);

  ASSERT_TRUE(WriteText(&sink, "body"));
  EXPECT_EQ(sink.TakeData(), "body");
  EXPECT_EQ(sink.size(), 0u);
}

TEST(StringDownloadSinkTest, RefusesBytesPastItsLimit) {
  StringDownloadSink sink(6);
  ASSERT_TRUE(WriteText(&sink, "abcd"));
  EXPECT_FALSE(sink.IsOverLimit());
  // The chunk that would pass the limit is refused whole.
  EXPECT_FALSE(WriteText(&sink, "efg"));
  EXPECT_TRUE(sink.IsOverLimit());
  EXPECT_EQ(sink.data(), "abcd");
  EXPECT_EQ(sink.size(), 4u);
  EXPECT_TRUE(WriteText(&sink, "ef"));  // up to the limit exactly
  EXPECT_FALSE(WriteText(&sink, "g"));
  EXPECT_EQ(sink.TakeData(), "abcdef");
  EXPECT_FALSE(sink.IsOverLimit());
  EXPECT_TRUE(WriteText(&sink, "abcdef"));
}

}  // namespace
}  // namespace lite
