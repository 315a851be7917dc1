#include "trust/signature_verifier.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "captured_log.h"
#include "trust/built_in_key_table.h"
#include "trust/trust_test_data.h"

namespace lite {
namespace {

using Bytes = std::vector<uint8_t>;

// The fixture as signed at build time: data, big-endian signature and the
// signer's public key in both DER forms.
struct Fixture {
  Bytes data = ReadTrustData(L"signed_data.json");
  Bytes signature = ReadTrustData(L"signed_data.sig");
  Bytes key = ReadTrustData(L"key_" + std::to_wstring(LITE_TRUST_SIGNING_KEY_INDEX) + L".der");
  Bytes other_key =
      ReadTrustData(L"key_" + std::to_wstring((LITE_TRUST_SIGNING_KEY_INDEX + 1) % 10) + L".der");
  Bytes rsa_public_key = ReadTrustData(L"rsa_public_key.der");
};

// Checks that |line| is "<prefix><number> - <error text of number>" with a
// non-zero number, and returns the number (0 when the form is wrong).
uint32_t ErrorNumberOf(const CapturedLine& line, const std::string& prefix) {
  if (line.message.compare(0, prefix.size(), prefix) != 0) return 0;
  const size_t digits_end = line.message.find(" - ", prefix.size());
  if (digits_end == std::string::npos || digits_end == prefix.size()) return 0;
  const std::string digits = line.message.substr(prefix.size(), digits_end - prefix.size());
  if (digits.find_first_not_of("0123456789") != std::string::npos) return 0;
  const uint32_t number = static_cast<uint32_t>(std::stoul(digits));
  if (line.message != prefix + digits + " - " + SystemErrorText(number)) return 0;
  return number;
}

TEST(SignatureVerifierTest, FixtureIsPresent) {
  const Fixture f;
  ASSERT_FALSE(f.data.empty());
  EXPECT_EQ(f.signature.size(), 128u);
  EXPECT_EQ(f.key.size(), 162u);
  EXPECT_NE(f.key, f.other_key);
  EXPECT_FALSE(f.rsa_public_key.empty());
}

struct VerifyCase {
  const char* name;
  std::function<void(Fixture*, Bytes* signature, Bytes* key, Bytes* data)> change;
  bool expected;
  // Empty: no record at all. Otherwise exactly one ERROR record.
  const char* function;
  const char* prefix;
  uint32_t error;  // 0: any non-zero number
};

TEST(SignatureVerifierTest, VerifyCases) {
  const VerifyCase cases[] = {
      {"big-endian signature", [](Fixture*, Bytes*, Bytes*, Bytes*) {}, true, "", "", 0},
      {"signature already reversed",
       [](Fixture*, Bytes* s, Bytes*, Bytes*) { *s = Bytes(s->rbegin(), s->rend()); }, false,
       "VerifySignature", "Failed to verify signature, error: ", 0},
      {"first data byte changed", [](Fixture*, Bytes*, Bytes*, Bytes* d) { (*d)[0] ^= 1; }, false,
       "VerifySignature", "Failed to verify signature, error: ",
       static_cast<uint32_t>(NTE_BAD_SIGNATURE)},
      {"middle data byte changed",
       [](Fixture*, Bytes*, Bytes*, Bytes* d) { (*d)[d->size() / 2] ^= 0x80; }, false,
       "VerifySignature", "Failed to verify signature, error: ",
       static_cast<uint32_t>(NTE_BAD_SIGNATURE)},
      {"last data byte changed", [](Fixture*, Bytes*, Bytes*, Bytes* d) { d->back() ^= 1; },
       false, "VerifySignature", "Failed to verify signature, error: ",
       static_cast<uint32_t>(NTE_BAD_SIGNATURE)},
      {"data one byte longer", [](Fixture*, Bytes*, Bytes*, Bytes* d) { d->push_back('\n'); },
       false, "VerifySignature", "Failed to verify signature, error: ",
       static_cast<uint32_t>(NTE_BAD_SIGNATURE)},
      {"empty data", [](Fixture*, Bytes*, Bytes*, Bytes* d) { d->clear(); }, false,
       "VerifySignature", "Failed to verify signature, error: ",
       static_cast<uint32_t>(NTE_BAD_SIGNATURE)},
      {"signature byte changed", [](Fixture*, Bytes* s, Bytes*, Bytes*) { (*s)[64] ^= 1; }, false,
       "VerifySignature", "Failed to verify signature, error: ", 0},
      {"another key", [](Fixture* f, Bytes*, Bytes* k, Bytes*) { *k = f->other_key; }, false,
       "VerifySignature", "Failed to verify signature, error: ", 0},
      {"empty signature", [](Fixture*, Bytes* s, Bytes*, Bytes*) { s->clear(); }, false, "", "",
       0},
      {"raw RSAPublicKey", [](Fixture* f, Bytes*, Bytes* k, Bytes*) { *k = f->rsa_public_key; },
       false, "ImportPublicKey", "Failed to convert decode public key, error: ", 0},
      {"empty key", [](Fixture*, Bytes*, Bytes* k, Bytes*) { k->clear(); }, false,
       "ImportPublicKey", "Failed to convert decode public key, error: ", 0},
      {"truncated key", [](Fixture*, Bytes*, Bytes* k, Bytes*) { k->resize(100); }, false,
       "ImportPublicKey", "Failed to convert decode public key, error: ", 0},
  };
  for (const VerifyCase& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    Bytes signature = f.signature;
    Bytes key = f.key;
    Bytes data = f.data;
    c.change(&f, &signature, &key, &data);
    ScopedLogCapture log;
    SignatureVerifier verifier;
    EXPECT_EQ(verifier.Verify(signature, key, data), c.expected);
    const std::vector<CapturedLine> lines = log.lines();
    if (*c.function == '\0') {
      EXPECT_TRUE(lines.empty()) << log.Dump();
    } else {
      ASSERT_EQ(lines.size(), 1u) << log.Dump();
      EXPECT_EQ(lines[0].severity, LOG_ERROR);
      EXPECT_EQ(lines[0].function, c.function);
      const uint32_t number = ErrorNumberOf(lines[0], c.prefix);
      EXPECT_NE(number, 0u) << lines[0].message;
      if (c.error != 0) {
        EXPECT_EQ(number, c.error) << lines[0].message;
      }
    }
    // A failed import leaves no key; the later step is not attempted.
    if (std::string(c.function) == "ImportPublicKey") {
      EXPECT_EQ(verifier.key(), 0u);
    }
    verifier.Cleanup();
  }
}

TEST(SignatureVerifierTest, VerifySignatureAloneReversesTheCopyOnly) {
  const Fixture f;
  SignatureVerifier verifier;
  ASSERT_TRUE(verifier.Initialize());
  ASSERT_TRUE(verifier.HashData(f.data));
  ASSERT_TRUE(verifier.ImportPublicKey(f.key));
  const Bytes signature = f.signature;
  EXPECT_TRUE(verifier.VerifySignature(signature));
  EXPECT_EQ(signature, f.signature);
  verifier.Cleanup();
}

TEST(SignatureVerifierTest, CleanupReleasesEverythingAndIsRepeatable) {
  const Fixture f;
  ScopedLogCapture log;
  SignatureVerifier verifier;
  verifier.Cleanup();  // nothing acquired yet
  ASSERT_TRUE(verifier.Verify(f.signature, f.key, f.data));
  EXPECT_NE(verifier.provider(), 0u);
  EXPECT_NE(verifier.hash(), 0u);
  EXPECT_NE(verifier.key(), 0u);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    verifier.Cleanup();
    EXPECT_EQ(verifier.provider(), 0u);
    EXPECT_EQ(verifier.hash(), 0u);
    EXPECT_EQ(verifier.key(), 0u);
  }
  EXPECT_TRUE(log.lines().empty()) << log.Dump();
  // Usable again after Cleanup, and Initialize itself drops earlier handles.
  EXPECT_TRUE(verifier.Verify(f.signature, f.key, f.data));
  EXPECT_TRUE(verifier.Verify(f.signature, f.key, f.data));
  EXPECT_TRUE(log.lines().empty()) << log.Dump();
  verifier.Cleanup();
}

#if defined(LITE_TRUST_TABLE_HAS_TEST_KEYS)
// With the TEST table, exactly the key the fixture was signed with accepts it.
TEST(SignatureVerifierTest, OnlyTheSigningTableKeyVerifies) {
  const Fixture f;
  for (int index = 0; index < BuiltInKeyTable::kKeyCount; ++index) {
    SCOPED_TRACE(index);
    ScopedLogCapture log;
    SignatureVerifier verifier;
    const bool expected = index == LITE_TRUST_SIGNING_KEY_INDEX;
    EXPECT_EQ(verifier.Verify(f.signature, BuiltInKeyTable::GetKey(index), f.data), expected);
    EXPECT_EQ(log.lines().size(), expected ? 0u : 1u) << log.Dump();
    verifier.Cleanup();
  }
}
#endif

}  // namespace
}  // namespace lite
