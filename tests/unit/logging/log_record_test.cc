#include "logging/log_record.h"

#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

namespace lite {
namespace {

TEST(LogRecordTest, AppendsTextNumbersAndWideStrings) {
  LogRecord record(LOG_INFO, "f", 1);
  record << "n=" << -5 << " u=" << 4294967295u << " " << std::wstring(L"\u043f") << " "
         << true;
  record.Discard();
  EXPECT_EQ(record.message(), "n=-5 u=4294967295 \xD0\xBF 1");
}

TEST(LogRecordTest, ErrorRecordsJoinTheErrorText) {
  LogRecord with_message(LOG_ERROR, "f", 1, "5, denied");
  with_message << "Failed";
  with_message.Discard();
  EXPECT_EQ(with_message.message(), "Failed - 5, denied");

  LogRecord without_message(LOG_ERROR, "f", 1, "5, denied");
  without_message.Discard();
  EXPECT_EQ(without_message.message(), "5, denied");
}

TEST(LogRecordTest, CapturesTheErrorBeforeTheMessageIsBuilt) {
  ::SetLastError(ERROR_FILE_NOT_FOUND);
  auto record = std::make_unique<LogRecord>(
      LOG_ERROR, "f", 1, SystemErrorText(LastSystemError()));
  ::SetLastError(0);
  *record << "x";
  record->Discard();
  EXPECT_EQ(record->message().rfind("x - 2, ", 0), 0u) << record->message();
}

TEST(SystemErrorTextTest, UsesSystemTextsThenKnownModulesThenHex) {
  const std::string denied = SystemErrorText(ERROR_ACCESS_DENIED);
  EXPECT_EQ(denied.rfind("5, ", 0), 0u);
  EXPECT_GT(denied.size(), 4u);
  EXPECT_EQ(denied.find("unknown error"), std::string::npos);

  EXPECT_EQ(SystemErrorText(0x2345678), "36984440, unknown error 0x2345678\n");

  // WinINet's own errors come from its module once it is loaded.
  HMODULE wininet = ::LoadLibraryW(L"wininet.dll");
  ASSERT_TRUE(wininet);
  const std::string timeout = SystemErrorText(ERROR_INTERNET_TIMEOUT);
  EXPECT_EQ(timeout.rfind("12002, ", 0), 0u);
  EXPECT_EQ(timeout.find("unknown error"), std::string::npos) << timeout;
  ::FreeLibrary(wininet);
}

}  // namespace
}  // namespace lite
