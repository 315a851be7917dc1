#include "system/privileges.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "captured_log.h"

namespace lite {
namespace {

TEST(PrivilegesTest, AdminGroupOfARealProcess) {
  // Wine makes every user a member of the Administrators group.
  EXPECT_TRUE(IsUserAnAdminGroup(::GetCurrentProcess()));

  // No process, no token: "no", logged once.
  ScopedLogCapture log;
  EXPECT_FALSE(IsUserAnAdminGroup(nullptr));
  ASSERT_EQ(log.lines().size(), 1u) << log.Dump();
  EXPECT_EQ(log.lines()[0].function, "GetProcessToken");
  EXPECT_EQ(log.lines()[0].message.rfind("OpenProcessToken fail - ", 0), 0u);
}

TEST(PrivilegesTest, TokenInformationBufferHasTheReportedLength) {
  const ScopedHandle token = GetProcessToken(::GetCurrentProcess());
  ASSERT_TRUE(token.is_valid());
  std::vector<BYTE> buffer;
  ASSERT_TRUE(GetTokenInfo(token.get(), TokenGroups, &buffer));
  DWORD length = 0;
  ::GetTokenInformation(token.get(), TokenGroups, nullptr, 0, &length);
  EXPECT_EQ(buffer.size(), length);
  const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
  EXPECT_GT(groups->GroupCount, 0u);

  // No token, no length: false without a record.
  ScopedLogCapture log;
  EXPECT_FALSE(GetTokenInfo(nullptr, TokenGroups, &buffer));
  EXPECT_TRUE(log.lines().empty()) << log.Dump();
}

TEST(PrivilegesTest, IsUserAnAdminIsTheShellsOwnTest) {
  using Fn = BOOL(WINAPI*)();
  const HMODULE shell = ::GetModuleHandleW(L"shell32.dll");
  ASSERT_NE(shell, nullptr);
  const auto by_name =
      reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(shell, "IsUserAnAdmin")));
  ASSERT_NE(by_name, nullptr);
  // The ordinal names the same export.
  EXPECT_EQ(reinterpret_cast<void*>(::GetProcAddress(shell, MAKEINTRESOURCEA(680))),
            reinterpret_cast<void*>(by_name));
  EXPECT_EQ(IsUserAnAdmin(), by_name() != FALSE);
}

}  // namespace
}  // namespace lite
