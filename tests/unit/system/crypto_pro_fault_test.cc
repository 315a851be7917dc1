#include "system/crypto_pro_fault.h"

#include <gtest/gtest.h>

// Delayed imports of DLLs that are not installed (see the .def files).
extern "C" int cpGetCryptoProVersion(void);
extern "C" int MissingCryptoProFunction(int);

namespace lite {
namespace {

constexpr uint32_t kDelayLoad = kDelayLoadFailureCode;

TEST(IsCryptoProFaultTest, MatchesOnlyTheProviderLibrary) {
  struct Case {
    GuardedCallFault fault;
    bool expected;
  } cases[] = {
      {{kDelayLoad, "cplib.dll", "cryptopro"}, true},
      {{kDelayLoad, "CPLIB.DLL", "GetCrYpToPrOVersion"}, true},
      {{kDelayLoad, "CpLib.Dll", "xxCRYPTOPRO"}, true},
      {{kDelayLoad, "cplib.dll", "CryptoProInit"}, true},
      // The procedure must contain the whole word.
      {{kDelayLoad, "cplib.dll", "CryptoPr"}, false},
      {{kDelayLoad, "cplib.dll", "Crypto_Pro"}, false},
      {{kDelayLoad, "cplib.dll", ""}, false},  // imported by ordinal
      // The DLL name must match exactly.
      {{kDelayLoad, "cplib2.dll", "CryptoPro"}, false},
      {{kDelayLoad, "cplib", "CryptoPro"}, false},
      {{kDelayLoad, "C:\\cplib.dll", "CryptoPro"}, false},
      {{kDelayLoad, "cplib.dll ", "CryptoPro"}, false},
      {{kDelayLoad, "", "CryptoPro"}, false},
      // Only a failed load counts.
      {{0xC06D007F, "cplib.dll", "CryptoPro"}, false},
      {{0xC0000005, "cplib.dll", "CryptoPro"}, false},
      {{0, "cplib.dll", "CryptoPro"}, false},
      {{0, "", ""}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, IsCryptoProFault(c.fault))
        << c.fault.code << " " << c.fault.dll_name << " " << c.fault.proc_name;
  }
}

TEST(IsCryptoProFaultTest, RecognisesRealDelayLoadFailures) {
  GuardedCallFault fault;
  EXPECT_EQ(-1, GuardedCall(&cpGetCryptoProVersion, -1, &fault));
  EXPECT_TRUE(IsCryptoProFault(fault)) << DescribeGuardedCallFault(fault);

  // The same kind of procedure in another DLL is an ordinary fault.
  EXPECT_EQ(-1, GuardedCall([] { return MissingCryptoProFunction(0); }, -1, &fault));
  EXPECT_EQ(kDelayLoadFailureCode, fault.code);
  EXPECT_FALSE(IsCryptoProFault(fault)) << DescribeGuardedCallFault(fault);
}

}  // namespace
}  // namespace lite
