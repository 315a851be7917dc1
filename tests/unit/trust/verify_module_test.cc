#include "trust/verify_module.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/debug_log.h"
#include "captured_log.h"
#include "fake_platform_queries.h"
#include "system/platform_queries.h"
#include "trust/trust_provider.h"
#include "trust/trusted_certificate_list.h"

namespace lite {
namespace {

// One signature of the file as the system would judge it.
struct FakeSignature {
  long code = 0;            // result of the normal check
  long hash_only_code = 0;  // result when only the hash is checked
  bool raises = false;
  bool extractable = true;
  std::string identity;
  bool sha256 = false;
};

class FakeTrustProvider : public TrustProvider {
 public:
  explicit FakeTrustProvider(std::vector<FakeSignature> signatures)
      : TrustProvider(L"C:\\fake.exe"), signatures_(std::move(signatures)) {}

  long Verify(uint32_t index, bool hash_only, uint32_t* secondary_count,
              GuardedCallFault* fault) override {
    calls.emplace_back(index, hash_only);
    *secondary_count = static_cast<uint32_t>(signatures_.size() - 1);
    current_ = index;
    const FakeSignature& signature = signatures_.at(index);
    *fault = GuardedCallFault();
    if (signature.raises) {
      fault->code = 0xC0000005;
      return -1;
    }
    return hash_only ? signature.hash_only_code : signature.code;
  }
  bool ExtractSigner(SignerIdentity* signer) override {
    const FakeSignature& signature = signatures_.at(current_);
    if (!signature.extractable) return false;
    signer->identity = signature.identity;
    signer->sha256_certified = signature.sha256;
    return true;
  }
  void Close() override { ++closes; }

  std::vector<std::pair<uint32_t, bool>> calls;
  int closes = 0;

 private:
  std::vector<FakeSignature> signatures_;
  uint32_t current_ = 0;
};

// A system of the given major version.
struct FakeWindows : FakePlatformQueries {
  explicit FakeWindows(uint32_t major) { version.major = major; }
};

constexpr long kUntrustedRoot = -2146762487;  // CERT_E_UNTRUSTEDROOT
const std::string kList = R"({"trusted_info": {"certificates": [{"id": "QQ=="}, {"id": "Qg=="}]}})";

class VerifyModuleTest : public testing::Test {
 protected:
  void SetUp() override {
    SetCurrentLogger(std::make_unique<RecordingLogger>(&lines_));
    SetDebugLogSinkForTesting(&debug_log_);
  }
  void TearDown() override {
    SetCurrentLogger(nullptr);
    SetDebugLogSinkForTesting(nullptr);
  }
  // "severity|message" of every record after "Verifying ", without system
  // error texts.
  std::vector<std::string> Lines() const {
    std::vector<std::string> result;
    for (const CapturedLine& line : lines_) {
      if (line.function != "VerifyModuleImpl") continue;
      const char* severity = line.severity == LOG_ERROR     ? "E|"
                             : line.severity == LOG_WARNING ? "W|"
                                                            : "I|";
      result.push_back(severity + line.message.substr(0, line.message.find(" - ")));
    }
    return result;
  }

