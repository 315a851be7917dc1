#include "base/file_util.h"

#include <gtest/gtest.h>

#include "base/scoped_handle.h"
#include "base/scoped_path_deleter.h"
#include "test_util.h"

namespace lite {
namespace {

TEST(FileUtilTest, TempFolderEndsWithSeparator) {
  const std::wstring folder = GetTempFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), L'\\');
  EXPECT_TRUE(DirectoryExists(folder));
}

TEST(FileUtilTest, SplitsPaths) {
  struct Case {
    const wchar_t* path;
    const wchar_t* dir;
    const wchar_t* base;
  };
  const Case cases[] = {
      {L"C:\\Temp\\\\lite_installer.log", L"C:\\Temp", L"lite_installer.log"},
      {L"C:\\lite_installer.log", L"C:\\", L"lite_installer.log"},
      {L"\\lite_installer.log", L"\\", L"lite_installer.log"},
      {L"name.txt", L"", L"name.txt"},
      {L"C:\\a\\b/c", L"C:\\a\\b", L"c"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DirName(c.path), c.dir) << c.path;
    EXPECT_EQ(BaseName(c.path), c.base) << c.path;
  }
}

TEST(FileUtilTest, WholeFileRoundTrip) {
  ScopedTempFolder folder;
  const std::wstring path = folder.Child(L"data.bin");
  const std::string data("a\0b\xFF", 4);
  ASSERT_TRUE(WriteWholeFile(path, data));
  EXPECT_EQ(ReadWholeFile(path), data);
  ASSERT_TRUE(WriteWholeFile(path, "x"));  // truncates
  EXPECT_EQ(ReadWholeFile(path), "x");
  EXPECT_EQ(ReadWholeFile(folder.Child(L"missing")), "");
  EXPECT_FALSE(WriteWholeFile(folder.Child(L"no\\such\\folder.bin"), "x"));
}

TEST(FileUtilTest, ReadFailsWhileWriterHoldsFileExclusively) {
  ScopedTempFolder folder;
  const std::wstring path = folder.Child(L"locked.txt");
  ASSERT_TRUE(WriteWholeFile(path, "content"));
  ScopedHandle exclusive(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(exclusive);
  EXPECT_EQ(ReadWholeFile(path), "");
}

TEST(FileUtilTest, TempFilesAreUniqueAndDeletedOnScopeExit) {
  ScopedTempFolder folder;
  std::wstring first_path;
  {
    ScopedPathDeleter first(CreateTempFileIn(folder.path(), L"tst"));
    ScopedPathDeleter second(CreateTempFileIn(folder.path(), L"tst"));
    ASSERT_FALSE(first.path().empty());
    EXPECT_NE(first.path(), second.path());
    EXPECT_TRUE(PathExists(first.path()));
    first_path = first.path();
  }
  EXPECT_FALSE(PathExists(first_path));
  EXPECT_EQ(CreateTempFileIn(L"", L"tst"), L"");
  EXPECT_EQ(CreateTempFileIn(folder.Child(L"missing"), L"tst"), L"");
}

TEST(FileUtilTest, CreatesAndDeletesFolderTrees) {
  ScopedTempFolder folder;
  const std::wstring deep = folder.Child(L"a\\b\\c");
  ASSERT_TRUE(CreateDirectoryWithAncestors(deep));
  EXPECT_TRUE(CreateDirectoryWithAncestors(deep));  // already there
  ASSERT_TRUE(WriteWholeFile(deep + L"\\f.txt", "x"));
  // A file in the way cannot become a folder.
  ASSERT_TRUE(WriteWholeFile(folder.Child(L"file"), "x"));
  EXPECT_FALSE(CreateDirectoryWithAncestors(folder.Child(L"file\\sub")));
  EXPECT_TRUE(DeleteFolderRecursively(folder.Child(L"a")));
  EXPECT_FALSE(PathExists(folder.Child(L"a")));
}

TEST(FileUtilTest, MoveReplacingReportsFileErrors) {
  ScopedTempFolder folder;
  const std::wstring from = folder.Child(L"from.txt");
  const std::wstring to = folder.Child(L"to.txt");
  ASSERT_TRUE(WriteWholeFile(from, "new"));
  ASSERT_TRUE(WriteWholeFile(to, "old"));
  EXPECT_EQ(MoveFileReplacing(from, to), 0);
  EXPECT_EQ(ReadWholeFile(to), "new");
  EXPECT_FALSE(PathExists(from));
  EXPECT_EQ(MoveFileReplacing(from, to), -4);  // source gone
}

}  // namespace
}  // namespace lite
