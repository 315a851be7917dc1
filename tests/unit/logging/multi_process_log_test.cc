// Several processes appending to one log through the named mutex.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>
#include <vector>

#include "base/file_util.h"
#include "base/scoped_handle.h"
#include "test_util.h"

namespace lite {
namespace {

// Starts |count| log_writer processes and waits for all of them.
void RunWriters(const std::wstring& log_path, int count, int records, uint32_t limit) {
  const std::wstring writer = DirName(ExecutableFolder()) + L"\\fixtures\\log_writer.exe";
  ASSERT_TRUE(PathExists(writer)) << "build the log_writer target";
  std::vector<ScopedHandle> processes;
  for (int i = 0; i < count; ++i) {
    std::wstring command = L"\"" + writer + L"\" \"" + log_path + L"\" " +
                           std::to_wstring(records) + L" " + std::to_wstring(limit) + L" w" +
                           std::to_wstring(i);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &info));
    ::CloseHandle(info.hThread);
    processes.emplace_back(info.hProcess);
  }
  for (auto& process : processes) {
    ASSERT_EQ(::WaitForSingleObject(process.get(), 120000), WAIT_OBJECT_0);
    DWORD code = 1;
    ::GetExitCodeProcess(process.get(), &code);
    EXPECT_EQ(code, 0u);
  }
}

// Checks that every line is one whole record and returns, per writer tag,
// the record numbers in file order.
std::map<std::string, std::vector<int>> ParseLines(const std::string& content) {
  static const std::regex kLine(
      R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} \d{2,}:\d{2,} INFO: (w\d) (\d+) x{60} \(log_writer:\d+\))");
  std::map<std::string, std::vector<int>> numbers;
  std::istringstream lines(content);
  std::string line;
  while (std::getline(lines, line)) {
    std::smatch match;
    if (!std::regex_match(line, match, kLine)) {
      ADD_FAILURE() << "malformed line: " << line;
      continue;
    }
    numbers[match[1]].push_back(std::stoi(match[2]));
  }
  EXPECT_TRUE(content.empty() || content.back() == '\n');
  return numbers;
}

TEST(MultiProcessLogTest, ConcurrentWritersNeitherInterleaveNorLoseLines) {
  ScopedTempFolder folder;
  const std::wstring log_path = folder.Child(L"\\lite_installer.log");
  constexpr int kWriters = 4;
  constexpr int kRecords = 2000;
  RunWriters(log_path, kWriters, kRecords, 0xFFFFFFFF);
  const auto numbers = ParseLines(ReadWholeFile(log_path));
  ASSERT_EQ(numbers.size(), static_cast<size_t>(kWriters));
  for (const auto& [tag, sequence] : numbers) {
    ASSERT_EQ(sequence.size(), static_cast<size_t>(kRecords)) << tag;
    for (int i = 0; i < kRecords; ++i) ASSERT_EQ(sequence[i], i) << tag;
  }
}

TEST(MultiProcessLogTest, RotationUnderLoadKeepsWholeLinesInOrder) {
  ScopedTempFolder folder;
  const std::wstring log_path = folder.Child(L"\\lite_installer.log");
  constexpr uint32_t kLimit = 16 * 1024;
  RunWriters(log_path, 4, 500, kLimit);
  const std::string old_content = ReadWholeFile(folder.Child(L"lite_installer_old.log"));
  const std::string current = ReadWholeFile(log_path);
  ASSERT_FALSE(old_content.empty());
  EXPECT_LT(current.size(), kLimit + 256u);
  EXPECT_LT(old_content.size(), kLimit + 256u);
  // Older copies were replaced, but what is left is whole and in order.
  for (const auto& [tag, sequence] : ParseLines(old_content + current)) {
    for (size_t i = 1; i < sequence.size(); ++i) {
      ASSERT_LT(sequence[i - 1], sequence[i]) << tag;
    }
  }
  // The last line written is some writer's last record.
  const size_t last_line = current.rfind('\n', current.size() - 2);
  EXPECT_NE(current.find(" 499 ", last_line), std::string::npos);
}

}  // namespace
}  // namespace lite