  std::vector<CapturedLine> lines_;
  std::string debug_log_;
};

const std::string kFailed = "E|Can not find any trusted certificates. C:\\fake.exe";
const std::string kUntrusted = "E|KNOWN_ERROR_untrusted_certificate";
const std::string kNotListed = "E|Can not find sertificate in trusted list. C:\\fake.exe";

TEST_F(VerifyModuleTest, DecidesBySignatureKindAndList) {
  struct Case {
    const char* name;
    std::vector<FakeSignature> signatures;
    bool trusted;
    size_t calls;
    std::vector<std::string> lines;
  };
  FakeSignature sha1_listed;
  sha1_listed.identity = "A";
  FakeSignature sha1_unlisted;
  sha1_unlisted.identity = "X";
  FakeSignature sha256_listed;
  sha256_listed.identity = "B";
  sha256_listed.sha256 = true;
  FakeSignature sha256_unlisted;
  sha256_unlisted.identity = "Y";
  sha256_unlisted.sha256 = true;
  const std::string sha1_ok = "I|File successfully verified. C:\\fake.exe";
  const std::string sha256_ok = "I|File successfully verified with sha256. C:\\fake.exe";
  const std::string sha256_failed = "E|SHA256 verification failed. C:\\fake.exe";
  const Case cases[] = {
      {"sha1 listed", {sha1_listed}, true, 1, {sha1_ok}},
      {"sha256 listed stops at once", {sha256_listed, sha1_unlisted}, true, 1, {sha256_ok}},
      {"sha1 unlisted then listed", {sha1_unlisted, sha1_listed}, true, 2, {kNotListed, sha1_ok}},
      {"sha1 listed then sha256 listed", {sha1_listed, sha256_listed}, true, 2, {sha256_ok}},
      {"sha256 failure hides later sha1", {sha256_unlisted, sha1_listed}, false, 2,
       {kNotListed, sha256_failed, kUntrusted, kFailed}},
      {"sha256 failure revokes earlier sha1", {sha1_listed, sha256_unlisted}, false, 2,
       {kNotListed, sha256_failed, kUntrusted, kFailed}},
      {"sha256 may still win after a failure", {sha256_unlisted, sha256_listed}, true, 2,
       {kNotListed, sha256_failed, sha256_ok}},
      {"nothing listed", {sha1_unlisted}, false, 1, {kNotListed, kUntrusted, kFailed}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    lines_.clear();
    FakeWindows windows(10);
    ScopedPlatformQueriesOverride scope(&windows);
    FakeTrustProvider provider(c.signatures);
    EXPECT_EQ(VerifyModule(L"C:\\fake.exe", TrustedCertificateList(kList), &provider), c.trusted);
    EXPECT_EQ(provider.calls.size(), c.calls);
    EXPECT_EQ(Lines(), c.lines);
    EXPECT_GE(provider.closes, 1);
  }
}

TEST_F(VerifyModuleTest, RetriesHashOnlyBeforeWindows10) {
  FakeSignature rejected;
  rejected.code = kUntrustedRoot;
  rejected.hash_only_code = 0;
  rejected.identity = "A";
  FakeSignature second;
  second.code = kUntrustedRoot;
  second.hash_only_code = kUntrustedRoot;
  second.identity = "B";
  for (const uint32_t major : {6u, 10u}) {
    lines_.clear();
    FakeWindows windows(major);
    ScopedPlatformQueriesOverride scope(&windows);
    FakeTrustProvider provider({rejected, second});
    const bool trusted = VerifyModule(L"C:\\fake.exe", TrustedCertificateList(kList), &provider);
    if (major < 10) {
      EXPECT_TRUE(trusted);
      // The hash-only flag stays on for the later signatures of the file.
      EXPECT_EQ(provider.calls, (std::vector<std::pair<uint32_t, bool>>{
                                    {0, false}, {0, true}, {1, true}, {1, true}}));
      const std::string code = std::to_string(kUntrustedRoot);
      EXPECT_EQ(Lines(), (std::vector<std::string>{
                             "W|Start additional sha256 verification. C:\\fake.exe Error code: " + code,
                             "I|Extended verification success. C:\\fake.exe Error code: 0",
                             "W|Start additional sha256 verification. C:\\fake.exe Error code: " + code,
                             "I|Extended verification failed. C:\\fake.exe Error code: " + code,
                             "I|File successfully verified. C:\\fake.exe"}));
    } else {
      EXPECT_FALSE(trusted);
      EXPECT_EQ(provider.calls, (std::vector<std::pair<uint32_t, bool>>{{0, false}, {1, false}}));
      EXPECT_EQ(Lines(), (std::vector<std::string>{kUntrusted, kFailed}));
    }
  }
}

TEST_F(VerifyModuleTest, ContainsExceptionsAndUnreadableSigners) {
  FakeSignature raising;
  raising.raises = true;
  FakeSignature unreadable;
  unreadable.extractable = false;
  FakeSignature listed;
  listed.identity = "B";
  FakeWindows windows(10);
  ScopedPlatformQueriesOverride scope(&windows);
  FakeTrustProvider provider({raising, unreadable, listed});
  EXPECT_TRUE(VerifyModule(L"C:\\fake.exe", TrustedCertificateList(kList), &provider));
  EXPECT_EQ(Lines(), (std::vector<std::string>{
                         "E|An attempt to verify C:\\fake.exe generated an exception 3221225477, "
                         "is_prevents_net_usage = 0",
                         "I|File successfully verified. C:\\fake.exe"}));
  EXPECT_EQ(debug_log_, "ExtractCertParams failed. C:\\fake.exe\n");
}

TEST_F(VerifyModuleTest, EmptyListRejectsWithoutChecking) {
  FakeTrustProvider provider({FakeSignature()});
  EXPECT_FALSE(VerifyModule(L"C:\\fake.exe", TrustedCertificateList("{}"), &provider));
  EXPECT_TRUE(provider.calls.empty());
  ASSERT_EQ(lines_.size(), 1u);
  EXPECT_EQ(lines_[0].function, "VerifyModule");
  EXPECT_EQ(lines_[0].message, "Verifying C:\\fake.exe");
}

TEST_F(VerifyModuleTest, RealCheckRejectsAnUnsignedFile) {
  // The test executable itself is not signed: the system rejects it and
  // no signer is ever looked up.
  wchar_t path[MAX_PATH];
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  EXPECT_FALSE(VerifyModule(path, TrustedCertificateList(kList)));
  EXPECT_FALSE(VerifySignedModule(path));  // and it carries no list
}

}  // namespace
}  // namespace lite
