#include "trust/built_in_key_table.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <vector>

#include "captured_log.h"
#include "trust/signature_verifier.h"
#include "trust/trust_test_data.h"

namespace lite {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(BuiltInKeyTableTest, IndexesOutsideTheTableGiveNothing) {
  for (int index : {-1, 10, 11, 65535, INT_MIN, INT_MAX}) {
    EXPECT_TRUE(BuiltInKeyTable::GetKey(index).empty()) << index;
  }
}

TEST(BuiltInKeyTableTest, TenDistinctImportableKeys) {
  std::set<Bytes> seen;
  for (int index = 0; index < BuiltInKeyTable::kKeyCount; ++index) {
    SCOPED_TRACE(index);
    const Bytes key = BuiltInKeyTable::GetKey(index);
    ASSERT_EQ(key.size(), 162u);
    // DER SEQUENCE of 159 content bytes.
    EXPECT_EQ(key[0], 0x30);
    EXPECT_EQ(key[1], 0x81);
    EXPECT_EQ(key[2], 0x9f);
    EXPECT_TRUE(seen.insert(key).second) << "duplicate key";
    ScopedLogCapture log;
    SignatureVerifier verifier;
    EXPECT_TRUE(verifier.Initialize());
    EXPECT_TRUE(verifier.ImportPublicKey(key));
    DWORD bits = 0;
    DWORD size = sizeof(bits);
    EXPECT_TRUE(::CryptGetKeyParam(verifier.key(), KP_KEYLEN, reinterpret_cast<BYTE*>(&bits),
                                   &size, 0));
    EXPECT_EQ(bits, 1024u);
    verifier.Cleanup();
    EXPECT_TRUE(log.lines().empty()) << log.Dump();
  }
}

#if defined(LITE_TRUST_TABLE_HAS_TEST_KEYS)
TEST(BuiltInKeyTableTest, TestTableMatchesTheGeneratedKeys) {
  for (int index = 0; index < BuiltInKeyTable::kKeyCount; ++index) {
    SCOPED_TRACE(index);
    const Bytes expected = ReadTrustData(L"key_" + std::to_wstring(index) + L".der");
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(BuiltInKeyTable::GetKey(index), expected);
  }
}
#endif

}  // namespace
}  // namespace lite
